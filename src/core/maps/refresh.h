#pragma once

#include "station/seams.h"

namespace korval {

class Station;

// What there is to draw (module "ProcessMess"). RefreshMaps redraws every shown map.
void RefreshMaps(Station& s);
void ClearMap(Station& s);
void ClearOldSBS(Station& s);
void Limit_Plots(Station& s);
// The daily clearing, run by the one-second timer with the UTC time it showed.
void DailyClearing(Station& s, const DateTime& utc);

}  // namespace korval
