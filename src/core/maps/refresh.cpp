#include "maps/refresh.h"

#include "station/station.h"

namespace korval {

void RefreshMaps(Station& s) { s.Notify(ChangeMaps); }
void ClearMap(Station&) {}
void ClearOldSBS(Station&) {}
void Limit_Plots(Station&) {}
void DailyClearing(Station&, const DateTime&) {}

}  // namespace korval
