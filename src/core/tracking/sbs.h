#pragma once

#include <string>

namespace korval {

class Station;

// The SBS-1 track update (module "ProcessMess").
void Process_SBS_Message(Station& s, const std::string& identity);

}  // namespace korval
