#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include "link/naming.h"
#include "link_test_support.h"
#include "link_tool.h"
#include "test_support.h"

namespace korval::linktool {
namespace {

using namespace std::chrono_literals;
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
    [](const ::testing::TestParamInfo<LineCase>& p) { return std::string(p.param.name); });

TEST(LinkTool, ValueLineMapsBytesToCharacters)
{
    EXPECT_EQ(ValueLine("LiveData", "a\r\n\0\xe9\""s),
              "{\"item\": \"LiveData\", \"value\": \"a\\r\\n\\u0000\xc3\xa9\\\"\"}");
}

// ---- The program itself --------------------------------------------------------------------------

class LinkProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(home.path() / "run");
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QFile::decodeName((home.path() / "run").c_str()));
    }

    void Start(QProcess& p, const QStringList& args)
    {
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KORVAL_LINK_TOOL), args);
        ASSERT_TRUE(p.waitForStarted(10000));
    }

    // Waits for the server's socket to appear in the link folder the programs use.
    bool Served(const std::string& fileName)
    {
        return test::RunUntil(
            [&] {
                for (const auto& e : std::filesystem::recursive_directory_iterator(home.path() / "run")) {
                    if (e.path().filename() == fileName) return true;
                }
                return false;
            },
            20s);
    }

    static std::string Out(QProcess& p) { return p.readAllStandardOutput().toStdString(); }
    static std::string Err(QProcess& p) { return p.readAllStandardError().toStdString(); }

    QString Data(const char* name) const
    {
        return QStringLiteral(KORVAL_TEST_DATA "/link/") + QString::fromLatin1(name);
    }

    test::TempHome home{false};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
};

TEST_F(LinkProgram, ServeAndListenCarryEveryTextOfAFile)
{
    QProcess serve, listen;
    Start(serve,
          {QStringLiteral("serve"), QStringLiteral("--topic"), QStringLiteral("Test|ACARS"), QStringLiteral("--input"),
           Data("replay.jsonl"), QStringLiteral("--rate"), QStringLiteral("0"), QStringLiteral("--exit-when-done")});
    ASSERT_TRUE(Served("test%7cacars"));
    Start(listen,
          {QStringLiteral("listen"), QStringLiteral("--topic"), QStringLiteral("test|acars"), QStringLiteral("--item"),
           QStringLiteral("LiveData"), QStringLiteral("--count"), QStringLiteral("4")});
    ASSERT_TRUE(listen.waitForFinished(30000));
    ASSERT_TRUE(serve.waitForFinished(30000));
    const std::string serveErr = Err(serve);
    EXPECT_EQ(listen.exitCode(), kExitOk) << Err(listen);
    EXPECT_EQ(serve.exitCode(), kExitOk) << serveErr;
    EXPECT_EQ(Out(listen), test::ReadTestData("link/replay.all.expected.jsonl"));
    for (const char* said : {"line 5 passed over", "line 7 passed over", "line 8 passed over", "published 4 values"}) {
        EXPECT_NE(serveErr.find(said), std::string::npos) << serveErr;
    }
}

TEST_F(LinkProgram, ListenWaitsForTheServerAndServeKeepsToItsSource)
{
    QProcess serve, listen;
    Start(listen, {QStringLiteral("listen"), QStringLiteral("--topic"), QStringLiteral("Test|ACARS"),
                   QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--wait")});
    test::RunFor(200ms);
    Start(serve, {QStringLiteral("serve"), QStringLiteral("--topic"), QStringLiteral("Test|ACARS"),
                  QStringLiteral("--source"), QStringLiteral("airmaster"), QStringLiteral("--rate"),
                  QStringLiteral("50"), QStringLiteral("--exit-when-done")});
    serve.write(test::ReadTestData("link/replay.jsonl").c_str());  // the file comes on standard input
    ASSERT_TRUE(serve.waitForBytesWritten(10000));
    serve.closeWriteChannel();
    ASSERT_TRUE(listen.waitForFinished(30000));
    ASSERT_TRUE(serve.waitForFinished(30000));
    EXPECT_EQ(listen.exitCode(), kExitOk) << Err(listen);
    EXPECT_EQ(serve.exitCode(), kExitOk) << Err(serve);
    EXPECT_EQ(Out(listen), test::ReadTestData("link/replay.airmaster.expected.jsonl"));
}

TEST_F(LinkProgram, ListenWithoutServerNames282)
{
    QProcess listen;
    Start(listen, {QStringLiteral("listen"), QStringLiteral("--topic"), QStringLiteral("Nobody|ACARS")});
    ASSERT_TRUE(listen.waitForFinished(30000));
    EXPECT_EQ(listen.exitCode(), kExitNoLink);
    EXPECT_NE(Err(listen).find("282"), std::string::npos);
    EXPECT_EQ(Out(listen), "");
}

TEST_F(LinkProgram, ServeEndsCleanlyOnTerminate)
{
    QProcess serve;
    Start(serve, {QStringLiteral("serve"), QStringLiteral("--topic"), QStringLiteral("Test|ACARS"),
                  QStringLiteral("--input"), Data("replay.jsonl")});
    ASSERT_TRUE(Served("test%7cacars"));
    serve.terminate();
    ASSERT_TRUE(serve.waitForFinished(30000));
    EXPECT_EQ(serve.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(serve.exitCode(), kExitOk) << Err(serve);
}

struct UsageCase {
    const char* name;
    QStringList args;
};

class LinkUsage : public LinkProgram, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(LinkUsage, IsRefusedWithStatus2)
{
    QProcess p;
    Start(p, GetParam().args);
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), kExitUsage);
    EXPECT_NE(Err(p).find("usage:"), std::string::npos);
}

const QString kTopic = QStringLiteral("--topic");
const QString kAny = QStringLiteral("A|B");

INSTANTIATE_TEST_SUITE_P(
    Link, LinkUsage,
    ::testing::Values(
        UsageCase{"nothing", {}}, UsageCase{"unknownCommand", {QStringLiteral("poke")}},
        UsageCase{"noTopic", {QStringLiteral("listen")}},
        UsageCase{"topicWithoutValue", {QStringLiteral("listen"), kTopic}},
        UsageCase{"zeroCount",
                  {QStringLiteral("listen"), kTopic, kAny, QStringLiteral("--count"), QStringLiteral("0")}},
        UsageCase{"negativeRate",
                  {QStringLiteral("serve"), kTopic, kAny, QStringLiteral("--rate"), QStringLiteral("-1")}},
        UsageCase{"waitIsForListen", {QStringLiteral("serve"), kTopic, kAny, QStringLiteral("--wait")}},
        UsageCase{"itemWithBlank",
                  {QStringLiteral("listen"), kTopic, kAny, QStringLiteral("--item"), QStringLiteral("Live Data")}}),
    [](const ::testing::TestParamInfo<UsageCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace korval::linktool
