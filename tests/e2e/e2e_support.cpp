#include "e2e_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "text/bytes.h"

namespace korval::e2e {

std::string Settings()
{
    return "[KORVAL]\r\nAirmaster=True\r\nSkySpy=False\r\nANAD=False\r\nPCHFDL=False\r\nNew=False\r\n"
           "NewServer=Set\r\nNewTopic=Set\r\nFormat=3\r\n"
           "[Filters]\r\nErrors=False\r\nRepeats=False\r\nSQ=False\r\nTooFar=False\r\nSBS=False\r\n"
           "[Menus]\r\nTag=True\r\nRefOCA=False\r\nWaypoints=False\r\nRegFlight=False\r\n";
}

std::string Message(std::string_view content)
{
    return test::Canonical(".G-KORV", "H1", '2', "M01A", "KV0001", content);
}

std::string ReplayLine(std::string_view text)
{
    return nlohmann::ordered_json{{"source", "airmaster"}, {"text", Utf8FromBytes(text)}}.dump(-1, ' ', true);
}

std::vector<std::string> CorpusTexts(std::size_t count)
{
    std::ifstream in(KORVAL_SOURCE_DIR "/bench/data/messages.jsonl", std::ios::binary);
    std::vector<std::string> corpus;
    for (std::string line; std::getline(in, line);) {
        // JSON strings carry one byte per character U+0000..U+00FF.
        if (!line.empty())
            corpus.push_back(BytesFromUtf8(nlohmann::json::parse(line).at("text").get<std::string>()).value());
    }
    EXPECT_FALSE(corpus.empty()) << "the message corpus is missing";
    std::vector<std::string> texts;
    for (std::size_t i = 0; !corpus.empty() && i < count; ++i) texts.push_back(corpus[i % corpus.size()]);
    return texts;
}

std::vector<std::string> Field(const std::string& jsonl, std::string_view field)
{
    std::vector<std::string> values;
    std::istringstream in(jsonl);
    for (std::string line; std::getline(in, line);) {
        const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
        const bool ok = j.is_object() && j.contains(field);
        EXPECT_TRUE(ok) << "not a line with \"" << field << "\": " << line;
        // An array gives each of its elements, a string itself.
        for (const nlohmann::json& v : ok ? j.at(std::string(field)) : nlohmann::json())
            values.push_back(v.get<std::string>());
    }
    return values;
}

}  // namespace korval::e2e
