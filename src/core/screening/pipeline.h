#pragma once

namespace korval {

class Station;

// The good-message pipeline (module "Messages").
void Good_Message(Station& s);
void Good_HFDLMessage(Station& s);

}  // namespace korval
