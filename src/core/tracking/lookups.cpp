#include "tracking/lookups.h"

#include "station/station.h"

namespace korval {

void LoadRouteTables(Station&) {}
void Route(Station&) {}
void Aircraft_Details(Station&) {}

}  // namespace korval
