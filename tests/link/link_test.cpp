#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <QFile>
#include <QLocalSocket>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "link/client.h"
#include "link/protocol.h"
#include "link/server.h"
#include "qt_test_support.h"
#include "text/fault.h"

namespace korval::link {
namespace {

using korval::test::PrintTo;
using namespace std::chrono_literals;
using namespace std::string_literals;
using test::RunUntil;

// A socket file left behind by a server that was killed: nobody listens on it.
void LeaveStaleSocket(const std::filesystem::path& p)
{
    sockaddr_un addr{AF_UNIX, {}};
    p.string().copy(addr.sun_path, sizeof addr.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
}

using Value = std::pair<std::string, std::string>;  // an item and its value

// A server and its clients over a private socket folder.
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.SetFolder(home.path());
        server.AddItem("LiveData");
        server.AddItem("Flight");
        server.OnDrop([this](const std::string& why) { drops.push_back(why); });
        ASSERT_TRUE(server.Listen("WinACARS|ACARS")) << server.LastReason();
    }

    // A client linked to `item` that records what it receives, once the server knows it.
    LinkClient& NewClient(std::string_view item = "LiveData")
    {
        const int advised = server.AdvisedCount(item);
        auto& c = clients.emplace_back(std::make_unique<LinkClient>());
        c->SetFolder(home.path());
        auto* got = &received.emplace_back();
        c->OnValue([got](std::string_view i, std::string_view v) { got->push_back({std::string(i), std::string(v)}); });
        c->Link("WinACARS|ACARS", item);
        EXPECT_TRUE(Advised(advised + 1, item));
        return *c;
    }

    // A socket that speaks the protocol by hand; an idle one never reads.
    std::unique_ptr<QLocalSocket> Raw(bool idle = false)
    {
        auto s = std::make_unique<QLocalSocket>();
        if (idle) s->setReadBufferSize(4096);  // nor lets the event loop read for it
        s->connectToServer(QFile::decodeName(server.SocketPath().c_str()));
        EXPECT_TRUE(s->waitForConnected(2000));
        return s;
    }

    bool Advised(int n, std::string_view item = "LiveData")
    {
        return RunUntil([&] { return server.AdvisedCount(item) == n; });
    }
    // Waits until the first client has received `n` values.
    bool Got(std::size_t n)
    {
        return RunUntil([&] { return received[0].size() == n; });
    }

    test::TempHome home{false};
    LinkServer server;
    std::vector<std::string> drops;  // the server's reasons for dropping a client
    std::vector<std::unique_ptr<LinkClient>> clients;
    std::deque<std::vector<Value>> received;  // per client, in order of NewClient (a deque keeps them in place)
};

TEST_F(LinkTest, ValuesArriveInOrderAsBytesAndUpToOneMiB)
{
    NewClient();
    std::vector<Value> sent;
    // A value that repeats the last one is still a new value.
    for (const std::string& v : {""s, "line\r\n\0\x01\xff\x80"s, "again"s, "again"s, std::string(kMaxValue, 'M')}) {
        ASSERT_TRUE(server.SetValue("LiveData", v));
        sent.push_back({"LiveData", v});
    }
    EXPECT_FALSE(server.SetValue("LiveData", std::string(kMaxValue + 1, 'M')));
    EXPECT_FALSE(server.SetValue("Live Data", "x"));  // not an item name
    ASSERT_TRUE(RunUntil([&] { return received[0].size() >= sent.size(); }));
    EXPECT_EQ(received[0], sent);
    EXPECT_EQ(server.Value("LiveData"), sent.back().second);  // the refused value changed nothing
}

// A request is answered once and an unknown item with an error; unadvising stops that item only.
TEST_F(LinkTest, RequestAndUnadviseConcernOneItem)
{
    LinkClient& c = NewClient("Flight");
    std::vector<std::string> errors;
    c.OnError([&](const std::string& text) { errors.push_back(text); });
    server.SetValue("LiveData", "current");
    ASSERT_TRUE(c.Request("livedata"));
    ASSERT_TRUE(c.Request("Nope"));
    ASSERT_TRUE(RunUntil([&] { return received[0].size() == 1 && errors.size() == 1; }));
    EXPECT_EQ(errors[0], "unknown item Nope");
    server.SetValue("LiveData", "later");  // not advised: the request was for one value only
    ASSERT_TRUE(c.Advise("LiveData"));
    ASSERT_TRUE(Advised(1));
    server.SetValue("LiveData", "one");
    ASSERT_TRUE(Got(2));
    ASSERT_TRUE(c.Unadvise("LIVEDATA"));
    server.SetValue("LiveData", "in flight when unadvised");  // may already be on its way: not delivered
    ASSERT_TRUE(Advised(0));
    server.SetValue("LiveData", "two");
    server.SetValue("Flight", "marker");
    ASSERT_TRUE(RunUntil([&] { return received[0].back().second == "marker"; }));
    EXPECT_EQ(received[0], (std::vector<Value>{{"LiveData", "current"}, {"LiveData", "one"}, {"Flight", "marker"}}));
}

// Error 282 is what a program hears when it links to a program that is not running: no socket
// file, one left by a server that was killed, or no server name at all.
TEST_F(LinkTest, LinkWithoutAServerRaises282)
{
    ASSERT_NO_FATAL_FAILURE(LeaveStaleSocket(home.path() / "stale%7cacars"));
    LinkClient client;
    client.SetFolder(home.path());
    EXPECT_FAULT(client.Link("Nobody|ACARS", "LiveData"), err::DdeNoAnswer);
    EXPECT_FAULT(client.Link("Stale|ACARS", "LiveData"), err::DdeNoAnswer);
    EXPECT_TRUE(client.LastReason().starts_with("nobody answers for Stale|ACARS")) << client.LastReason();
    // LinkLater waits for a server that is not running yet, but not for one that can never be.
    EXPECT_FAULT(client.LinkLater("WinACARS", "LiveData"), err::DdeNoAnswer);
    EXPECT_FAULT(client.LinkLater("WinACARS|ACARS", "Live Data"), err::InvalidCall);
    EXPECT_FALSE(client.IsLinked());

    LinkServer second;  // a server takes over a socket file left by one that was killed
    second.SetFolder(home.path());
    EXPECT_TRUE(second.Listen("Stale|ACARS")) << second.LastReason();
}

// The values sent before the server closes still arrive; then the link is lost and comes back
// when the server does.
TEST_F(LinkTest, LostLinkComesBackWhenRetrying)
{
    LinkClient& c = NewClient();
    std::vector<std::string> lost;
    int restored = 0;
    c.OnLost([&](const std::string& why) { lost.push_back(why); });
    c.OnRestored([&] { ++restored; });
    c.SetRetryInterval(50ms);
    for (int i = 0; i < 100; ++i) server.SetValue("LiveData", std::to_string(i));
    ASSERT_TRUE(RunUntil([&] { return server.PendingBytes() == 0; }));

    server.Close();
    ASSERT_TRUE(RunUntil([&] { return lost.size() == 1; }));
    ASSERT_EQ(received[0].size(), 100u);
    ASSERT_TRUE(
        RunUntil([&] { return c.LastReason().starts_with("no server WinACARS|ACARS"); }))  // a retry found nobody
        << c.LastReason();
    EXPECT_EQ(restored, 0);

    ASSERT_TRUE(server.Listen("WinACARS|ACARS")) << server.LastReason();
    ASSERT_TRUE(RunUntil([&] { return restored == 1; }));
    ASSERT_TRUE(Advised(1));  // the client advised its item afresh
    server.SetValue("LiveData", "after");
    ASSERT_TRUE(Got(101));
    EXPECT_EQ(received[0].back(), (Value{"LiveData", "after"}));
    EXPECT_EQ(lost.size(), 1u);
}

// A client that misbehaves (a line too long, binary garbage) is dropped; the server and the other
// clients go on.
TEST_F(LinkTest, BadClientsAreDroppedAndTheOthersGoOn)
{
    NewClient();
    for (const std::string& bytes : {std::string(kMaxLine + 10, 'A'), "\x01\xff\x00 junk\r\n"s}) {
        auto bad = Raw();
        ASSERT_TRUE(RunUntil([&] { return server.ClientCount() == 2; }));
        bad->write(bytes.data(), static_cast<qint64>(bytes.size()));
        ASSERT_TRUE(RunUntil([&] { return server.ClientCount() == 1; })) << bytes.substr(0, 10);
    }
    EXPECT_EQ(drops.size(), 2u);
    server.SetValue("LiveData", "after the bad ones");
    ASSERT_TRUE(Got(1));
    NewClient();  // and new clients are still welcome
}

// A value handler may end its own link or destroy its client; nothing after that is delivered.
TEST_F(LinkTest, HandlerMayUnlinkOrDestroyItsClient)
{
    LinkClient& a = NewClient();
    int bGot = 0;
    NewClient().OnValue([&](std::string_view, std::string_view) {
        ++bGot;
        clients[1].reset();
    });
    a.OnValue([&](std::string_view, std::string_view v) {
        received[0].push_back({"LiveData", std::string(v)});
        if (received[0].size() == 3) a.Unlink();
    });
    for (int i = 0; i < 10; ++i) server.SetValue("LiveData", std::to_string(i));
    // The values still buffered when the handlers acted were dropped in the same read.
    ASSERT_TRUE(RunUntil([&] { return received[0].size() == 3 && !clients[1]; }));
    EXPECT_EQ(bGot, 1);
    EXPECT_FALSE(a.IsLinked());
}

// A client that stops reading is dropped at its backlog, and the server never holds more than
// that for it: one that advises and lets the values pile up, and one that asks (an unknown command,
// an unknown item, a value) and never reads what it is told, since every answer waits as values do.
TEST_F(LinkTest, ClientsThatStopReadingAreDroppedAtTheirBacklog)
{
    NewClient();
    constexpr std::int64_t kLimit = 256 * 1024;
    server.SetBacklogLimit(kLimit);
    auto idle = Raw(/*idle=*/true);  // advises and then never reads
    idle->write("ADVISE LiveData\n");
    ASSERT_TRUE(Advised(2));
    const std::string big(128 * 1024, 'b');  // also what REQUEST answers with
    for (std::size_t i = 1; i <= 40 && drops.empty(); ++i) {
        ASSERT_TRUE(server.SetValue("LiveData", big));
        ASSERT_TRUE(Got(i));  // the reading client takes each value; the idle one lets them pile up
    }
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_NE(drops[0].find("stopped reading"), std::string::npos) << drops[0];
    EXPECT_EQ(server.AdvisedCount("LiveData"), 1);
    for (const std::string command : {"X\n", "REQUEST Nope\n", "REQUEST LiveData\n"}) {
        drops.clear();
        auto asker = Raw(/*idle=*/true);  // sends and never reads
        std::string burst;
        while (burst.size() < 4 * 1024 * 1024) burst += command;
        asker->write(burst.data(), static_cast<qint64>(burst.size()));
        ASSERT_TRUE(RunUntil([&] { return !drops.empty(); })) << command;
        EXPECT_NE(drops[0].find("stopped reading"), std::string::npos) << command << drops[0];
        EXPECT_EQ(server.ClientCount(), 1) << command;
    }
    EXPECT_LE(server.LargestBacklog(), kLimit);
}

// Flushing finds clients that went away and drops each once; closing drops the rest unreported.
TEST_F(LinkTest, FlushAndCloseFindClientsGone)
{
    auto advisedAndGone = [&] {
        std::vector<std::unique_ptr<QLocalSocket>> peers;
        for (int i = 0; i < 3; ++i) peers.emplace_back(Raw())->write("ADVISE LiveData\n");
        EXPECT_TRUE(Advised(3));
        for (auto& peer : peers) peer->abort();
        server.SetValue("LiveData", std::string(1000, 'v'));
    };

    advisedAndGone();
    server.Flush();
    ASSERT_TRUE(RunUntil([&] { return server.ClientCount() == 0; }));
    EXPECT_EQ(drops.size(), 3u);

    drops.clear();
    advisedAndGone();
    server.Close();
    EXPECT_EQ(server.ClientCount(), 0);
    EXPECT_TRUE(drops.empty());
}

}  // namespace
}  // namespace korval::link
