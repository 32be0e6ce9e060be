#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "input_lines.h"
#include "qt_test_support.h"
#include "test_support.h"

namespace korval::linktool {
namespace {

using korval::test::PrintTo;
using Result = InputLines::Result;

// Everything Next gives until it has to wait or the input ends, as "<line>", "too-long",
// "waiting", "end" or "failed" joined by blanks; `numbered` adds "#N", the line's number.
std::string Drain(InputLines& in, bool numbered = false)
{
    const char* const names[] = {"", "too-long", "waiting", "end", "failed"};  // in the order of Result
    std::string said, line;
    for (;;) {
        const Result r = in.Next(line);
        said += r == Result::Line ? '<' + line + '>' : names[static_cast<int>(r)];
        if (r != Result::Line && r != Result::TooLong) return said;
        if (numbered) said += '#' + std::to_string(in.LineNumber());
        said += ' ';
    }
}

struct PipeCase {
    const char* name;
    std::vector<std::string> writes;  // one write each; the writer closes after the last
    std::vector<std::string> said;    // what Drain gives after each write, then after the close
};

class InputLinesFromAPipe : public ::testing::TestWithParam<PipeCase> {};

// The lines come as the writer sends them, never waiting for more; a line over the ceiling (8 bytes
// here) is passed over whole, whatever the writes it came in.
TEST_P(InputLinesFromAPipe, GivesEachLineAsSoonAsItIsComplete)
{
    const PipeCase& c = GetParam();
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    InputLines in(ends[0], 8);
    int woken = 0;
    in.OnReadable([&] { ++woken; });
    EXPECT_EQ(Drain(in), "waiting");
    for (std::size_t i = 0; i <= c.writes.size(); ++i) {
        if (i < c.writes.size()) {
            ASSERT_EQ(::write(ends[1], c.writes[i].data(), c.writes[i].size()),
                      static_cast<ssize_t>(c.writes[i].size()));
        } else {
            ::close(ends[1]);
        }
        // After "waiting", the handler says when the write or the close can be read.
        const int before = woken;
        ASSERT_TRUE(test::RunUntil([&] { return woken > before; })) << "step " << i;
        EXPECT_EQ(Drain(in), c.said[i]) << "step " << i;
    }
    ::close(ends[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Link, InputLinesFromAPipe,
    ::testing::Values(
        PipeCase{"lineInThreeWrites", {"ab", "c", "d\ne"}, {"waiting", "waiting", "<abcd> waiting", "<e> end"}},
        PipeCase{"emptyLinesAndCrKept", {"\n\r\nx\r\n"}, {"<> <\r> <x\r> waiting", "end"}},
        PipeCase{"exactlyTheCeiling", {"12345678\n"}, {"<12345678> waiting", "end"}},
        PipeCase{"longLineInManyWrites",
                 {"12345", "67890", "abcdef", "gh\nok"},
                 {"waiting", "too-long waiting", "waiting", "waiting", "<ok> end"}}),
    korval::test::CaseName());

// A file never makes the reader wait: its lines come one after the other up to its end, each
// counted, also the one passed over. A folder fails to be read.
TEST(InputLines, FileIsReadToItsEndWithoutWaiting)
{
    test::TempHome home(false);
    home.Write("replay.jsonl", "a\n1234567890\nb\n\nc");
    for (const auto& [name, said] :
         {std::pair{"replay.jsonl", "<a>#1 too-long#2 <b>#3 <>#4 <c>#5 end"}, {".", "failed"}}) {
        const int fd = ::open((home.path() / name).c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        InputLines in(fd, 8);
        EXPECT_EQ(Drain(in, true), said) << name;
        ::close(fd);
    }
}

// An input that never runs dry does not keep the event loop: the reader pauses after a turn's share
// (64 KiB here) and goes on when called back, losing nothing.
TEST(InputLines, LargeInputIsReadATurnAtATime)
{
    test::TempHome home(false);
    std::string text;
    for (int i = 0; i < 40000; ++i) text += std::to_string(100000 + i) + '\n';  // 280,000 bytes
    home.Write("replay.jsonl", text);
    const int fd = ::open((home.path() / "replay.jsonl").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    InputLines in(fd, InputLines::kMaxLine, 64 * 1024);
    int calls = 0;
    in.OnReadable([&] { ++calls; });
    std::string line;
    int lines = 0;
    int pauses = 0;
    for (Result r = in.Next(line); r != Result::End; r = in.Next(line)) {
        ASSERT_NE(r, Result::Failed);
        if (r == Result::Waiting) {
            ++pauses;
            ASSERT_TRUE(test::RunUntil([&] { return calls == pauses; }));
        } else {
            ASSERT_EQ(line, std::to_string(100000 + lines++));
        }
    }
    EXPECT_EQ(lines, 40000);
    EXPECT_EQ(pauses, 4);  // after 64, 128, 192 and 256 KiB
    ::close(fd);
}

}  // namespace
}  // namespace korval::linktool
