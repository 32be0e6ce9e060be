#include "maps/refresh.h"

#include <array>
#include <string>
#include <unordered_set>

#include "station/station.h"
#include "text/convert.h"

namespace korval {
namespace {

constexpr std::string_view kModule = "ProcessMess";
constexpr int kMinutesPerDay = 1440;

// Plot limits of the map settings' list, by index; 0 is "All".
constexpr std::array<int, 9> kPlotLimits = {0, 20, 40, 60, 80, 100, 125, 150, 200};

// The daily clearing acts during the first three seconds of its minute (the one-second timer
// may fire up to three times in them).
constexpr int kClearWindowSeconds = 2;

bool Limited(const Aircraft& a)
{
    return !a.Oceanic && !a.REQPWI;
}

}  // namespace

int PlotLimit(int comMaxPlotIndex)
{
    if (comMaxPlotIndex < 0 || comMaxPlotIndex >= static_cast<int>(kPlotLimits.size())) return 0;
    return kPlotLimits[static_cast<std::size_t>(comMaxPlotIndex)];
}

int SBSAge(std::int32_t now, std::int32_t lastUpdate)
{
    return ((now - lastUpdate) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
}

std::size_t LimitedAircraftCount(const Station& s)
{
    std::size_t n = 0;
    s.AircraftCol.ForEach([&](const std::shared_ptr<Aircraft>& a) { n += Limited(*a) ? 1 : 0; });
    return n;
}

// The one place that says the maps must be redrawn; the map windows redraw from the state.
void RefreshMaps(Station& s)
{
    s.Guard("RefreshMaps", kModule, [&] { s.Notify(ChangeMaps); });
}

ClearedPlots ClearMap(Station& s)
{
    ClearedPlots taken;
    s.Guard("ClearMap", kModule, [&] {
        taken.routeLines = s.RouteLineCol.Keep();
        s.RouteLineCol.Clear();
        taken.aircraft = s.AircraftCol.Keep();
        s.AircraftCol.Clear();
        RefreshMaps(s);
    });
    return taken;
}

void mnuClear_Click(Station& s)
{
    s.MapsCleared = ClearMap(s);
}

bool UndoClearMap(Station& s)
{
    if (s.MapsCleared.Empty()) return false;
    const ClearedPlots cleared = std::move(s.MapsCleared);
    s.MapsCleared = {};
    s.Guard("UndoClearMap", kModule, [&] {
        PutBackOlder(s.RouteLineCol, cleared.routeLines);
        PutBackOlder(s.AircraftCol, cleared.aircraft);
        RefreshMaps(s);
    });
    Limit_Plots(s);
    return true;
}

void ClearOldSBS(Station& s)
{
    s.Guard("ClearOldSBS", kModule, [&] {
        const std::int32_t limit = CLng(s.dlg.txtSBSOldPlotLimit);  // minutes
        const std::int32_t now = s.MinuteCount;
        s.SBSAircraftCol.RemoveIf([&](const SBSAircraft& a) { return SBSAge(now, a.LastUpdate) > limit; });
    });
}

void Limit_Plots(Station& s)
{
    s.Guard("Limit Plots", kModule, [&] {
        const int limit = PlotLimit(s.dlg.comMaxPlot);
        // Aircraft on a clearance or a request are kept and do not count against the limit.
        std::size_t counted = LimitedAircraftCount(s);
        if (limit < 1 || counted <= static_cast<std::size_t>(limit)) return;

        // The oldest counted aircraft go first, each with its unlabelled route lines (a route
        // line belongs to every aircraft of its ID). Collected first, then removed in one pass
        // over each collection, so trimming thousands of records stays linear.
        std::unordered_set<const Aircraft*> gone;
        std::unordered_set<std::string> goneIds;
        s.AircraftCol.ForEach([&](const std::shared_ptr<Aircraft>& a) {
            if (!Limited(*a)) return true;
            gone.insert(a.get());
            goneIds.insert(a->ID);
            return --counted > static_cast<std::size_t>(limit);
        });
        s.RouteLineCol.RemoveIf([&](const RouteLine& r) { return r.NATrack.empty() && goneIds.count(r.ID) != 0; });
        s.AircraftCol.RemoveIf([&](const Aircraft& a) { return gone.count(&a) != 0; });
        RefreshMaps(s);
    });
}

void DailyClearing(Station& s, const DateTime& utc)
{
    if (!s.opt.mnuDailyClearMap) return;
    // A clear time that is not a number is logged; the clock goes on.
    s.Guard("Timer1_Timer", "ACARS", [&] {
        const std::int64_t now = std::int64_t{utc.hour} * 10000 + utc.minute * 100 + utc.second;  // hhmmss
        const std::int64_t target = CLng(s.dlg.txtClearMapTime + "00");
        if (now < target || now > target + kClearWindowSeconds) return;
        ClearMap(s);
        s.MapsCleared = {};  // what an earlier "Clear Maps Now" took is gone for good
        // (to_string: assigning the literal trips a false GCC 12 -Wrestrict warning when optimised)
        s.box.txtCount.Text = std::to_string(0);
        s.box.txtOCA.Text = std::to_string(0);
        s.Notify(ChangeCounters);
    });
}

}  // namespace korval
