#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "replay.h"
#include "station/station.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::ReadTestData;
using test::TempHome;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A program folder copied from tests/data/replay/<name>.
std::unique_ptr<TempHome> HomeFrom(const std::string& name)
{
    auto home = std::make_unique<TempHome>(false);
    std::filesystem::copy(std::filesystem::path(KORVAL_TEST_DATA) / "replay" / name, home->path(),
                          std::filesystem::copy_options::recursive);
    return home;
}

ReplayOptions At(const std::filesystem::path& home)
{
    ReplayOptions options;
    options.home = home.string();
    return options;
}

struct Outcome {
    int status;
    std::string out, err;
};

Outcome Replay(const ReplayOptions& options, const std::string& input)
{
    std::istringstream in(input);
    std::ostringstream out, err;
    int status = RunReplay(options, in, out, err);
    return {status, out.str(), err.str()};
}

struct GoldenCase {
    const char* name;
    const char* home;
    const char* expected;
    bool filters;  // the state home-filters' KORVAL.ini gives
};

class ReplayGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(ReplayGolden, MatchesTheExpectedOutputLineByLine)
{
    const GoldenCase& c = GetParam();
    auto home = HomeFrom(c.home);
    ReplayOptions options;
    options.home = home->path().string();
    options.prepare = [&](Station& s) {
        s.opt.mnuDecErr = s.opt.mnuRepeats = s.opt.mnuSQ = s.opt.mnuRegFlight = c.filters;
    };
    Outcome run = Replay(options, ReadTestData("replay/basic.jsonl"));

    EXPECT_EQ(run.status, 1) << run.err;  // the input holds malformed lines
    std::vector<std::string> actual = Lines(run.out);
    std::vector<std::string> expected = Lines(ReadTestData(std::string("replay/") + c.expected));
    ASSERT_EQ(actual.size(), Lines(ReadTestData("replay/basic.jsonl")).size());
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << "line " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(Replay, ReplayGolden,
                         ::testing::Values(GoldenCase{"filtersOn", "home-filters", "basic.filters.expected.jsonl",
                                                      true},
                                           GoldenCase{"filtersOff", "home-plain", "basic.plain.expected.jsonl", false}),
                         test::CaseName());

struct LineCase {
    const char* name;
    std::string line;
    std::string error;  // expected text after "line 1: "
};

class ReplayMalformed : public ::testing::TestWithParam<LineCase> {};

TEST_P(ReplayMalformed, GivesOneErrorObjectAndGoesOn)
{
    auto home = HomeFrom("home-plain");
    const std::string good = "{\"tick\":\"1300\"}";
    Outcome run = Replay(At(home->path()), GetParam().line + "\n" + good + "\n");
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_EQ(nlohmann::json::parse(lines[0]), nlohmann::json({{"error", "line 1: " + GetParam().error}}));
    EXPECT_TRUE(nlohmann::json::parse(lines[1]).contains("live"));
}

INSTANTIATE_TEST_SUITE_P(
    Replay, ReplayMalformed,
    ::testing::Values(LineCase{"notJson", "{\"source\": ", "not valid JSON (at character 12)"},
                      LineCase{"emptyLine", "   ", "empty line"},
                      LineCase{"missingSource", "{\"text\":\"x\"}", "missing \"source\""},
                      LineCase{"unknownSource", "{\"source\":\"AirMaster\",\"text\":\"x\"}",
                               "unknown source \"AirMaster\" (airmaster, skyspy, anad, hfacars, hfdl or other)"},
                      LineCase{"aboveU00FF", "{\"source\":\"anad\",\"text\":\"ok \\ud83d\\ude00\"}",
                               "\"text\" holds the character U+1F600; only U+0000 to U+00FF stand for bytes"},
                      LineCase{"badUtc", "{\"source\":\"anad\",\"text\":\"x\",\"utc\":\"12:00\"}",
                               "\"utc\" must be HHMM (0000 to 2359), not \"12:00\""}),
    test::CaseName());

TEST(Replay, ClockStartsFixedFollowsTheLinesAndMovesToTheNextDay)
{
    auto home = HomeFrom("home-plain");
    std::vector<std::string> seen;
    ReplayOptions options = At(home->path());
    options.utc = "2330";
    options.prepare = [&](Station& s) {
        s.Subscribe([&seen, &s](ChangeFlags what) {
            if (!(what & ChangeLiveData)) return;
            DateTime t = s.clock().Utc();
            char text[32];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d%02d", t.year, t.month, t.day, t.hour, t.minute);
            seen.emplace_back(text);
        });
    };
    const std::string message = "{\"source\":\"other\",\"text\":\"x\"";
    Outcome run = Replay(options, message + "}\n" + message + ",\"utc\":\"2359\"}\n" + message +
                                      ",\"utc\":\"0001\"}\n" + message + ",\"utc\":\"0001\"}\n");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(seen,
              (std::vector<std::string>{"2026-12-05 2330", "2026-12-05 2359", "2026-12-06 0001", "2026-12-06 0001"}));
}

// --explain names the source of each position; without it the output lines are as they were.
TEST(Replay, ExplainAddsTheSourceOfEveryPosition)
{
    auto home = HomeFrom("home-plain");
    std::filesystem::copy_file(std::filesystem::path(KORVAL_SOURCE_DIR) / "data" / "formats.wdf",
                               home->path() / "formats.wdf");
    auto line = [](const char* label, const char* content) {
        const std::string reg = std::string(".G-EUP") + label[0];  // one aircraft a line
        const std::string text = test::Canonical(reg, label, '2', "M01A", "BA0117", std::string(content) + "\r\n");
        return nlohmann::json({{"source", "other"}, {"text", text}}).dump() + "\n";
    };
    const std::string input = line("H1", "POS,N4512,W01230,") + line("20", "POSN52170E004460,,101500,370") +
                              line("5Z", "NOTHING HERE") + "{\"tick\":\"1300\"}\n";
    ReplayOptions options = At(home->path());
    options.prepare = [](Station& s) { s.opt.mnuExtendedDecoding = true; };
    Outcome plain = Replay(options, input);
    options.explain = true;
    Outcome explained = Replay(options, input);
    ASSERT_EQ(explained.status, 0) << explained.out << explained.err;

    const std::vector<std::string> a = Lines(plain.out), b = Lines(explained.out);
    ASSERT_EQ(a.size(), 4u);
    ASSERT_EQ(b.size(), 4u);
    const std::vector<nlohmann::json> sources = {nlohmann::json::array({"AF1"}),
                                                 nlohmann::json::array({"FMC position report"}),
                                                 nlohmann::json::array(), nlohmann::json::array()};
    for (std::size_t i = 0; i < a.size(); ++i) {
        nlohmann::json without = nlohmann::json::parse(a[i]), with = nlohmann::json::parse(b[i]);
        EXPECT_FALSE(without.contains("sources")) << a[i];
        EXPECT_EQ(with["sources"], sources[i]) << b[i];
        with.erase("sources");
        EXPECT_EQ(with, without) << "line " << i + 1;
    }
}

TEST(Replay, TracksListsTheRecordsInCollectionOrder)
{
    auto home = HomeFrom("home-plain");
    ReplayOptions options = At(home->path());
    options.tracks = true;
    options.prepare = [](Station& s) {
        auto a = std::make_shared<Aircraft>();
        a->ID = "N923UP";
        a->FNo = "UP6567";
        a->NewLocation = "51234/-10500";
        a->Oceanic = true;
        a->WayList = std::vector<std::string>{"52000/-20000,1437", "53000/-30000,1522"};
        a->WayIndex = 1;
        a->Mach = "M082";
        s.AircraftCol.Add(a, "N923UP");
        s.AircraftCol.Add(std::make_shared<Aircraft>(), "G-EUPT");
        auto r = std::make_shared<RouteLine>();
        r->ID = "N923UP";
        r->Style = 2;
        s.RouteLineCol.Add(r);
        auto b = std::make_shared<SBSAircraft>();
        b->ID = "4CA123";
        b->AltChange = 2;
        b->LastUpdate = 17;
        s.SBSAircraftCol.Add(b, "4CA123");
    };
    Outcome run = Replay(options, "");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(
        run.out,
        "{\"aircraft\":[{\"key\":\"n923up\",\"ID\":\"N923UP\",\"FNo\":\"UP6567\",\"NewLocation\":\"51234/-10500\","
        "\"OldLocation\":\"\",\"Oceanic\":true,\"REQPWI\":false,\"Show\":false,"
        "\"WayList\":[\"52000/-20000,1437\",\"53000/-30000,1522\"],\"WayIndex\":1,\"LastTime\":\"\","
        "\"NextTime\":\"\",\"Mach\":\"M082\",\"Level\":\"\",\"Route\":\"\",\"ACDetails\":\"\"},"
        "{\"key\":\"g-eupt\",\"ID\":\"\",\"FNo\":\"\",\"NewLocation\":\"\",\"OldLocation\":\"\",\"Oceanic\":false,"
        "\"REQPWI\":false,\"Show\":false,\"WayList\":null,\"WayIndex\":0,\"LastTime\":\"\",\"NextTime\":\"\","
        "\"Mach\":\"\",\"Level\":\"\",\"Route\":\"\",\"ACDetails\":\"\"}],"
        "\"routelines\":[{\"ID\":\"N923UP\",\"OldPosition\":\"\",\"NewPosition\":\"\",\"NATrack\":\"\","
        "\"NATPos\":\"\",\"Style\":2}],"
        "\"sbs\":[{\"key\":\"4ca123\",\"ID\":\"4CA123\",\"FNo\":\"\",\"NewPosition\":\"\",\"OldPosition\":\"\","
        "\"Level\":\"\",\"AltChange\":2,\"LastUpdate\":17}]}\n");
}

// A JSON line carrying a canonical message from Airmaster.
std::string AirmasterLine(const std::string& text)
{
    return nlohmann::json{{"source", "airmaster"}, {"text", text}}.dump() + "\n";
}

TEST(Replay, ExportsTheTracksAsGeoJsonAndKml)
{
    auto home = HomeFrom("home-plain");
    const std::string input =
        AirmasterLine(test::Canonical(".G-EUPT", "H1", '2', "M01A", "BA0123", "POS N 60.317/E024.963 FL350\r\n")) +
        AirmasterLine(test::Canonical(".G-EUPT", "H1", '2', "M02A", "BA0123", "POS N 60.500/E025.250 FL350\r\n"));
    ReplayOptions options = At(home->path());
    const Outcome plain = Replay(options, input);
    options.geojson = (home->path() / "tracks.geojson").string();
    options.kml = (home->path() / "tracks.kml").string();
    const Outcome run = Replay(options, input);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, plain.out);  // the exports add files, nothing to the output
    EXPECT_EQ(run.err, "");

    const nlohmann::json doc = nlohmann::json::parse(home->Read("tracks.geojson"));
    ASSERT_EQ(doc["features"].size(), 2u);
    EXPECT_EQ(doc["features"][0]["properties"]["kind"], "aircraft");
    EXPECT_EQ(doc["features"][0]["geometry"]["coordinates"], nlohmann::json::parse("[25.25,60.5]"));
    EXPECT_EQ(doc["features"][1]["geometry"]["coordinates"], nlohmann::json::parse("[[24.963,60.317],[25.25,60.5]]"));
    const std::string kml = home->Read("tracks.kml");
    EXPECT_NE(kml.find("<kml xmlns=\"http://www.opengis.net/kml/2.2\">"), std::string::npos);
    EXPECT_NE(kml.find("<coordinates>24.963,60.317 25.25,60.5</coordinates>"), std::string::npos) << kml;
}

TEST(Replay, AnExportThatCannotBeWrittenSaysWhyAndTheOtherIsWritten)
{
    auto home = HomeFrom("home-plain");
    ReplayOptions options = At(home->path());
    options.geojson = (home->path() / "missing" / "tracks.geojson").string();
    options.kml = (home->path() / "tracks.kml").string();
    const Outcome run = Replay(options, "");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "korval-replay: cannot create " + options.geojson + ": No such file or directory\n");
    EXPECT_TRUE(home->Exists("tracks.kml"));
}

TEST(Replay, RecordsLeftOutOfAnExportAreNamed)
{
    auto home = HomeFrom("home-plain");
    ReplayOptions options = At(home->path());
    options.kml = (home->path() / "tracks.kml").string();
    options.prepare = [](Station& s) {
        auto a = std::make_shared<Aircraft>();
        a->ID = "CAF\xC9";
        a->NewLocation = "north";
        s.AircraftCol.Add(a, "x");
    };
    const Outcome run = Replay(options, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err,
              "korval-replay: left out of the export: aircraft CAF\u00C9: position \"north\" cannot be read\n");
}

}  // namespace
}  // namespace korval
