// Draws the default background maps from Natural Earth land polygons (public domain), read as
// TopoJSON (the land-50m.json file of the world-atlas package), in the plate carree projection
// the map windows use: the image's edges are the frame's N, S, W, E in degrees.
//
//   korval-mapgen LAND.json OUT.jpg WIDTH HEIGHT N S W E
#include <QtGui/QColor>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace {

struct Point {
    double lon, lat;
};

using Arc = std::vector<Point>;

std::vector<Arc> DecodeArcs(const nlohmann::json& topo)
{
    double sx = 1, sy = 1, tx = 0, ty = 0;
    bool quantized = topo.contains("transform");
    if (quantized) {
        sx = topo["transform"]["scale"][0];
        sy = topo["transform"]["scale"][1];
        tx = topo["transform"]["translate"][0];
        ty = topo["transform"]["translate"][1];
    }
    std::vector<Arc> arcs;
    for (const auto& a : topo["arcs"]) {
        Arc arc;
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

std::vector<Point> Ring(const nlohmann::json& ring, const std::vector<Arc>& arcs)
{
    std::vector<Point> out;
    for (const auto& index : ring) {
        int i = index.get<int>();
        bool reversed = i < 0;
        const Arc& arc = arcs.at(static_cast<std::size_t>(reversed ? ~i : i));
        std::vector<Point> pts(arc.begin(), arc.end());
        if (reversed) std::reverse(pts.begin(), pts.end());
        if (!out.empty() && !pts.empty()) pts.erase(pts.begin());
        out.insert(out.end(), pts.begin(), pts.end());
    }
    return out;
}

void AddGeometry(const nlohmann::json& g, const std::vector<Arc>& arcs, std::vector<std::vector<Point>>& rings)
{
    const std::string type = g.value("type", "");
    if (type == "GeometryCollection") {
        for (const auto& child : g["geometries"]) AddGeometry(child, arcs, rings);
    } else if (type == "Polygon") {
        for (const auto& r : g["arcs"]) rings.push_back(Ring(r, arcs));
    } else if (type == "MultiPolygon") {
        for (const auto& poly : g["arcs"])
            for (const auto& r : poly) rings.push_back(Ring(r, arcs));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 9) {
        std::cerr << "usage: korval-mapgen LAND.json OUT.jpg WIDTH HEIGHT N S W E\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << "korval-mapgen: cannot read " << argv[1] << '\n';
        return 2;
    }
    nlohmann::json topo = nlohmann::json::parse(in);
    const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    const double north = std::atof(argv[5]), south = std::atof(argv[6]);
    const double west = std::atof(argv[7]), east = std::atof(argv[8]);

    std::vector<Arc> arcs = DecodeArcs(topo);
    std::vector<std::vector<Point>> rings;
    for (const auto& [name, object] : topo["objects"].items()) AddGeometry(object, arcs, rings);

    auto toX = [&](double lon) { return (lon - west) / (east - west) * width; };
    auto toY = [&](double lat) { return (north - lat) / (north - south) * height; };

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(22, 44, 74));  // sea
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);

    QPainterPath land;
    land.setFillRule(Qt::OddEvenFill);
    for (const auto& ring : rings) {
        if (ring.size() < 3) continue;
        land.moveTo(toX(ring[0].lon), toY(ring[0].lat));
        for (std::size_t i = 1; i < ring.size(); ++i) land.lineTo(toX(ring[i].lon), toY(ring[i].lat));
        land.closeSubpath();
    }
    painter.fillPath(land, QColor(58, 74, 56));
    painter.setPen(QPen(QColor(120, 140, 110), 0.8));
    painter.drawPath(land);

    // Graticule every 10 degrees (5 on small frames).
    double step = (east - west) <= 60 ? 5 : 10;
    painter.setPen(QPen(QColor(90, 110, 140, 140), 0.6, Qt::DashLine));
    for (double lon = std::ceil(west / step) * step; lon <= east; lon += step)
        painter.drawLine(QPointF(toX(lon), 0), QPointF(toX(lon), height));
    for (double lat = std::ceil(south / step) * step; lat <= north; lat += step)
        painter.drawLine(QPointF(0, toY(lat)), QPointF(width, toY(lat)));
    painter.end();

    if (!image.save(QString::fromLocal8Bit(argv[2]), "JPEG", 88)) {
        std::cerr << "korval-mapgen: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
