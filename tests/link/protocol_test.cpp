#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "link/protocol.h"
#include "test_support.h"

namespace korval::link {
namespace {

using korval::test::PrintTo;
using namespace std::string_literals;

// What a parse gave, as the table rows write it: "Incomplete", "Malformed" (with a reason), or
// what was read and the bytes used: "DATA LiveData=hello +21", "ERROR text +21", "ADVISE x +9"
// ("?" for an unknown verb, with the word sent).
template <class T>
std::string Said(const Parsed<T>& r, const std::string& read)
{
    if (r.state == ParseState::Incomplete) return "Incomplete";
    if (r.state == ParseState::Malformed) return r.reason.empty() ? "Malformed without a reason" : "Malformed";
    return read + " +" + std::to_string(r.used);
}

std::string SaidOfFrame(std::string_view input)
{
    const Parsed<Frame> r = ParseFrame(input);
    const std::string value(r.value.value);
    return Said(r,
                r.value.kind == FrameKind::Data ? "DATA " + std::string(r.value.item) + "=" + value : "ERROR " + value);
}

std::string SaidOfCommand(std::string_view input)
{
    const Parsed<Command> r = ParseCommand(input);
    const Verb v = r.value.verb;
    const char* verb = v == Verb::Advise     ? "ADVISE"
                       : v == Verb::Unadvise ? "UNADVISE"
                       : v == Verb::Request  ? "REQUEST"
                                             : "?";
    return Said(r, verb + (" " + std::string(r.value.item)));
}

struct ParseCase {
    const char* name;
    bool command;  // a client command, else a server frame
    std::string input;
    std::string said;
};

class Parsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(Parsing, GivesValueOrReason)
{
    const ParseCase& c = GetParam();
    EXPECT_EQ(c.command ? SaidOfCommand(c.input) : SaidOfFrame(c.input), c.said);
}

const std::string kItem255(255, 'i');
const std::string kItem256(256, 'i');

INSTANTIATE_TEST_SUITE_P(
    Link, Parsing,
    ::testing::Values(ParseCase{"frame", false, "DATA LiveData 5\nhello", "DATA LiveData=hello +21"},
                      ParseCase{"anyBytesInValue", false, "DATA a 6\n\0\xff\x80\r\n\n"s,
                                "DATA a=\0\xff\x80\r\n\n +15"s},
                      ParseCase{"crBeforeLfDropped", false, "DATA a 1\r\nx", "DATA a=x +11"},
                      ParseCase{"longestItem", false, "DATA " + kItem255 + " 0\n", "DATA " + kItem255 + "= +263"},
                      ParseCase{"error", false, "ERROR unknown item X\n", "ERROR unknown item X +21"},
                      ParseCase{"oneMiBWaitsForItsBytes", false, "DATA a 1048576\n", "Incomplete"},
                      ParseCase{"overOneMiB", false, "DATA a 1048577\n", "Malformed"},
                      ParseCase{"crAtTheEnd", false, "DATA a 5\r", "Incomplete"},
                      ParseCase{"elevenDigits", false, "DATA a 00000000001\n", "Malformed"},
                      ParseCase{"itemTooLong", false, "DATA " + kItem256 + " 0\n", "Malformed"},
                      ParseCase{"binary", false, "\x16\x03\x01"s, "Malformed"},
                      ParseCase{"crInsideLine", false, "DATA a 1\rX\n", "Malformed"},
                      ParseCase{"longestLineStillWaits", false, std::string(kMaxLine - 1, 'A'), "Incomplete"},
                      ParseCase{"lineTooLong", false, std::string(kMaxLine, 'A'), "Malformed"},
                      ParseCase{"advise", true, "ADVISE LiveData\n", "ADVISE LiveData +16"},
                      ParseCase{"request", true, "REQUEST txtCount\nADVISE", "REQUEST txtCount +17"},
                      ParseCase{"commandCrLf", true, "ADVISE x\r\n", "ADVISE x +10"},
                      ParseCase{"unknownVerb", true, "POKE x\n", "? POKE +7"},
                      ParseCase{"commandBegun", true, "ADVISE Live", "Incomplete"},
                      ParseCase{"noItem", true, "ADVISE\n", "Malformed"},
                      ParseCase{"twoItems", true, "ADVISE a b\n", "Malformed"},
                      ParseCase{"commandTooLongWithoutLf", true, std::string(kMaxLine, 'A'), "Malformed"}),
    test::CaseName());

struct Received {
    FrameKind kind;
    std::string item, value;
    bool operator==(const Received&) const = default;
};

// Feeds `stream` cut at `cut` to a reader that keeps unparsed bytes, as a socket reader does.
std::vector<Received> ReadSplit(std::string_view stream, std::size_t cut)
{
    std::vector<Received> got;
    std::string buffer;
    for (std::string_view piece : {stream.substr(0, cut), stream.substr(cut)}) {
        buffer.append(piece);
        for (Parsed<Frame> r = ParseFrame(buffer); r.state == ParseState::Complete; r = ParseFrame(buffer)) {
            got.push_back({r.value.kind, std::string(r.value.item), std::string(r.value.value)});
            buffer.erase(0, r.used);
        }
    }
    EXPECT_TRUE(buffer.empty());
    return got;
}

TEST(LinkProtocol, AStreamSplitAtEveryByteGivesTheSameFrames)
{
    std::string stream;
    std::vector<Received> expected;
    const std::vector<std::pair<std::string, std::string>> values = {
        {"LiveData", "1ACARS mode: 2\r\nMessage label: H1\r\n"},
        {"Flight", ""},
        {"LiveData", "DATA x 3\nabc"},
        {"txtCount", std::string(700, '7')},
        {"LiveData", "\0\r\n\xff"s}};
    for (const auto& [item, value] : values) {
        AppendData(stream, item, value);
        expected.push_back({FrameKind::Data, item, value});
    }
    AppendError(stream, "unknown item Nope");
    expected.push_back({FrameKind::Error, "", "unknown item Nope"});
    for (std::size_t k = 0; k <= stream.size(); ++k) ASSERT_EQ(ReadSplit(stream, k), expected) << "split at " << k;
}

// Whatever text an error carries, the line it makes is one the other side can read.
TEST(LinkProtocol, ErrorTextsAlwaysMakeOneReadableLine)
{
    for (const std::string& text : {"a\nb\r\0c"s, std::string(5000, 'e')}) {
        std::string line;
        AppendError(line, text);
        const Parsed<Frame> r = ParseFrame(line);
        ASSERT_EQ(r.state, ParseState::Complete) << r.reason;
        EXPECT_EQ(r.value.kind, FrameKind::Error);
        EXPECT_EQ(r.used, line.size());
        EXPECT_LE(line.size(), kMaxLine);
    }
}

TEST(LinkProtocol, NamesCompareWithoutCaseOfAsciiLettersOnly)
{
    EXPECT_TRUE(SameName("WinACARS|ACARS", "winacars|ACARS"));
    EXPECT_FALSE(SameName("a\xe9", "a\xc9"));
}

}  // namespace
}  // namespace korval::link
