#include "reformat/waypoints.h"

#include "reformat/waypoint_file.h"
#include "station/station.h"
#include "text/convert.h"
#include "text/fault.h"

namespace korval {
namespace {

// Runs one step of an expansion. An invalid-argument fault (5) is passed over and the expansion
// goes on; any other fault ends the expansion without an error-log entry.
template <class F>
bool Step(F&& body)
{
    try {
        body();
        return true;
    } catch (...) {
        return CurrentFault().number() == err::InvalidCall;
    }
}

}  // namespace

void ExpandWaypoints(Station& s)
{
    if (!s.opt.mnuWaypoints) return;
    // A missing file has no entries, so every message still goes on to be shown and plotted.
    const WaypointLists& lists = s.waypointsFile.Lists(s.Home() / "waypoints.wdf");
    const auto& entries = s.REQPWIMessage ? lists.request : lists.plain;
    for (const WaypointPair& entry : entries)
        if (!Step([&] { ReplaceAllInPlace(s.CurrentMessage, entry.name, entry.replacement); })) return;
}

void ExpandOCAWaypoints(Station& s)
{
    const WaypointLists& lists = s.ocaWaypointsFile.Lists(s.Home() / "OCAwaypoints.wdf");
    std::string& message = s.CurrentMessage;
    std::string key;
    auto replace = [&](std::string_view prefix, const std::string& name, std::string_view replacement) {
        return Step([&] {
            key.assign(prefix);
            key += name;
            ReplaceAllInPlace(message, key, replacement);
        });
    };
    for (const WaypointPair& entry : lists.oceanic) {
        // The entry point and its time ("FM CRONO/1437" becomes "EPT /1437"), as the
        // entry-point-time extractor reads them; the name elsewhere becomes its position.
        if (!replace("FM ", entry.name, "EPT ")) return;
        if (!replace("AT ", entry.name, "EP ")) return;
        if (!replace("AT\r\n", entry.name, "EP ")) return;
        if (!replace("", entry.name, entry.replacement)) return;
    }
}

}  // namespace korval
