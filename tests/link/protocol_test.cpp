#include <gtest/gtest.h>

#include <string>
#include <tuple>
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
    if (c.command) {
        const char* const verbs[] = {"ADVISE", "UNADVISE", "REQUEST", "?"};  // in the order of Verb
        const Parsed<Command> r = ParseCommand(c.input);
        EXPECT_EQ(Said(r, verbs[static_cast<int>(r.value.verb)] + (" " + std::string(r.value.item))), c.said);
    } else {
        const Parsed<Frame> r = ParseFrame(c.input);
        const std::string read = r.value.kind == FrameKind::Data ? "DATA " + std::string(r.value.item) + "=" : "ERROR ";
        EXPECT_EQ(Said(r, read + std::string(r.value.value)), c.said);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Link, Parsing,
    ::testing::Values(ParseCase{"frame", false, "DATA LiveData 5\nhello", "DATA LiveData=hello +21"},
                      ParseCase{"crBeforeLfDropped", false, "DATA a 1\r\nx", "DATA a=x +11"},
                      ParseCase{"longestItem", false, "DATA " + std::string(255, 'i') + " 0\n",
                                "DATA " + std::string(255, 'i') + "= +263"},
                      ParseCase{"error", false, "ERROR unknown item X\n", "ERROR unknown item X +21"},
                      ParseCase{"oneMiBWaitsForItsBytes", false, "DATA a 1048576\n", "Incomplete"},
                      ParseCase{"overOneMiB", false, "DATA a 1048577\n", "Malformed"},
                      ParseCase{"crAtTheEnd", false, "DATA a 5\r", "Incomplete"},
                      ParseCase{"elevenDigits", false, "DATA a 00000000001\n", "Malformed"},
                      ParseCase{"itemTooLong", false, "DATA " + std::string(256, 'i') + " 0\n", "Malformed"},
                      ParseCase{"binary", false, "\x16\x03\x01"s, "Malformed"},
                      ParseCase{"crInsideLine", false, "DATA a 1\rX\n", "Malformed"},
                      ParseCase{"longestLineStillWaits", false, std::string(kMaxLine - 1, 'A'), "Incomplete"},
                      ParseCase{"lineTooLong", false, std::string(kMaxLine, 'A'), "Malformed"},
                      ParseCase{"advise", true, "ADVISE LiveData\n", "ADVISE LiveData +16"},
                      ParseCase{"request", true, "REQUEST txtCount\nADVISE", "REQUEST txtCount +17"},
                      ParseCase{"unknownVerb", true, "POKE x\n", "? POKE +7"},
                      ParseCase{"commandBegun", true, "ADVISE Live", "Incomplete"},
                      ParseCase{"noItem", true, "ADVISE\n", "Malformed"},
                      ParseCase{"twoItems", true, "ADVISE a b\n", "Malformed"}),
    test::CaseName());

using Received = std::tuple<FrameKind, std::string, std::string>;  // a kind, an item and a value

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
    const std::vector<Received> sent = {{FrameKind::Data, "LiveData", "1ACARS mode: 2\r\nMessage label: H1\r\n"},
                                        {FrameKind::Data, "Flight", ""},
                                        {FrameKind::Data, "LiveData", "DATA x 3\nabc"},
                                        {FrameKind::Data, "txtCount", std::string(700, '7')},
                                        {FrameKind::Data, "LiveData", "\0\r\n\xff"s},
                                        {FrameKind::Error, "", "unknown item Nope"}};
    std::string stream;
    for (const auto& [kind, item, value] : sent)
        kind == FrameKind::Data ? AppendData(stream, item, value) : AppendError(stream, value);
    for (std::size_t k = 0; k <= stream.size(); ++k) ASSERT_EQ(ReadSplit(stream, k), sent) << "split at " << k;
}

// Whatever text an error carries, the line it makes is one the other side can read.
TEST(LinkProtocol, ErrorTextsAlwaysMakeOneReadableLine)
{
    std::string line;
    AppendError(line, "a\nb\r\0c"s);
    EXPECT_EQ(line, "ERROR a?b??c\n");
    line.clear();
    AppendError(line, std::string(5000, 'e'));
    EXPECT_EQ(line, "ERROR " + std::string(kMaxLine - 7, 'e') + "\n");  // kMaxLine bytes in all
}

}  // namespace
}  // namespace korval::link
