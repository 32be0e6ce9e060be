// korval --headless as a user runs it: between a stand-in decoder (korval-link serve) and a
// listener (korval-link listen), its LiveData compared with korval-replay's for the same input.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include "e2e_support.h"
#include "fifo_guard.h"
#include "link/naming.h"
#include "replay.h"

namespace korval::e2e {
namespace {

using korval::test::PrintTo;

QString Q(const std::filesystem::path& path)
{
    return QFile::decodeName(path.c_str());
}

// Arguments written with blanks between them.
QStringList Args(const char* line)
{
    return QString::fromUtf8(line).split(u' ');
}

class Chain : public test::ProgramTest {
protected:
    // korval --headless on the test's home, until it serves its topic.
    void StartKorval(Program& program, const QStringList& extra = {})
    {
        ASSERT_NO_FATAL_FAILURE(Start(program, KorvalProgram(), Args("--headless --home") << Q(home.path()) << extra));
        ASSERT_TRUE(Served("korval%7cacars")) << program.Err();
    }

    // SIGTERM or SIGINT: the settings are saved and the program ends with status 0.
    void Close(Program& program, int signal = SIGTERM)
    {
        program.Signal(signal);
        EXPECT_TRUE(program.Finished()) << program.Err();
        EXPECT_EQ(program.ExitCode(), 0) << program.Err();
    }

    Program korval;
};

// A decoder fed through a pipe, korval linked to it and a listener linked to korval; the values the
// listener shows are korval-replay's for the same lines in a home of the same settings.
TEST_F(Chain, TenThousandMessagesArriveInOrderAsTheReplayGivesThem)
{
    Program serve, listen;
    home.Write("KORVAL.ini", Settings());
    ASSERT_NO_FATAL_FAILURE(
        Start(serve, LinkProgram(), Args("serve --topic WinACARS|ACARS --rate 0 --exit-when-done"), true));
    ASSERT_TRUE(Served("winacars%7cacars")) << serve.Err();
    ASSERT_NO_FATAL_FAILURE(StartKorval(korval));
    EXPECT_EQ(korval.Err(), "") << "a decoder running at the start is no message";
    // The listener is known to receive when it shows a primer, sent until one arrives.
    ASSERT_NO_FATAL_FAILURE(Start(listen, LinkProgram(), Args("listen --topic KORVAL|ACARS")));
    const std::string primer = ReplayLine(Message("LISTENER CHECK")) + '\n';
    int primers = 0;
    for (; primers < 200 && listen.OutLines() == 0; ++primers) {
        serve.Write(primer);
        RunUntil([&] { return listen.OutLines() > 0; }, 300ms);
    }
    ASSERT_GT(listen.OutLines(), 0) << listen.Err() << korval.Err();
    // The last message no other line repeats: when the listener has its values, it has all before.
    std::string stream;
    for (const std::string& text : CorpusTexts(10'000)) stream += ReplayLine(text) + '\n';
    stream += ReplayLine(Message("END OF THE STREAM")) + '\n';

    // The replay holds the event loop: it runs before the sending, so no program waits on it.
    test::TempHome replayHome;
    replayHome.Write("KORVAL.ini", Settings());
    ReplayOptions options;
    options.home = replayHome.path().string();
    options.liveAll = true;
    std::string input;
    for (int i = 0; i < primers; ++i) input += primer;
    std::istringstream in(input + stream);
    std::ostringstream out, err;
    ASSERT_EQ(RunReplay(options, in, out, err), 0) << err.str();
    std::string shown = out.str();
    for (int i = 0; i < primers; ++i) shown.erase(0, shown.find('\n') + 1);
    const std::vector<std::string> want = Field(shown, "live_all");

    serve.Write(stream);
    serve.CloseInput();
    ASSERT_TRUE(RunUntil(
        [&] { return listen.Out().ends_with('\n') && listen.Out().find("END OF THE STREAM") != std::string::npos; },
        600s))
        << listen.OutLines() << " of " << want.size() << " values\n"
        << korval.Err();
    // The listener joined during the primers: it has the values of the messages after theirs.
    const std::vector<std::string> got = Field(listen.Out(), "value");
    ASSERT_GE(got.size(), want.size());
    const std::size_t offset = got.size() - want.size();
    for (std::size_t i = 0; i < want.size(); ++i)
        ASSERT_EQ(got[offset + i], want[i]) << "value " << i + 1 << " of " << want.size();
    Close(listen);
    Close(korval, SIGINT);
}

// ---- clients and decoders that misbehave ----------------------------------------------------------

struct BadPeerCase {
    const char* name;
    std::string bytes;  // what the decoder sends
    bool closeAfter;    // the decoder goes away right after
};

class BadDecoder : public Chain, public ::testing::WithParamInterface<BadPeerCase> {};

// A decoder that misbehaves loses its link, which the program says, and the program goes on: it
// still ends as asked. (The link tests drop clients that misbehave.)
TEST_P(BadDecoder, LosesItsLinkAndTheProgramGoesOn)
{
    const BadPeerCase& c = GetParam();
    home.Write("KORVAL.ini", Settings());
    QLocalServer decoder;
    ASSERT_TRUE(decoder.listen(Q(link::LinkFolder().path / "winacars%7cacars"))) << decoder.errorString().toStdString();
    ASSERT_NO_FATAL_FAILURE(StartKorval(korval));
    ASSERT_TRUE(RunUntil([&] { return decoder.hasPendingConnections(); }, 60s)) << korval.Err();
    QLocalSocket* peer = decoder.nextPendingConnection();
    ASSERT_TRUE(RunUntil([&] { return peer->canReadLine(); }));  // it has advised its item
    peer->write(c.bytes.data(), static_cast<qint64>(c.bytes.size()));
    ASSERT_TRUE(RunUntil([&] { return peer->bytesToWrite() == 0; }, 30s));
    if (c.closeAfter) peer->abort();
    auto said = [&] { return korval.Err() + home.Read("Logs/ErrorLog .txt"); };
    EXPECT_TRUE(RunUntil([&] { return said().find("Link to WinACARS|ACARS lost") != std::string::npos; })) << said();

    Close(korval);
}

INSTANTIATE_TEST_SUITE_P(Program, BadDecoder,
                         ::testing::Values(BadPeerCase{"binaryGarbage", std::string("\x01\xff\x00 junk\r\n", 10),
                                                       false},
                                           BadPeerCase{"goneMidFrame", "DATA LiveData 300\n1ACARS mode: 2", true}),
                         test::CaseName());

// A FIFO in place of the settings and each data file holds neither the start nor the quit:
// SIGTERM ends the program with status 0 from the moment it can catch it, and a start left alone
// completes.
TEST_F(Chain, FifosInPlaceOfTheFilesHoldNeitherTheStartNorTheQuit)
{
    for (const char* file : {"KORVAL.ini", "routes.wdf", "aircraft.wdf", "RegFlight.wdf"})
        test::MakeFifo(home.path() / file);
    Program early;
    ASSERT_NO_FATAL_FAILURE(Start(early, KorvalProgram(), Args("--headless --quiet --home") << Q(home.path())));
    ASSERT_TRUE(RunUntil([&] { return early.Catches(SIGTERM) || !early.Running(); }, 20s)) << early.Err();
    Close(early);

    ASSERT_NO_FATAL_FAILURE(StartKorval(korval, {QStringLiteral("--quiet")}));
    Close(korval);
}

// Usage errors, a $KORVAL_HOME that is no folder, and --help answer without running.
TEST_F(Chain, UsageIsAnsweredWithoutRunning)
{
    env.insert(QStringLiteral("KORVAL_HOME"), Q(home.path() / "missing"));
    const std::tuple<const char*, int, const char*> runs[] = {
        {"--help", 0, "--home DIR"},
        {"--quiet", 2, "--quiet is for --headless"},
        {"--headless --home /no/such/folder", 2, "--home must name an existing folder"},
        {"--headless", 2, "KORVAL_HOME must name an existing folder"},
        {"--windowless", 2, "unknown option --windowless"}};
    for (const auto& [args, status, shown] : runs) {
        Program p;
        ASSERT_NO_FATAL_FAILURE(Start(p, KorvalProgram(), Args(args)));
        ASSERT_TRUE(p.Finished()) << args;
        EXPECT_EQ(p.ExitCode(), status) << args << p.Err();
        EXPECT_NE((status == 0 ? p.Out() : p.Err()).find(shown), std::string::npos) << args << p.Out() << p.Err();
    }
}

// Without --home the program folder is $KORVAL_HOME, else ~/.local/share/korval, which is made
// when missing.
struct HomeCase {
    const char* name;
    const char* korvalHome;  // under the test's HOME; nullptr: not set
    const char* saved;       // the folder under HOME where the settings are saved
};

class DefaultHome : public Chain, public ::testing::WithParamInterface<HomeCase> {};

TEST_P(DefaultHome, IsTheReadmesFolder)
{
    const HomeCase& c = GetParam();
    const std::filesystem::path user = home.path() / "user";
    std::filesystem::create_directories(user / "mine");
    env.insert(QStringLiteral("HOME"), Q(user));
    env.remove(QStringLiteral("KORVAL_HOME"));
    if (c.korvalHome) env.insert(QStringLiteral("KORVAL_HOME"), Q(user / c.korvalHome));
    ASSERT_NO_FATAL_FAILURE(Start(korval, KorvalProgram(), Args("--headless --quiet")));
    ASSERT_TRUE(Served("korval%7cacars")) << korval.Err();
    Close(korval);
    EXPECT_TRUE(std::filesystem::exists(user / c.saved / "KORVAL.ini")) << korval.Err();
}

INSTANTIATE_TEST_SUITE_P(Program, DefaultHome,
                         ::testing::Values(HomeCase{"korvalHome", "mine", "mine"},
                                           HomeCase{"userShareMadeWhenMissing", nullptr, ".local/share/korval"}),
                         test::CaseName());

}  // namespace
}  // namespace korval::e2e
