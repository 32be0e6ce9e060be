#include <nlohmann/json.hpp>

#include "link_tool.h"

namespace korval::linktool {

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

std::optional<std::string> BytesFromUtf8(std::string_view utf8)
{
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            bytes.push_back(utf8[i]);
            continue;
        }
        // Only U+0080..U+00FF have a byte: lead 0xC2 or 0xC3 and one continuation byte.
        if ((b != 0xC2 && b != 0xC3) || i + 1 >= utf8.size()) return std::nullopt;
        const auto next = static_cast<unsigned char>(utf8[i + 1]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        bytes.push_back(static_cast<char>(((b & 0x03) << 6) | (next & 0x3F)));
        ++i;
    }
    return bytes;
}

ReplayLine ParseReplayLine(std::string_view line)
{
    ReplayLine r;
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) return r;
    const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
    if (j.is_discarded()) {
        r.kind = ReplayLine::Kind::Bad;
        r.reason = "not valid JSON";
        return r;
    }
    if (!j.is_object()) {
        r.kind = ReplayLine::Kind::Bad;
        r.reason = "not a JSON object";
        return r;
    }
    if (j.contains("tick") || !j.contains("text")) return r;
    const nlohmann::json& text = j["text"];
    if (!text.is_string()) {
        r.kind = ReplayLine::Kind::Bad;
        r.reason = "\"text\" is not a string";
        return r;
    }
    if (j.contains("source")) {
        if (!j["source"].is_string()) {
            r.kind = ReplayLine::Kind::Bad;
            r.reason = "\"source\" is not a string";
            return r;
        }
        r.source = j["source"].get<std::string>();
    }
    std::optional<std::string> bytes = BytesFromUtf8(text.get_ref<const std::string&>());
    if (!bytes) {
        r.kind = ReplayLine::Kind::Bad;
        r.reason = "\"text\" holds a character above U+00FF";
        return r;
    }
    r.kind = ReplayLine::Kind::Text;
    r.text = std::move(*bytes);
    return r;
}

std::string ValueLine(std::string_view item, std::string_view value)
{
    std::string line = "{\"item\": ";
    line += nlohmann::json(Utf8FromBytes(item)).dump();
    line += ", \"value\": ";
    line += nlohmann::json(Utf8FromBytes(value)).dump();
    line += '}';
    return line;
}

}  // namespace korval::linktool
