#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "tracking/lookups.h"
#include "tracking/regflight.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Rig;

struct LookupCase {
    const char* name;
    bool route;  // Route on CurrentFlight, else Aircraft_Details on the Aircraft box
    std::vector<std::string> lines;
    const char* key;
    const char* answer;  // "before" when the look-up leaves it alone
};

const std::vector<std::string> kRoutes = {"!comment", "no key here", "UP6567=CGN-EMA-SDF", "UP6567 =X", ""};
const std::vector<std::string> kAircraft = {"!comment", "N923UP=Boeing 767-34AF [UPS] [msn 27239]",
                                            "D-ALCA=[Lufthansa Cargo] MD-11F"};

class Lookups : public ::testing::TestWithParam<LookupCase> {};

TEST_P(Lookups, FirstExactKeyWins)
{
    const LookupCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    (c.route ? s.RoutesFileLines : s.AircraftFileLines) = c.lines;
    (c.route ? s.CurrentFlight : s.box.Aircraft.Text) = c.key;
    std::string& answer = c.route ? s.CurrentRoute : s.CurrentACDetails;
    answer = "before";
    c.route ? Route(s) : Aircraft_Details(s);
    EXPECT_EQ(answer, c.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Tracking, Lookups,
    ::testing::Values(LookupCase{"routeNotFound", true, kRoutes, "UP6568", "No Route Data"},
                      LookupCase{"blankBelongsToTheKey", true, {"UP6567 =X"}, "UP6567", "No Route Data"},
                      LookupCase{"caseCounts", true, kRoutes, "up6567", "No Route Data"},
                      LookupCase{"noKeyLinesLeavesItAlone", true, {"!only", "comments"}, "UP6567", "before"},
                      LookupCase{"emptyTableLeavesItAlone", true, {}, "UP6567", "before"},
                      LookupCase{"splitAtBrackets", false, kAircraft, "N923UP",
                                 "Boeing 767-34AF \r\n[UPS] \r\n[msn 27239]"},
                      LookupCase{"leadingBracketKeepsOneLine", false, kAircraft, "D-ALCA", "[Lufthansa Cargo] MD-11F"},
                      LookupCase{"aircraftNotFound", false, kAircraft, "G-EUPX", "No Aircraft Data"}),
    test::CaseName());

TEST(LoadRouteTables, MissingFilesAreEmptyTables)
{
    Rig rig;
    Station& s = rig.station;
    s.RoutesFileLines = s.AircraftFileLines = s.RegFlightLines = {"stale"};
    LoadRouteTables(s);
    LoadRegFlight(s);
    EXPECT_TRUE(s.RoutesFileLines.empty());
    EXPECT_TRUE(s.AircraftFileLines.empty());
    EXPECT_TRUE(s.RegFlightLines.empty());
}

// The data files as an editor may have saved them: every kind of line end gives the same lines
// and so the same look-ups and corrections as CR LF.
struct LineEndCase {
    const char* name;
    const char* eol;
};

class DataFileLineEnds : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(DataFileLineEnds, GiveTheSameLookUps)
{
    Rig rig;
    Station& s = rig.station;
    auto lines = [&](std::initializer_list<const char*> list) {
        std::string text;
        for (const char* line : list) text += std::string(line) + GetParam().eol;
        return text;
    };
    rig.home.Write("routes.wdf", lines({"!routes", "UP6567=CGN-EMA-SDF", "LH8400=FRA=MUC"}));
    rig.home.Write("aircraft.wdf", lines({"!fleet", "N923UP=Boeing 767-34AF [UPS]", "G-EUPT=Airbus A319"}));
    rig.home.Write("RegFlight.wdf", lines({"!fixes", ".G-EUPT;;BA;SH", ".N923UP;.N923UX;;"}));
    LoadRouteTables(s);
    LoadRegFlight(s);
    EXPECT_EQ(s.RoutesFileLines, (std::vector<std::string>{"!routes", "UP6567=CGN-EMA-SDF", "LH8400=FRA=MUC", ""}));
    EXPECT_EQ(s.AircraftFileLines.size(), 4u);
    EXPECT_EQ(s.RegFlightLines.size(), 4u);

    s.CurrentFlight = "LH8400";
    Route(s);
    EXPECT_EQ(s.CurrentRoute, "FRA=MUC");  // the value keeps its later "="
    s.CurrentFlight = "UP6567";
    Route(s);
    EXPECT_EQ(s.CurrentRoute, "CGN-EMA-SDF");
    s.box.Aircraft.Text = "G-EUPT";
    Aircraft_Details(s);
    EXPECT_EQ(s.CurrentACDetails, "Airbus A319");
    s.box.Aircraft.Text = "N923UP";
    Aircraft_Details(s);
    EXPECT_EQ(s.CurrentACDetails, "Boeing 767-34AF \r\n[UPS]");

    // The third line applies, so the second one was read as a line of its own.
    s.CurrentMessage = test::Canonical(".N923UP", "15", '2', "M76A", "UP6567", "HELLO\r\n");
    CorrectRegFlight(s);
    EXPECT_EQ(s.CurrentMessage, test::Canonical(".N923UX", "15", '2', "M76A", "UP6567", "HELLO\r\n"));
    s.CurrentMessage = test::Canonical(".G-EUPT", "15", '2', "M76A", "BA0117", "HELLO\r\n");
    CorrectRegFlight(s);
    EXPECT_EQ(s.CurrentMessage, test::Canonical(".G-EUPT", "15", '2', "M76A", "SH0117", "HELLO\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Lookups, DataFileLineEnds,
                         ::testing::Values(LineEndCase{"crlf", "\r\n"}, LineEndCase{"bareLf", "\n"},
                                           LineEndCase{"bareCr", "\r"}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace korval
