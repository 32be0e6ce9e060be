#include "reformat/waypoints.h"

#include "station/station.h"

namespace korval {

void ExpandWaypoints(Station&) {}
void ExpandOCAWaypoints(Station&) {}

}  // namespace korval
