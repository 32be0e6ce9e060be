#include "maps/projection.h"

#include <cmath>
#include <limits>
#include <string>

#include "station/station.h"
#include "text/convert.h"
#include "text/fault.h"

namespace korval {
namespace {

constexpr std::string_view kModule = "ProcessMess";
constexpr int kObjectNotSet = 91;

// size / span, as a division by a whole number of thousandths of a degree fails: error 11 for
// a zero span, error 6 for 0 / 0 and for a quotient that a single cannot hold.
float Scale(int size, std::int32_t from, std::int32_t to)
{
    std::int32_t span = ToInt32(static_cast<std::int64_t>(to) - from);
    if (span == 0) Raise(size == 0 ? err::Overflow : err::DivisionByZero);
    double q = static_cast<double>(size) / span;
    if (std::fabs(q) > std::numeric_limits<float>::max()) Raise(err::Overflow);
    return static_cast<float>(q);
}

// lat/lon x scale in single precision (the line ends).
float Single(std::int32_t value, float scale)
{
    double v = static_cast<double>(value) * scale;
    if (std::fabs(v) > std::numeric_limits<float>::max()) Raise(err::Overflow);
    return static_cast<float>(v);
}

// The two ends of a segment: old end into LineX1/LineY1, new end into LineX2/LineY2, each
// latitude first, as the stored texts are read.
void MapSegment(Station& s, const std::string& oldPos, const std::string& newPos)
{
    PositionParts a = SplitPosition(oldPos);
    s.LineY1 = Single(CLng(a.lat), s.LatScale);
    s.LineX1 = Single(CLng(a.lon), s.LonScale);
    PositionParts b = SplitPosition(newPos);
    s.LineY2 = Single(CLng(b.lat), s.LatScale);
    s.LineX2 = Single(CLng(b.lon), s.LonScale);
}

// A marker point, rounded halves to even.
void MapPoint(Station& s, const std::string& position)
{
    PositionParts p = SplitPosition(position);
    s.PlotY = RoundHalfEven32(static_cast<double>(s.LatScale) * CLng(p.lat));
    s.PlotX = RoundHalfEven32(static_cast<double>(s.LonScale) * CLng(p.lon));
}

template <class T>
const T& Current(const std::shared_ptr<T>& p)
{
    if (!p) Raise(kObjectNotSet, "Object variable or With block variable not set");
    return *p;
}

}  // namespace

void SetupProjection(Station& s, int n, int clientWidthTwips, int clientHeightTwips)
{
    const MapConfig& m = s.map[n - 1];
    s.EdgeW = CLng(m.W);
    s.EdgeN = CLng(m.N);
    s.EdgeE = CLng(m.E);
    s.EdgeS = CLng(m.S);
    s.LatScale = Scale(clientHeightTwips, s.EdgeN, s.EdgeS);
    s.LonScale = Scale(clientWidthTwips, s.EdgeW, s.EdgeE);
}

float OriginLeft(const Station& s)
{
    return static_cast<float>(static_cast<double>(s.EdgeW) * s.LonScale);
}
float OriginTop(const Station& s)
{
    return static_cast<float>(static_cast<double>(s.EdgeN) * s.LatScale);
}

PositionParts SplitPosition(std::string_view position)
{
    std::size_t slash = position.find('/');
    if (slash == std::string_view::npos) return {{}, position};
    return {position.substr(0, slash), position.substr(slash + 1)};
}

bool MapRouteline(Station& s)
{
    return s.Guard("MapRouteline", kModule, [&] {
        const RouteLine& r = Current(s.CurrentRouteLine);
        MapSegment(s, r.OldPosition, r.NewPosition);
    });
}

bool MapSBSTrack(Station& s)
{
    return s.Guard("MapSBSTrack", kModule, [&] {
        const SBSAircraft& a = Current(s.CurrentSBSAircraft);
        MapSegment(s, a.OldPosition, a.NewPosition);
    });
}

bool MapAircraft(Station& s)
{
    return s.Guard("MapAircraft", kModule, [&] { MapPoint(s, Current(s.CurrentAircraft).NewLocation); });
}

bool mapSBSAircraft(Station& s)
{
    return s.Guard("mapSBSAircraft", kModule, [&] { MapPoint(s, Current(s.CurrentSBSAircraft).NewPosition); });
}

bool MapNatPlot(Station& s)
{
    return s.Guard("MapNatPlot", kModule, [&] { MapPoint(s, Current(s.CurrentRouteLine).NATPos); });
}

}  // namespace korval
