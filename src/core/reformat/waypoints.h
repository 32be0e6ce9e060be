#pragma once

namespace korval {

class Station;

// Replace waypoint names in CurrentMessage from waypoints.wdf / OCAwaypoints.wdf.
void ExpandWaypoints(Station& s);
void ExpandOCAWaypoints(Station& s);

}  // namespace korval
