#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include <QStringList>

#include "link_tool.h"
#include "qt_test_support.h"

namespace korval::linktool {
namespace {

using korval::test::PrintTo;
using namespace std::string_literals;

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

// A command line written with blanks between the arguments.
QStringList Args(const char* line)
{
    return QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

class LinkProgram : public test::ProgramTest {
protected:
    void Start(test::Program& p, const QStringList& args, bool withInput = false)
    {
        test::ProgramTest::Start(p, test::LinkProgram(), args, withInput);
    }
};

TEST_F(LinkProgram, ServeAndListenCarryEveryTextOfAFile)
{
    test::Program serve, listen;
    Start(serve, Args("serve --topic Test|ACARS --rate 0 --exit-when-done --input")
                     << QStringLiteral(KORVAL_TEST_DATA "/link/replay.jsonl"));
    ASSERT_TRUE(Served("test%7cacars"));
    Start(listen, Args("listen --topic test|acars --item LiveData --count 4"));
    ASSERT_TRUE(listen.Finished());
    ASSERT_TRUE(serve.Finished());
    EXPECT_EQ(listen.ExitCode(), kExitOk) << listen.Err();
    EXPECT_EQ(serve.ExitCode(), kExitOk) << serve.Err();
    EXPECT_EQ(listen.Out(), test::ReadTestData("link/replay.all.expected.jsonl"));
    for (const char* said : {"line 5 passed over", "line 7 passed over", "line 8 passed over", "published 4 values"}) {
        EXPECT_NE(serve.Err().find(said), std::string::npos) << serve.Err();
    }
}

TEST_F(LinkProgram, ListenWaitsForTheServerAndServeKeepsToItsSource)
{
    test::Program serve, listen;
    Start(listen, Args("listen --topic Test|ACARS --count 3 --wait"));
    ASSERT_TRUE(test::RunUntil([&] { return listen.Err().find("waiting for Test|ACARS") != std::string::npos; }))
        << listen.Err();
    Start(serve, Args("serve --topic Test|ACARS --source airmaster --rate 50 --exit-when-done"), true);
    serve.Write(test::ReadTestData("link/replay.jsonl"));  // the file comes on standard input
    serve.CloseInput();
    ASSERT_TRUE(listen.Finished());
    ASSERT_TRUE(serve.Finished());
    EXPECT_EQ(listen.ExitCode(), kExitOk) << listen.Err();
    EXPECT_EQ(serve.ExitCode(), kExitOk) << serve.Err();
    EXPECT_EQ(listen.Out(), test::ReadTestData("link/replay.airmaster.expected.jsonl"));
}

struct RunCase {
    const char* name;
    const char* args;
    int status;
    const char* said;  // on standard output with status 0, else on standard error
};

class LinkRuns : public LinkProgram, public ::testing::WithParamInterface<RunCase> {};

// Usage errors and a missing server end with their status and say why; --help and -h answer with
// the usage on standard output, whatever follows.
TEST_P(LinkRuns, EndWithTheirStatusAndSayWhy)
{
    const RunCase& c = GetParam();
    test::Program p;
    Start(p, Args(c.args));
    ASSERT_TRUE(p.Finished());
    EXPECT_EQ(p.ExitCode(), c.status);
    EXPECT_NE((c.status == kExitOk ? p.Out() : p.Err()).find(c.said), std::string::npos) << p.Out() << p.Err();
    EXPECT_EQ(c.status == kExitOk ? p.Err() : p.Out(), "");
}

INSTANTIATE_TEST_SUITE_P(Link, LinkRuns,
                         ::testing::Values(RunCase{"unknownCommand", "poke", kExitUsage, "usage:"},
                                           RunCase{"zeroCount", "listen --topic A|B --count 0", kExitUsage, "usage:"},
                                           RunCase{"noServer", "listen --topic Nobody|ACARS", kExitNoLink, "282"},
                                           RunCase{"listenH", "listen --topic A|B -h", kExitOk, "usage: korval-link"}),
                         test::CaseName());

// korval-link serve fed by a pipe that stays open, as a decoder feeds it: as fast as the client
// takes the values, and at a rate whose next value is due long before the next line comes.
class ServeFromAPipe : public LinkProgram, public ::testing::WithParamInterface<const char*> {
protected:
    void StartServe()
    {
        Start(serve, Args("serve --topic Test|ACARS --rate") << QString::fromLatin1(GetParam()), /*withInput=*/true);
        ASSERT_TRUE(Served("test%7cacars"));
    }

    test::Program serve, listen;
};

// A value longer than the system takes at once goes out whole as soon as its line has come,
// without waiting for the next line.
TEST_P(ServeFromAPipe, LongValueArrivesWholeWithoutAFurtherLine)
{
    StartServe();
    Start(listen, Args("listen --topic Test|ACARS --count 1"));
    const std::string text(300 * 1024, 'L');
    serve.Write(R"({"text": ")" + text + "\"}\n");  // and the input stays open
    // The event loop hands the line to the pipe while the listener waits for the value.
    ASSERT_TRUE(listen.Finished(std::chrono::seconds(30))) << "the value did not arrive whole";
    EXPECT_EQ(listen.ExitCode(), kExitOk) << listen.Err();
    EXPECT_EQ(listen.Out(), R"({"item": "LiveData", "value": ")" + text + "\"}\n");
}

// SIGTERM ends the run at once, also while the next line has not come.
TEST_P(ServeFromAPipe, EndsOnTerminateWhileTheInputStaysOpen)
{
    StartServe();
    Start(listen, Args("listen --topic Test|ACARS"));
    serve.Write("{\"text\": \"one\"}\n");
    ASSERT_TRUE(test::RunUntil([&] { return listen.OutLines() >= 1; }));
    EXPECT_EQ(listen.Out(), "{\"item\": \"LiveData\", \"value\": \"one\"}\n");
    serve.Signal(SIGTERM);
    ASSERT_TRUE(serve.Finished(std::chrono::seconds(10))) << "the signal was not heard";
    EXPECT_EQ(serve.ExitCode(), kExitOk) << serve.Err();
}

INSTANTIATE_TEST_SUITE_P(Link, ServeFromAPipe, ::testing::Values("0", "1000"),
                         [](const ::testing::TestParamInfo<const char*>& p) {
                             return std::string(p.param) == "0" ? std::string("asFastAsTaken")
                                                                : std::string("thousandPerSecond");
                         });

}  // namespace
}  // namespace korval::linktool
