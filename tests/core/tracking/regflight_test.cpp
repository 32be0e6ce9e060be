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

// Content that repeats the flight line: only the header is ever rewritten.
constexpr const char* kContent = "POS N51234W012345\r\nFlight id: UP6567\r\n";

// `count` comment lines, a line that fits no message, then `last`.
std::vector<std::string> AfterComments(std::size_t count, const char* last)
{
    std::vector<std::string> lines(count, "!comment");
    lines.push_back(";;LH;5X");
    lines.push_back(last);
    return lines;
}

// The flight is sent with registration .N923UP; reg7 and flight are what the header holds after,
// coloured the boxes shown as corrected.
struct CorrectCase {
    const char* name;
    std::vector<std::string> lines;
    const char *flight6, *reg7, *flight, *coloured;
};

class CorrectRegFlightTable : public ::testing::TestWithParam<CorrectCase> {};

TEST_P(CorrectRegFlightTable, AppliesTheFirstLineThatFits)
{
    const CorrectCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.RegFlightLines = c.lines;
    s.CurrentMessage = Canonical(".N923UP", "15", '2', "M76A", c.flight6, kContent);
    s.RegFlightCorrected = std::string(c.coloured).empty();  // the correction itself decides
    CorrectRegFlight(s);
    EXPECT_EQ(s.CurrentMessage, Canonical(c.reg7, "15", '2', "M76A", c.flight, kContent));
    std::string coloured = s.box.Aircraft.BackColor == colour::Corrected ? "reg" : "";
    if (s.box.Flight.BackColor == colour::Corrected) coloured += coloured.empty() ? "flight" : " flight";
    EXPECT_EQ(coloured, c.coloured);
    EXPECT_EQ(s.RegFlightCorrected, !std::string(c.coloured).empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(RegFlight, CorrectRegFlightTable, ::testing::Values(
    // OldReg and NewReg both given.
    CorrectCase{"regMatchesFlightDoesNot", {".N923UP;.N923UX;LH;5X"}, "UP6567", ".N923UX", "UP6567", "reg"},
    CorrectCase{"regDoesNotMatchNextLine", {".N923UQ;.N923UX;;", ".N923UP;.N923UY;;"}, "UP6567", ".N923UY", "UP6567", "reg"},
    CorrectCase{"regWithoutDotColoursButKeepsText", {"N923UP;N923UX;;"}, "UP6567", ".N923UP", "UP6567", "reg"},
    // OldReg given, NewReg empty: flight corrections for one aircraft.
    CorrectCase{"flightForOneAircraft", {".N923UP;;UP;5X"}, "UP6567", ".N923UP", "5X6567", "flight"},
    CorrectCase{"airlineCodeForOneAircraft", {".N923UP;;;5X"}, "UP6567", ".N923UP", "5X6567", "flight"},
    CorrectCase{"flightOfOtherAircraftUntouched", {".N923UQ;;UP;5X"}, "UP6567", ".N923UP", "UP6567", ""},
    CorrectCase{"flightTextNotInFieldNextLine", {".N923UP;;LH;5X", ";;UP;9Z"}, "UP6567", ".N923UP", "9Z6567", "flight"},
    // OldReg empty: flight corrections for any aircraft.
    CorrectCase{"flightForAnyAircraft", {";;UPS;UP"}, "UPS123", ".N923UP", "UP123", "flight"},
    CorrectCase{"prefixForEveryFlight", {";;;XX"}, "UP6567", ".N923UP", "XXUP6567", "flight"},
    // Short flight ids are matched as if left-aligned in the six-character field.
    CorrectCase{"paddedShortFlight", {";;AB1 ;CD1"}, "  AB1 ", ".N923UP", "  AB1 ", "flight"},
    // The file's shape.
    CorrectCase{"commentsSkipped", {"!;;;XX", ".N923UP;.N923UX;;"}, "UP6567", ".N923UX", "UP6567", "reg"},
    CorrectCase{"emptyLineEndsTheSearch", {".N923UQ;.N923UX;;", "", ".N923UP;.N923UY;;"}, "UP6567", ".N923UP", "UP6567", ""},
    CorrectCase{"threeFieldsEndTheSearch", {".N923UP;.N923UX;UP", ".N923UP;.N923UY;;"}, "UP6567", ".N923UP", "UP6567", ""},
    CorrectCase{"extraFieldsIgnored", {".N923UP;.N923UX;UP;5X;note"}, "UP6567", ".N923UX", "5X6567", "reg flight"},
    // Only the first 2000 lines are examined.
    CorrectCase{"line2000Examined", AfterComments(1998, ";;UP;5X"), "UP6567", ".N923UP", "5X6567", "flight"},
    CorrectCase{"line2001NotExamined", AfterComments(1999, ";;UP;5X"), "UP6567", ".N923UP", "UP6567", ""}
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

}  // namespace
}  // namespace korval
