#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tracking/postext.h"

namespace korval {

class Station;

// Timing of oceanic waypoints (module "Oceanic").
//
// A waypoint text is a position text, "," and an HHMM time ("55000/-020000,1342"). Times are
// also kept as timeline minutes (see Station::TimelineNow): minutes that never go back, so a
// clearance crossing 00:00 UTC is compared and interpolated like any other.

inline constexpr double kEarthRadiusMiles = 3956.0;  // statute miles
inline constexpr double kPi = 3.14159265358979;
// Statute miles per hour for one hundredth of Mach (Mach 1 taken as 761.2 mph).
inline constexpr double kMilesPerHourPerMachDigit = 7.612;
inline constexpr std::string_view kDefaultMachDigits = "080";
inline constexpr int kMinutesPerDay = 1440;

// ---- great circle ------------------------------------------------------------------------------
double Rad(double degrees);
double SinSquared(double x);  // (1 - cos 2x) / 2
double ArcSin(double x);      // arctan(x / sqrt(1 - x^2))
double MinOf(double a, double b);
// Haversine distance in statute miles between two points given in degrees.
double GreatCircleMiles(double lat1, double long1, double lat2, double long2);

// ---- waypoint texts ----------------------------------------------------------------------------
// The time part: the text after the first "," (the whole text when there is none).
std::string_view WaypointTime(std::string_view waypoint);
// The position of a waypoint text: latitude before the "/", longitude between it and the ",".
// Error 5 when either separator is missing, 13 when a side is not a number.
LatLon WaypointPosition(std::string_view waypoint);

// Whole minutes to fly from `previous` (a waypoint text with its time) to `point` (a position
// text) at the Mach digits given (hundredths of Mach; empty means "080"). Rounded half to even.
// Logs "TimeToNextWay" and gives 0 on a fault (a Mach of "000" or not a number included).
std::int16_t TimeToNextWay(Station& s, std::string_view previous, std::string_view point, std::string_view machDigits);
// HHMM over `point`: the time of `previous` plus TimeToNextWay, past 23 hours wrapped once.
// Logs "NextwayTime" and gives "" on a fault.
std::string NextwayTime(Station& s, std::string_view previous, std::string_view point, std::string_view machDigits);

// ---- timeline ------------------------------------------------------------------------------------
// Minutes of an HHMM time text read as a whole number, as clocks compare it: "1345" is 825,
// "130" (01:30) is 90, "2430" is 1470 (00:30 of the next day). Error 13 when not a number.
std::int64_t TimeTextMinutes(std::string_view hhmm);
// The timeline minute congruent to `minutes` modulo one day that is nearest to `around`;
// of two equally near, the later.
std::int64_t NearestOccurrence(std::int64_t minutes, std::int64_t around);
// The first timeline minute congruent to `minutes` modulo one day that is not before `from`.
std::int64_t FirstOccurrenceFrom(std::int64_t minutes, std::int64_t from);
// Timeline minutes of a waypoint list taken at timeline minute `taken`: the entry time at its
// occurrence nearest to `taken`, each later time at its first occurrence not before the one
// before it. Aircraft::kNoMinute where a time is not a number.
std::vector<std::int64_t> WaypointMinutes(const std::vector<std::string>& wayList, std::int64_t taken);

// ---- estimate along a leg ------------------------------------------------------------------------
// The leg being flown: its two points (thousandths of a degree) and timeline minutes.
struct OceanicLeg {
    std::int32_t lat1 = 0, long1 = 0, lat2 = 0, long2 = 0;
    std::int64_t last = 0, next = 0;
};
// Share of the leg flown at timeline minute `now`, single precision; logs "MidTimeFraction" and
// gives 0 on a fault (a leg of no time).
float MidTimeFraction(Station& s, const OceanicLeg& leg, std::int64_t now);
// Position text interpolated linearly in latitude and longitude; logs "MidTimePos" and gives ""
// on a fault.
std::string MidTimePos(Station& s, const OceanicLeg& leg, std::int64_t now);

}  // namespace korval
