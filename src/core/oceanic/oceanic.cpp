#include "oceanic/oceanic.h"

#include "station/station.h"

namespace korval {

std::int16_t NumOfWaypoints(Station&) { return 0; }
void OCA_Times(Station&) {}
void MidWaypoint(Station&) {}

}  // namespace korval
