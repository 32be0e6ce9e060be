#include <nlohmann/json.hpp>

#include "link_tool.h"

namespace korval::linktool {

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
