#pragma once

#include <optional>
#include <string_view>

namespace korval {

enum class Axis { Latitude, Longitude };

// How one latitude or longitude is written. Names as the format table writes them:
//   DEC   decimal degrees                        "51.4775", "- 0.4614", "N 45.206"
//   DECn  decimal degrees, the last n digits being decimals when no point is written
//                                                DEC2: "3885" is 38.85
//   DM    degrees and decimal minutes (the last two whole digits are minutes)
//                                                "4435.1" is 44 deg 35.1 min, "3911" 39 deg 11 min
//   DMn   the same, the last n digits being decimals of a minute when no point is written
//                                                DM1: "040586" is 40 deg 58.6 min
//   DMT   the compact degrees-minutes-tenths form, the same as DM1: "51216" is 51 deg 21.6 min
//   DMS   degrees, minutes and seconds (the last two whole digits are seconds, the two before
//         them minutes); a point may add decimals of a second
//                                                "373703" is 37 deg 37 min 03 s
// n is 1 to 6.
struct Notation {
    enum class Kind { Decimal, DegreesMinutes, DegreesMinutesSeconds };
    Kind kind = Kind::Decimal;
    int impliedDecimals = 0;
    bool operator==(const Notation&) const = default;
};

// The notation of a name (letter case ignored); nothing for an unknown name.
std::optional<Notation> ParseNotation(std::string_view name);

// Degrees (north and east positive) from one coordinate's text. The text may hold blanks, a
// sign ("+", "-") before the number, and a hemisphere letter before or after it (N or S for a
// latitude, E or W for a longitude); "-", S and W make it negative, neither makes it positive.
// Nothing when the text is not such a number, holds the other axis's letter, has 60 or more
// minutes or seconds, or lies beyond 90 (latitude) or 180 (longitude) degrees.
std::optional<double> ReadCoordinate(std::string_view text, Notation notation, Axis axis);

}  // namespace korval
