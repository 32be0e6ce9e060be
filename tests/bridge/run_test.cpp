#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include "bridge_run.h"
#include "link/client.h"
#include "link_tool.h"
#include "qt_test_support.h"

namespace korval::bridge {
namespace {

using korval::test::PrintTo;
using namespace std::chrono_literals;
using Drops = std::map<std::string, long long>;

const std::string kAcars =
    R"({"timestamp":1796471922.846,"mode":"2","label":"15","block_id":"2","ack":false,)"
    R"("tail":"G-STBA","flight":"SK1061","msgno":"M91A","text":"POS,N4150.8,E02000.0,0439,350"})";

std::string Sbs3(const std::string& icao, const std::string& lat)
{
    return "MSG,3,1,1," + icao + ",1,2026/12/05,11:58:42.123,2026/12/05,11:58:42.125,EIN123,35000,,," + lat +
           ",-6.54321,,,0,0,0,0\r\n";
}

// Every value a client receives from one topic of the bridge.
struct Listener {
    Listener(const std::filesystem::path& folder, const char* topic)
    {
        client.SetFolder(folder);
        client.OnValue([this](std::string_view, std::string_view v) { values.emplace_back(v); });
        client.Link(topic, "LiveData");
    }
    link::LinkClient client;
    std::vector<std::string> values;
};

class BridgeSockets : public ::testing::Test {
protected:
    void Start(Bridge& bridge)
    {
        bridge.SetLinkFolder(folder);
        ASSERT_EQ(bridge.Start(), Bridge::Started::Ok) << err.str();
    }
    static void WaitForClient(Bridge& bridge, const char* topic)
    {
        ASSERT_TRUE(test::RunUntil([&] { return bridge.AdvisedCount(topic) == 1; }));
    }
    void Send(QUdpSocket& udp, const std::string& datagram, std::uint16_t port)
    {
        ASSERT_EQ(
            udp.writeDatagram(datagram.data(), static_cast<qint64>(datagram.size()), QHostAddress::LocalHost, port),
            static_cast<qint64>(datagram.size()));
    }

    test::TempHome home{false};
    std::filesystem::path folder = home.path() / "links";
    std::ostringstream err;
};

TEST_F(BridgeSockets, DatagramsArePublishedAndBadOnesDroppedWhileTheBridgeGoesOn)
{
    BridgeOptions options;
    options.sources = {{Source::Acarsdec, {"127.0.0.1", 0}, ""}, {Source::Dumphfdl, {"127.0.0.1", 0}, ""}};
    Bridge bridge(options, err);
    Start(bridge);
    Listener acars(folder, "WinACARS|ACARS"), hfdl(folder, "PCHFDL|HFDL"), hfAcars(folder, "PCHFDL|ACARS");
    WaitForClient(bridge, "WinACARS|ACARS");
    WaitForClient(bridge, "PCHFDL|HFDL");
    WaitForClient(bridge, "PCHFDL|ACARS");

    QUdpSocket udp;
    for (const std::string& d : {kAcars, std::string(R"({"label":"15","text":"PO)"), std::string(65000, '{'),
                                 std::string("\xff\xfe\x00\x01", 4), kAcars + "\n" + kAcars}) {
        Send(udp, d, bridge.LocalPort(0));
    }
    Send(udp,
         R"({"hfdl":{"t":{"sec":1796471922},"freq":8942000,"lpdu":{"hfnpdu":{"flight_id":"BAW117",)"
         R"("pos":{"lat":51.39,"lon":-12.575}}}}})",
         bridge.LocalPort(1));
    Send(udp, R"({"hfdl":{"lpdu":{"hfnpdu":{"acars":{"reg":".G-STBA","label":"H1","blk_id":"4","msg_text":"X"}}}}})",
         bridge.LocalPort(1));
    ASSERT_TRUE(test::RunUntil([&] {
        return acars.values.size() == 3 && hfdl.values.size() == 1 && hfAcars.values.size() == 1;
    })) << bridge.CountersOf(0).Summary();

    EXPECT_EQ(acars.values[0].substr(0, 36), "ACARS mode: 2  Aircraft reg: .G-STBA");
    EXPECT_EQ(acars.values[1], acars.values[0]);
    EXPECT_EQ(hfdl.values[0], "BAW117,,11:58:42,8942,012,34,5,W,51,23,4,N;");
    EXPECT_EQ(hfAcars.values[0].substr(0, 13), "1ACARS mode: ");

    const Counters& a = bridge.CountersOf(0);
    EXPECT_EQ(a.received, 6);
    EXPECT_EQ(a.published, 3);
    EXPECT_EQ(a.dropped, (Drops{{"broken JSON", 2}, {"over 32768 bytes", 1}}));
    EXPECT_EQ(bridge.CountersOf(1).published, 2);

    bridge.Report("now");
    EXPECT_NE(err.str().find("korval-link: now: acarsdec on 127.0.0.1:0: received 6, published 3, dropped 3 "
                             "(broken JSON 2, over 32768 bytes 1)\n"),
              std::string::npos)
        << err.str();
}

TEST_F(BridgeSockets, SbsConnectionClosedMidLineIsCountedAndMadeAgain)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    BridgeOptions options;
    options.sources = {{Source::Sbs, {"127.0.0.1", server.serverPort()}, ""}};
    options.sbsRetry = 100ms;
    Bridge bridge(options, err);
    Start(bridge);
    Listener acars(folder, "WinACARS|ACARS");
    WaitForClient(bridge, "WinACARS|ACARS");

    ASSERT_TRUE(test::RunUntil([&] { return server.hasPendingConnections(); }));
    QTcpSocket* first = server.nextPendingConnection();
    const std::string cut = Sbs3("4CA123", "53.12345").substr(0, 50);
    first->write((Sbs3("4CA123", "53.12345") + cut).c_str());
    ASSERT_TRUE(test::RunUntil([&] { return acars.values.size() == 1; }));
    first->disconnectFromHost();

    ASSERT_TRUE(test::RunUntil([&] { return server.hasPendingConnections(); }));  // after 100 ms
    QTcpSocket* second = server.nextPendingConnection();
    second->write(Sbs3("400AE7", "51.47002").c_str());
    ASSERT_TRUE(test::RunUntil([&] { return acars.values.size() == 2; }));

    EXPECT_NE(acars.values[1].find("Aircraft reg: .400AE7"), std::string::npos);
    const Counters& c = bridge.CountersOf(0);
    EXPECT_EQ(c.received, 3);
    EXPECT_EQ(c.published, 2);
    EXPECT_EQ(c.dropped, (Drops{{"line cut short by the connection", 1}}));
    EXPECT_NE(err.str().find("sbs from 127.0.0.1:" + std::to_string(server.serverPort()) + ": connection closed"),
              std::string::npos)
        << err.str();
}

TEST_F(BridgeSockets, SbsServerNotThereIsSaidOnceAndTriedAgain)
{
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();  // nobody listens there now
    BridgeOptions options;
    options.sources = {{Source::Sbs, {"127.0.0.1", port}, ""}};
    options.sbsRetry = 50ms;
    Bridge bridge(options, err);
    Start(bridge);
    ASSERT_TRUE(test::RunUntil([&] { return err.str().find("cannot connect") != std::string::npos; })) << err.str();

    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, port));
    EXPECT_TRUE(test::RunUntil([&] { return server.hasPendingConnections(); }));
    ASSERT_TRUE(test::RunUntil([&] { return err.str().find(": connected") != std::string::npos; })) << err.str();
    const std::string said = err.str();
    EXPECT_EQ(said.find("cannot connect", said.find("cannot connect") + 1), std::string::npos) << said;
}

TEST_F(BridgeSockets, ATopicOrAPortAlreadyTakenStopsTheStart)
{
    BridgeOptions options;
    options.sources = {{Source::Acarsdec, {"127.0.0.1", 0}, ""}};
    Bridge first(options, err);
    Start(first);

    Bridge sameTopic(options, err);
    sameTopic.SetLinkFolder(folder);
    EXPECT_EQ(sameTopic.Start(), Bridge::Started::TopicTaken);
    EXPECT_NE(err.str().find("cannot serve WinACARS|ACARS"), std::string::npos) << err.str();

    options.sources[0].address.port = first.LocalPort(0);
    options.sources[0].topic = "Second|ACARS";
    Bridge samePort(options, err);
    samePort.SetLinkFolder(folder);
    EXPECT_EQ(samePort.Start(), Bridge::Started::SocketFailed);
    EXPECT_NE(err.str().find("cannot listen on 127.0.0.1:" + std::to_string(first.LocalPort(0))), std::string::npos)
        << err.str();
}

// ---- The program itself --------------------------------------------------------------------------

class BridgeProgram : public test::ProgramTest {
protected:
    void Start(test::Program& p, const QStringList& args) { test::ProgramTest::Start(p, test::LinkProgram(), args); }
};

TEST_F(BridgeProgram, BridgePublishesWhatAcarsdecSendsToAListener)
{
    QUdpSocket probe;
    ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
    const quint16 port = probe.localPort();
    probe.close();
    const QString address = QStringLiteral("127.0.0.1:") + QString::number(port);

    test::Program bridge, listen;
    Start(bridge, {QStringLiteral("bridge"), QStringLiteral("--from"), QStringLiteral("acarsdec"),
                   QStringLiteral("--listen"), address});
    ASSERT_TRUE(Served("winacars%7cacars")) << bridge.Err();
    Start(listen, {QStringLiteral("listen"), QStringLiteral("--topic"), QStringLiteral("WinACARS|ACARS"),
                   QStringLiteral("--count"), QStringLiteral("1")});

    // The listener links a moment after it starts: send until it has its value.
    QUdpSocket udp;
    QTimer sender;
    QObject::connect(&sender, &QTimer::timeout, &udp, [&] {
        udp.writeDatagram(kAcars.data(), static_cast<qint64>(kAcars.size()), QHostAddress::LocalHost, port);
    });
    sender.start(50);
    const bool done = listen.Finished();
    sender.stop();
    ASSERT_TRUE(done) << listen.Err();
    EXPECT_EQ(listen.ExitCode(), linktool::kExitOk) << listen.Err();
    // The Airmaster form of the datagram, its time 11:58:42 UTC in the trailer.
    EXPECT_EQ(listen.Out(),
              "{\"item\": \"LiveData\", \"value\": \"ACARS mode: 2  Aircraft reg: .G-STBA\\r\\n"
              "Message label: 15  Block id: 2  Msg. no: M91A\\r\\nFlight id: SK1061\\r\\nMessage content:-\\r\\n"
              "POS,N4150.8,E02000.0,0439,350\\r\\n" +
                  std::string(58, '-') + "[05/12/2026 11:58]\\r\\n\"}\n");

    bridge.Signal(SIGTERM);
    ASSERT_TRUE(bridge.Finished());
    EXPECT_EQ(bridge.ExitCode(), linktool::kExitOk);
    const std::string& said = bridge.Err();
    EXPECT_NE(said.find("korval-link: at exit: acarsdec on " + address.toStdString() + ": received "),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("dropped 0"), said.find("dropped")) << said;
}

struct UsageCase {
    const char* name;
    QStringList args;
    int status;
    const char* said;  // on standard output for --help, else on standard error
};

class BridgeUsage : public BridgeProgram, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(BridgeUsage, EndsAtOnceWithItsStatus)
{
    test::Program p;
    Start(p, GetParam().args);
    ASSERT_TRUE(p.Finished());
    EXPECT_EQ(p.ExitCode(), GetParam().status);
    const std::string out = p.Out() + p.Err();
    EXPECT_NE(out.find(GetParam().said), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(Bridge, BridgeUsage,
                         ::testing::Values(UsageCase{"help",
                                                     {QStringLiteral("bridge"), QStringLiteral("--help")},
                                                     linktool::kExitOk,
                                                     "usage: korval-link bridge"},
                                           UsageCase{"notAnAddressToListenOn",
                                                     {QStringLiteral("bridge"), QStringLiteral("--from"),
                                                      QStringLiteral("dumpvdl2"), QStringLiteral("--listen"),
                                                      QStringLiteral("no-such-host.invalid:5551")},
                                                     linktool::kExitFailed,
                                                     "not an IP address"}),
                         test::CaseName());

}  // namespace
}  // namespace korval::bridge
