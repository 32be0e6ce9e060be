#include <gtest/gtest.h>

#include <string>

#include "reformat/getpos.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
std::string Shown(std::string_view content)
{
    return test::Canonical(".N923UP", "30", '2', "M76A", "UP6567", content);
}

struct PosCase {
    const char* name;
    std::string shown;      // LiveData
    const char* positions;  // PositionText, thousandths of a degree
};

// clang-format off
const PosCase kPositions[] = {
    // compact form: minutes become hundredths, the tenths digit is copied as it stands
    {"compactSixtyMinutesOrMoreKept", Shown("N51750W001450\r\n"), "51750/-001450,"},
    {"compactLineBreakInLongitude", Shown("N5130W00\r\n145 X"), "51500/-001750,"},
    {"compactLongitudeTooShort", Shown("N5130W001\r\nXX"), ""},
    // decimal form
    {"decimalLatitudeTooShortSkipped", Shown("N 51.2,W001.456,\r\n"), ""},
    {"decimalBeforeCompact", Shown("N51300W001450 THEN N 52.000,W002.000,\r\n"), "52000/-002000,51500/-001750,"},
    // one-digit latitudes right-aligned ("N  5.12345" as the SBS-1 expander writes 5.12345 N);
    // longitude degrees: blanks dropped, then right-aligned in three digits
    {"oneDigitLatitudeSouth", Shown("S  5.12345 W 12.34567 \r\n"), "-05123/-012345,"},
    {"blankThenThreeDegreeDigits", Shown("N 51.234,E 005.744,\r\n"), "51234/005744,"},
    // fraction blanks become zeros
    {"southernFractionBlank", Shown("S 33. 12,E151.200,\r\n"), "-33012/151200,"},
    // the header (124 characters) is never searched
    {"shortText", "N51300W001450", ""},
    {"positionInHeader", std::string(100, 'x') + "N51300W001450" + std::string(11, 'x') + "NO POSITION\r\n", ""},
    {"positionAcrossHeaderEnd", std::string(118, 'x') + "N51300W001450\r\n", ""},
};
// clang-format on

class Positions : public ::testing::TestWithParam<PosCase> {};

TEST_P(Positions, ReadFromLiveData)
{
    const PosCase& c = GetParam();
    test::Rig rig;
    Station& s = rig.station;
    s.PositionText = "stale";
    s.PositionFound = true;
    s.box.LiveData.Text = c.shown;
    GetPos(s);
    EXPECT_EQ(s.PositionText, c.positions);
    EXPECT_EQ(s.PositionFound, *c.positions != 0);
    EXPECT_EQ(s.ErrProcedure, "");
}

INSTANTIATE_TEST_SUITE_P(Position, Positions, ::testing::ValuesIn(kPositions), test::CaseName());

// A northern compact latitude with blank minutes is a type mismatch: the entries found so far
// stay, the flag is left as it was, and the fault is logged under "GetPos" / "Position".
TEST(Position, BlankMinutesEndTheParse)
{
    test::Rig rig;
    Station& s = rig.station;
    s.box.LiveData.Text = Shown("N 52.000,W002.000, N51300W001450 N51  W00145\r\n");
    GetPos(s);
    EXPECT_EQ(s.PositionText, "52000/-002000,51500/-001750,");
    EXPECT_FALSE(s.PositionFound);
    EXPECT_EQ(s.ErrProcedure + "/" + s.ErrModule, "GetPos/Position");
    const std::string log = rig.home.Read("Logs/ErrorLog .txt");
    EXPECT_NE(log.find("Error: 13 "), std::string::npos) << log;
    EXPECT_NE(log.find("Waypoints: 52000/-002000,51500/-001750,"), std::string::npos) << log;
}

}  // namespace
}  // namespace korval
