#include <string>

#include "export/encode.h"
#include "export/tracks.h"
#include "text/convert.h"

namespace korval {
namespace {

void Position(std::string& out, const LatLon& p)
{
    out += '[';
    out += DegreesText(p.lon);
    out += ',';
    out += DegreesText(p.lat);
    out += ']';
}

void Positions(std::string& out, const std::vector<LatLon>& line)
{
    out += '[';
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (i) out += ',';
        Position(out, line[i]);
    }
    out += ']';
}

// A point, or a line in the parts SplitAtAntimeridian made of it.
void Geometry(std::string& out, const TrackFeature& f, const std::vector<std::vector<LatLon>>& parts)
{
    if (!f.IsLine()) {
        out += R"({"type":"Point","coordinates":)";
        Position(out, f.points.front());
        out += '}';
        return;
    }
    if (parts.size() == 1) {
        out += R"({"type":"LineString","coordinates":)";
        Positions(out, parts.front());
    } else {
        out += R"({"type":"MultiLineString","coordinates":[)";
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i) out += ',';
            Positions(out, parts[i]);
        }
        out += ']';
    }
    out += '}';
}

void Value(std::string& out, const PropertyValue& v)
{
    if (const auto* text = std::get_if<std::string>(&v))
        out += JsonString(*text);
    else if (const auto* number = std::get_if<std::int64_t>(&v))
        out += std::to_string(*number);
    else if (const auto* flag = std::get_if<bool>(&v))
        out += *flag ? "true" : "false";
    else
        out += "null";
}

// RFC 3339 date and time, UTC.
std::string Timestamp(const DateTime& t)
{
    return Format(t.year, "0000") + "-" + Format(t.month, "00") + "-" + Format(t.day, "00") + "T" +
           Format(t.hour, "00") + ":" + Format(t.minute, "00") + ":" + Format(t.second, "00") + "Z";
}

}  // namespace

std::string GeoJsonText(const TrackSet& set)
{
    std::string out = R"({"type":"FeatureCollection","generated":")" + Timestamp(set.taken) + R"(","features":[)";
    bool first = true;
    for (const TrackFeature& f : set.features) {
        const std::vector<std::vector<LatLon>> parts =
            f.IsLine() ? SplitAtAntimeridian(f.points) : std::vector<std::vector<LatLon>>{};
        if (f.points.empty() || (f.IsLine() && parts.empty())) continue;
        out += first ? "\n" : ",\n";
        first = false;
        out += R"({"type":"Feature","geometry":)";
        Geometry(out, f, parts);
        out += R"(,"properties":{)";
        for (std::size_t i = 0; i < f.properties.size(); ++i) {
            if (i) out += ',';
            out += JsonString(f.properties[i].name);
            out += ':';
            Value(out, f.properties[i].value);
        }
        out += "}}";
    }
    out += first ? "]}\n" : "\n]}\n";
    return out;
}

}  // namespace korval
