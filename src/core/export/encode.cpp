#include "export/encode.h"

#include <cstdio>
#include <cstdlib>

namespace korval {
namespace {

void AppendUtf8(std::string& out, unsigned char byte)
{
    if (byte < 0x80) {
        out += static_cast<char>(byte);
    } else {
        out += static_cast<char>(0xC0 | (byte >> 6));
        out += static_cast<char>(0x80 | (byte & 0x3F));
    }
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

}  // namespace

std::string Utf8FromLatin1(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

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
                    AppendUtf8(out, b);
                }
        }
    }
    out += '"';
    return out;
}

std::string XmlText(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (b) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            case '\r':
                out += "&#13;";
                break;
            case '\n':
            case '\t':
                out += static_cast<char>(b);
                break;
            default:
                if (b < 0x20)
                    out += kReplacement;
                else
                    AppendUtf8(out, b);
        }
    }
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
