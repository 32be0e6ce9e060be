#pragma once

#include <cstdint>

namespace korval {

class Station;

// Oceanic waypoint timing and estimation (module "Oceanic").

// Number of "," among the first 2000 characters of PositionText: the positions in it.
std::int16_t NumOfWaypoints(Station& s);
// Times the clearance just taken for AircraftCol(CurrentKey), or ends its estimate.
void OCA_Times(Station& s);
// Moves every oceanic aircraft along its waypoints to the clock's time and redraws the maps.
void MidWaypoint(Station& s);

// Minimum number of positions for a clearance to be timed.
inline constexpr int kMinClearancePoints = 3;
// Walks over collections and lists stop after this many passes.
inline constexpr int kLoopGuard = 2000;

}  // namespace korval
