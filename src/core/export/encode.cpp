#include "export/encode.h"

#include <cstdio>
#include <cstdlib>

#include "text/bytes.h"

namespace korval {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

}  // namespace

// Both escape in bytes first (the escapes are ASCII), then turn the bytes into UTF-8.

std::string JsonString(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + 2);
    out += '"';
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (b) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (b < 0x20) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(b));
                    out += hex;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return Utf8FromBytes(out);
}

std::string XmlText(std::string_view bytes)
{
    std::string out, pending;
    pending.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (b) {
            case '&':
                pending += "&amp;";
                break;
            case '<':
                pending += "&lt;";
                break;
            case '>':
                pending += "&gt;";
                break;
            case '"':
                pending += "&quot;";
                break;
            case '\'':
                pending += "&apos;";
                break;
            case '\r':
                pending += "&#13;";
                break;
            case '\n':
            case '\t':
                pending += c;
                break;
            default:
                if (b < 0x20) {
                    out += Utf8FromBytes(pending);
                    out += kReplacement;
                    pending.clear();
                } else {
                    pending += c;
                }
        }
    }
    out += Utf8FromBytes(pending);
    return out;
}

std::string DegreesText(std::int32_t thousandths)
{
    const std::int64_t value = thousandths;
    const std::int64_t magnitude = std::llabs(value);
    std::string out = value < 0 ? "-" : "";
    out += std::to_string(magnitude / 1000);
    std::int64_t fraction = magnitude % 1000;
    if (fraction != 0) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%03d", static_cast<int>(fraction));
        std::string f = digits;
        while (f.back() == '0') f.pop_back();
        out += '.';
        out += f;
    }
    return out;
}

std::string KmlColour(std::uint32_t windowsColour, std::uint8_t opacity)
{
    char text[12];
    std::snprintf(text, sizeof text, "%02x%06x", static_cast<unsigned>(opacity),
                  static_cast<unsigned>(windowsColour & 0xFFFFFFu));
    return text;
}

}  // namespace korval
