#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "decode/coordinates.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
TEST(Coordinates, NotationNames)
{
    using K = Notation::Kind;
    EXPECT_EQ(ParseNotation("DEC"), (Notation{K::Decimal, 0}));
    EXPECT_EQ(ParseNotation("dec3"), (Notation{K::Decimal, 3}));
    EXPECT_EQ(ParseNotation("DM"), (Notation{K::DegreesMinutes, 0}));
    EXPECT_EQ(ParseNotation("DM2"), (Notation{K::DegreesMinutes, 2}));
    EXPECT_EQ(ParseNotation("DMT"), (Notation{K::DegreesMinutes, 1}));
    EXPECT_EQ(ParseNotation("DMS"), (Notation{K::DegreesMinutesSeconds, 0}));
    for (const char* bad : {"", "D", "DMX", "DEC0", "DEC7", "DEC12", "DMS1", "DECA", "DEG"})
        EXPECT_FALSE(ParseNotation(bad).has_value()) << bad;
}

struct CoordinateCase {
    const char* name;
    const char* text;
    const char* notation;
    Axis axis;
    std::optional<double> degrees;
};

// clang-format off
const CoordinateCase kCases[] = {
    {"decimalLetterBefore", "N 51.477", "DEC", Axis::Latitude, 51.477},
    {"decimalLetterAfterSouth", "33.95S", "DEC", Axis::Latitude, -33.95},
    {"decimalSignWithBlank", "-  0.461", "DEC", Axis::Longitude, -0.461},
    {"decimalWhole", "020", "DEC", Axis::Longitude, 20.0},
    {"decimalLowerCaseLetter", "w 73.779", "DEC", Axis::Longitude, -73.779},
    {"impliedHundredths", "N 5148", "DEC2", Axis::Latitude, 51.48},
    {"impliedButPointWritten", "51.5", "DEC2", Axis::Latitude, 51.5},
    {"minutesWithPoint", "5312.4N", "DM", Axis::Latitude, 53 + 12.4 / 60},
    {"minutesWhole", "02046W", "DM", Axis::Longitude, -(20 + 46.0 / 60)},
    {"minutesTenths", "N51286", "DMT", Axis::Latitude, 51 + 28.6 / 60},
    {"minutesTenthsThreeDegreeDigits", "W000270", "DMT", Axis::Longitude, -(27.0 / 60)},
    {"seconds", "N512840", "DMS", Axis::Latitude, 51 + 28.0 / 60 + 40.0 / 3600},
    {"secondsWithDecimals", "S101043.5", "DMS", Axis::Latitude, -(10 + 10.0 / 60 + 43.5 / 3600)},
    {"exactlyNinety", "S 90.000", "DEC", Axis::Latitude, -90.0},
    {"exactlyOneEighty", "W18000.0", "DM", Axis::Longitude, -180.0},
    // Refused.
    {"beyondNinety", "N 90.001", "DEC", Axis::Latitude, std::nullopt},
    {"beyondOneEighty", "E180.5", "DEC", Axis::Longitude, std::nullopt},
    {"sixtyMinutes", "N5160.0", "DM", Axis::Latitude, std::nullopt},
    {"sixtySeconds", "N512860", "DMS", Axis::Latitude, std::nullopt},
    {"sixtyMinutesInSeconds", "N516000", "DMS", Axis::Latitude, std::nullopt},
    {"otherAxisLetter", "E 51.477", "DEC", Axis::Latitude, std::nullopt},
    {"twoLetters", "N 51.477N", "DEC", Axis::Latitude, std::nullopt},
    {"noDigits", "N .5", "DEC", Axis::Latitude, std::nullopt},
    {"empty", "", "DEC", Axis::Latitude, std::nullopt},
    {"textAfter", "51.477 X", "DEC", Axis::Latitude, std::nullopt},
    {"tooFewMinuteDigits", "N12", "DM", Axis::Latitude, std::nullopt},
    {"tooFewSecondDigits", "N1234", "DMS", Axis::Latitude, std::nullopt},
    {"allDigitsImplied", "N5", "DMT", Axis::Latitude, std::nullopt},
    {"missing", "MMMM.MMM", "DEC", Axis::Latitude, std::nullopt},
};
// clang-format on

class CoordinateText : public ::testing::TestWithParam<CoordinateCase> {};

TEST_P(CoordinateText, Reads)
{
    const CoordinateCase& c = GetParam();
    const std::optional<Notation> notation = ParseNotation(c.notation);
    ASSERT_TRUE(notation.has_value());
    const std::optional<double> got = ReadCoordinate(c.text, *notation, c.axis);
    ASSERT_EQ(got.has_value(), c.degrees.has_value()) << c.text;
    if (got) {
        EXPECT_NEAR(*got, *c.degrees, 1e-9) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(Coordinates, CoordinateText, ::testing::ValuesIn(kCases), test::CaseName());

}  // namespace
}  // namespace korval
