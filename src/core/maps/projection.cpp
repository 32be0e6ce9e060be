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

// The projection's fields into `t` (a Projection or the station's shared projection), one after
// the other, so that a fault leaves those before it written.
template <class T>
void FillProjection(T& t, const MapConfig& m, int clientWidthTwips, int clientHeightTwips)
{
    t.EdgeW = CLng(m.W);
    t.EdgeN = CLng(m.N);
    t.EdgeE = CLng(m.E);
    t.EdgeS = CLng(m.S);
    t.LatScale = Scale(clientHeightTwips, t.EdgeN, t.EdgeS);
    t.LonScale = Scale(clientWidthTwips, t.EdgeW, t.EdgeE);
}

// A marker point under the scales of `t`, rounded halves to even: y first, then x.
template <class T>
void MarkerOf(const T& t, std::string_view position, std::int32_t& px, std::int32_t& py)
{
    PositionParts p = SplitPosition(position);
    py = RoundHalfEven32(static_cast<double>(t.LatScale) * CLng(p.lat));
    px = RoundHalfEven32(static_cast<double>(t.LonScale) * CLng(p.lon));
}

template <class T>
float OriginLeftOf(const T& t)
{
    return static_cast<float>(static_cast<double>(t.EdgeW) * t.LonScale);
}

template <class T>
float OriginTopOf(const T& t)
{
    return static_cast<float>(static_cast<double>(t.EdgeN) * t.LatScale);
}

// A marker point of the shared projection into PlotX/PlotY.
void MapPoint(Station& s, const std::string& position)
{
    MarkerOf(s, position, s.PlotX, s.PlotY);
}

template <class T>
const T& Current(const std::shared_ptr<T>& p)
{
    if (!p) Raise(kObjectNotSet, "Object variable or With block variable not set");
    return *p;
}

}  // namespace

float Projection::OriginLeft() const
{
    return OriginLeftOf(*this);
}
float Projection::OriginTop() const
{
    return OriginTopOf(*this);
}
void Projection::Marker(std::string_view position, std::int32_t& px, std::int32_t& py) const
{
    MarkerOf(*this, position, px, py);
}

Projection ComputeProjection(const MapConfig& map, int clientWidthTwips, int clientHeightTwips)
{
    Projection p;
    FillProjection(p, map, clientWidthTwips, clientHeightTwips);
    return p;
}

void SetupProjection(Station& s, int n, int clientWidthTwips, int clientHeightTwips)
{
    FillProjection(s, s.map[n - 1], clientWidthTwips, clientHeightTwips);
}

float OriginLeft(const Station& s)
{
    return OriginLeftOf(s);
}
float OriginTop(const Station& s)
{
    return OriginTopOf(s);
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
