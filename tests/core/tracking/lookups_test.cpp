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

// Route looks up CurrentFlight, Aircraft_Details the Aircraft box; the answer is "before" when
// the look-up leaves it alone.
struct LookupCase {
    const char* name;
    bool route;
    std::vector<std::string> lines;
    const char *key, *answer;
};

const std::vector<std::string> kRoutes = {"!comment",  "no key here",    "UP6567=CGN-EMA-SDF",
                                          "UP6567 =X", "LH8400=FRA=MUC", ""};
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
    ::testing::Values(LookupCase{"routeFound", true, kRoutes, "UP6567", "CGN-EMA-SDF"},
                      LookupCase{"valueKeepsLaterEquals", true, kRoutes, "LH8400", "FRA=MUC"},
                      LookupCase{"routeNotFound", true, kRoutes, "UP6568", "No Route Data"},
                      LookupCase{"blankBelongsToTheKey", true, {"UP6567 =X"}, "UP6567", "No Route Data"},
                      LookupCase{"caseCounts", true, kRoutes, "up6567", "No Route Data"},
                      LookupCase{"noKeyLinesLeavesItAlone", true, {"!only", "comments"}, "UP6567", "before"},
                      LookupCase{"splitAtBrackets", false, kAircraft, "N923UP",
                                 "Boeing 767-34AF \r\n[UPS] \r\n[msn 27239]"},
                      LookupCase{"leadingBracketKeepsOneLine", false, kAircraft, "D-ALCA", "[Lufthansa Cargo] MD-11F"},
                      LookupCase{"aircraftNotFound", false, kAircraft, "G-EUPX", "No Aircraft Data"}),
    test::CaseName());

// The data files as an editor may have saved them: every kind of line end gives the same lines
// as CR LF, and so the same look-ups and corrections. Missing files are empty tables.
struct LineEndCase {
    const char *name, *eol;  // eol nullptr: no files
};

class DataFileLineEnds : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(DataFileLineEnds, GiveTheSameLines)
{
    Rig rig;
    Station& s = rig.station;
    const char* eol = GetParam().eol;
    auto write = [&](const char* name, std::initializer_list<const char*> lines) {
        if (!eol) return;
        std::string text;
        for (const char* line : lines) text += std::string(line) + eol;
        rig.home.Write(name, text);
    };
    write("routes.wdf", {"!routes", "UP6567=CGN-EMA-SDF", "LH8400=FRA=MUC"});
    write("aircraft.wdf", {"!fleet", "N923UP=Boeing 767-34AF [UPS]"});
    write("RegFlight.wdf", {".G-EUPT;;BA;SH", ".N923UP;.N923UX;;"});
    s.RoutesFileLines = s.AircraftFileLines = s.RegFlightLines = {"stale"};
    LoadRouteTables(s);
    LoadRegFlight(s);
    using Lines = std::vector<std::string>;
    const bool read = eol != nullptr;
    EXPECT_EQ(s.RoutesFileLines, (read ? Lines{"!routes", "UP6567=CGN-EMA-SDF", "LH8400=FRA=MUC", ""} : Lines{}));
    EXPECT_EQ(s.AircraftFileLines, (read ? Lines{"!fleet", "N923UP=Boeing 767-34AF [UPS]", ""} : Lines{}));
    EXPECT_EQ(s.RegFlightLines, (read ? Lines{".G-EUPT;;BA;SH", ".N923UP;.N923UX;;", ""} : Lines{}));
}

INSTANTIATE_TEST_SUITE_P(Lookups, DataFileLineEnds,
                         ::testing::Values(LineEndCase{"crlf", "\r\n"}, LineEndCase{"bareLf", "\n"},
                                           LineEndCase{"bareCr", "\r"}, LineEndCase{"noFiles", nullptr}),
                         test::CaseName());

}  // namespace
}  // namespace korval
