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

using korval::test::PrintTo;
using Json = nlohmann::json;

struct Outcome {
    int status;
    std::string out, err;
};

// korval-replay run in-process on a program folder copied from tests/data/replay/<name>.
class Replay : public ::testing::Test {
protected:
    explicit Replay(const std::string& name = "home-plain")
    {
        std::filesystem::copy(std::filesystem::path(KORVAL_TEST_DATA) / "replay" / name, home.path(),
                              std::filesystem::copy_options::recursive);
        options.home = home.path().string();
    }

    Outcome Run(const std::string& input)
    {
        std::istringstream in(input);
        std::ostringstream out, err;
        const int status = RunReplay(options, in, out, err);
        return {status, out.str(), err.str()};
    }

    test::TempHome home{false};
    ReplayOptions options;
};

struct GoldenCase {
    const char* name;
    const char* home;
    const char* expected;
};

class ReplayGolden : public Replay, public ::testing::WithParamInterface<GoldenCase> {
protected:
    ReplayGolden() : Replay(GetParam().home) {}
};

TEST_P(ReplayGolden, MatchesTheExpectedOutput)
{
    Outcome run = Run(test::ReadTestData("replay/basic.jsonl"));
    EXPECT_EQ(run.status, 1) << run.err;  // the input holds malformed lines
    test::ExpectGolden(std::string("replay/") + GetParam().expected, run.out);
}

INSTANTIATE_TEST_SUITE_P(Replay, ReplayGolden,
                         ::testing::Values(GoldenCase{"filtersOn", "home-filters", "basic.filters.expected.jsonl"},
                                           GoldenCase{"filtersOff", "home-plain", "basic.plain.expected.jsonl"}),
                         test::CaseName());

// A malformed line gives one error object and the run goes on; the golden input holds the other
// kinds of malformed line.
TEST_F(Replay, AnEmptyLineGivesOneErrorObjectAndTheRunGoesOn)
{
    Outcome run = Run("   \n{\"tick\":\"1300\"}\n");
    EXPECT_EQ(run.status, 1);
    const std::size_t end = run.out.find('\n');
    EXPECT_EQ(run.out.substr(0, end), "{\"error\":\"line 1: empty line\"}");
    EXPECT_TRUE(run.out.substr(end).starts_with("\n{\"live\":")) << run.out;
}

TEST_F(Replay, ClockStartsFixedFollowsTheLinesAndMovesToTheNextDay)
{
    std::vector<std::string> seen;
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
    Outcome run = Run(message + "}\n" + message + ",\"utc\":\"2359\"}\n" + message + ",\"utc\":\"0001\"}\n" + message +
                      ",\"utc\":\"0001\"}\n");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(seen,
              (std::vector<std::string>{"2026-12-05 2330", "2026-12-05 2359", "2026-12-06 0001", "2026-12-06 0001"}));
}

TEST_F(Replay, TracksListsTheRecordsInCollectionOrder)
{
    options.tracks = true;
    options.prepare = [](Station& s) {
        auto a = test::AddAircraft(s, "N923UP", "51234/-10500");
        a->Oceanic = true;
        a->WayList = std::vector<std::string>{"52000/-20000,1437", "53000/-30000,1522"};
        a->WayIndex = 1;
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
    Outcome run = Run("");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(
        run.out,
        "{\"aircraft\":[{\"key\":\"n923up\",\"ID\":\"N923UP\",\"FNo\":\"FNN923UP\",\"NewLocation\":\"51234/-10500\","
        "\"OldLocation\":\"\",\"Oceanic\":true,\"REQPWI\":false,\"Show\":true,"
        "\"WayList\":[\"52000/-20000,1437\",\"53000/-30000,1522\"],\"WayIndex\":1,\"LastTime\":\"\","
        "\"NextTime\":\"\",\"Mach\":\"M080\",\"Level\":\"F350\",\"Route\":\"EGLL-KJFK\",\"ACDetails\":\"B744\"},"
        "{\"key\":\"g-eupt\",\"ID\":\"\",\"FNo\":\"\",\"NewLocation\":\"\",\"OldLocation\":\"\",\"Oceanic\":false,"
        "\"REQPWI\":false,\"Show\":false,\"WayList\":null,\"WayIndex\":0,\"LastTime\":\"\",\"NextTime\":\"\","
        "\"Mach\":\"\",\"Level\":\"\",\"Route\":\"\",\"ACDetails\":\"\"}],"
        "\"routelines\":[{\"ID\":\"N923UP\",\"OldPosition\":\"\",\"NewPosition\":\"\",\"NATrack\":\"\","
        "\"NATPos\":\"\",\"Style\":2}],"
        "\"sbs\":[{\"key\":\"4ca123\",\"ID\":\"4CA123\",\"FNo\":\"\",\"NewPosition\":\"\",\"OldPosition\":\"\","
        "\"Level\":\"\",\"AltChange\":2,\"LastUpdate\":17}]}\n");
}

// Records left out of the exports are named, an export that cannot be written says why, and the
// other is written all the same.
TEST_F(Replay, ExportProblemsAreNamedAndTheOtherExportIsWritten)
{
    options.geojson = (home.path() / "missing" / "tracks.geojson").string();
    options.kml = (home.path() / "tracks.kml").string();
    options.prepare = [](Station& s) {
        auto a = std::make_shared<Aircraft>();
        a->ID = "CAF\xC9";
        a->NewLocation = "north";
        s.AircraftCol.Add(a, "x");
    };
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
