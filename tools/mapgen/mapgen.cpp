// Draws the default background maps from Natural Earth country polygons (public domain), read as
// TopoJSON (the countries-50m.json file of the world-atlas package: its "land" object is the
// coastline, its "countries" object gives the borders), in the plate carree projection the map
// windows use: the image's edges are the frame's N, S, W, E in degrees.
//
//   korval-mapgen COUNTRIES.json OUT.jpg WIDTH HEIGHT N S W E
//
// The polygons are spherical: a ring may cross the 180-degree line (Chukotka, Wrangel Island,
// Fiji) or run round a pole (Antarctica), and a ring cut at the 180-degree line may leave slivers
// with corners at both -180 and 180. Each ring is therefore unwrapped to continuous longitudes
// first. A ring that comes back to its starting longitude is drawn once for every whole-turn
// shift that meets the frame, so the image edge cuts it as the projection requires. A ring that
// comes back a full turn east or west encloses a pole: it is repeated end to end and closed along
// the pole's edge. Exterior rings run clockwise and holes anticlockwise, so the nonzero fill
// rule paints every exterior once and leaves holes open whatever overlaps.
#include <QtGui/QColor>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

namespace {

struct Point {
    double lon, lat;
};

using Line = std::vector<Point>;

struct Frame {
    double north, south, west, east;
    int width, height;
    [[nodiscard]] QPointF ToPixel(double lon, double lat) const
    {
        return {(lon - west) / (east - west) * width, (north - lat) / (north - south) * height};
    }
};

// Colours of the map windows' scheme.
const QColor kSea(22, 44, 74);
const QColor kLand(58, 74, 56);
const QColor kCoast(120, 140, 110);
const QColor kBorder(36, 47, 35);  // darker land
const QColor kGraticule(90, 110, 140, 140);

constexpr double kTurn = 360.0;
// Degrees: the data puts its cuts at +-180 and its pole edge at -89.999.
constexpr double kEdgeTolerance = 0.01;

std::vector<Line> DecodeArcs(const nlohmann::json& topo)
{
    double sx = 1, sy = 1, tx = 0, ty = 0;
    const bool quantized = topo.contains("transform");
    if (quantized) {
        sx = topo["transform"]["scale"][0];
        sy = topo["transform"]["scale"][1];
        tx = topo["transform"]["translate"][0];
        ty = topo["transform"]["translate"][1];
    }
    std::vector<Line> arcs;
    for (const auto& a : topo["arcs"]) {
        Line arc;
        double x = 0, y = 0;
        for (const auto& p : a) {
            if (quantized) {
                x += p[0].get<double>();
                y += p[1].get<double>();
                arc.push_back({x * sx + tx, y * sy + ty});
            } else {
                arc.push_back({p[0].get<double>(), p[1].get<double>()});
            }
        }
        arcs.push_back(std::move(arc));
    }
    return arcs;
}

std::size_t ArcIndex(int i)
{
    return static_cast<std::size_t>(i < 0 ? ~i : i);
}

Line Ring(const nlohmann::json& ring, const std::vector<Line>& arcs)
{
    Line out;
    for (const auto& index : ring) {
        const int i = index.get<int>();
        Line pts = arcs.at(ArcIndex(i));
        if (i < 0) std::reverse(pts.begin(), pts.end());
        if (!out.empty() && !pts.empty()) pts.erase(pts.begin());
        out.insert(out.end(), pts.begin(), pts.end());
    }
    return out;
}

// Calls fn(ring) for every ring of a Polygon or MultiPolygon geometry (any nesting).
template <typename Fn>
void ForEachPolygonArcs(const nlohmann::json& g, Fn&& fn)
{
    const std::string type = g.value("type", "");
    if (type == "GeometryCollection") {
        for (const auto& child : g["geometries"]) ForEachPolygonArcs(child, fn);
    } else if (type == "Polygon") {
        for (const auto& r : g["arcs"]) fn(r);
    } else if (type == "MultiPolygon") {
        for (const auto& poly : g["arcs"])
            for (const auto& r : poly) fn(r);
    }
}

// Makes the longitudes continuous: a step of more than half a turn is the 180-degree line.
// Returns the net change in whole turns (0 for an ordinary ring, +-1 round a pole).
int Unwrap(Line& line)
{
    double offset = 0;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const double raw = line[i].lon + offset;
        const double step = raw - line[i - 1].lon;
        if (step > kTurn / 2) offset -= kTurn;
        if (step < -kTurn / 2) offset += kTurn;
        line[i].lon += offset;
    }
    if (line.size() < 2) return 0;
    return static_cast<int>(std::lround((line.back().lon - line.front().lon) / kTurn));
}

// The whole-turn shifts that bring longitudes lo..hi into the frame.
std::vector<double> Shifts(double lo, double hi, const Frame& f)
{
    std::vector<double> shifts;
    const int first = static_cast<int>(std::ceil((f.west - hi) / kTurn));
    const int last = static_cast<int>(std::floor((f.east - lo) / kTurn));
    for (int k = first; k <= last; ++k) shifts.push_back(k * kTurn);
    return shifts;
}

// Both ends on the 180-degree line (in any turn of unwrapped longitudes) or at the same pole.
bool OnCut(const Point& a, const Point& b)
{
    auto antimeridian = [](double lon) { return std::abs(std::remainder(lon - 180, kTurn)) < kEdgeTolerance; };
    auto pole = [](double lat) { return std::abs(std::abs(lat) - 90) < kEdgeTolerance; };
    return (antimeridian(a.lon) && antimeridian(b.lon)) || (pole(a.lat) && pole(b.lat) && a.lat * b.lat > 0);
}

// The whole-turn shifts that bring a line's longitudes into the frame.
std::vector<double> Shifts(const Line& line, const Frame& f)
{
    double lo = line.front().lon, hi = line.front().lon;
    for (const auto& p : line) {
        lo = std::min(lo, p.lon);
        hi = std::max(hi, p.lon);
    }
    return Shifts(lo, hi, f);
}

// Adds a polyline, leaving out the segments that lie on the 180-degree line or on a pole: they
// are where the data was cut, not coast or border.
void AddPolyline(QPainterPath& path, const Line& line, double shift, const Frame& f)
{
    bool open = false;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const Point& a = line[i - 1];
        const Point& b = line[i];
        if (OnCut(a, b)) {
            open = false;
            continue;
        }
        if (!open) path.moveTo(f.ToPixel(a.lon + shift, a.lat));
        path.lineTo(f.ToPixel(b.lon + shift, b.lat));
        open = true;
    }
}

// Copies of a line placed end to end, turn after turn: the part of a polar ring wide enough to
// cover the frame with a turn to spare on either side.
Line PolarChain(const Line& ring, int turns, const Frame& f)
{
    const double lo = std::min(ring.front().lon, ring.back().lon);
    const double hi = std::max(ring.front().lon, ring.back().lon);
    const int first = static_cast<int>(std::floor((f.west - hi) / kTurn)) - 1;
    const int last = static_cast<int>(std::ceil((f.east - lo) / kTurn)) + 1;
    Line chain;
    // Walk the copies in the ring's own direction so that each starts where the last ended.
    for (int k = 0; k <= last - first; ++k) {
        const double shift = (turns > 0 ? first + k : last - k) * kTurn;
        for (std::size_t i = chain.empty() ? 0 : 1; i < ring.size(); ++i)
            chain.push_back({ring[i].lon + shift, ring[i].lat});
    }
    return chain;
}

struct Drawing {
    QPainterPath land;
    QPainterPath coast;
    QPainterPath borders;
};

void AddLandRing(Drawing& d, Line ring, const Frame& f)
{
    if (ring.size() < 4) return;
    const int turns = Unwrap(ring);
    if (turns == 0) {
        for (double shift : Shifts(ring, f)) {
            d.land.moveTo(f.ToPixel(ring[0].lon + shift, ring[0].lat));
            for (std::size_t i = 1; i < ring.size(); ++i) d.land.lineTo(f.ToPixel(ring[i].lon + shift, ring[i].lat));
            d.land.closeSubpath();
            AddPolyline(d.coast, ring, shift, f);
        }
        return;
    }
    if (std::abs(turns) != 1) {
        std::cerr << "korval-mapgen: a ring winds " << turns << " times round a pole; left out\n";
        return;
    }
    double sumLat = 0;
    for (const auto& p : ring) sumLat += p.lat;
    const double pole = sumLat < 0 ? -90.0 : 90.0;
    const Line chain = PolarChain(ring, turns, f);
    d.land.moveTo(f.ToPixel(chain.front().lon, chain.front().lat));
    for (std::size_t i = 1; i < chain.size(); ++i) d.land.lineTo(f.ToPixel(chain[i].lon, chain[i].lat));
    d.land.lineTo(f.ToPixel(chain.back().lon, pole));
    d.land.lineTo(f.ToPixel(chain.front().lon, pole));
    d.land.closeSubpath();
    AddPolyline(d.coast, chain, 0, f);
}

// The arcs that two different countries share: the internal borders (a TopoJSON mesh).
std::vector<std::size_t> SharedArcs(const nlohmann::json& countries)
{
    std::map<std::size_t, std::set<std::size_t>> owners;
    std::size_t country = 0;
    for (const auto& g : countries["geometries"]) {
        ForEachPolygonArcs(g, [&](const nlohmann::json& ring) {
            for (const auto& index : ring) owners[ArcIndex(index.get<int>())].insert(country);
        });
        ++country;
    }
    std::vector<std::size_t> shared;
    for (const auto& [arc, who] : owners)
        if (who.size() >= 2) shared.push_back(arc);
    return shared;
}

void AddBorder(Drawing& d, Line arc, const Frame& f)
{
    if (arc.size() < 2) return;
    Unwrap(arc);
    for (double shift : Shifts(arc, f)) AddPolyline(d.borders, arc, shift, f);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 9) {
        std::cerr << "usage: korval-mapgen COUNTRIES.json OUT.jpg WIDTH HEIGHT N S W E\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "korval-mapgen: cannot read " << argv[1] << '\n';
        return 2;
    }
    const nlohmann::json topo = nlohmann::json::parse(in, nullptr, false);
    if (topo.is_discarded() || !topo.contains("arcs") || !topo.contains("objects") ||
        !topo["objects"].contains("land") || !topo["objects"].contains("countries")) {
        std::cerr << "korval-mapgen: " << argv[1] << " is not a TopoJSON file with land and countries objects\n";
        return 2;
    }
    Frame f{};
    f.width = std::atoi(argv[3]);
    f.height = std::atoi(argv[4]);
    f.north = std::atof(argv[5]);
    f.south = std::atof(argv[6]);
    f.west = std::atof(argv[7]);
    f.east = std::atof(argv[8]);
    if (f.width <= 0 || f.height <= 0 || f.north <= f.south || f.east <= f.west || f.east - f.west > kTurn) {
        std::cerr << "korval-mapgen: the size must be positive, N above S and E east of W by at most 360\n";
        return 2;
    }

    const std::vector<Line> arcs = DecodeArcs(topo);
    Drawing d;
    d.land.setFillRule(Qt::WindingFill);
    ForEachPolygonArcs(topo["objects"]["land"], [&](const nlohmann::json& r) { AddLandRing(d, Ring(r, arcs), f); });
    for (std::size_t arc : SharedArcs(topo["objects"]["countries"])) AddBorder(d, arcs.at(arc), f);

    QImage image(f.width, f.height, QImage::Format_RGB32);
    image.fill(kSea);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(d.land, kLand);
    painter.strokePath(d.borders, QPen(kBorder, 0.7));
    painter.strokePath(d.coast, QPen(kCoast, 0.8));

    // Graticule every 10 degrees (5 on small frames).
    const double step = (f.east - f.west) <= 60 ? 5 : 10;
    painter.setPen(QPen(kGraticule, 0.6, Qt::DashLine));
    for (double lon = std::ceil(f.west / step) * step; lon <= f.east; lon += step)
        painter.drawLine(f.ToPixel(lon, f.north), f.ToPixel(lon, f.south));
    for (double lat = std::ceil(f.south / step) * step; lat <= f.north; lat += step)
        painter.drawLine(f.ToPixel(f.west, lat), f.ToPixel(f.east, lat));
    painter.end();

    if (!image.save(QString::fromLocal8Bit(argv[2]), "JPEG", 88)) {
        std::cerr << "korval-mapgen: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
