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

// Properties of the replay's features, read off its messages.
struct PropertyCase {
    const char* kind;
    const char* name;
    const char* key;
    json value;
};

TEST(GeoJson, ReplayFeaturesCarryTheirProperties)
{
    Rig rig;
    ReplayTraffic(rig.station);
    const json doc = Parsed(ExportGeoJson(rig.station));
    const PropertyCase cases[] = {
        {"route", "C-FTJO", "style", "track"},
        {"route", "C-FTJO", "nat", "NAT C"},
        {"route", "G-VIIA", "style", "request"},
        {"aircraft", "G-VIIA", "track", "request"},
        {"sbs-aircraft", "G-EZTB", "altitude", 34000},
        {"sbs-aircraft", "G-EZTB", "trend", "descending"},  // 35000 ft, then 34000
        {"sbs-trail", "G-EZTB", "lastReport", "1205"},
        // Times by hand: 55N20W to 55N30W is 2 x 3956 x asin(cos 55 x sin 5) = 395.7, 396
        // miles; at Mach 0.82 (624.2 mph) 38.07, 38 minutes: over 30W at 13:38. 55N30W to 54N40W
        // is 406 miles, 39 minutes: over 40W at 14:17.
        {"oceanic-estimate", "C-FTJO", "shown", false},  // before its entry time
        {"oceanic-estimate", "C-FTJO", "entryTime", "1300"},
        {"oceanic-estimate", "C-FTJO", "nextTime", "1338"},
        {"oceanic-estimate", "C-FTJO", "exitTime", "1417"},
    };
    for (const PropertyCase& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.name + " " + c.key);
        const json* f = FindFeature(doc, c.kind, c.name);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ((*f)["properties"][c.key], c.value);
    }
}

// At 13:19 half of the first leg (13:00 to 13:38) is flown: 55N 25W.
TEST(GeoJson, OceanicEstimateMovesOnItsTimes)
{
    Rig rig;
    ReplayTraffic(rig.station);
    rig.clock.SetUtcTime(13, 19);
    MidWaypoint(rig.station);
    const json doc = Parsed(ExportGeoJson(rig.station));
    const json& f = *FindFeature(doc, "oceanic-estimate", "C-FTJO");
    EXPECT_EQ(PartsOf(f["geometry"]), (std::vector<Points>{{{55000, -25000}}}));
    EXPECT_EQ(f["properties"]["shown"], true);
    EXPECT_EQ(f["properties"]["wayIndex"], 1);
}

TEST(GeoJson, NotesFillSourceAndLastReport)
{
    Rig rig;
    ReplayTraffic(rig.station);
    std::vector<std::string> keys;
    ExportOptions options;
    options.aircraftNotes = [&](std::string_view key, const Aircraft& a) {
        keys.emplace_back(key);
        return TrackNotes{"via " + a.ID, a.ID == "G-EUPT" ? "1225" : ""};
    };
    options.sbsNotes = [](std::string_view key, const SBSAircraft&) {
        return TrackNotes{"via " + std::string(key), ""};
    };
    const json doc = Parsed(ExportGeoJson(rig.station, options));
    // Keys as the collection holds them: letters folded to lower case.
    EXPECT_EQ(keys,
              (std::vector<std::string>{"g-euptba0123", "c-ftjoac0854oca", "g-viiaba0117reqpwi", "ja8089jl0001"}));
    EXPECT_EQ((*FindFeature(doc, "aircraft", "G-EUPT"))["properties"]["lastReport"], "1225");
    EXPECT_EQ((*FindFeature(doc, "nat-track", "NAT C"))["properties"]["source"], "via C-FTJO");
    EXPECT_EQ((*FindFeature(doc, "sbs-aircraft", "G-EZTB"))["properties"]["source"], "via g-eztb");
}

// Message bytes are Latin-1: each becomes its character, in UTF-8; JSON escapes what it must.
TEST(GeoJson, OddBytesComeOutAsValidJson)
{
    Rig rig;
    AddAircraft(rig.station, "<A&\"B'\\>", "51500/-1500")->FNo = std::string("CAF\xC9 \x01\x1F\x7F\xFF\0", 10);
    const std::string text = ExportGeoJson(rig.station);
    const json doc = Parsed(text);
    ASSERT_EQ(GeoJsonProblem(doc), "");
    EXPECT_EQ(doc["features"][0]["properties"]["id"], "<A&\"B'\\>");
    EXPECT_EQ(doc["features"][0]["properties"]["flight"], std::string("CAF\u00C9 \u0001\u001F\u007F\u00FF\0", 12));
    // No raw control character anywhere but the line ends between features.
    for (char c : text) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n') << int(c);
}

TEST(GeoJson, EmptyStationIsAnEmptyCollection)
{
    Rig rig;
    EXPECT_EQ(Parsed(ExportGeoJson(rig.station))["features"], json::array());
}

}  // namespace
}  // namespace korval::test
