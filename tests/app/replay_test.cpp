#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "golden.h"
#include "replay.h"
#include "station/station.h"
#include "test_support.h"

namespace korval {
namespace {

using Json = nlohmann::json;

struct Outcome {
    int status;
    std::string out, err;
};

// korval-replay run in-process on a program folder copied from tests/data/replay/<from>. The plain
// home's golden run is the command-line test's.
class Replay : public ::testing::Test {
protected:
    Outcome Run(const std::string& input, const char* from = "home-plain")
    {
        std::filesystem::copy(std::filesystem::path(KORVAL_TEST_DATA) / "replay" / from, home.path(),
                              std::filesystem::copy_options::recursive);
        options.home = home.path().string();
        std::istringstream in(input);
        std::ostringstream out, err;
        const int status = RunReplay(options, in, out, err);
        return {status, out.str(), err.str()};
    }

    test::TempHome home{false};
    ReplayOptions options;
};

TEST_F(Replay, FiltersGiveTheExpectedOutput)
{
    Outcome run = Run(test::ReadTestData("replay/basic.jsonl"), "home-filters");
    EXPECT_EQ(run.status, 1) << run.err;  // the input holds malformed lines
    test::ExpectGolden("replay/basic.filters.expected.jsonl", run.out);
}

// A malformed line gives one error object and the run goes on; the golden input holds the other
// kinds of malformed line.
TEST_F(Replay, AnEmptyLineGivesOneErrorObjectAndTheRunGoesOn)
{
    Outcome run = Run("   \n{\"tick\":\"1300\"}\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.starts_with("{\"error\":\"line 1: empty line\"}\n{\"live\":")) << run.out;
}

TEST_F(Replay, ClockStartsFixedFollowsTheLinesAndMovesToTheNextDay)
{
    std::vector<int> seen;  // DDHHMM of the clock at each message, the 5th of December to start with
    options.utc = "2330";
    options.prepare = [&](Station& s) {
        s.Subscribe([&seen, &s](ChangeFlags what) {
            const DateTime t = s.clock().Utc();
            if (what & ChangeLiveData) seen.push_back(t.day * 10000 + t.hour * 100 + t.minute);
        });
    };
    std::string input;
    for (const std::string utc : {"", ",\"utc\":\"2359\"", ",\"utc\":\"0001\"", ",\"utc\":\"0001\""})
        input += "{\"source\":\"other\",\"text\":\"x\"" + utc + "}\n";
    Outcome run = Run(input);
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(seen, (std::vector<int>{52330, 52359, 60001, 60001}));
}

// The aircraft come with their waypoints (the other records are copied field by field).
TEST_F(Replay, TracksListTheAircraftWithTheirWaypoints)
{
    options.tracks = true;
    options.prepare = [](Station& s) {
        auto a = test::AddAircraft(s, "N923UP", "51234/-10500");
        a->Oceanic = true;
        a->WayList = std::vector<std::string>{"52000/-20000,1437", "53000/-30000,1522"};
        a->WayIndex = 1;
    };
    Outcome run = Run("");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(
        run.out,
        "{\"aircraft\":[{\"key\":\"n923up\",\"ID\":\"N923UP\",\"FNo\":\"FNN923UP\",\"NewLocation\":\"51234/-10500\","
        "\"OldLocation\":\"\",\"Oceanic\":true,\"REQPWI\":false,\"Show\":true,"
        "\"WayList\":[\"52000/-20000,1437\",\"53000/-30000,1522\"],\"WayIndex\":1,\"LastTime\":\"\","
        "\"NextTime\":\"\",\"Mach\":\"M080\",\"Level\":\"F350\",\"Route\":\"EGLL-KJFK\",\"ACDetails\":\"B744\"}],"
        "\"routelines\":[],\"sbs\":[]}\n");
}

// Records left out of the exports are named, an export that cannot be written says why, and the
// other is written all the same.
TEST_F(Replay, ExportProblemsAreNamedAndTheOtherExportIsWritten)
{
    options.geojson = (home.path() / "missing" / "tracks.geojson").string();
    options.kml = (home.path() / "tracks.kml").string();
    options.prepare = [](Station& s) { test::AddAircraft(s, "CAF\xC9", "north"); };
    const Outcome run = Run("");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "korval-replay: left out of the export: aircraft CAF\u00C9: position \"north\" cannot be read\n"
              "korval-replay: cannot create " +
                  options.geojson + ": No such file or directory\n");
    EXPECT_TRUE(home.Exists("tracks.kml"));
}

}  // namespace
}  // namespace korval
