#pragma once

#include <cstdint>

#include "station/seams.h"
#include "station/station.h"

namespace korval {

// What there is to draw (module "ProcessMess"). RefreshMaps redraws every shown map.
void RefreshMaps(Station& s);
// Clears the route lines and the ACARS aircraft (SBS-1 tracks stay) and returns what it took,
// for UndoClearMap; nothing after a fault.
ClearedPlots ClearMap(Station& s);
// "Clear Maps Now": ClearMap, keeping what it took in MapsCleared.
void mnuClear_Click(Station& s);
// Puts back what the last "Clear Maps Now" took, merged with what arrived since (see
// PutBackOlder: an aircraft heard again since keeps its new record), applies the plot limit and
// redraws. False when there is nothing to put back.
bool UndoClearMap(Station& s);
void ClearOldSBS(Station& s);
void Limit_Plots(Station& s);
// The daily clearing, run by the one-second timer with the UTC time it showed.
void DailyClearing(Station& s, const DateTime& utc);

// The plot limit of the map settings' list index (All, 20, 40, ... 200); 0 for none.
int PlotLimit(int comMaxPlotIndex);
// Minutes since an SBS-1 report at minute `lastUpdate` of the day, at minute `now` of the day;
// measured modulo one day, so a report from before 00:00 UTC has its true age after it.
int SBSAge(std::int32_t now, std::int32_t lastUpdate);
// The aircraft the plot limit counts: those neither on a clearance nor on a request.
std::size_t LimitedAircraftCount(const Station& s);

}  // namespace korval
