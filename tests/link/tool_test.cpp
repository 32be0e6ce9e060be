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

struct LineCase {
    const char* name;
    std::string line;
    ReplayLine::Kind kind;
    std::string source{};
    std::string text{};
};

class ReplayLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(ReplayLines, ReadAsADecoderWouldSendThem)
{
    const LineCase& c = GetParam();
    const ReplayLine r = ParseReplayLine(c.line);
    EXPECT_EQ(r.kind, c.kind) << r.reason;
    if (c.kind == ReplayLine::Kind::Text) {
        EXPECT_EQ(r.source, c.source);
        EXPECT_EQ(r.text, c.text);
    }
    if (c.kind == ReplayLine::Kind::Bad) {
        EXPECT_FALSE(r.reason.empty());
    }
}

using Kind = ReplayLine::Kind;

INSTANTIATE_TEST_SUITE_P(
    Link, ReplayLines,
    ::testing::Values(LineCase{"text", R"({"source": "airmaster", "text": "a\r\nb"})", Kind::Text, "airmaster",
                               "a\r\nb"},
                      LineCase{"latinBytes", R"({"text": "\u0000\u00e9\u00ff"})", Kind::Text, "", "\0\xe9\xff"s},
                      LineCase{"crLfLineEnd", "{\"text\": \"x\"}\r", Kind::Text, "", "x"},
                      LineCase{"tick", R"({"tick": "1201", "text": "not a message"})", Kind::Skip},
                      LineCase{"noText", R"({"source": "airmaster"})", Kind::Skip},
                      LineCase{"blank", "  \r", Kind::Skip}, LineCase{"notJson", "POS N51", Kind::Bad},
                      LineCase{"cutShort", R"({"text": "abc)", Kind::Bad}, LineCase{"array", R"(["text"])", Kind::Bad},
                      LineCase{"textNotString", R"({"text": 12})", Kind::Bad},
                      LineCase{"sourceNotString", R"({"source": 1, "text": "x"})", Kind::Bad},
                      LineCase{"aboveU00FF", R"({"text": "\u20ac"})", Kind::Bad},
                      LineCase{"rawBinary", "{\"text\": \"\xff\xfe\"}", Kind::Bad}),
    test::CaseName());

TEST(LinkTool, ValueLineMapsBytesToCharacters)
{
    EXPECT_EQ(ValueLine("LiveData", "a\r\n\0\xe9\""s),
              "{\"item\": \"LiveData\", \"value\": \"a\\r\\n\\u0000\xc3\xa9\\\"\"}");
}

// ---- The program itself --------------------------------------------------------------------------

class LinkProgram : public test::ProgramTest {
protected:
    void Start(test::Program& p, const QStringList& args, bool withInput = false)
    {
        test::ProgramTest::Start(p, test::LinkProgram(), args, withInput);
    }

    static QString Data(const char* name)
    {
        return QStringLiteral(KORVAL_TEST_DATA "/link/") + QString::fromLatin1(name);
    }
};

TEST_F(LinkProgram, ServeAndListenCarryEveryTextOfAFile)
{
    test::Program serve, listen;
    Start(serve,
          {QStringLiteral("serve"), QStringLiteral("--topic"), QStringLiteral("Test|ACARS"), QStringLiteral("--input"),
           Data("replay.jsonl"), QStringLiteral("--rate"), QStringLiteral("0"), QStringLiteral("--exit-when-done")});
    ASSERT_TRUE(Served("test%7cacars"));
    Start(listen,
          {QStringLiteral("listen"), QStringLiteral("--topic"), QStringLiteral("test|acars"), QStringLiteral("--item"),
           QStringLiteral("LiveData"), QStringLiteral("--count"), QStringLiteral("4")});
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
    Start(listen, {QStringLiteral("listen"), QStringLiteral("--topic"), QStringLiteral("Test|ACARS"),
                   QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--wait")});
    ASSERT_TRUE(test::RunUntil([&] { return listen.Err().find("waiting for Test|ACARS") != std::string::npos; }))
        << listen.Err();
    Start(serve,
          {QStringLiteral("serve"), QStringLiteral("--topic"), QStringLiteral("Test|ACARS"), QStringLiteral("--source"),
           QStringLiteral("airmaster"), QStringLiteral("--rate"), QStringLiteral("50"),
           QStringLiteral("--exit-when-done")},
          true);
    serve.Write(test::ReadTestData("link/replay.jsonl"));  // the file comes on standard input
    serve.CloseInput();
    ASSERT_TRUE(listen.Finished());
    ASSERT_TRUE(serve.Finished());
    EXPECT_EQ(listen.ExitCode(), kExitOk) << listen.Err();
    EXPECT_EQ(serve.ExitCode(), kExitOk) << serve.Err();
    EXPECT_EQ(listen.Out(), test::ReadTestData("link/replay.airmaster.expected.jsonl"));
}

TEST_F(LinkProgram, ListenWithoutServerNames282)
{
    test::Program listen;
    Start(listen, {QStringLiteral("listen"), QStringLiteral("--topic"), QStringLiteral("Nobody|ACARS")});
    ASSERT_TRUE(listen.Finished());
    EXPECT_EQ(listen.ExitCode(), kExitNoLink);
    EXPECT_NE(listen.Err().find("282"), std::string::npos);
    EXPECT_EQ(listen.Out(), "");
}

TEST_F(LinkProgram, ServeEndsCleanlyOnTerminate)
{
    test::Program serve;
    Start(serve, {QStringLiteral("serve"), QStringLiteral("--topic"), QStringLiteral("Test|ACARS"),
                  QStringLiteral("--input"), Data("replay.jsonl")});
    ASSERT_TRUE(Served("test%7cacars"));
    serve.Signal(SIGTERM);
    ASSERT_TRUE(serve.Finished()) << serve.Err();
    EXPECT_EQ(serve.ExitCode(), kExitOk) << serve.Err();
}

struct UsageCase {
    const char* name;
    QStringList args;
};

class LinkUsage : public LinkProgram, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(LinkUsage, IsRefusedWithStatus2)
{
    test::Program p;
    Start(p, GetParam().args);
    ASSERT_TRUE(p.Finished());
    EXPECT_EQ(p.ExitCode(), kExitUsage);
    EXPECT_NE(p.Err().find("usage:"), std::string::npos);
}

const QString kTopic = QStringLiteral("--topic");
const QString kAny = QStringLiteral("A|B");

INSTANTIATE_TEST_SUITE_P(Link, LinkUsage,
                         ::testing::Values(UsageCase{"nothing", {}},
                                           UsageCase{"unknownCommand", {QStringLiteral("poke")}},
                                           UsageCase{"noTopic", {QStringLiteral("listen")}},
                                           UsageCase{"zeroCount",
                                                     {QStringLiteral("listen"), kTopic, kAny, QStringLiteral("--count"),
                                                      QStringLiteral("0")}}),
                         test::CaseName());

// korval-link serve fed by a pipe that stays open, as a decoder feeds it: as fast as the client
// takes the values, and at a rate whose next value is due long before the next line comes.
class ServeFromAPipe : public LinkProgram, public ::testing::WithParamInterface<const char*> {
protected:
    void StartServe()
    {
        Start(serve,
              {QStringLiteral("serve"), kTopic, QStringLiteral("Test|ACARS"), QStringLiteral("--rate"),
               QString::fromLatin1(GetParam())},
              /*withInput=*/true);
        ASSERT_TRUE(Served("test%7cacars"));
    }

    test::Program serve, listen;
};

// A value longer than the system takes at once goes out whole as soon as its line has come,
// without waiting for the next line.
TEST_P(ServeFromAPipe, LongValueArrivesWholeWithoutAFurtherLine)
{
    StartServe();
    Start(listen, {QStringLiteral("listen"), kTopic, QStringLiteral("Test|ACARS"), QStringLiteral("--count"),
                   QStringLiteral("1")});
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
    Start(listen, {QStringLiteral("listen"), kTopic, QStringLiteral("Test|ACARS")});
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

// --help and -h answer with the usage on standard output and status 0, whatever follows.
class LinkHelp : public LinkProgram, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(LinkHelp, PrintsTheUsageAndEndsWithStatus0)
{
    test::Program p;
    Start(p, GetParam().args);
    ASSERT_TRUE(p.Finished(std::chrono::seconds(30)));
    EXPECT_EQ(p.ExitCode(), kExitOk);
    EXPECT_NE(p.Out().find("usage: korval-link"), std::string::npos);
    EXPECT_EQ(p.Err(), "");
}

INSTANTIATE_TEST_SUITE_P(Link, LinkHelp,
                         ::testing::Values(UsageCase{"help", {QStringLiteral("--help")}},
                                           UsageCase{"serveHelp", {QStringLiteral("serve"), QStringLiteral("--help")}},
                                           UsageCase{"listenH",
                                                     {QStringLiteral("listen"), kTopic, kAny, QStringLiteral("-h")}}),
                         test::CaseName());

}  // namespace
}  // namespace korval::linktool
