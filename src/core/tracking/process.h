#pragma once

#include <string>

namespace korval {

class Station;

// The position update of ACARS, HF ACARS and HFDL aircraft (module "ProcessMess").
void Process_Message(Station& s, const std::string& registration);

}  // namespace korval
