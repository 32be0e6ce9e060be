#include "oceanic/timing.h"

#include <cmath>

#include "station/station.h"
#include "text/convert.h"
#include "text/fault.h"
#include "tracking/records.h"

namespace korval {
namespace {

constexpr std::string_view kModule = "Oceanic";

// Positions are stored in thousandths of a degree; the distance works in single-precision
// degrees.
float Degrees(std::string_view thousandths)
{
    return static_cast<float>(CLng(thousandths) / 1000.0);
}

std::int64_t PositiveModulo(std::int64_t a, std::int64_t m)
{
    return ((a % m) + m) % m;
}

// A division by nothing: 0/0 is an overflow, anything else over 0 a division by zero.
[[noreturn]] void RaiseDivision(double numerator)
{
    Raise(numerator == 0 ? err::Overflow : err::DivisionByZero);
}

}  // namespace

double Rad(double degrees)
{
    return degrees * kPi / 180.0;
}
double SinSquared(double x)
{
    return (1.0 - std::cos(2.0 * x)) / 2.0;
}
double ArcSin(double x)
{
    return std::atan(x / std::sqrt(1.0 - x * x));
}
double MinOf(double a, double b)
{
    return a <= b ? a : b;
}

double GreatCircleMiles(double lat1, double long1, double lat2, double long2)
{
    const double phi1 = Rad(lat1);
    const double phi2 = Rad(lat2);
    const double dPhi = phi2 - phi1;
    const double dLambda = Rad(long2) - Rad(long1);
    const double a = SinSquared(dPhi / 2.0) + std::cos(phi1) * std::cos(phi2) * SinSquared(dLambda / 2.0);
    const double c = 2.0 * ArcSin(MinOf(1.0, std::sqrt(a)));
    return kEarthRadiusMiles * c;
}

std::string_view WaypointTime(std::string_view waypoint)
{
    std::size_t comma = waypoint.find(',');
    return comma == std::string_view::npos ? waypoint : waypoint.substr(comma + 1);
}

LatLon WaypointPosition(std::string_view waypoint)
{
    std::size_t slash = waypoint.find('/');
    std::size_t comma = slash == std::string_view::npos ? slash : waypoint.find(',', slash);
    if (comma == std::string_view::npos) Raise(err::InvalidCall);
    LatLon p;
    p.lat = CLng(waypoint.substr(0, slash));
    p.lon = CLng(waypoint.substr(slash + 1, comma - slash - 1));
    return p;
}

std::int16_t TimeToNextWay(Station& s, std::string_view previous, std::string_view point, std::string_view machDigits)
{
    std::int16_t minutes = 0;
    s.Guard("TimeToNextWay", kModule, [&] {
        const std::int16_t mach = CInt(machDigits.empty() ? kDefaultMachDigits : machDigits);
        std::size_t slash = previous.find('/');
        std::size_t comma = slash == std::string_view::npos ? slash : previous.find(',', slash);
        if (comma == std::string_view::npos) Raise(err::InvalidCall);
        const float lat1 = Degrees(previous.substr(0, slash));
        const float long1 = Degrees(previous.substr(slash + 1, comma - slash - 1));
        const PositionParts to = SplitAtSlash(point);
        const float lat2 = Degrees(to.lat);
        const float long2 = Degrees(to.lon);
        const double miles = RoundHalfEven32(GreatCircleMiles(lat1, long1, lat2, long2));
        const double speed = mach * kMilesPerHourPerMachDigit;
        if (speed == 0) RaiseDivision(miles);
        minutes = RoundHalfEven16(miles / speed * 60.0);
    });
    return minutes;
}

std::string NextwayTime(Station& s, std::string_view previous, std::string_view point, std::string_view machDigits)
{
    std::string result;
    s.Guard("NextwayTime", kModule, [&] {
        const std::string_view t = WaypointTime(previous);
        std::int64_t hours = CInt(Mid(t, 1, 2));
        std::int64_t minutes = CInt(Mid(t, 3, 2));
        minutes += TimeToNextWay(s, previous, point, machDigits);
        while (minutes >= 60) {
            minutes -= 60;
            ++hours;
        }
        if (hours > 23) hours -= 24;
        result = Format(hours, "00") + Format(minutes, "00");
    });
    return result;
}

std::int64_t TimeTextMinutes(std::string_view hhmm)
{
    const std::int64_t v = CLng(hhmm);
    return v / 100 * 60 + v % 100;
}

std::int64_t NearestOccurrence(std::int64_t minutes, std::int64_t around)
{
    const std::int64_t below = around - PositiveModulo(around - minutes, kMinutesPerDay);
    const std::int64_t above = below + kMinutesPerDay;
    return around - below < above - around ? below : above;
}

std::int64_t FirstOccurrenceFrom(std::int64_t minutes, std::int64_t from)
{
    return from + PositiveModulo(minutes - from, kMinutesPerDay);
}

std::vector<std::int64_t> WaypointMinutes(const std::vector<std::string>& wayList, std::int64_t taken)
{
    std::vector<std::int64_t> out;
    out.reserve(wayList.size());
    bool anchored = false;
    std::int64_t previous = 0;
    for (const std::string& waypoint : wayList) {
        std::int64_t m = Aircraft::kNoMinute;
        if (IsNumeric(WaypointTime(waypoint))) {
            try {
                const std::int64_t t = TimeTextMinutes(WaypointTime(waypoint));
                m = anchored ? FirstOccurrenceFrom(t, previous) : NearestOccurrence(t, taken);
                anchored = true;
                previous = m;
            } catch (const Fault&) {
                m = Aircraft::kNoMinute;  // out of range: stays unusable, like an empty time
            }
        }
        out.push_back(m);
    }
    return out;
}

float MidTimeFraction(Station& s, const OceanicLeg& leg, std::int64_t now)
{
    float fraction = 0;
    s.Guard("MidTimeFraction", kModule, [&] {
        const double span = static_cast<double>(leg.next - leg.last);
        const double remaining = static_cast<double>(leg.next - now);
        if (span == 0) RaiseDivision(span - remaining);
        fraction = static_cast<float>((span - remaining) / span);
    });
    return fraction;
}

std::string MidTimePos(Station& s, const OceanicLeg& leg, std::int64_t now)
{
    std::string result;
    s.Guard("MidTimePos", kModule, [&] {
        // The fraction is taken afresh for each coordinate.
        const std::int64_t lat =
            leg.lat1 + std::int64_t{RoundHalfEven32(static_cast<double>(MidTimeFraction(s, leg, now)) *
                                                    (static_cast<double>(leg.lat2) - leg.lat1))};
        const std::int64_t lon =
            leg.long1 + std::int64_t{RoundHalfEven32(static_cast<double>(MidTimeFraction(s, leg, now)) *
                                                     (static_cast<double>(leg.long2) - leg.long1))};
        result = PositionTextOf(ToInt32(lat), ToInt32(lon));
    });
    return result;
}

}  // namespace korval
