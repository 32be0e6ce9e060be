#include "oceanic/oceanic.h"

#include <algorithm>
#include <memory>

#include "maps/refresh.h"
#include "oceanic/timing.h"
#include "station/station.h"
#include "text/convert.h"

namespace korval {
namespace {

constexpr std::string_view kModule = "Oceanic";

std::string& Element(std::vector<std::string>& list, std::size_t index)
{
    if (index >= list.size()) Raise(err::Subscript);
    return list[index];
}

// A position text becomes a waypoint text: position "," HHMM.
void AppendTime(std::string& waypoint, std::string_view hhmm)
{
    waypoint += ',';
    waypoint += hhmm;
}

// Moves one oceanic aircraft to timeline minute `now`; at most one leg is advanced per run.
void EstimateOne(Station& s, Aircraft& item, std::int64_t now)
{
    std::int16_t wi = item.WayIndex;
    // A leg of no time (first of all a clearance whose first two positions are equal) is skipped.
    if (item.LastTime == item.NextTime) {
        ++wi;
        item.WayIndex = wi;
        item.NextTime = std::string(WaypointTime(item.WayListElement(wi)));
    }
    OceanicLeg leg;
    leg.last = item.WayMinute(static_cast<std::int16_t>(wi - 1));
    leg.next = item.WayMinute(wi);
    if (now < leg.last) {
        item.Show = false;  // not yet at its entry point
        return;
    }
    if (now >= leg.next) {
        // Arrived at the last point: it stays at its last estimate.
        if (static_cast<std::size_t>(wi) + 1 >= (item.WayList ? item.WayList->size() : 0)) return;
        ++wi;
        item.WayIndex = wi;
        item.LastTime = item.NextTime;
        item.NextTime = std::string(WaypointTime(item.WayListElement(wi)));
        leg.last = item.WayMinute(static_cast<std::int16_t>(wi - 1));
        leg.next = item.WayMinute(wi);
    }
    const LatLon from = WaypointPosition(item.WayListElement(static_cast<std::int16_t>(wi - 1)));
    const LatLon to = WaypointPosition(item.WayListElement(wi));
    leg.lat1 = from.lat;
    leg.long1 = from.lon;
    leg.lat2 = to.lat;
    leg.long2 = to.lon;
    item.Show = true;
    item.NewLocation = MidTimePos(s, leg, now);
    item.OldLocation.clear();
}

}  // namespace

std::int16_t NumOfWaypoints(Station& s)
{
    std::int16_t n = 0;
    s.Guard("NumOfWaypoints", kModule, [&] {
        const std::string_view head = std::string_view(s.PositionText).substr(0, kLoopGuard);
        n = static_cast<std::int16_t>(std::count(head.begin(), head.end(), ','));
    });
    return n;
}

void OCA_Times(Station& s)
{
    s.Guard("OCA_Times", kModule, [&] {
        std::shared_ptr<Aircraft> item = s.AircraftCol.Item(s.CurrentKey);
        if (!s.OceanicMessage) {
            // Not (or no longer) a clearance: a request keeps its dotted track, anything else
            // ends an estimate this record may have had.
            if (s.REQPWIMessage) {
                item->REQPWI = true;
                item->Oceanic = false;
            } else {
                s.OceanicMessage = false;
                item->Oceanic = false;
                item->REQPWI = false;
            }
            return;
        }
        if (NumOfWaypoints(s) < kMinClearancePoints) {
            s.OceanicMessage = false;
            item->Oceanic = false;
            return;
        }
        item->Oceanic = true;
        item->REQPWI = false;
        ++s.OceanicCount;

        // The message's positions, the last one empty; each gets "," and its time.
        std::vector<std::string> way = s.PositionArray;
        std::size_t first = 1;
        if (Element(way, 1) != Element(way, 0)) {
            AppendTime(way[0], item->LastTime);
        } else {
            AppendTime(way[0], item->LastTime);
            AppendTime(way[1], item->LastTime);
            first = 2;
        }
        const std::string machDigits = Mid(item->Mach, 2);  // "M080" gives "080"
        std::size_t j = first;
        for (int passes = 1; j + 1 < way.size(); ++j, ++passes) {
            if (passes > kLoopGuard) break;
            AppendTime(way[j], NextwayTime(s, way[j - 1], way[j], machDigits));
        }
        item->NextTime = Right(way[1], 4);
        way.resize(std::min(j, way.size()));
        item->WayList = way;
        item->WayMinutes = WaypointMinutes(way, s.TimelineNow());
        item->WayIndex = 1;
        item->NewLocation = way[0].substr(0, way[0].find(','));
        item->Show = false;
    });
}

void MidWaypoint(Station& s)
{
    const std::int64_t now = s.TimelineNow();
    int passes = 0;
    s.AircraftCol.ForEach([&](const std::shared_ptr<Aircraft>& item) {
        if (++passes > kLoopGuard) return false;
        if (!item->Oceanic) return true;
        // A fault with one aircraft is logged and the others are still moved.
        try {
            EstimateOne(s, *item, now);
        } catch (...) {
            s.LogFaultLine(CurrentFault(), "MidWaypoint", kModule);
        }
        return true;
    });
    RefreshMaps(s);
}

}  // namespace korval
