#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include "bridge_run.h"
#include "link/client.h"
#include "link_tool.h"
#include "qt_test_support.h"

namespace korval::bridge {
namespace {

using korval::test::PrintTo;
using namespace std::chrono_literals;

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
    void Send(const std::string& datagram, std::uint16_t port)
    {
        udp.writeDatagram(datagram.data(), static_cast<qint64>(datagram.size()), QHostAddress::LocalHost, port);
    }

    test::TempHome home{false};
    std::filesystem::path folder = home.path() / "links";
    std::ostringstream err;
    QUdpSocket udp;
};

TEST_F(BridgeSockets, DatagramsArePublishedAndBadOnesDroppedWhileTheBridgeGoesOn)
{
    BridgeOptions options;
    options.sources = {{Source::Acarsdec, {"127.0.0.1", 0}, ""}, {Source::Dumphfdl, {"127.0.0.1", 0}, ""}};
    Bridge bridge(options, err);
    Start(bridge);
    Listener acars(folder, "WinACARS|ACARS"), hfdl(folder, "PCHFDL|HFDL"), hfAcars(folder, "PCHFDL|ACARS");
    for (const char* topic : {"WinACARS|ACARS", "PCHFDL|HFDL", "PCHFDL|ACARS"}) WaitForClient(bridge, topic);

    for (const std::string& d : {kAcars, std::string(R"({"label":"15","text":"PO)"), std::string(65000, '{'),
                                 std::string("\xff\xfe\x00\x01", 4), kAcars + "\n" + kAcars}) {
        Send(d, bridge.LocalPort(0));
    }
    Send(R"({"hfdl":{"t":{"sec":1796471922},"freq":8942000,"lpdu":{"hfnpdu":{"flight_id":"BAW117",)"
         R"("pos":{"lat":51.39,"lon":-12.575}}}}})",
         bridge.LocalPort(1));
    Send(R"({"hfdl":{"lpdu":{"hfnpdu":{"acars":{"reg":".G-STBA","label":"H1","blk_id":"4","msg_text":"X"}}}}})",
         bridge.LocalPort(1));
    ASSERT_TRUE(test::RunUntil([&] {
        return acars.values.size() == 3 && hfdl.values.size() == 1 && hfAcars.values.size() == 1;
    })) << bridge.CountersOf(0).Summary();

    EXPECT_EQ(acars.values[0].substr(0, 36), "ACARS mode: 2  Aircraft reg: .G-STBA");
    EXPECT_EQ(acars.values[1], acars.values[0]);
    EXPECT_EQ(hfdl.values[0], "BAW117,,11:58:42,8942,012,34,5,W,51,23,4,N;");
    EXPECT_EQ(hfAcars.values[0].substr(0, 13), "1ACARS mode: ");

    EXPECT_EQ(bridge.CountersOf(1).published, 2);

    bridge.Report("now");
    EXPECT_NE(err.str().find("korval-link: now: acarsdec on 127.0.0.1:0: received 6, published 3, dropped 3 "
                             "(broken JSON 2, over 32768 bytes 1)\n"),
              std::string::npos)
        << err.str();
}

// An SBS server not there yet is said once and tried again; a connection closed mid-line costs
// the line and is made again.
TEST_F(BridgeSockets, SbsServerIsWaitedForAndAClosedConnectionMadeAgain)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    const quint16 port = server.serverPort();
    server.close();  // nobody listens there now
    BridgeOptions options;
    options.sources = {{Source::Sbs, {"127.0.0.1", port}, ""}};
    options.sbsRetry = 50ms;
    Bridge bridge(options, err);
    Start(bridge);
    Listener acars(folder, "WinACARS|ACARS");
    WaitForClient(bridge, "WinACARS|ACARS");
    ASSERT_TRUE(test::RunUntil([&] { return err.str().find("cannot connect") != std::string::npos; })) << err.str();

    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, port));
    ASSERT_TRUE(test::RunUntil([&] { return server.hasPendingConnections(); }));
    QTcpSocket* first = server.nextPendingConnection();
    first->write((Sbs3("4CA123", "53.12345") + Sbs3("4CA123", "53.12345").substr(0, 50)).c_str());
    ASSERT_TRUE(test::RunUntil([&] { return acars.values.size() == 1; }));
    first->disconnectFromHost();
    ASSERT_TRUE(test::RunUntil([&] { return server.hasPendingConnections(); }));  // after 50 ms
    server.nextPendingConnection()->write(Sbs3("400AE7", "51.47002").c_str());
    ASSERT_TRUE(test::RunUntil([&] { return acars.values.size() == 2; }));

    EXPECT_NE(acars.values[1].find("Aircraft reg: .400AE7"), std::string::npos);
    EXPECT_EQ(bridge.CountersOf(0).Summary(),
              "received 3, published 2, dropped 1 (line cut short by the connection 1)");
    const std::string said = err.str();
    EXPECT_NE(said.find("sbs from 127.0.0.1:" + std::to_string(port) + ": connection closed"), std::string::npos)
        << said;
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

class BridgeProgram : public test::ProgramTest {};

// The sockets and their counters as the bridge's own tests find them; here, the command line
// reaches them and SIGTERM ends the program with its report.
TEST_F(BridgeProgram, ServesTheTopicOfItsSourceAndReportsAtExit)
{
    QUdpSocket probe;
    ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0, QAbstractSocket::DontShareAddress));
    const std::string address = "127.0.0.1:" + std::to_string(probe.localPort());
    probe.close();
    test::Program bridge;
    Start(bridge, test::LinkProgram(),
          QString::fromStdString("bridge --from acarsdec --listen " + address).split(u' '));
    ASSERT_TRUE(Served("winacars%7cacars")) << bridge.Err();
    bridge.Signal(SIGTERM);
    ASSERT_TRUE(bridge.Finished());
    EXPECT_EQ(bridge.ExitCode(), linktool::kExitOk);
    EXPECT_NE(
        bridge.Err().find("korval-link: at exit: acarsdec on " + address + ": received 0, published 0, dropped 0\n"),
        std::string::npos)
        << bridge.Err();
}

struct UsageCase {
    const char* name;
    const char* args;  // separated by blanks
    int status;
    const char* said;  // on standard output for --help, else on standard error
};

class BridgeUsage : public BridgeProgram, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(BridgeUsage, EndsAtOnceWithItsStatus)
{
    test::Program p;
    Start(p, test::LinkProgram(), QString::fromUtf8(GetParam().args).split(u' '));
    ASSERT_TRUE(p.Finished());
    EXPECT_EQ(p.ExitCode(), GetParam().status);
    const std::string out = p.Out() + p.Err();
    EXPECT_NE(out.find(GetParam().said), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Bridge, BridgeUsage,
    ::testing::Values(UsageCase{"help", "bridge --help", linktool::kExitOk, "usage: korval-link bridge"},
                      UsageCase{"notAnAddressToListenOn", "bridge --from dumpvdl2 --listen no-such-host.invalid:5551",
                                linktool::kExitFailed, "not an IP address"}),
    test::CaseName());

}  // namespace
}  // namespace korval::bridge
