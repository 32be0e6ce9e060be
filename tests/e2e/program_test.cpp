// korval --headless as a user runs it: between a stand-in decoder (korval-link serve) and a
// listener (korval-link listen), its LiveData compared with korval-replay's for the same input.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
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

namespace korval::e2e {
namespace {

using korval::test::PrintTo;
const QString kDecoderTopic = QStringLiteral("WinACARS|ACARS");
const QString kKorvalTopic = QStringLiteral("KORVAL|ACARS");

QString Q(const std::filesystem::path& path)
{
    return QFile::decodeName(path.c_str());
}

// LiveData values korval-replay reports, flattened, and how many each input line set.
struct Expected {
    std::vector<std::string> values;
    std::vector<std::size_t> perLine;

    std::size_t ValuesOfLines(std::size_t from, std::size_t to) const
    {
        std::size_t n = 0;
        for (std::size_t i = from; i < to && i < perLine.size(); ++i) n += perLine[i];
        return n;
    }
};

class Chain : public test::ProgramTest {
protected:
    void SetUp() override
    {
        for (Program* p : {&serve, &korval, &listen}) p->SetEnvironment(env);
    }

    static std::filesystem::path SocketPath(const QString& topic)
    {
        return link::LinkFolder().path / link::SocketFileName(topic.toStdString()).value_or("none");
    }

    static bool Served(const QString& topic)
    {
        return RunUntil([&] { return std::filesystem::exists(SocketPath(topic)); }, 60s);
    }

    std::string ErrorLog() const { return home.Read("Logs/ErrorLog .txt"); }

    void StartKorval(Program& program, const QStringList& extra = {})
    {
        ASSERT_TRUE(program.Start(KorvalProgram(), QStringList{QStringLiteral("--home"), Q(home.path())} + extra));
        ASSERT_TRUE(Served(kKorvalTopic)) << program.Err();
    }

    void StartServe(Program& decoder)
    {
        ASSERT_TRUE(decoder.Start(LinkProgram(),
                                  {QStringLiteral("serve"), QStringLiteral("--topic"), kDecoderTopic,
                                   QStringLiteral("--rate"), QStringLiteral("0"), QStringLiteral("--exit-when-done")},
                                  true));
    }

    // A decoder fed through a pipe, korval linked to it, a listener linked to korval, and the
    // listener known to receive: the first message it shows is a primer sent until one arrives.
    void StartChain()
    {
        home.Write("KORVAL.ini", Ini({"KORVAL/Airmaster=True"}));
        StartServe(serve);
        ASSERT_TRUE(Served(kDecoderTopic)) << serve.Err();
        StartKorval(korval, {QStringLiteral("--headless")});
        ASSERT_TRUE(listen.Start(LinkProgram(), {QStringLiteral("listen"), QStringLiteral("--topic"), kKorvalTopic}));
        const std::string primer = ReplayLine(Message("LISTENER CHECK"));
        for (int i = 0; i < 200 && listen.OutLines() == 0; ++i) {
            Send(serve, {primer});
            RunUntil([&] { return listen.OutLines() > 0; }, 300ms);
        }
        ASSERT_GT(listen.OutLines(), 0) << listen.Err() << korval.Err();
        primers = sent.size();
    }

    void Send(Program& decoder, const std::vector<std::string>& lines)
    {
        std::string bytes;
        for (const std::string& line : lines) {
            bytes += line;
            bytes += '\n';
            sent.push_back(line);
        }
        decoder.Write(bytes);
    }

    // What korval-replay gives for every line sent so far, in a home of the same settings.
    Expected Replay()
    {
        test::TempHome replayHome;
        replayHome.Write("KORVAL.ini", home.Read("KORVAL.ini"));
        const std::filesystem::path input = replayHome.path() / "input.jsonl";
        {
            std::ofstream out(input, std::ios::binary);
            for (const std::string& line : sent) out << line << '\n';
        }
        Program replay(env);
        EXPECT_TRUE(replay.Start(ReplayProgram(), {QStringLiteral("--home"), Q(replayHome.path()),
                                                   QStringLiteral("--input"), Q(input), QStringLiteral("--live-all")}));
        EXPECT_TRUE(replay.Finished(600s));
        EXPECT_EQ(replay.ExitCode(), 0) << replay.Err();
        Expected e;
        const std::string& out = replay.Out();
        for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
            const auto j = nlohmann::json::parse(out.substr(start, end - start));
            const auto& all = j.at("live_all");
            // Every message sets LiveData at least once, and the line's last value is what it shows.
            EXPECT_FALSE(all.empty()) << "line " << e.perLine.size() + 1;
            if (!all.empty()) {
                EXPECT_EQ(all.back(), j.at("live"));
            }
            for (const auto& v : all) e.values.push_back(v.get<std::string>());
            e.perLine.push_back(all.size());
        }
        EXPECT_EQ(e.perLine.size(), sent.size());
        return e;
    }

    // Ends a stream with a message no other line repeats: when the listener has its values, it
    // has everything sent before.
    void SendEnd(Program& decoder) { Send(decoder, {ReplayLine(Message("END OF PART " + std::to_string(++ends)))}); }

    // Waits until the listener has at least `count` values, the last of them those of the end
    // message (the last line of `e`).
    std::vector<std::string> ListenedValues(const Expected& e, std::size_t count)
    {
        const std::vector<std::string> end(e.values.end() - static_cast<std::ptrdiff_t>(e.perLine.back()),
                                           e.values.end());
        const bool arrived = RunUntil(
            [&] { return static_cast<std::size_t>(listen.OutLines()) >= count && LastValues(end.size()) == end; },
            600s);
        EXPECT_TRUE(arrived) << listen.OutLines() << " of " << count << " values\n" << korval.Err();
        return Field(listen.Out(), "value");
    }

    // The values of the listener's last `n` complete lines.
    std::vector<std::string> LastValues(std::size_t n)
    {
        const std::string& out = listen.Out();
        const std::size_t end = out.rfind('\n');
        if (end == std::string::npos) return {};
        std::size_t cut = end;  // the line end before the lines wanted, npos for the start
        for (std::size_t i = 0; i < n && cut != std::string::npos; ++i)
            cut = cut == 0 ? std::string::npos : out.rfind('\n', cut - 1);
        const std::size_t start = cut == std::string::npos ? 0 : cut + 1;
        return Field(out.substr(start, end + 1 - start), "value");
    }

    // The listener joined during the primers: what it received must be the end of what the replay
    // gives, and hold at least `atLeast` values.
    static void ExpectTailOf(const std::vector<std::string>& got, const std::vector<std::string>& all,
                             std::size_t atLeast)
    {
        ASSERT_GE(got.size(), atLeast);
        ASSERT_LE(got.size(), all.size()) << "more values than the replay gives";
        const std::size_t offset = all.size() - got.size();
        for (std::size_t i = 0; i < got.size(); ++i) {
            if (got[i] != all[offset + i]) {
                ADD_FAILURE() << "value " << i + 1 << " of " << got.size()
                              << " differs\n got: " << got[i].substr(0, 400)
                              << "\nwant: " << all[offset + i].substr(0, 400);
                return;
            }
        }
    }

    // SIGTERM: the settings are saved and the program ends with status 0.
    void Close(Program& program, int signal = SIGTERM)
    {
        program.Signal(signal);
        EXPECT_TRUE(program.Finished()) << program.Err();
        EXPECT_EQ(program.ExitCode(), 0) << program.Err();
    }

    Program serve, korval, listen;  // given the environment in SetUp
    std::vector<std::string> sent;  // replay lines in the order the decoder published them
    std::size_t primers = 0;
    int ends = 0;  // end messages sent
};

TEST_F(Chain, TenThousandMessagesArriveInOrderAsTheReplayGivesThem)
{
    constexpr std::size_t kMessages = 10'000;
    ASSERT_NO_FATAL_FAILURE(StartChain());
    Send(serve, CorpusLines(kMessages));
    SendEnd(serve);
    serve.CloseInput();

    const Expected expected = Replay();
    const std::size_t ofMessages = expected.ValuesOfLines(primers, sent.size());
    EXPECT_GE(ofMessages, kMessages);
    const std::vector<std::string> got = ListenedValues(expected, ofMessages + 1);
    ExpectTailOf(got, expected.values, ofMessages + 1);

    EXPECT_TRUE(serve.Finished(60s)) << serve.Err();
    EXPECT_EQ(serve.ExitCode(), 0) << serve.Err();
    EXPECT_TRUE(korval.Running()) << korval.Err();
    Close(listen);
    Close(korval);
}

TEST_F(Chain, ADecoderRestartedMidStreamIsLinkedAgainAndNothingAfterIsLost)
{
    ASSERT_NO_FATAL_FAILURE(StartChain());
    const std::vector<std::string> corpus = CorpusLines(600);
    Send(serve, {corpus.begin(), corpus.begin() + 300});
    SendEnd(serve);
    const Expected before = Replay();
    const std::size_t firstPart = before.ValuesOfLines(primers, sent.size());
    ExpectTailOf(ListenedValues(before, firstPart + 1), before.values, firstPart + 1);

    serve.Signal(SIGKILL);
    EXPECT_FALSE(serve.Finished());
    ASSERT_TRUE(RunUntil([&] { return ErrorLog().find("Link to WinACARS|ACARS lost") != std::string::npos; }));
    EXPECT_NE(ErrorLog().find("Error: 282 (Link to WinACARS|ACARS lost; retrying every 10 seconds) at line 0 in "
                              "procedure AirData_Change of Module DDE\r\n"),
              std::string::npos)
        << ErrorLog();

    Program restarted(env);
    ASSERT_NO_FATAL_FAILURE(StartServe(restarted));
    // Tried again every 10 seconds: restored within one interval and a margin.
    EXPECT_TRUE(RunUntil([&] { return ErrorLog().find("Link to WinACARS|ACARS restored") != std::string::npos; }, 15s))
        << ErrorLog();
    EXPECT_EQ(korval.Err(), "") << "a lost link is no message";
    Send(restarted, {corpus.begin() + 300, corpus.end()});
    SendEnd(restarted);
    restarted.CloseInput();

    const Expected expected = Replay();
    const std::size_t both = expected.ValuesOfLines(primers, sent.size());
    ExpectTailOf(ListenedValues(expected, both + 1), expected.values, both + 1);
    EXPECT_TRUE(restarted.Finished()) << restarted.Err();
    Close(korval);
}

// ---- clients and decoders that misbehave ----------------------------------------------------------

struct BadPeerCase {
    const char* name;
    std::string bytes;   // what the peer sends
    bool closeAfter;     // the peer goes away right after
    std::string logged;  // a line korval writes about it (standard error or error log)
};

const std::string kTwoMiB(2 * 1024 * 1024, 'x');

class BadClient : public Chain, public ::testing::WithParamInterface<BadPeerCase> {};

TEST_P(BadClient, IsDroppedAndTheProgramGoesOn)
{
    const BadPeerCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(StartChain());
    QLocalSocket peer;
    peer.connectToServer(Q(SocketPath(kKorvalTopic)));
    ASSERT_TRUE(peer.waitForConnected(5000));
    peer.write(c.bytes.data(), static_cast<qint64>(c.bytes.size()));
    ASSERT_TRUE(RunUntil([&] { return peer.bytesToWrite() == 0; }, 30s));
    if (c.closeAfter) peer.abort();
    EXPECT_TRUE(RunUntil([&] { return korval.Err().find(c.logged) != std::string::npos; })) << korval.Err();

    Send(serve, CorpusLines(150));
    SendEnd(serve);
    serve.CloseInput();
    const Expected expected = Replay();
    const std::size_t ofMessages = expected.ValuesOfLines(primers, sent.size());
    ExpectTailOf(ListenedValues(expected, ofMessages + 1), expected.values, ofMessages + 1);
    EXPECT_TRUE(korval.Running());
    Close(korval);
}

INSTANTIATE_TEST_SUITE_P(Program, BadClient,
                         ::testing::Values(BadPeerCase{"binaryGarbage", std::string("\x01\xff\x00 junk\r\n", 10), false,
                                                       "KORVAL: KORVAL|ACARS: dropped a client that sent"},
                                           BadPeerCase{"goneWhileAdvised",
                                                       "ADVISE LiveData\nREQUEST LiveData\nADVISE txt", true,
                                                       "KORVAL: KORVAL|ACARS: a client closed its link"}),
                         test::CaseName());

class BadDecoder : public Chain, public ::testing::WithParamInterface<BadPeerCase> {};

TEST_P(BadDecoder, LosesItsLinkAndTheProgramGoesOn)
{
    const BadPeerCase& c = GetParam();
    home.Write("KORVAL.ini", Ini({"KORVAL/Airmaster=True"}));
    QLocalServer decoder;
    ASSERT_TRUE(decoder.listen(Q(SocketPath(kDecoderTopic)))) << decoder.errorString().toStdString();
    Program k(env);
    ASSERT_TRUE(k.Start(KorvalProgram(), {QStringLiteral("--headless"), QStringLiteral("--home"), Q(home.path())}));
    ASSERT_TRUE(RunUntil([&] { return decoder.hasPendingConnections(); }, 60s)) << k.Err();
    QLocalSocket* linked = decoder.nextPendingConnection();
    ASSERT_TRUE(RunUntil([&] { return linked->canReadLine(); }));
    EXPECT_EQ(linked->readLine().toStdString(), "ADVISE LiveData\n");
    ASSERT_TRUE(Served(kKorvalTopic));

    linked->write(c.bytes.data(), static_cast<qint64>(c.bytes.size()));
    ASSERT_TRUE(RunUntil([&] { return linked->bytesToWrite() == 0; }, 30s));
    if (c.closeAfter) linked->disconnectFromServer();
    EXPECT_TRUE(RunUntil([&] { return ErrorLog().find(c.logged) != std::string::npos; })) << ErrorLog();

    // The program still answers its own clients.
    link::LinkClient client;
    std::string count;
    client.OnValue([&](std::string_view, std::string_view value) { count = value; });
    client.Link("KORVAL|ACARS", "txtCount");
    ASSERT_TRUE(client.Request("txtCount"));
    EXPECT_TRUE(RunUntil([&] { return !count.empty(); })) << k.Err();
    EXPECT_EQ(count, "0");
    Close(k);
}

INSTANTIATE_TEST_SUITE_P(Program, BadDecoder,
                         ::testing::Values(BadPeerCase{"binaryGarbage", std::string("\x01\xff\x00 junk\r\n", 10), false,
                                                       "Link to WinACARS|ACARS lost"},
                                           BadPeerCase{"twoMiBFrame", "DATA LiveData 2097152\n" + kTwoMiB, false,
                                                       "Link to WinACARS|ACARS lost"},
                                           BadPeerCase{"goneMidFrame", "DATA LiveData 300\n1ACARS mode: 2", true,
                                                       "Link to WinACARS|ACARS lost"}),
                         test::CaseName());

// ---- start-up links and closing ---------------------------------------------------------------------

struct StartCase {
    const char* name;
    std::vector<std::string> ini;
    bool decoderRunning;
    std::string said;   // the message on standard error, or "" for none
    std::string saved;  // a line of KORVAL.ini after closing
    int signal;
};

class StartUpLinks : public Chain, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartUpLinks, AreMadeOrToldAndTheChoiceIsSavedOnClosing)
{
    const StartCase& c = GetParam();
    home.Write("KORVAL.ini", Ini(c.ini));
    link::LinkServer decoder;
    decoder.AddItem("LiveData");
    if (c.decoderRunning) {
        ASSERT_TRUE(decoder.Listen("WinACARS|ACARS")) << decoder.LastReason();
    }
    ASSERT_NO_FATAL_FAILURE(StartKorval(korval, {QStringLiteral("--headless")}));
    if (c.said.empty()) {
        EXPECT_EQ(korval.Err(), "");
    } else {
        EXPECT_TRUE(RunUntil([&] { return korval.Err().find("KORVAL: " + c.said + "\n") != std::string::npos; }))
            << korval.Err();
    }
    EXPECT_EQ(RunUntil([&] { return decoder.AdvisedCount("LiveData") == 1; }, 2s), c.decoderRunning)
        << decoder.ClientCount() << " clients " << korval.Err();
    Close(korval, c.signal);
    EXPECT_NE(home.Read("KORVAL.ini").find(c.saved + "\r\n"), std::string::npos) << home.Read("KORVAL.ini");
}

INSTANTIATE_TEST_SUITE_P(
    Program, StartUpLinks,
    ::testing::Values(
        // Not running yet: told, and still chosen (the program waits for it).
        StartCase{"airmasterNotRunning",
                  {"KORVAL/Airmaster=True"},
                  false,
                  "Airmaster must be running before selecting as DDE source",
                  "Airmaster=True",
                  SIGTERM},
        StartCase{
            "otherNotSet", {"KORVAL/New=True"}, false, "You must set your DDE Server and Topic", "New=True", SIGTERM},
        StartCase{"otherNotRunning",
                  {"KORVAL/New=True", "KORVAL/NewServer=Nobody", "KORVAL/NewTopic=ACARS"},
                  false,
                  "Your specified DDE must be running before selecting it as DDE source",
                  "New=True",
                  SIGTERM},
        StartCase{"airmasterRunning", {"KORVAL/Airmaster=True", "Menus/Beep=True"}, true, "", "Beep=True", SIGINT}),
    test::CaseName());

// A FIFO in place of the settings and each data file holds neither the start nor the quit:
// SIGTERM ends the program with status 0 from the moment it can catch it, and a start left alone
// completes with the message of an unreadable settings file.
TEST_F(Chain, FifosInPlaceOfTheFilesHoldNeitherTheStartNorTheQuit)
{
    for (const char* file : {"KORVAL.ini", "routes.wdf", "aircraft.wdf", "RegFlight.wdf"}) {
        std::filesystem::remove(home.path() / file);
        test::MakeFifo(home.path() / file);
    }
    const QStringList args{QStringLiteral("--home"), Q(home.path()), QStringLiteral("--headless"),
                           QStringLiteral("--quiet")};
    Program early;
    early.SetEnvironment(env);
    ASSERT_TRUE(early.Start(KorvalProgram(), args));
    ASSERT_TRUE(RunUntil([&] { return early.Catches(SIGTERM) || !early.Running(); }, 20s)) << early.Err();
    Close(early);

    ASSERT_NO_FATAL_FAILURE(StartKorval(korval, {QStringLiteral("--headless"), QStringLiteral("--quiet")}));
    EXPECT_TRUE(RunUntil([&] {
        return korval.Err().find("Can't read your Korval settings file") != std::string::npos;
    })) << korval.Err();
    Close(korval);
}

// Services start in any order: a decoder that comes up after the program is linked at the next
// try (every 10 seconds), its item stays chosen, and the operator is told once.
TEST_F(Chain, ADecoderStartedAfterTheProgramIsLinkedAndStaysChosen)
{
    home.Write("KORVAL.ini", Ini({"KORVAL/Airmaster=True"}));
    ASSERT_NO_FATAL_FAILURE(StartKorval(korval, {QStringLiteral("--headless"), QStringLiteral("--quiet")}));
    const std::string told = "KORVAL: Airmaster must be running before selecting as DDE source\n";
    ASSERT_TRUE(RunUntil([&] { return korval.Err().find(told) != std::string::npos; })) << korval.Err();

    link::LinkClient listener;
    std::vector<std::string> values;
    listener.OnValue([&](std::string_view, std::string_view value) { values.emplace_back(value); });
    // Linked as other programs link, trying again while the program is still starting.
    ASSERT_TRUE(RunUntil([&] {
        try {
            listener.Link("KORVAL|ACARS", "LiveData");
            return true;
        } catch (const std::exception&) {
            return false;
        }
    })) << korval.Err();

    link::LinkServer decoder;
    decoder.AddItem("LiveData");
    ASSERT_TRUE(decoder.Listen("WinACARS|ACARS")) << decoder.LastReason();
    // The program tried last when it started, just before the decoder came up: the next try,
    // one interval of 10 seconds after that, links it (2 seconds of margin for a loaded machine).
    ASSERT_TRUE(RunUntil([&] { return decoder.AdvisedCount("LiveData") == 1; }, 12s)) << korval.Err();
    const std::string traffic = Message("FIRST TRAFFIC");
    decoder.SetValue("LiveData", traffic);
    decoder.Flush();
    ASSERT_TRUE(RunUntil([&] { return !values.empty(); })) << korval.Err();
    EXPECT_EQ(values.back(), traffic);

    EXPECT_TRUE(RunUntil([&] {
        return korval.Out().find("link made: Airmaster/JACARS (WinACARS|ACARS)\n") != std::string::npos;
    })) << korval.Out();
    EXPECT_EQ(korval.Err().find(told), korval.Err().rfind(told)) << "told once";
    EXPECT_NE(ErrorLog().find("Error: 282 (Link to WinACARS|ACARS not answering at start; retrying every 10 "
                              "seconds) at line 0 in procedure Link_Airmaster of Module ACARS\r\n"),
              std::string::npos)
        << ErrorLog();
    Close(korval);
    EXPECT_NE(home.Read("KORVAL.ini").find("\r\nAirmaster=True\r\n"), std::string::npos) << home.Read("KORVAL.ini");
}

// A position report that the rules reformat is counted, and the counting step's second pass
// through the log writes nothing new: one daily-log entry, one value for the linked programs.
TEST_F(Chain, ACountedPositionIsLoggedOnceAndPublishedOnce)
{
    ASSERT_NO_FATAL_FAILURE(StartChain());
    // The corpus's first message: a position report of G-VROY that the rules reformat.
    const std::string position = CorpusTexts(1)[0];
    ASSERT_NE(position.find("Msg. no: D48E"), std::string::npos);
    const std::size_t before = Field(listen.Out(), "value").size();
    // The marker after it is published once too, and arrives after every value of the position.
    Send(serve, {ReplayLine(position), ReplayLine(Message("MARKER AFTER THE POSITION"))});
    ASSERT_TRUE(RunUntil([&] { return listen.Out().find("MARKER AFTER THE POSITION") != std::string::npos; }))
        << korval.Err();
    std::vector<std::string> values = Field(listen.Out(), "value");
    values.erase(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(before));
    ASSERT_EQ(values.size(), 2u);
    EXPECT_NE(values[0].find("Msg. no: D48E"), std::string::npos) << values[0];
    // It was counted: the counting step ran and passed it through the log a second time.
    link::LinkClient counter;
    std::string count;
    counter.OnValue([&](std::string_view, std::string_view value) { count = value; });
    counter.Link("KORVAL|ACARS", "txtCount");
    ASSERT_TRUE(counter.Request("txtCount"));
    ASSERT_TRUE(RunUntil([&] { return !count.empty(); }));
    EXPECT_EQ(count, "1");

    Close(korval);
    std::string logs;
    for (const auto& e : std::filesystem::directory_iterator(home.path() / "Logs"))
        if (e.path().filename().string().rfind("KorvalLog ", 0) == 0)
            logs += home.Read("Logs/" + e.path().filename().string());
    std::size_t entries = 0;
    for (std::size_t p = logs.find("Msg. no: D48E"); p != std::string::npos; p = logs.find("Msg. no: D48E", p + 1))
        ++entries;
    EXPECT_EQ(entries, 1u) << logs;
    EXPECT_EQ(logs.rfind("--Position Reformatted--\r\n", 0), 0u) << logs;
}

struct UsageCase {
    const char* name;
    QStringList args;
    int status;
    std::string shown;  // on standard output for status 0, else on standard error
};

class Usage : public Chain, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(Usage, AnswersWithoutRunning)
{
    const UsageCase& c = GetParam();
    ASSERT_TRUE(korval.Start(KorvalProgram(), c.args));
    ASSERT_TRUE(korval.Finished());
    EXPECT_EQ(korval.ExitCode(), c.status) << korval.Err();
    const std::string& text = c.status == 0 ? korval.Out() : korval.Err();
    EXPECT_NE(text.find(c.shown), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Program, Usage,
    ::testing::Values(
        UsageCase{"help", {QStringLiteral("--help")}, 0, "--home DIR"},
        UsageCase{"quietWithWindows", {QStringLiteral("--quiet")}, 2, "--quiet is for --headless"},
        UsageCase{"version", {QStringLiteral("--version")}, 0, "korval 1.0.0\n"},
        UsageCase{"missingHome",
                  {QStringLiteral("--headless"), QStringLiteral("--home"), QStringLiteral("/no/such/folder")},
                  2,
                  "--home must name an existing folder"},
        UsageCase{"homeWithoutFolder", {QStringLiteral("--headless"), QStringLiteral("--home")}, 2, "usage:"},
        UsageCase{"unknownOption", {QStringLiteral("--windowless")}, 2, "unknown option --windowless"}),
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
    QProcessEnvironment e = env;
    e.insert(QStringLiteral("HOME"), Q(user));
    e.remove(QStringLiteral("KORVAL_HOME"));
    if (c.setKorvalHome) {
        e.insert(QStringLiteral("KORVAL_HOME"), Q(user / "mine"));
        if (c.korvalHomeExists) std::filesystem::create_directories(user / "mine");
    }
    Program k(e);
    ASSERT_TRUE(k.Start(KorvalProgram(), {QStringLiteral("--headless"), QStringLiteral("--quiet")}));
    if (c.status != 0) {
        ASSERT_TRUE(k.Finished());
        EXPECT_EQ(k.ExitCode(), c.status);
        EXPECT_NE(k.Err().find("KORVAL_HOME must name an existing folder"), std::string::npos) << k.Err();
        EXPECT_FALSE(std::filesystem::exists(user / ".local"));
        return;
    }
    ASSERT_TRUE(Served(kKorvalTopic)) << k.Err();
    Close(k);
    EXPECT_TRUE(std::filesystem::exists(user / c.folder / "KORVAL.ini")) << k.Err();
}

INSTANTIATE_TEST_SUITE_P(
    Program, DefaultHome,
    ::testing::Values(HomeCase{"korvalHome", true, true, 0, "mine"}, HomeCase{"korvalHomeMissing", true, false, 2, ""},
                      HomeCase{"userShareMadeWhenMissing", false, false, 0, ".local/share/korval"}),
    test::CaseName());

}  // namespace
}  // namespace korval::e2e
