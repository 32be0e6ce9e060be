#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "text/fault.h"

namespace korval {

// Positions are text "latitude/longitude" in signed thousandths of a degree ("51234/-010500");
// the empty text means no position. Times are text HHMM (UTC). A waypoint is position "," time.

// One aircraft seen in ACARS, HF ACARS or HFDL messages.
struct Aircraft {
    std::string Level;        // flight level of the creating clearance ("F350"), else empty
    std::string Mach;         // "M080": hundredths of Mach; empty when not a clearance
    std::string NextTime;     // HHMM over WayList(WayIndex)
    std::string LastTime;     // HHMM over the previous waypoint; the entry time at creation
    std::string NewLocation;  // latest position, reported or estimated
    std::string OldLocation;  // the one before; empty when none
    std::string ID;           // registration, or flight id when the registration is NO-REG
    std::string FNo;
    std::string Route;
    std::string ACDetails;
    bool Oceanic = false;
    bool REQPWI = false;
    std::optional<std::vector<std::string>> WayList;  // absent until a clearance is timed
    std::int16_t WayIndex = 0;
    bool Show = false;

    // Element of WayList; error 9 (subscript out of range) outside its bounds or with no list.
    const std::string& WayListElement(std::int16_t index) const
    {
        if (!WayList || index < 0 || static_cast<std::size_t>(index) >= WayList->size()) Raise(err::Subscript);
        return (*WayList)[static_cast<std::size_t>(index)];
    }
    void SetWayListElement(std::int16_t index, std::string text)
    {
        if (!WayList || index < 0 || static_cast<std::size_t>(index) >= WayList->size()) Raise(err::Subscript);
        (*WayList)[static_cast<std::size_t>(index)] = std::move(text);
    }

    // Timeline minutes (minutes since the station started, never going back) of the waypoint
    // times, so that clearances crossing 00:00 UTC are estimated correctly. Parallel to WayList;
    // kNoMinute where the waypoint's time text is not a number.
    std::vector<std::int64_t> WayMinutes;
    static constexpr std::int64_t kNoMinute = std::numeric_limits<std::int64_t>::min();

    // Element of WayMinutes; error 9 outside its bounds, error 13 where the time was no number.
    std::int64_t WayMinute(std::int16_t index) const
    {
        if (index < 0 || static_cast<std::size_t>(index) >= WayMinutes.size()) Raise(err::Subscript);
        std::int64_t m = WayMinutes[static_cast<std::size_t>(index)];
        if (m == kNoMinute) Raise(err::TypeMismatch);
        return m;
    }
};

// One aircraft seen in SBS-1 position reports.
struct SBSAircraft {
    std::int16_t AltChange = 0;  // 0 level, 1 descending, 2 climbing
    std::string NewPosition;
    std::string OldPosition;
    std::string ID;
    std::string FNo;
    std::string Level;  // "Ht: 35000 ft "
    std::string Route;
    std::string ACDetails;
    std::int16_t LastUpdate = 0;  // MinuteCount at the last report
};

// One straight segment between two successive positions of an Aircraft.
struct RouteLine {
    std::string NewPosition;
    std::string OldPosition;
    std::string NATrack;     // "NAT A" label, or empty
    std::string NATPos;      // where the label is drawn, or empty
    std::int16_t Style = 0;  // 0 track, 2 dotted position/weather request
    std::string ID;
};

}  // namespace korval
