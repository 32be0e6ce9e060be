#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korval {

// Texts of the track exports. Message bytes are Latin-1 in practice: byte b stands for the
// character U+00b (Utf8FromBytes), so every byte string comes out as valid UTF-8.

// A JSON string literal, quotes included: UTF-8, with '"', '\' and every control character below
// U+0020 escaped ("\n", "\r", "\t", "\b", "\f", else "\u00XX").
std::string JsonString(std::string_view bytes);

// XML character data, usable in attribute values as well: UTF-8 with "&", "<", ">", '"' and "'"
// as entities, CR as "&#13;" (a parser would turn a bare CR LF into LF). Control characters that
// XML 1.0 does not allow at all (below U+0020 but tab, LF and CR) become U+FFFD.
std::string XmlText(std::string_view bytes);

// Thousandths of a degree as decimal degrees with no trailing zeros: 51234 gives "51.234",
// -1500 "-1.5", -500 "-0.5", 0 "0". Exact: no floating point on the way.
std::string DegreesText(std::int32_t thousandths);

// A Windows colour value (0x00BBGGRR) as a KML colour: opacity byte then blue, green, red in
// hexadecimal ("ff0000ff" for red). Bits above the low 24 are ignored.
std::string KmlColour(std::uint32_t windowsColour, std::uint8_t opacity = 0xFF);

}  // namespace korval
