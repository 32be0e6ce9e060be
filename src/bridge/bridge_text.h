#pragma once

// Small text helpers shared by the bridge converters: the fixed-width fields of the ACARS header
// and line ends in the form a decoder sends them.

#include <cstddef>
#include <string>
#include <string_view>

namespace korval::bridge {

// The dashes of the trailer line that ends a message of the Airmaster family.
inline constexpr std::string_view kTrailerDashes = "----------------------------------------------------------";

std::string Trim(std::string_view text);

// `text` cut or padded with blanks on the right to `width` characters; control bytes become blanks,
// so no value can break the header's fixed layout.
std::string Fixed(std::string_view text, std::size_t width);

// A header character; a control byte (a decoder's NUL for "none") becomes a blank.
char HeaderChar(char c);

// The registration field: seven characters, right-aligned and padded on the left with dots
// ("N923UP" and ".N923UP" both give ".N923UP"; nothing gives "......."). A longer value keeps its
// first seven characters.
std::string Registration(std::string_view reg);

// The two-character label; the decoders write the DEL of the no-information label "_" DEL as "_d".
std::string Label(std::string_view label);

// Appends `text` with every line end (CR LF, a lone CR, a lone LF) written as `eol`, and `eol` after
// a last line that has none. Nothing for an empty text.
void AppendLines(std::string& out, std::string_view text, std::string_view eol);

// The JSON value that starts at `start` (a '{' or '['): `end` is one past its closing bracket, or
// the end of `json` when it is cut short; `depth` is how deep its brackets nest outside strings.
struct JsonExtent {
    std::size_t end;
    int depth;
};
JsonExtent ScanJsonValue(std::string_view json, std::size_t start);

}  // namespace korval::bridge
