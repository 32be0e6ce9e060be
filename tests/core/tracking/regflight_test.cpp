#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "tracking/regflight.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

constexpr const char* kContent = "POS N51234W012345\r\n";

struct CorrectCase {
    const char* name;
    std::vector<std::string> lines;
    const char* reg7;
    const char* flight6;
    // expected
    const char* newReg7;
    const char* newFlight;  // what follows "Flight id: " up to the CR
    bool regColoured;
    bool flightColoured;
    bool corrected;
};

class CorrectRegFlightTable : public ::testing::TestWithParam<CorrectCase> {};

TEST_P(CorrectRegFlightTable, AppliesTheFirstLineThatFits)
{
    const CorrectCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.RegFlightLines = c.lines;
    s.CurrentMessage = Canonical(c.reg7, "15", '2', "M76A", c.flight6, kContent);
    s.RegFlightCorrected = !c.corrected;  // the correction itself decides

    CorrectRegFlight(s);

    EXPECT_EQ(s.CurrentMessage, Canonical(c.newReg7, "15", '2', "M76A", c.newFlight, kContent));
    EXPECT_EQ(s.box.Aircraft.BackColor, c.regColoured ? colour::Corrected : colour::DarkRed);
    EXPECT_EQ(s.box.Flight.BackColor, c.flightColoured ? colour::Corrected : colour::DarkRed);
    EXPECT_EQ(s.RegFlightCorrected, c.corrected);
}

// Rows: name, the file's lines, registration and flight sent, registration and flight after,
// registration box coloured, flight box coloured, corrected.
// clang-format off
INSTANTIATE_TEST_SUITE_P(RegFlight, CorrectRegFlightTable, ::testing::Values(
    // OldReg and NewReg both given.
    CorrectCase{"regAndFlight", {".N923UP;.N923UX;UP;5X"}, ".N923UP", "UP6567", ".N923UX", "5X6567", true, true, true},
    CorrectCase{"regOnly", {".N923UP;.N923UX;;"}, ".N923UP", "UP6567", ".N923UX", "UP6567", true, false, true},
    CorrectCase{"regMatchesFlightDoesNot", {".N923UP;.N923UX;LH;5X"}, ".N923UP", "UP6567", ".N923UX", "UP6567",
                true, false, true},
    CorrectCase{"regDoesNotMatchNextLine", {".N923UQ;.N923UX;;", ".N923UP;.N923UY;;"}, ".N923UP", "UP6567",
                ".N923UY", "UP6567", true, false, true},
    CorrectCase{"regWithoutDotColoursButKeepsText", {"N923UP;N923UX;;"}, ".N923UP", "UP6567", ".N923UP", "UP6567",
                true, false, true},
    // OldReg given, NewReg empty: flight corrections for one aircraft.
    CorrectCase{"flightForOneAircraft", {".N923UP;;UP;5X"}, ".N923UP", "UP6567", ".N923UP", "5X6567",
                false, true, true},
    CorrectCase{"airlineCodeForOneAircraft", {".N923UP;;;5X"}, ".N923UP", "UP6567", ".N923UP", "5X6567",
                false, true, true},
    CorrectCase{"flightOfOtherAircraftUntouched", {".N923UQ;;UP;5X"}, ".N923UP", "UP6567", ".N923UP", "UP6567",
                false, false, false},
    CorrectCase{"flightTextNotInFieldNextLine", {".N923UP;;LH;5X", ";;UP;9Z"}, ".N923UP", "UP6567", ".N923UP",
                "9Z6567", false, true, true},
    // OldReg empty: flight corrections for any aircraft.
    CorrectCase{"flightForAnyAircraft", {";;UPS;UP"}, ".N923UP", "UPS123", ".N923UP", "UP123", false, true, true},
    CorrectCase{"prefixForEveryFlight", {";;;XX"}, ".N923UP", "UP6567", ".N923UP", "XXUP6567", false, true, true},
    CorrectCase{"flightForAnyAircraftNoMatch", {";;LH;5X"}, ".N923UP", "UP6567", ".N923UP", "UP6567",
                false, false, false},
    // Short flight ids are matched as if left-aligned in the six-character field.
    CorrectCase{"paddedShortFlight", {";;AB1 ;CD1"}, ".N923UP", "  AB1 ", ".N923UP", "  AB1 ", false, true, true},
    // The file's shape.
    CorrectCase{"commentsSkipped", {"!;;;XX", ".N923UP;.N923UX;;"}, ".N923UP", "UP6567", ".N923UX", "UP6567",
                true, false, true},
    CorrectCase{"emptyLineEndsTheSearch", {".N923UQ;.N923UX;;", "", ".N923UP;.N923UY;;"}, ".N923UP", "UP6567",
                ".N923UP", "UP6567", false, false, false},
    CorrectCase{"threeFieldsEndTheSearch", {".N923UP;.N923UX;UP", ".N923UP;.N923UY;;"}, ".N923UP", "UP6567",
                ".N923UP", "UP6567", false, false, false},
    CorrectCase{"extraFieldsIgnored", {".N923UP;.N923UX;UP;5X;note"}, ".N923UP", "UP6567", ".N923UX", "5X6567",
                true, true, true},
    CorrectCase{"noLines", {}, ".N923UP", "UP6567", ".N923UP", "UP6567", false, false, false}
), test::CaseName());
// clang-format on

TEST(CorrectRegFlight, MessageWithoutFlightLineOnlyGetsRegistrationChanges)
{
    Rig rig;
    Station& s = rig.station;
    s.RegFlightLines = {";;;XX", ".N923UP;;;5X", ".N923UP;.N923UX;;5X"};
    s.CurrentMessage = "1ACARS mode: 2  Aircraft reg: .N923UP\r\nMessage label: 15  Block id: 2  Msg. no: M76A\r\n";
    CorrectRegFlight(s);
    EXPECT_EQ(s.CurrentMessage,
              "1ACARS mode: 2  Aircraft reg: .N923UX\r\nMessage label: 15  Block id: 2  Msg. no: M76A\r\n");
    EXPECT_TRUE(s.RegFlightCorrected);
}

TEST(CorrectRegFlight, OnlyTheHeaderIsRewritten)
{
    Rig rig;
    Station& s = rig.station;
    s.RegFlightLines = {";;UP;5X"};
    s.CurrentMessage = Canonical(".N923UP", "15", '2', "M76A", "UP6567", "Flight id: UP6567\r\n");
    CorrectRegFlight(s);
    EXPECT_EQ(s.CurrentMessage, Canonical(".N923UP", "15", '2', "M76A", "5X6567", "Flight id: UP6567\r\n"));
}

TEST(CorrectRegFlight, OnlyTheFirst2000LinesAreExamined)
{
    Rig rig;
    Station& s = rig.station;
    s.RegFlightLines.assign(1999, "!comment");
    s.RegFlightLines.push_back(";;LH;5X");
    s.RegFlightLines.push_back(";;UP;5X");
    s.CurrentMessage = Canonical(".N923UP", "15", '2', "M76A", "UP6567", kContent);
    CorrectRegFlight(s);
    EXPECT_FALSE(s.RegFlightCorrected);

    s.RegFlightLines.erase(s.RegFlightLines.begin());
    CorrectRegFlight(s);
    EXPECT_TRUE(s.RegFlightCorrected);
}

TEST(LoadRegFlight, ReadsLinesAndTakesAMissingFileAsEmpty)
{
    Rig rig;
    Station& s = rig.station;
    s.RegFlightLines = {"stale"};
    LoadRegFlight(s);
    EXPECT_TRUE(s.RegFlightLines.empty());

    rig.home.Write("RegFlight.wdf", "!fixes\r\n.N923UP;.N923UX;;\r\n");
    LoadRegFlight(s);
    EXPECT_EQ(s.RegFlightLines, (std::vector<std::string>{"!fixes", ".N923UP;.N923UX;;", ""}));
}

}  // namespace
}  // namespace korval
