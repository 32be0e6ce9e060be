#include "tracking/regflight.h"

#include "station/station.h"

namespace korval {

void LoadRegFlight(Station&) {}
void CorrectRegFlight(Station&) {}

}  // namespace korval
