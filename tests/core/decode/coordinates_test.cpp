#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "decode/coordinates.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
// The table below and the format families read the usual notation names; these are the others.
TEST(Coordinates, NotationNames)
{
    EXPECT_EQ(ParseNotation("dec3"), (Notation{Notation::Kind::Decimal, 3}));
    EXPECT_EQ(ParseNotation("DMT"), (Notation{Notation::Kind::DegreesMinutes, 1}));
    for (const char* bad : {"", "DMX", "DEC0", "DEC7", "DMS1"}) EXPECT_FALSE(ParseNotation(bad).has_value()) << bad;
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
    {"decimalLowerCaseLetter", "w 73.779", "DEC", Axis::Longitude, -73.779},
    {"impliedButPointWritten", "51.5", "DEC2", Axis::Latitude, 51.5},
    {"secondsWithDecimals", "S101043.5", "DMS", Axis::Latitude, -(10 + 10.0 / 60 + 43.5 / 3600)},
    {"exactlyNinety", "S 90.000", "DEC", Axis::Latitude, -90.0},
    {"exactlyOneEighty", "W18000.0", "DM", Axis::Longitude, -180.0},
    // Refused.
    {"beyondNinety", "N 90.001", "DEC", Axis::Latitude, std::nullopt},
    {"sixtyMinutes", "N5160.0", "DM", Axis::Latitude, std::nullopt},
    {"otherAxisLetter", "E 51.477", "DEC", Axis::Latitude, std::nullopt},
    {"empty", "", "DEC", Axis::Latitude, std::nullopt},
    {"textAfter", "51.477 X", "DEC", Axis::Latitude, std::nullopt},
    {"tooFewMinuteDigits", "N12", "DM", Axis::Latitude, std::nullopt},
};
// clang-format on

class CoordinateText : public ::testing::TestWithParam<CoordinateCase> {};

TEST_P(CoordinateText, Reads)
{
    const CoordinateCase& c = GetParam();
    const std::optional<double> got = ReadCoordinate(c.text, ParseNotation(c.notation).value(), c.axis);
    EXPECT_EQ(got.has_value(), c.degrees.has_value());
    EXPECT_NEAR(got.value_or(0), c.degrees.value_or(0), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Coordinates, CoordinateText, ::testing::ValuesIn(kCases), test::CaseName());

}  // namespace
}  // namespace korval
