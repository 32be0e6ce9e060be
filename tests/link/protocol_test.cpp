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

const char* StateName(ParseState s)
{
    return s == ParseState::Complete ? "Complete" : s == ParseState::Malformed ? "Malformed" : "Incomplete";
}

// ---- Server frames ----------------------------------------------------------------------------

struct FrameCase {
    const char* name;
    std::string input;
    ParseState state;
    FrameKind kind = FrameKind::Data;
    std::string item{};
    std::string value{};
    std::size_t used = 0;
};

class FrameParsing : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameParsing, GivesValueOrReason)
{
    const FrameCase& c = GetParam();
    const Parsed<Frame> r = ParseFrame(c.input);
    ASSERT_STREQ(StateName(r.state), StateName(c.state)) << r.reason;
    if (c.state == ParseState::Complete) {
        EXPECT_EQ(r.value.kind, c.kind);
        EXPECT_EQ(r.value.item, c.item);
        EXPECT_EQ(r.value.value, c.value);
        EXPECT_EQ(r.used, c.used);
    }
    if (c.state == ParseState::Malformed) EXPECT_FALSE(r.reason.empty());
}

const std::string kItem255(255, 'i');
const std::string kItem256(256, 'i');

INSTANTIATE_TEST_SUITE_P(
    Link, FrameParsing,
    ::testing::Values(
        FrameCase{"plain", "DATA LiveData 5\nhello", ParseState::Complete, FrameKind::Data, "LiveData", "hello", 21},
        FrameCase{"anyBytesInValue", "DATA a 6\n\0\xff\x80\r\n\n"s, ParseState::Complete, FrameKind::Data, "a",
                  "\0\xff\x80\r\n\n"s, 15},
        FrameCase{"crBeforeLfDropped", "DATA a 1\r\nx", ParseState::Complete, FrameKind::Data, "a", "x", 11},
        FrameCase{"longestItem", "DATA " + kItem255 + " 0\n", ParseState::Complete, FrameKind::Data, kItem255, "", 263},
        FrameCase{"error", "ERROR unknown item X\n", ParseState::Complete, FrameKind::Error, "", "unknown item X", 21},
        FrameCase{"oneMiBWaitsForItsBytes", "DATA a 1048576\n", ParseState::Incomplete},
        FrameCase{"overOneMiB", "DATA a 1048577\n", ParseState::Malformed},
        FrameCase{"crAtTheEnd", "DATA a 5\r", ParseState::Incomplete},
        FrameCase{"unknownWord", "HELLO there\n", ParseState::Malformed},
        FrameCase{"noLength", "DATA a\n", ParseState::Malformed},
        FrameCase{"elevenDigits", "DATA a 00000000001\n", ParseState::Malformed},
        FrameCase{"itemTooLong", "DATA " + kItem256 + " 0\n", ParseState::Malformed},
        FrameCase{"binaryAtOnce", "\x16\x03\x01"s, ParseState::Malformed},
        FrameCase{"crInsideLine", "DATA a 1\rX\n", ParseState::Malformed},
        FrameCase{"longestLineStillWaits", std::string(kMaxLine - 1, 'A'), ParseState::Incomplete},
        FrameCase{"lineTooLong", std::string(kMaxLine, 'A'), ParseState::Malformed}),
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

// ---- Client commands --------------------------------------------------------------------------

struct CommandCase {
    const char* name;
    std::string input;
    ParseState state;
    Verb verb = Verb::Unknown;
    std::string item{};
    std::size_t used = 0;
};

class CommandParsing : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandParsing, GivesValueOrReason)
{
    const CommandCase& c = GetParam();
    const Parsed<Command> r = ParseCommand(c.input);
    ASSERT_STREQ(StateName(r.state), StateName(c.state)) << r.reason;
    if (c.state == ParseState::Complete) {
        EXPECT_EQ(r.value.verb, c.verb);
        EXPECT_EQ(r.value.item, c.item);
        EXPECT_EQ(r.used, c.used);
    }
    if (c.state == ParseState::Malformed) EXPECT_FALSE(r.reason.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Link, CommandParsing,
    ::testing::Values(
        CommandCase{"advise", "ADVISE LiveData\n", ParseState::Complete, Verb::Advise, "LiveData", 16},
        CommandCase{"unadvise", "UNADVISE x\n", ParseState::Complete, Verb::Unadvise, "x", 11},
        CommandCase{"request", "REQUEST txtCount\nADVISE", ParseState::Complete, Verb::Request, "txtCount", 17},
        CommandCase{"crLf", "ADVISE x\r\n", ParseState::Complete, Verb::Advise, "x", 10},
        CommandCase{"longestItem", "ADVISE " + kItem255 + "\n", ParseState::Complete, Verb::Advise, kItem255, 263},
        CommandCase{"unknownVerb", "POKE x\n", ParseState::Complete, Verb::Unknown, "POKE", 7},
        CommandCase{"begun", "ADVISE Live", ParseState::Incomplete},
        CommandCase{"noItem", "ADVISE\n", ParseState::Malformed},
        CommandCase{"twoItems", "ADVISE a b\n", ParseState::Malformed},
        CommandCase{"itemTooLong", "REQUEST " + kItem256 + "\n", ParseState::Malformed},
        CommandCase{"binary", "\x16\x03\x01\x02"s, ParseState::Malformed},
        CommandCase{"tooLongWithoutLf", std::string(kMaxLine, 'A'), ParseState::Malformed}),
    test::CaseName());

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
