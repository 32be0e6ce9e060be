#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "tracking/lookups.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Rig;

struct LookupCase {
    const char* name;
    std::vector<std::string> lines;
    const char* key;     // CurrentFlight for Route, Aircraft box for Aircraft_Details
    const char* answer;  // "before" when the look-up leaves it alone
};

const std::vector<std::string> kRoutes = {"!comment",  "no key here",    "UP6567=CGN-EMA-SDF",
                                          "UP6567 =X", "LH8400=FRA=MUC", ""};
const std::vector<std::string> kAircraft = {"!comment", "N923UP=Boeing 767-34AF [UPS] [msn 27239]",
                                            "D-ALCA=[Lufthansa Cargo] MD-11F", "G-EUPT=Airbus A319"};

class RouteLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(RouteLookup, FirstExactKeyWins)
{
    Rig rig;
    Station& s = rig.station;
    s.RoutesFileLines = GetParam().lines;
    s.CurrentFlight = GetParam().key;
    s.CurrentRoute = "before";
    Route(s);
    EXPECT_EQ(s.CurrentRoute, GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(Lookups, RouteLookup,
                         ::testing::Values(LookupCase{"found", kRoutes, "UP6567", "CGN-EMA-SDF"},
                                           LookupCase{"notFound", kRoutes, "UP6568", "No Route Data"},
                                           LookupCase{"blankBelongsToTheKey", {"UP6567 =X"}, "UP6567", "No Route Data"},
                                           LookupCase{"caseCounts", kRoutes, "up6567", "No Route Data"},
                                           LookupCase{"valueKeepsLaterEquals", kRoutes, "LH8400", "FRA=MUC"},
                                           LookupCase{
                                               "noKeyLinesLeavesItAlone", {"!only", "comments"}, "UP6567", "before"},
                                           LookupCase{"emptyTableLeavesItAlone", {}, "UP6567", "before"}),
                         test::CaseName());

class AircraftLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(AircraftLookup, BracketsGoOnLinesOfTheirOwn)
{
    Rig rig;
    Station& s = rig.station;
    s.AircraftFileLines = GetParam().lines;
    s.box.Aircraft.Text = GetParam().key;
    s.CurrentACDetails = "before";
    Aircraft_Details(s);
    EXPECT_EQ(s.CurrentACDetails, GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, AircraftLookup,
    ::testing::Values(LookupCase{"splitAtBrackets", kAircraft, "N923UP", "Boeing 767-34AF \r\n[UPS] \r\n[msn 27239]"},
                      LookupCase{"leadingBracketKeepsOneLine", kAircraft, "D-ALCA", "[Lufthansa Cargo] MD-11F"},
                      LookupCase{"plain", kAircraft, "G-EUPT", "Airbus A319"},
                      LookupCase{"notFound", kAircraft, "G-EUPX", "No Aircraft Data"},
                      LookupCase{"noKeyLinesLeavesItAlone", {"!x"}, "G-EUPT", "before"}),
    test::CaseName());

TEST(LoadRouteTables, MissingFilesAreEmptyTables)
{
    Rig rig;
    Station& s = rig.station;
    s.RoutesFileLines = {"stale"};
    s.AircraftFileLines = {"stale"};
    LoadRouteTables(s);
    EXPECT_TRUE(s.RoutesFileLines.empty());
    EXPECT_TRUE(s.AircraftFileLines.empty());

    rig.home.Write("routes.wdf", "UP6567=CGN-EMA-SDF\r\nLH8400=FRA-MUC");
    rig.home.Write("aircraft.wdf", "N923UP=B767\r\n");
    LoadRouteTables(s);
    EXPECT_EQ(s.RoutesFileLines, (std::vector<std::string>{"UP6567=CGN-EMA-SDF", "LH8400=FRA-MUC"}));
    EXPECT_EQ(s.AircraftFileLines, (std::vector<std::string>{"N923UP=B767", ""}));
}

}  // namespace
}  // namespace korval
