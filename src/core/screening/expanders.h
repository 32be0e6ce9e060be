#pragma once

namespace korval {

class Station;

// Message expanders (module "Messages").
void SBS_Message(Station& s);
void SA_Message(Station& s);
void TI_Message(Station& s);
// True unless the message is an oceanic clearance and waypoint expansion is on.
bool Oceanic_Messages(Station& s);

}  // namespace korval
