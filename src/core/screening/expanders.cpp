#include "screening/expanders.h"

#include "station/station.h"

namespace korval {

void SBS_Message(Station&) {}
void SA_Message(Station&) {}
void TI_Message(Station&) {}
bool Oceanic_Messages(Station&) { return true; }

}  // namespace korval
