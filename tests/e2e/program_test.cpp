// korval --headless as a user runs it: between a stand-in decoder (korval-link serve) and a
// listener (korval-link listen), its LiveData compared with korval-replay's for the same input.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include "e2e_support.h"
#include "fifo_guard.h"
#include "link/client.h"
#include "link/naming.h"
#include "link/server.h"
#include "replay.h"

namespace korval::e2e {
namespace {

using korval::test::PrintTo;
const QString kKorvalTopic = QStringLiteral("KORVAL|ACARS");

QString Q(const std::filesystem::path& path)
{
    return QFile::decodeName(path.c_str());
}

std::filesystem::path SocketPath(const std::string& topic)
{
    return link::LinkFolder().path / link::SocketFileName(topic).value_or("none");
}

class Chain : public test::ProgramTest {
protected:
    // korval on the test's home; until it serves its topic unless `served` is false.
    void StartKorval(Program& program, const QStringList& extra = {QStringLiteral("--headless")}, bool served = true)
    {
        ASSERT_NO_FATAL_FAILURE(
            Start(program, KorvalProgram(), QStringList{QStringLiteral("--home"), Q(home.path())} + extra));
        if (served) {
            ASSERT_TRUE(Served("korval%7cacars")) << program.Err();
        }
    }

    // A decoder fed through a pipe, korval linked to it, a listener linked to korval, and the
    // listener known to receive: the first message it shows is a primer sent until one arrives.
    void StartChain()
    {
        home.Write("KORVAL.ini", Settings());
        ASSERT_NO_FATAL_FAILURE(
            Start(serve, LinkProgram(),
                  QStringLiteral("serve --topic WinACARS|ACARS --rate 0 --exit-when-done").split(u' '), true));
        ASSERT_TRUE(Served("winacars%7cacars")) << serve.Err();
        ASSERT_NO_FATAL_FAILURE(StartKorval(korval));
        ASSERT_NO_FATAL_FAILURE(
            Start(listen, LinkProgram(), {QStringLiteral("listen"), QStringLiteral("--topic"), kKorvalTopic}));
        const std::string primer = ReplayLine(Message("LISTENER CHECK"));
        for (int i = 0; i < 200 && listen.OutLines() == 0; ++i) {
            Send({primer});
            RunUntil([&] { return listen.OutLines() > 0; }, 300ms);
        }
        ASSERT_GT(listen.OutLines(), 0) << listen.Err() << korval.Err();
        primers = sent.size();
    }

    void Send(const std::vector<std::string>& lines)
    {
        std::string bytes;
        for (const std::string& line : lines) {
            bytes += line + '\n';
            sent.push_back(line);
        }
        serve.Write(bytes);
    }

    // The LiveData values korval-replay gives for each line sent so far and each of `more`, in a
    // home of the same settings. It holds the event loop: run it before sending, so no program
    // waits on this one meanwhile.
    std::vector<std::vector<std::string>> Replay(const std::vector<std::string>& more)
    {
        test::TempHome replayHome;
        replayHome.Write("KORVAL.ini", home.Read("KORVAL.ini"));
        std::string input;
        for (const std::string& line : sent) input += line + '\n';
        for (const std::string& line : more) input += line + '\n';
        ReplayOptions options;
        options.home = replayHome.path().string();
        options.liveAll = true;
        std::istringstream in(input);
        std::ostringstream out, err;
        EXPECT_EQ(RunReplay(options, in, out, err), 0) << err.str();
        std::vector<std::vector<std::string>> values;
        std::istringstream lines(out.str());
        for (std::string line; std::getline(lines, line);) {
            values.push_back(Field(line + '\n', "live_all"));
            // Every message sets LiveData at least once, and the line's last value is what it shows.
            EXPECT_FALSE(values.back().empty()) << "line " << values.size();
        }
        EXPECT_EQ(values.size(), sent.size() + more.size());
        return values;
    }

    // SIGTERM or SIGINT: the settings are saved and the program ends with status 0.
    void Close(Program& program, int signal = SIGTERM)
    {
        program.Signal(signal);
        EXPECT_TRUE(program.Finished()) << program.Err();
        EXPECT_EQ(program.ExitCode(), 0) << program.Err();
    }

    Program serve, korval, listen;
    std::vector<std::string> sent;  // replay lines in the order the decoder published them
    std::size_t primers = 0;
};

TEST_F(Chain, TenThousandMessagesArriveInOrderAsTheReplayGivesThem)
{
    ASSERT_NO_FATAL_FAILURE(StartChain());
    EXPECT_EQ(korval.Err(), "") << "a decoder running at the start is no message";
    std::vector<std::string> lines;
    for (const std::string& text : CorpusTexts(10'000)) lines.push_back(ReplayLine(text));
    // The last message no other line repeats: when the listener has its values, it has all before.
    lines.push_back(ReplayLine(Message("END OF THE STREAM")));
    const std::vector<std::vector<std::string>> replayed = Replay(lines);
    Send(lines);
    serve.CloseInput();

    std::vector<std::string> want;
    for (std::size_t i = primers; i < replayed.size(); ++i)
        want.insert(want.end(), replayed[i].begin(), replayed[i].end());
    ASSERT_GE(want.size(), lines.size());
    ASSERT_EQ(replayed.back().size(), 1u) << "the last message sets one value";
    auto lastValue = [&] {
        const std::string& out = listen.Out();
        return Field(out.substr(out.rfind('\n', out.size() - 2) + 1), "value");
    };
    const bool arrived =
        RunUntil([&] { return listen.OutLines() >= std::ssize(want) && lastValue() == replayed.back(); }, 600s);
    ASSERT_TRUE(arrived) << listen.OutLines() << " of " << want.size() << " values\n" << korval.Err();
    // The listener joined during the primers: it has the values of the messages after theirs.
    const std::vector<std::string> got = Field(listen.Out(), "value");
    ASSERT_GE(got.size(), want.size());
    const std::size_t offset = got.size() - want.size();
    for (std::size_t i = 0; i < want.size(); ++i)
        ASSERT_EQ(got[offset + i], want[i]) << "value " << i + 1 << " of " << want.size();

    EXPECT_NE(korval.Out().find("link made: Airmaster/JACARS (WinACARS|ACARS)\n"), std::string::npos) << korval.Out();
    Close(listen);
    Close(korval, SIGINT);
}

// ---- clients and decoders that misbehave ----------------------------------------------------------

struct BadPeerCase {
    const char* name;
    bool decoder;        // else a client of korval
    std::string bytes;   // what the peer sends
    bool closeAfter;     // the peer goes away right after
    std::string logged;  // a line korval writes about it (standard error or error log)
};

class BadPeer : public Chain, public ::testing::WithParamInterface<BadPeerCase> {};

TEST_P(BadPeer, IsDroppedAndTheProgramGoesOn)
{
    const BadPeerCase& c = GetParam();
    home.Write("KORVAL.ini", Settings());
    QLocalServer decoder;
    ASSERT_TRUE(decoder.listen(Q(SocketPath("WinACARS|ACARS")))) << decoder.errorString().toStdString();
    ASSERT_NO_FATAL_FAILURE(StartKorval(korval));
    ASSERT_TRUE(RunUntil([&] { return decoder.hasPendingConnections(); }, 60s)) << korval.Err();
    QLocalSocket* peer = decoder.nextPendingConnection();
    ASSERT_TRUE(RunUntil([&] { return peer->canReadLine(); }));
    EXPECT_EQ(peer->readLine().toStdString(), "ADVISE LiveData\n");
    QLocalSocket client;
    if (!c.decoder) {
        client.connectToServer(Q(SocketPath("KORVAL|ACARS")));
        ASSERT_TRUE(client.waitForConnected(5000));
        peer = &client;
    }
    peer->write(c.bytes.data(), static_cast<qint64>(c.bytes.size()));
    ASSERT_TRUE(RunUntil([&] { return peer->bytesToWrite() == 0; }, 30s));
    if (c.closeAfter) peer->abort();
    auto said = [&] { return korval.Err() + home.Read("Logs/ErrorLog .txt"); };
    EXPECT_TRUE(RunUntil([&] { return said().find(c.logged) != std::string::npos; })) << said();

    // The program still answers its own clients.
    link::LinkClient other;
    std::string count;
    other.OnValue([&](std::string_view, std::string_view value) { count = value; });
    other.Link("KORVAL|ACARS", "txtCount");
    ASSERT_TRUE(other.Request("txtCount"));
    EXPECT_TRUE(RunUntil([&] { return !count.empty(); })) << korval.Err();
    EXPECT_EQ(count, "0");
    Close(korval);
}

INSTANTIATE_TEST_SUITE_P(
    Program, BadPeer,
    ::testing::Values(BadPeerCase{"clientBinaryGarbage", false, std::string("\x01\xff\x00 junk\r\n", 10), false,
                                  "KORVAL: KORVAL|ACARS: dropped a client that sent"},
                      BadPeerCase{"clientGoneWhileAdvised", false, "ADVISE LiveData\nREQUEST LiveData\nADVISE txt",
                                  true, "KORVAL: KORVAL|ACARS: a client closed its link"},
                      BadPeerCase{"decoderBinaryGarbage", true, std::string("\x01\xff\x00 junk\r\n", 10), false,
                                  "Link to WinACARS|ACARS lost"},
                      BadPeerCase{"decoderTwoMiBFrame", true,
                                  "DATA LiveData 2097152\n" + std::string(2 * 1024 * 1024, 'x'), false,
                                  "Link to WinACARS|ACARS lost"},
                      BadPeerCase{"decoderGoneMidFrame", true, "DATA LiveData 300\n1ACARS mode: 2", true,
                                  "Link to WinACARS|ACARS lost"}),
    test::CaseName());

// A source not running at the start is told on standard error and stays chosen: the program waits
// for it, and saves the choice on closing.
TEST_F(Chain, ASourceNotRunningAtTheStartIsToldAndStaysChosen)
{
    home.Write("KORVAL.ini", Settings());
    ASSERT_NO_FATAL_FAILURE(StartKorval(korval));
    const std::string told = "KORVAL: Airmaster must be running before selecting as DDE source\n";
    EXPECT_TRUE(RunUntil([&] { return korval.Err().find(told) != std::string::npos; })) << korval.Err();
    Close(korval);
    EXPECT_NE(home.Read("KORVAL.ini").find("\r\nAirmaster=True\r\n"), std::string::npos) << home.Read("KORVAL.ini");
}

// A FIFO in place of the settings and each data file holds neither the start nor the quit:
// SIGTERM ends the program with status 0 from the moment it can catch it, and a start left alone
// completes.
TEST_F(Chain, FifosInPlaceOfTheFilesHoldNeitherTheStartNorTheQuit)
{
    for (const char* file : {"KORVAL.ini", "routes.wdf", "aircraft.wdf", "RegFlight.wdf"}) {
        std::filesystem::remove(home.path() / file);
        test::MakeFifo(home.path() / file);
    }
    Program early;
    ASSERT_NO_FATAL_FAILURE(StartKorval(early, {QStringLiteral("--headless"), QStringLiteral("--quiet")}, false));
    ASSERT_TRUE(RunUntil([&] { return early.Catches(SIGTERM) || !early.Running(); }, 20s)) << early.Err();
    Close(early);

    ASSERT_NO_FATAL_FAILURE(StartKorval(korval, {QStringLiteral("--headless"), QStringLiteral("--quiet")}));
    Close(korval);
}

struct UsageCase {
    const char* name;
    const char* args;  // separated by blanks
    int status;
    std::string shown;  // on standard output for status 0, else on standard error
};

class Usage : public Chain, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(Usage, AnswersWithoutRunning)
{
    const UsageCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Start(korval, KorvalProgram(), QString::fromUtf8(c.args).split(u' ')));
    ASSERT_TRUE(korval.Finished());
    EXPECT_EQ(korval.ExitCode(), c.status) << korval.Err();
    const std::string& text = c.status == 0 ? korval.Out() : korval.Err();
    EXPECT_NE(text.find(c.shown), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Program, Usage,
                         ::testing::Values(UsageCase{"help", "--help", 0, "--home DIR"},
                                           UsageCase{"quietWithWindows", "--quiet", 2, "--quiet is for --headless"},
                                           UsageCase{"version", "--version", 0, "korval 1.0.0\n"},
                                           UsageCase{"missingHome", "--headless --home /no/such/folder", 2,
                                                     "--home must name an existing folder"},
                                           UsageCase{"homeWithoutFolder", "--headless --home", 2, "usage:"},
                                           UsageCase{"unknownOption", "--windowless", 2,
                                                     "unknown option --windowless"}),
                         test::CaseName());

// Without --home the program folder is $KORVAL_HOME, which must exist, else
// ~/.local/share/korval, which is made when missing.
struct HomeCase {
    const char* name;
    bool setKorvalHome;
    bool korvalHomeExists;
    int status;          // 0: ran and saved its settings in the folder
    const char* folder;  // under the test's HOME
};

class DefaultHome : public Chain, public ::testing::WithParamInterface<HomeCase> {};

TEST_P(DefaultHome, IsTheReadmesFolder)
{
    const HomeCase& c = GetParam();
    const std::filesystem::path user = home.path() / "user";
    std::filesystem::create_directories(user);
    env.insert(QStringLiteral("HOME"), Q(user));
    env.remove(QStringLiteral("KORVAL_HOME"));
    if (c.setKorvalHome) {
        env.insert(QStringLiteral("KORVAL_HOME"), Q(user / "mine"));
        if (c.korvalHomeExists) std::filesystem::create_directories(user / "mine");
    }
    ASSERT_NO_FATAL_FAILURE(Start(korval, KorvalProgram(), {QStringLiteral("--headless"), QStringLiteral("--quiet")}));
    if (c.status != 0) {
        ASSERT_TRUE(korval.Finished());
        EXPECT_EQ(korval.ExitCode(), c.status);
        EXPECT_NE(korval.Err().find("KORVAL_HOME must name an existing folder"), std::string::npos) << korval.Err();
        EXPECT_FALSE(std::filesystem::exists(user / ".local"));
        return;
    }
    ASSERT_TRUE(Served("korval%7cacars")) << korval.Err();
    Close(korval);
    EXPECT_TRUE(std::filesystem::exists(user / c.folder / "KORVAL.ini")) << korval.Err();
}

INSTANTIATE_TEST_SUITE_P(
    Program, DefaultHome,
    ::testing::Values(HomeCase{"korvalHome", true, true, 0, "mine"}, HomeCase{"korvalHomeMissing", true, false, 2, ""},
                      HomeCase{"userShareMadeWhenMissing", false, false, 0, ".local/share/korval"}),
    test::CaseName());

}  // namespace
}  // namespace korval::e2e
