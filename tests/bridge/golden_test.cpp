// Golden conversions, one file per source under tests/data/bridge, each line a capture of the
// decoder's output as its documentation shows it:
//   {"case": NAME, "datagram": OBJECT or TEXT, "published": [{"topic": T, "text": T}, ...],
//    "positions": [P, ...]}
// Every capture is converted and its texts compared; then all the texts of the file go, in order,
// through the whole pipeline (korval-replay, in-process) as the DDE menu item for their topic
// delivers them, and each must give the positions listed ("" for none).

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "bridge_convert.h"
#include "bridge_sbs.h"
#include "link_tool.h"
#include "replay.h"
#include "test_support.h"

namespace korval::bridge {
namespace {

using korval::test::PrintTo;
using Json = nlohmann::json;
using Drops = std::map<std::string, long long>;

constexpr std::int64_t kNow = 1796472000;  // 2026-12-05 12:00:00 UTC, for captures without a time

struct GoldenCase {
    const char* name;  // the file
    Source source;
};

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, CapturesGiveTheTextsAndThePipelineFindsTheirPositions)
{
    std::istringstream captures(test::ReadTestData("bridge/" + std::string(GetParam().name)));
    std::string replayInput;
    std::vector<std::string> expectedPositions;
    for (std::string line; std::getline(captures, line);) {
        if (line.empty()) continue;
        const Json c = Json::parse(line);
        SCOPED_TRACE(c.at("case").get<std::string>());
        const Json& d = c.at("datagram");
        const std::string datagram = d.is_string() ? linktool::BytesFromUtf8(d.get<std::string>()).value() : d.dump();
        std::vector<Message> out;
        Counters counters;
        if (GetParam().source == Source::Sbs) {
            SbsConverter sbs;
            sbs.Feed(datagram, 0, kNow, out, counters);
        } else {
            ConvertDatagram(GetParam().source, datagram, kNow, out, counters);
        }
        // Lines of a stream that are not position reports are dropped.
        EXPECT_EQ(counters.dropped, c.value("dropped", Drops{})) << counters.Summary();
        Json published = Json::array();
        for (const Message& m : out) {
            const std::string text = linktool::Utf8FromBytes(m.text);
            published.push_back({{"topic", DefaultTopic(m.form)}, {"text", text}});
            const char* source = m.form == Form::Hfdl ? "hfdl" : m.form == Form::HfAcars ? "hfacars" : "airmaster";
            replayInput += Json{{"source", source}, {"text", text}}.dump() + "\n";
        }
        EXPECT_EQ(published, c.at("published")) << "converted: " << published.dump();
        const auto positions = c.at("positions").get<std::vector<std::string>>();
        EXPECT_EQ(out.size(), positions.size());
        expectedPositions.insert(expectedPositions.end(), positions.begin(), positions.end());
    }
    ASSERT_FALSE(expectedPositions.empty());

    // A program folder whose settings leave every filter off and SBS-1 reports on.
    test::TempHome home;
    home.Write("KORVAL.ini", test::ReadTestData("bridge/KORVAL.ini"));
    ReplayOptions options;
    options.home = home.path().string();
    std::istringstream in(replayInput);
    std::ostringstream out, err;
    ASSERT_EQ(RunReplay(options, in, out, err), 0) << out.str() << err.str();

    std::istringstream lines(out.str());
    std::size_t n = 0;
    for (std::string line; std::getline(lines, line); ++n) {
        ASSERT_LT(n, expectedPositions.size());
        const Json j = Json::parse(line);
        EXPECT_EQ(j.at("positions"), expectedPositions[n]) << "message " << n + 1 << ": " << j.at("live");
        EXPECT_EQ(j.at("found"), !expectedPositions[n].empty()) << "message " << n + 1;
    }
    EXPECT_EQ(n, expectedPositions.size());
}

INSTANTIATE_TEST_SUITE_P(Bridge, Golden,
                         ::testing::Values(GoldenCase{"acarsdec.jsonl", Source::Acarsdec},
                                           GoldenCase{"dumpvdl2.jsonl", Source::Dumpvdl2},
                                           GoldenCase{"dumphfdl.jsonl", Source::Dumphfdl},
                                           GoldenCase{"sbs.jsonl", Source::Sbs}),
                         [](const auto& param) { return std::string(SourceName(param.param.source)); });

}  // namespace
}  // namespace korval::bridge
