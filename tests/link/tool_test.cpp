#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <tuple>

#include <QStringList>

#include "link_tool.h"
#include "qt_test_support.h"

namespace korval::linktool {
namespace {

using korval::test::PrintTo;
using namespace std::string_literals;
using namespace std::chrono_literals;

// The golden input of the program tests holds the other kinds of line.
TEST(LinkTool, ReplayLinesReadAsADecoderWouldSendThem)
{
    EXPECT_EQ(ParseReplayLine("{\"text\": \"x\"}\r").text, "x");  // a CR LF line end
    for (const std::string bad : {R"({"text": 12})", "{\"text\": \"\xff\xfe\"}"}) {
        const ReplayLine r = ParseReplayLine(bad);
        EXPECT_EQ(r.kind, ReplayLine::Kind::Bad) << bad;
        EXPECT_FALSE(r.reason.empty()) << bad;
    }
}

// ---- The program itself --------------------------------------------------------------------------

class LinkProgram : public test::ProgramTest {
protected:
    // Starts korval-link with a command line written with blanks between the arguments.
    void Start(test::Program& p, const std::string& line, bool withInput = false)
    {
        const QStringList args = QString::fromStdString(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        test::ProgramTest::Start(p, test::LinkProgram(), args, withInput);
    }
};

// A listener started first waits for the server; the server passes over the lines it cannot read
// and those of other sources, and publishes nothing before a client takes the item.
TEST_F(LinkProgram, ServeAndListenCarryTheTextsOfTheirSource)
{
    test::Program serve, listen;
    Start(listen, "listen --topic test|acars --count 3 --wait");
    ASSERT_TRUE(test::RunUntil([&] { return listen.Err().find("waiting for test|acars") != std::string::npos; }))
        << listen.Err();
    Start(serve, "serve --topic Test|ACARS --source airmaster --rate 0 --exit-when-done --input " KORVAL_TEST_DATA
                 "/link/replay.jsonl");
    ASSERT_TRUE(listen.Finished());
    ASSERT_TRUE(serve.Finished());
    EXPECT_EQ(listen.ExitCode(), kExitOk) << listen.Err();
    EXPECT_EQ(serve.ExitCode(), kExitOk) << serve.Err();
    EXPECT_EQ(listen.Out(), test::ReadTestData("link/replay.airmaster.expected.jsonl"));
    for (const char* said : {"line 5 passed over", "line 7 passed over", "line 8 passed over", "published 3 values"}) {
        EXPECT_NE(serve.Err().find(said), std::string::npos) << serve.Err();
    }
}

// Usage errors and a missing server end with their status and say why; -h answers with the usage
// on standard output, whatever follows.
TEST_F(LinkProgram, RunsEndWithTheirStatusAndSayWhy)
{
    const std::tuple<const char*, int, const char*> runs[] = {{"poke", kExitUsage, "usage:"},
                                                              {"listen --topic Nobody|ACARS", kExitNoLink, "282"},
                                                              {"listen --topic A|B -h", kExitOk, "usage: korval-link"}};
    for (const auto& [args, status, said] : runs) {
        test::Program p;
        Start(p, args);
        ASSERT_TRUE(p.Finished()) << args;
        EXPECT_EQ(p.ExitCode(), status) << args;
        EXPECT_NE((status == kExitOk ? p.Out() : p.Err()).find(said), std::string::npos) << p.Out() << p.Err();
        EXPECT_EQ(status == kExitOk ? p.Err() : p.Out(), "") << args;
    }
}

// korval-link serve fed by a pipe that stays open, as a decoder feeds it: as fast as the client
// takes the values, and at a rate whose next value is due long before the next line comes.
class ServeFromAPipe : public LinkProgram, public ::testing::WithParamInterface<const char*> {};

// A value longer than the system takes at once goes out whole as soon as its line has come, without
// waiting for the next line; SIGTERM ends the run at once, also while the next line has not come.
TEST_P(ServeFromAPipe, SendsALineAtOnceAndEndsOnTerminate)
{
    test::Program serve, listen;
    Start(serve, "serve --topic Test|ACARS --rate "s + GetParam(), /*withInput=*/true);
    ASSERT_TRUE(Served("test%7cacars"));
    Start(listen, "listen --topic Test|ACARS");
    const std::string text(300 * 1024, 'L');
    serve.Write(R"({"text": ")" + text + "\"}\n");  // and the input stays open
    ASSERT_TRUE(test::RunUntil([&] { return listen.OutLines() >= 1; }, 30s)) << "the value did not arrive whole";
    EXPECT_EQ(listen.Out(), R"({"item": "LiveData", "value": ")" + text + "\"}\n");
    serve.Signal(SIGTERM);
    ASSERT_TRUE(serve.Finished(10s)) << "the signal was not heard";
    EXPECT_EQ(serve.ExitCode(), kExitOk) << serve.Err();
}

INSTANTIATE_TEST_SUITE_P(Link, ServeFromAPipe, ::testing::Values("0", "1000"), [](const auto& p) {
    return std::string(p.param) == "0" ? "asFastAsTaken" : "thousandPerSecond";
});

}  // namespace
}  // namespace korval::linktool
