#include <string>

#include "export/encode.h"
#include "export/tracks.h"
#include "maps/marks.h"
#include "text/convert.h"
#include "tracking/sbs.h"

namespace korval {
namespace {

constexpr std::string_view kFolderName[kFeatureKinds] = {"Aircraft",   "Oceanic estimates", "Route lines",
                                                         "NAT tracks", "SBS-1 aircraft",    "SBS-1 trails"};

const PropertyValue* Find(const TrackFeature& f, std::string_view name)
{
    for (const Property& p : f.properties)
        if (p.name == name) return &p.value;
    return nullptr;
}

bool TextIs(const TrackFeature& f, std::string_view name, std::string_view value)
{
    const PropertyValue* v = Find(f, name);
    const auto* text = v ? std::get_if<std::string>(v) : nullptr;
    return text && *text == value;
}

// The shared style a feature is drawn with, as the maps draw it.
std::string_view StyleOf(const TrackFeature& f)
{
    switch (f.kind) {
        case FeatureKind::Aircraft:
            return "aircraft";
        case FeatureKind::OceanicEstimate:
            return "oceanic";
        case FeatureKind::Route:
            return TextIs(f, "style", "request") ? "request" : "route";
        case FeatureKind::NatTrack:
            return "nat";
        case FeatureKind::SBSAircraft:
            if (TextIs(f, "trend", "descending")) return "sbs-descending";
            if (TextIs(f, "trend", "climbing")) return "sbs-climbing";
            return "sbs-level";
        case FeatureKind::SBSTrail:
            return "sbs-trail";
    }
    return "aircraft";
}

void IconStyle(std::string& out, std::string_view id, std::uint32_t colour, std::string_view scale)
{
    out += "  <Style id=\"" + std::string(id) + "\">\n";
    out += "    <IconStyle><color>" + KmlColour(colour) + "</color><scale>" + std::string(scale) +
           "</scale></IconStyle>\n";
    out += "    <LabelStyle><scale>0.8</scale></LabelStyle>\n";
    out += "  </Style>\n";
}

void LineStyle(std::string& out, std::string_view id, std::uint32_t colour, std::uint8_t opacity, int width)
{
    out += "  <Style id=\"" + std::string(id) + "\">\n";
    out += "    <LineStyle><color>" + KmlColour(colour, opacity) + "</color><width>" + std::to_string(width) +
           "</width></LineStyle>\n";
    out += "  </Style>\n";
}

void Styles(std::string& out, const TrackSet& set)
{
    IconStyle(out, "aircraft", set.circleColour, "1");
    IconStyle(out, "oceanic", set.circleColour, "0.8");
    LineStyle(out, "route", set.lineColour, 0xFF, 2);
    LineStyle(out, "request", set.lineColour, 0x80, 2);  // drawn dotted on the maps
    IconStyle(out, "nat", set.lineColour, "0.6");
    IconStyle(out, "sbs-level", TrendColour(kLevelFlight), "0.8");
    IconStyle(out, "sbs-descending", TrendColour(kDescending), "0.8");
    IconStyle(out, "sbs-climbing", TrendColour(kClimbing), "0.8");
    LineStyle(out, "sbs-trail", set.lineColour, 0xFF, 1);
}

std::string Coordinates(const std::vector<LatLon>& points)
{
    std::string out;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i) out += ' ';
        out += DegreesText(points[i].lon) + "," + DegreesText(points[i].lat);
    }
    return out;
}

void LineString(std::string& out, const std::vector<LatLon>& points, std::string_view indent)
{
    out += std::string(indent) + "<LineString><tessellate>1</tessellate><coordinates>" + Coordinates(points) +
           "</coordinates></LineString>\n";
}

std::string ValueText(const PropertyValue& v)
{
    if (const auto* text = std::get_if<std::string>(&v)) return XmlText(*text);
    if (const auto* number = std::get_if<std::int64_t>(&v)) return std::to_string(*number);
    if (const auto* flag = std::get_if<bool>(&v)) return *flag ? "true" : "false";
    return {};
}

void Placemark(std::string& out, const TrackFeature& f, const std::vector<std::vector<LatLon>>& parts)
{
    out += "    <Placemark>\n";
    out += "      <name>" + XmlText(f.name) + "</name>\n";
    if (!f.visible) out += "      <visibility>0</visibility>\n";
    out += "      <styleUrl>#" + std::string(StyleOf(f)) + "</styleUrl>\n";
    out += "      <ExtendedData>\n";
    for (const Property& p : f.properties)
        out += "        <Data name=\"" + XmlText(p.name) + "\"><value>" + ValueText(p.value) + "</value></Data>\n";
    out += "      </ExtendedData>\n";
    if (!f.IsLine()) {
        out += "      <Point><coordinates>" + Coordinates(f.points) + "</coordinates></Point>\n";
    } else if (parts.size() == 1) {
        LineString(out, parts.front(), "      ");
    } else {
        out += "      <MultiGeometry>\n";
        for (const auto& part : parts) LineString(out, part, "        ");
        out += "      </MultiGeometry>\n";
    }
    out += "    </Placemark>\n";
}

std::string Timestamp(const DateTime& t)
{
    return Format(t.year, "0000") + "-" + Format(t.month, "00") + "-" + Format(t.day, "00") + " " +
           Format(t.hour, "00") + ":" + Format(t.minute, "00") + " UTC";
}

}  // namespace

std::string KmlText(const TrackSet& set)
{
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n";
    out += "<Document>\n";
    out += "  <name>KORVAL tracks</name>\n";
    out += "  <description>Tracked at " + Timestamp(set.taken) + "</description>\n";
    Styles(out, set);
    for (int kind = 0; kind < kFeatureKinds; ++kind) {
        bool opened = false;
        for (const TrackFeature& f : set.features) {
            if (static_cast<int>(f.kind) != kind || f.points.empty()) continue;
            const std::vector<std::vector<LatLon>> parts =
                f.IsLine() ? SplitAtAntimeridian(f.points) : std::vector<std::vector<LatLon>>{};
            if (f.IsLine() && parts.empty()) continue;
            if (!opened) {
                out += "  <Folder>\n    <name>" + std::string(kFolderName[kind]) + "</name>\n";
                opened = true;
            }
            Placemark(out, f, parts);
        }
        if (opened) out += "  </Folder>\n";
    }
    out += "</Document>\n</kml>\n";
    return out;
}

}  // namespace korval
