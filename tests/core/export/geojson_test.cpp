#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <vector>

#include "export/tracks.h"
#include "export_replay.h"
#include "export_support.h"
#include "oceanic/oceanic.h"

namespace korval::test {
namespace {

using nlohmann::json;

struct GeoJson : ::testing::Test {
    Rig rig;
    json doc;

    // Parses the station's export (throwing on bad JSON and on bytes that are not UTF-8) and checks
    // it against RFC 7946.
    void Export(const ExportOptions& options = {})
    {
        doc = json::parse(ExportGeoJson(rig.station, options));
        EXPECT_EQ(GeoJsonProblem(doc), "");
    }
    // The feature of `kind` named `name` (its ID, or the track for a NAT label).
    const json& Feature(const std::string& kind, const std::string& name) const
    {
        static const json none = json::object();
        for (const json& f : doc["features"])
            if (f["properties"]["kind"] == kind && f["properties"][kind == "nat-track" ? "track" : "id"] == name)
                return f;
        ADD_FAILURE() << kind << " " << name << " missing from " << doc.dump(1);
        return none;
    }
    const json& Property(const std::string& kind, const std::string& name, const std::string& key) const
    {
        return Feature(kind, name).at("properties").at(key);
    }
};

// The geometry's positions as parts of (latitude, longitude) in thousandths of a degree.
std::vector<Points> PartsOf(const json& geometry)
{
    const json& c = geometry.at("coordinates");
    const std::string type = geometry.at("type");
    const json lines = type == "Point" ? json::array({json::array({c})}) : type == "LineString" ? json::array({c}) : c;
    std::vector<Points> parts;
    for (const json& line : lines) {
        parts.emplace_back();
        for (const json& p : line)
            parts.back().emplace_back(std::lround(p[1].get<double>() * 1000), std::lround(p[0].get<double>() * 1000));
    }
    return parts;
}

TEST_F(GeoJson, ReplayRoundTripsEveryPosition)
{
    ReplayTraffic(rig.station);
    Export();
    EXPECT_EQ(doc["generated"], "2026-12-05T12:00:00Z");
    EXPECT_EQ(doc["features"].size(), ExpectedTraffic().size()) << doc.dump(1);
    for (const json& f : doc["features"])
        for (const char* name : {"kind", "id", "flight", "source"})
            EXPECT_TRUE(f["properties"].contains(name)) << f.dump() << " lacks " << name;
    for (const ExpectedFeature& e : ExpectedTraffic()) {
        const json& f = Feature(e.kind, e.name);
        EXPECT_EQ(std::tuple(f.at("properties").at("flight"), PartsOf(f.at("geometry"))), std::tuple(e.flight, e.parts))
            << e.kind << " " << e.name;
    }
    // (A line over the 180th meridian is one feature in two parts.)
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"), "");
}

// Properties of the replay's features, read off its messages.
TEST_F(GeoJson, ReplayFeaturesCarryTheirPropertiesAndTheEstimateMovesOnItsTimes)
{
    ReplayTraffic(rig.station);
    Export();
    const struct {
        const char *kind, *name, *key;
        json value;
    } cases[] = {
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
    for (const auto& c : cases) EXPECT_EQ(Property(c.kind, c.name, c.key), c.value) << c.kind << " " << c.name;

    // At 13:19 half of the first leg (13:00 to 13:38) is flown: 55N 25W.
    rig.clock.SetUtcTime(13, 19);
    MidWaypoint(rig.station);
    Export();
    const json& f = Feature("oceanic-estimate", "C-FTJO");
    EXPECT_EQ(std::tuple(PartsOf(f.at("geometry")), f.at("properties").at("shown"), f["properties"].at("wayIndex")),
              std::tuple(std::vector<Points>{{{55000, -25000}}}, true, 1));
}

TEST_F(GeoJson, NotesFillSourceAndLastReport)
{
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
    Export(options);
    // Keys as the collection holds them: letters folded to lower case.
    EXPECT_EQ(keys,
              (std::vector<std::string>{"g-euptba0123", "c-ftjoac0854oca", "g-viiaba0117reqpwi", "ja8089jl0001"}));
    EXPECT_EQ(std::tuple(Property("aircraft", "G-EUPT", "lastReport"), Property("nat-track", "NAT C", "source"),
                         Property("sbs-aircraft", "G-EZTB", "source")),
              std::tuple("1225", "via C-FTJO", "via g-eztb"));
}

// Message bytes are Latin-1: each becomes its character, in UTF-8; JSON escapes what it must (the
// parser refuses a raw control character).
TEST_F(GeoJson, OddBytesComeOutAsValidJson)
{
    AddAircraft(rig.station, "<A&\"B'\\>", "51500/-1500")->FNo = std::string("CAF\xC9 \x01\x1F\x7F\xFF\0", 10);
    Export();
    EXPECT_EQ(Property("aircraft", "<A&\"B'\\>", "flight"), std::string("CAF\u00C9 \u0001\u001F\u007F\u00FF\0", 12));
}

TEST_F(GeoJson, EmptyStationIsAnEmptyCollection)
{
    Export();
    EXPECT_EQ(doc["features"], json::array());
}

}  // namespace
}  // namespace korval::test
