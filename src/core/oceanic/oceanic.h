#pragma once

#include <cstdint>

namespace korval {

class Station;

// Oceanic waypoint timing and estimation (module "Oceanic").
std::int16_t NumOfWaypoints(Station& s);
void OCA_Times(Station& s);
void MidWaypoint(Station& s);

}  // namespace korval
