#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "export/tracks.h"
#include "export_replay.h"
#include "export_support.h"
#include "oceanic/oceanic.h"

namespace korval::test {
namespace {

using nlohmann::json;

json Parsed(const std::string& text)
{
    return json::parse(text);  // throws on bad JSON and on bytes that are not UTF-8
}

// The feature of `kind` named `name` (its ID, or the track for a NAT label); null when absent.
const json* FindFeature(const json& doc, const std::string& kind, const std::string& name)
{
    for (const json& f : doc["features"]) {
        const json& p = f["properties"];
        const std::string key = kind == "nat-track" ? "track" : "id";
        if (p["kind"] == kind && p[key] == name) return &f;
    }
    return nullptr;
}

// The geometry's positions as parts of (latitude, longitude) in thousandths.
std::vector<Points> PartsOf(const json& geometry)
{
    auto line = [](const json& positions) {
        Points out;
        for (const json& p : positions) out.emplace_back(Thousandths(p[1]), Thousandths(p[0]));
        return out;
    };
    const std::string type = geometry["type"];
    if (type == "Point") return {{{Thousandths(geometry["coordinates"][1]), Thousandths(geometry["coordinates"][0])}}};
    if (type == "LineString") return {line(geometry["coordinates"])};
    std::vector<Points> parts;
    for (const json& member : geometry["coordinates"]) parts.push_back(line(member));
    return parts;
}

TEST(GeoJson, ReplayValidatesAsRfc7946AndRoundTripsEveryPosition)
{
    Rig rig;
    ReplayTraffic(rig.station);
    const json doc = Parsed(ExportGeoJson(rig.station));
    EXPECT_EQ(GeoJsonProblem(doc), "");
    EXPECT_EQ(doc["generated"], "2026-12-05T12:00:00Z");
    for (const json& f : doc["features"])
        for (const char* name : {"kind", "id", "flight", "source"})
            EXPECT_TRUE(f["properties"].contains(name)) << f.dump() << " lacks " << name;
    EXPECT_EQ(doc["features"].size(), ExpectedTraffic().size()) << doc.dump(1);
    for (const ExpectedFeature& e : ExpectedTraffic()) {
        const json* f = FindFeature(doc, e.kind, e.name);
        ASSERT_NE(f, nullptr) << e.kind << " " << e.name << " missing from " << doc.dump(1);
        EXPECT_EQ((*f)["properties"]["flight"], e.flight) << e.name;
        EXPECT_EQ(PartsOf((*f)["geometry"]), e.parts) << e.kind << " " << e.name;
    }
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"), "");
    // A line over the 180th meridian is one feature in two parts.
    EXPECT_EQ((*FindFeature(doc, "route", "JA8089"))["geometry"]["type"], "MultiLineString");
}

TEST(GeoJson, RouteLinesCarryTheirStyleAndNatTrack)
{
    Rig rig;
    ReplayTraffic(rig.station);
    const json doc = Parsed(ExportGeoJson(rig.station));
    const json& clearance = (*FindFeature(doc, "route", "C-FTJO"))["properties"];
    EXPECT_EQ(clearance["style"], "track");
    EXPECT_EQ(clearance["nat"], "NAT C");
    EXPECT_EQ(clearance["segments"], 2);
    EXPECT_EQ((*FindFeature(doc, "route", "G-VIIA"))["properties"]["style"], "request");
    EXPECT_EQ((*FindFeature(doc, "aircraft", "G-VIIA"))["properties"]["track"], "request");
}

TEST(GeoJson, SbsTrackAsLastReported)
{
    Rig rig;
    ReplayTraffic(rig.station);
    const json doc = Parsed(ExportGeoJson(rig.station));
    const json& p = (*FindFeature(doc, "sbs-aircraft", "G-EZTB"))["properties"];
    EXPECT_EQ(p["altitude"], 34000);
    EXPECT_EQ(p["level"], "Ht: 34000 ft ");
    EXPECT_EQ(p["trend"], "descending");  // 35000 ft, then 34000
    EXPECT_EQ(p["lastReport"], "1205");
    EXPECT_EQ((*FindFeature(doc, "sbs-trail", "G-EZTB"))["properties"]["lastReport"], "1205");
}

// Times by hand: 55N20W to 55N30W is 2 x 3956 x asin(cos 55 x sin 5) = 395.7, 396 miles; at
// Mach 0.82 (624.2 mph) 38.07, 38 minutes: over 30W at 13:38. 55N30W to 54N40W is 406 miles,
// 39 minutes: over 40W at 14:17. At 13:19 half of the first leg is flown: 55N 25W.
TEST(GeoJson, OceanicEstimateWithItsTimes)
{
    Rig rig;
    Station& s = rig.station;
    ReplayTraffic(s);
    {
        const json doc = Parsed(ExportGeoJson(s));
        const json& p = (*FindFeature(doc, "oceanic-estimate", "C-FTJO"))["properties"];
        EXPECT_EQ(p["shown"], false);  // before its entry time
        EXPECT_EQ(p["track"], "clearance");
        EXPECT_EQ(p["entryTime"], "1300");
        EXPECT_EQ(p["nextTime"], "1338");
        EXPECT_EQ(p["exitTime"], "1417");
        EXPECT_EQ(p["waypoints"], 3);
        EXPECT_EQ(p["mach"], "M082");
        EXPECT_EQ(p["level"], "F350");
    }
    rig.clock.SetUtcTime(13, 19);
    MidWaypoint(s);
    const json doc = Parsed(ExportGeoJson(s));
    const json& f = *FindFeature(doc, "oceanic-estimate", "C-FTJO");
    EXPECT_EQ(PartsOf(f["geometry"]), (std::vector<Points>{{{55000, -25000}}}));
    EXPECT_EQ(f["properties"]["shown"], true);
    EXPECT_EQ(f["properties"]["lastTime"], "1300");
    EXPECT_EQ(f["properties"]["wayIndex"], 1);
    EXPECT_EQ(GeoJsonProblem(doc), "");
}

TEST(GeoJson, NotesFillSourceAndLastReport)
{
    Rig rig;
    Station& s = rig.station;
    ReplayTraffic(s);
    std::vector<std::string> keys;
    ExportOptions options;
    options.aircraftNotes = [&](std::string_view key, const Aircraft& a) {
        keys.emplace_back(key);
        return TrackNotes{"via " + a.ID, a.ID == "G-EUPT" ? "1225" : ""};
    };
    options.sbsNotes = [](std::string_view key, const SBSAircraft&) {
        return TrackNotes{"via " + std::string(key), ""};
    };
    const json doc = Parsed(ExportGeoJson(s, options));
    // Keys as the collection holds them: letters folded to lower case.
    EXPECT_EQ(keys,
              (std::vector<std::string>{"g-euptba0123", "c-ftjoac0854oca", "g-viiaba0117reqpwi", "ja8089jl0001"}));
    EXPECT_EQ((*FindFeature(doc, "aircraft", "G-EUPT"))["properties"]["source"], "via G-EUPT");
    EXPECT_EQ((*FindFeature(doc, "aircraft", "G-EUPT"))["properties"]["lastReport"], "1225");
    EXPECT_EQ((*FindFeature(doc, "route", "C-FTJO"))["properties"]["source"], "via C-FTJO");
    EXPECT_EQ((*FindFeature(doc, "nat-track", "NAT C"))["properties"]["source"], "via C-FTJO");
    EXPECT_EQ((*FindFeature(doc, "sbs-aircraft", "G-EZTB"))["properties"]["source"], "via g-eztb");
    // Without notes the property is there, empty.
    EXPECT_EQ((*FindFeature(Parsed(ExportGeoJson(s)), "aircraft", "G-EUPT"))["properties"]["source"], "");
}

// Message bytes are Latin-1: each becomes its character, in UTF-8; JSON escapes what it must.
TEST(GeoJson, OddBytesComeOutAsValidJson)
{
    Rig rig;
    Station& s = rig.station;
    auto a = std::make_shared<Aircraft>();
    a->ID = "<A&\"B'\\>";
    a->FNo = std::string("CAF\xC9 \x01\x1F\x7F\xFF", 9);
    a->ACDetails = "Boeing 767\r\n[UPS]\t";
    a->NewLocation = "51500/-1500";
    a->Show = true;
    s.AircraftCol.Add(a, "odd");
    ExportOptions options;
    options.aircraftNotes = [](std::string_view, const Aircraft&) {
        return TrackNotes{std::string("via \xD6\0x", 6), ""};
    };
    const std::string text = ExportGeoJson(s, options);
    const json doc = Parsed(text);
    ASSERT_EQ(GeoJsonProblem(doc), "");
    const json& p = doc["features"][0]["properties"];
    EXPECT_EQ(p["id"], "<A&\"B'\\>");
    EXPECT_EQ(p["flight"], "CAF\u00C9 \u0001\u001F\u007F\u00FF");
    EXPECT_EQ(p["details"], "Boeing 767\r\n[UPS]\t");
    EXPECT_EQ(p["source"], std::string("via \u00D6\0x", 7));
    EXPECT_EQ(PartsOf(doc["features"][0]["geometry"]), (std::vector<Points>{{{51500, -1500}}}));
    // No raw control character anywhere but the line ends between features.
    for (char c : text) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n') << int(c);
}

TEST(GeoJson, EmptyStationIsAnEmptyCollection)
{
    Rig rig;
    const json doc = Parsed(ExportGeoJson(rig.station));
    EXPECT_EQ(GeoJsonProblem(doc), "");
    EXPECT_TRUE(doc["features"].empty());
}

}  // namespace
}  // namespace korval::test
