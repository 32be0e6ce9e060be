#include "text/bytes.h"

namespace korval {

std::string Utf8FromBytes(std::string_view bytes)
{
    std::string utf8;
    utf8.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (b >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return utf8;
}

std::optional<std::string> BytesFromUtf8(std::string_view utf8, std::uint32_t* refused)
{
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t len = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (len == 0 || i + len > utf8.size()) return std::nullopt;
        std::uint32_t cp = len == 1 ? lead : lead & (0x7Fu >> len);
        for (std::size_t k = 1; k < len; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (next & 0x3Fu);
        }
        if (cp > 0xFF) {
            if (refused) *refused = cp;
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(cp));
        i += len;
    }
    return bytes;
}

}  // namespace korval
