#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korval {

// One position read out of a message by a decoder of modern content (ADS-C reports, the format
// table), with where it came from. Nothing here is checked for plausibility: the ADS-C fields can
// hold latitudes up to 180 degrees, which no sound report sends; the caller's plausibility gate
// refuses such values.
struct DecodedPosition {
    double lat = 0;  // degrees, north positive
    double lon = 0;  // degrees, east positive
    // Where it came from: "ADS-C basic", "ADS-C predicted", or the name of the format-table line.
    std::string source;
    std::optional<std::int32_t> altitudeFt;  // feet (ADS-C: pressure altitude, -131072 to 131068)
    // ADS-C basic reports: seconds past the hour of the fix, 0 to 4095.875 in steps of 0.125.
    std::optional<double> secondsPastHour;
    // ADS-C predicted points: the estimated time as sent, whole seconds, 0 to 16383 (a time to
    // go rather than a clock time, since it can exceed an hour).
    std::optional<std::int32_t> etaSeconds;
};

}  // namespace korval
