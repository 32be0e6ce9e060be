#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Messages are bytes. Where they travel as text (JSON, GeoJSON, KML, a web page) each byte
// stands for the character U+0000..U+00FF, written in UTF-8.
namespace korval {

// Each byte as the character U+00XX in UTF-8 (bytes below 0x80 unchanged, the others two bytes).
std::string Utf8FromBytes(std::string_view bytes);

// The bytes of a UTF-8 text whose characters are all U+0000..U+00FF; nothing for a character
// above U+00FF (its code point in `refused` when given) or a text that is not UTF-8.
std::optional<std::string> BytesFromUtf8(std::string_view utf8, std::uint32_t* refused = nullptr);

}  // namespace korval
