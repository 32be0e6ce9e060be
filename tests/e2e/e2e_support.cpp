#include "e2e_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

namespace korval::e2e {

std::string Ini(const std::vector<std::string>& entries)
{
    // Section -> ordered keys; later entries replace earlier ones.
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections = {
        {"KORVAL",
         {{"Airmaster", "False"},
          {"SkySpy", "False"},
          {"ANAD", "False"},
          {"PCHFDL", "False"},
          {"New", "False"},
          {"NewServer", "Set"},
          {"NewTopic", "Set"},
          {"Format", "3"}}},
        {"Filters",
         {{"Errors", "False"}, {"Repeats", "False"}, {"SQ", "False"}, {"TooFar", "False"}, {"SBS", "False"}}},
        {"Menus", {{"Tag", "True"}, {"RefOCA", "False"}, {"Waypoints", "False"}, {"RegFlight", "False"}}},
    };
    for (const std::string& e : entries) {
        const auto slash = e.find('/');
        const auto equals = e.find('=');
        const std::string section = e.substr(0, slash);
        const std::string key = e.substr(slash + 1, equals - slash - 1);
        const std::string value = e.substr(equals + 1);
        auto s = std::find_if(sections.begin(), sections.end(), [&](const auto& x) { return x.first == section; });
        if (s == sections.end()) s = sections.insert(sections.end(), {section, {}});
        auto k = std::find_if(s->second.begin(), s->second.end(), [&](const auto& x) { return x.first == key; });
        if (k == s->second.end()) {
            s->second.emplace_back(key, value);
        } else {
            k->second = value;
        }
    }
    std::string ini;
    for (const auto& [section, keys] : sections) {
        ini += "[" + section + "]\r\n";
        for (const auto& [key, value] : keys) ini += key + "=" + value + "\r\n";
    }
    return ini;
}

std::string Message(std::string_view content, std::string_view msgNo)
{
    return test::Canonical(".G-KORV", "H1", '2', msgNo, "KV0001", content);
}

std::string ReplayLine(std::string_view text)
{
    std::string utf8;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            utf8.push_back(c);
        } else {
            utf8.push_back(static_cast<char>(0xC0 | (b >> 6)));
            utf8.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    nlohmann::ordered_json j;
    j["source"] = "airmaster";
    j["text"] = utf8;
    return j.dump(-1, ' ', true);
}

std::vector<std::string> CorpusTexts(std::size_t count)
{
    std::ifstream in(KORVAL_SOURCE_DIR "/bench/data/messages.jsonl", std::ios::binary);
    std::vector<std::string> corpus;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) continue;
        // JSON strings carry one byte per character U+0000..U+00FF.
        const std::string utf8 = nlohmann::json::parse(line).at("text").get<std::string>();
        std::string bytes;
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            const auto b = static_cast<unsigned char>(utf8[i]);
            if (b < 0x80 || i + 1 >= utf8.size()) {
                bytes.push_back(utf8[i]);
            } else {
                bytes.push_back(static_cast<char>(((b & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F)));
            }
        }
        corpus.push_back(std::move(bytes));
    }
    EXPECT_FALSE(corpus.empty()) << "the message corpus is missing";
    std::vector<std::string> texts;
    for (std::size_t i = 0; !corpus.empty() && i < count; ++i) texts.push_back(corpus[i % corpus.size()]);
    return texts;
}

std::vector<std::string> CorpusLines(std::size_t count)
{
    std::vector<std::string> lines;
    for (const std::string& text : CorpusTexts(count)) lines.push_back(ReplayLine(text));
    return lines;
}

std::vector<std::string> Field(const std::string& jsonl, std::string_view field)
{
    std::vector<std::string> values;
    std::size_t start = 0;
    while (start < jsonl.size()) {
        std::size_t end = jsonl.find('\n', start);
        if (end == std::string::npos) break;  // a line still being written
        const nlohmann::json j = nlohmann::json::parse(jsonl.substr(start, end - start), nullptr, false);
        start = end + 1;
        const bool ok = j.is_object() && j.contains(field);
        EXPECT_TRUE(ok) << "not a line with \"" << field << "\": " << j.dump();
        if (!ok) continue;
        const nlohmann::json& v = j[std::string(field)];
        if (v.is_array()) {
            for (const auto& e : v) values.push_back(e.get<std::string>());
        } else {
            values.push_back(v.get<std::string>());
        }
    }
    return values;
}

}  // namespace korval::e2e
