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

constexpr std::int64_t kNow = 1796472000;  // 2026-12-05 12:00:00 UTC, for captures without a time

std::string Bytes(const Json& text)
{
    std::optional<std::string> bytes = linktool::BytesFromUtf8(text.get<std::string>());
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or("");
}

std::string_view ReplaySource(Form form)
{
    switch (form) {
        case Form::HfAcars:
            return "hfacars";
        case Form::Hfdl:
            return "hfdl";
        case Form::Airmaster:
            break;
    }
    return "airmaster";
}

struct Capture {
    std::string name;
    std::string datagram;
    Json published;
    std::vector<std::string> positions;
    std::map<std::string, long long> dropped;  // lines of a stream that are not position reports
};

std::vector<Capture> ReadCaptures(const std::string& file)
{
    std::vector<Capture> captures;
    std::istringstream in(test::ReadTestData("bridge/" + file));
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) continue;
        const Json j = Json::parse(line);
        Capture c;
        c.name = j.at("case").get<std::string>();
        const Json& d = j.at("datagram");
        c.datagram = d.is_string() ? Bytes(d) : d.dump();
        c.published = j.at("published");
        c.positions = j.at("positions").get<std::vector<std::string>>();
        if (j.contains("dropped")) c.dropped = j.at("dropped").get<std::map<std::string, long long>>();
        captures.push_back(std::move(c));
    }
    return captures;
}

Json Published(const std::vector<Message>& messages)
{
    Json list = Json::array();
    for (const Message& m : messages)
        list.push_back({{"topic", DefaultTopic(m.form)}, {"text", linktool::Utf8FromBytes(m.text)}});
    return list;
}

struct GoldenCase {
    const char* file;
    Source source;
};
void PrintTo(const GoldenCase& c, std::ostream* os)
{
    *os << c.file;
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, CapturesGiveTheTextsAndThePipelineFindsTheirPositions)
{
    const std::vector<Capture> captures = ReadCaptures(GetParam().file);
    ASSERT_FALSE(captures.empty());

    std::string replayInput;
    std::vector<std::string> expectedPositions;
    for (const Capture& c : captures) {
        SCOPED_TRACE(c.name);
        std::vector<Message> out;
        Counters counters;
        if (GetParam().source == Source::Sbs) {
            SbsConverter sbs;
            sbs.Feed(c.datagram, 0, kNow, out, counters);
        } else {
            ConvertDatagram(GetParam().source, c.datagram, kNow, out, counters);
        }
        EXPECT_EQ(counters.dropped, c.dropped) << counters.Summary();
        EXPECT_EQ(Published(out), c.published) << "converted: " << Published(out).dump();
        EXPECT_EQ(out.size(), c.positions.size());
        for (const Message& m : out) {
            replayInput +=
                Json{{"source", ReplaySource(m.form)}, {"text", linktool::Utf8FromBytes(m.text)}}.dump() + "\n";
        }
        expectedPositions.insert(expectedPositions.end(), c.positions.begin(), c.positions.end());
    }

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
