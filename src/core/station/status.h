#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "station/station.h"

namespace korval {

// One status line for the operator about the span since `before` was taken: per link box that
// is chosen (`chosen`) or delivered anything in the span, the texts received and the messages
// counted; the aircraft tracked now (ACARS and SBS-1); the error-log entries written in the span.
// "last minute: Airmaster/JACARS 12 received, 3 counted; 5 aircraft tracked, 2 SBS-1; 0 errors
// logged".
std::string StatusLine(const TrafficCounts& now, const TrafficCounts& before,
                       const std::array<bool, kLinkBoxes>& chosen, std::size_t aircraft, std::size_t sbsAircraft,
                       const char* span = "last minute");

// The same from a station's state.
std::string StatusLine(const Station& s, const TrafficCounts& before, const char* span = "last minute");

}  // namespace korval
