#include <gtest/gtest.h>

#include <algorithm>
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
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", p.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
}

struct Value {
    std::string item, value;
    bool operator==(const Value&) const = default;
};

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

    // A client linked to `item` that records what it receives.
    LinkClient& NewClient(std::string_view item = "LiveData")
    {
        auto& c = clients.emplace_back(std::make_unique<LinkClient>());
        c->SetFolder(home.path());
        auto* got = &received.emplace_back();
        c->OnValue([got](std::string_view i, std::string_view v) { got->push_back({std::string(i), std::string(v)}); });
        c->Link("WinACARS|ACARS", item);
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
    std::deque<std::vector<Value>>
        received;  // one list per client, in order of NewClient (a deque keeps them in place)
};

TEST_F(LinkTest, ValuesArriveInOrderAsBytesAndUpToOneMiB)
{
    NewClient();
    NewClient();
    ASSERT_TRUE(Advised(2));
    std::vector<Value> sent;
    // A value that repeats the last one is still a new value.
    for (const std::string& v : {""s, "line\r\n\0\x01\xff\x80"s, "again"s, "again"s, std::string(kMaxValue, 'M')}) {
        ASSERT_TRUE(server.SetValue("LiveData", v));
        sent.push_back({"LiveData", v});
    }
    EXPECT_FALSE(server.SetValue("LiveData", std::string(kMaxValue + 1, 'M')));
    EXPECT_FALSE(server.LastReason().empty());
    EXPECT_FALSE(server.SetValue("Live Data", "x"));  // not an item name
    ASSERT_TRUE(RunUntil([&] { return received[0].size() >= sent.size() && received[1].size() >= sent.size(); }));
    EXPECT_EQ(received[0], sent);
    EXPECT_EQ(received[1], sent);
    EXPECT_EQ(server.Value("LiveData"), sent.back().value);  // the refused value changed nothing
}

TEST_F(LinkTest, RequestAnswersOnceAndAnUnknownItemIsAnError)
{
    LinkClient& c = NewClient("Flight");
    std::vector<std::string> errors;
    c.OnError([&](const std::string& text) { errors.push_back(text); });
    server.SetValue("LiveData", "current");
    ASSERT_TRUE(c.Request("livedata"));
    ASSERT_TRUE(c.Request("Nope"));
    ASSERT_TRUE(RunUntil([&] { return received[0].size() == 1 && errors.size() == 1; }));
    EXPECT_EQ(received[0][0].value, "current");
    EXPECT_EQ(errors[0], "unknown item Nope");
    server.SetValue("LiveData", "later");  // not advised: the request was for one value only
    server.SetValue("Flight", "BA0001");
    ASSERT_TRUE(Got(2));
    EXPECT_EQ(received[0][1], (Value{"Flight", "BA0001"}));
}

TEST_F(LinkTest, UnadviseStopsTheValuesOfThatItemOnly)
{
    LinkClient& c = NewClient();
    ASSERT_TRUE(c.Advise("Flight"));
    ASSERT_TRUE(Advised(1, "Flight"));
    server.SetValue("LiveData", "one");
    ASSERT_TRUE(Got(1));
    ASSERT_TRUE(c.Unadvise("LIVEDATA"));
    server.SetValue("LiveData", "in flight when unadvised");  // may already be on its way: not delivered
    ASSERT_TRUE(Advised(0, "LiveData"));
    server.SetValue("LiveData", "two");
    server.SetValue("Flight", "marker");
    ASSERT_TRUE(RunUntil([&] { return !received[0].empty() && received[0].back().value == "marker"; }));
    EXPECT_EQ(received[0], (std::vector<Value>{{"LiveData", "one"}, {"Flight", "marker"}}));
}

// Error 282 is what a program hears when it links to a program that is not running: no socket
// file, one left by a server that was killed, a plain file in the way, or no server name at all.
TEST_F(LinkTest, LinkWithoutAServerRaises282)
{
    ASSERT_NO_FATAL_FAILURE(LeaveStaleSocket(home.path() / "stale%7cacars"));
    home.Write("plain%7cacars", "");
    for (const char* topic : {"Nobody|ACARS", "Stale|ACARS", "Plain|ACARS", "WinACARS"}) {
        SCOPED_TRACE(topic);
        LinkClient client;
        client.SetFolder(home.path());
        EXPECT_FAULT(client.Link(topic, "LiveData"), err::DdeNoAnswer);
        EXPECT_FALSE(client.LastReason().empty());
        EXPECT_FALSE(client.IsLinked());
        EXPECT_FALSE(client.Request("LiveData"));
    }
    // LinkLater waits for a server that is not running yet, but not for one that can never be.
    LinkClient later;
    later.SetFolder(home.path());
    EXPECT_FAULT(later.LinkLater("WinACARS", "LiveData"), err::DdeNoAnswer);
    EXPECT_FAULT(later.LinkLater("WinACARS|ACARS", "Live Data"), err::InvalidCall);
    EXPECT_FALSE(later.IsLinked());

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
    ASSERT_TRUE(Advised(1));
    for (int i = 0; i < 100; ++i) server.SetValue("LiveData", std::to_string(i));
    ASSERT_TRUE(RunUntil([&] { return server.PendingBytes() == 0; }));

    server.Close();
    ASSERT_TRUE(RunUntil([&] { return lost.size() == 1; }));
    ASSERT_EQ(received[0].size(), 100u);
    EXPECT_EQ(received[0].back().value, "99");
    EXPECT_FALSE(c.IsConnected());
    EXPECT_TRUE(c.IsLinked());
    ASSERT_TRUE(
        RunUntil([&] { return c.LastReason().starts_with("no server WinACARS|ACARS"); }))  // a retry found nobody
        << c.LastReason();
    EXPECT_EQ(restored, 0);

    ASSERT_TRUE(server.Listen("WinACARS|ACARS")) << server.LastReason();
    ASSERT_TRUE(RunUntil([&] { return restored == 1; }));
    ASSERT_TRUE(Advised(1));  // the client advised its item afresh
    server.SetValue("LiveData", "after");
    ASSERT_TRUE(Got(101));
    EXPECT_EQ(received[0].back().value, "after");
    EXPECT_EQ(lost.size(), 1u);
}

struct BadClientCase {
    const char* name;
    std::string bytes;
};

class BadClient : public LinkTest, public ::testing::WithParamInterface<BadClientCase> {};

// A client that misbehaves is dropped; the server and the other clients go on.
TEST_P(BadClient, IsDroppedAndTheOthersGoOn)
{
    const std::string& bytes = GetParam().bytes;
    NewClient();
    ASSERT_TRUE(Advised(1));
    auto bad = Raw();
    ASSERT_TRUE(RunUntil([&] { return server.ClientCount() == 2; }));
    bad->write(bytes.data(), static_cast<qint64>(bytes.size()));
    ASSERT_TRUE(RunUntil([&] { return server.ClientCount() == 1; }));
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_FALSE(drops[0].empty());

    server.SetValue("LiveData", "after the bad one");
    ASSERT_TRUE(Got(1));
    EXPECT_TRUE(clients[0]->IsConnected());
    NewClient();  // and new clients are still welcome
    ASSERT_TRUE(Advised(2));
}

// The program tests send binary garbage and close mid-line.
INSTANTIATE_TEST_SUITE_P(Link, BadClient,
                         ::testing::Values(BadClientCase{"lineWithoutEnd", std::string(kMaxLine + 10, 'A')},
                                           BadClientCase{"adviseWithoutItem", "ADVISE\n"}),
                         test::CaseName());

TEST_F(LinkTest, ClientThatStopsReadingIsDroppedAtItsBacklog)
{
    NewClient();
    ASSERT_TRUE(Advised(1));
    auto idle = Raw(/*idle=*/true);  // advises and then never reads
    idle->write("ADVISE LiveData\n");
    ASSERT_TRUE(Advised(2));
    server.SetBacklogLimit(4 * 1024 * 1024);
    const std::string big(kMaxValue, 'b');
    for (int i = 0; i < 20 && drops.empty(); ++i) {
        ASSERT_TRUE(server.SetValue("LiveData", big));
        // The reading client takes each value; the idle one lets them pile up.
        ASSERT_TRUE(Got(static_cast<std::size_t>(i) + 1));
    }
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_NE(drops[0].find("stopped reading"), std::string::npos) << drops[0];
    EXPECT_EQ(server.AdvisedCount("LiveData"), 1);
    EXPECT_TRUE(clients[0]->IsConnected());
}

// A value handler may end its own link or destroy its client; nothing after that is delivered.
TEST_F(LinkTest, HandlerMayUnlinkOrDestroyItsClient)
{
    LinkClient& a = NewClient();
    auto b = std::make_unique<LinkClient>();
    b->SetFolder(home.path());
    int bGot = 0;
    b->OnValue([&](std::string_view, std::string_view) {
        ++bGot;
        b.reset();
    });
    b->Link("WinACARS|ACARS", "LiveData");
    a.OnValue([&](std::string_view, std::string_view v) {
        received[0].push_back({"LiveData", std::string(v)});
        if (received[0].size() == 3) a.Unlink();
    });
    ASSERT_TRUE(Advised(2));
    for (int i = 0; i < 10; ++i) server.SetValue("LiveData", std::to_string(i));
    // The values still buffered when the handlers acted were dropped in the same read.
    ASSERT_TRUE(RunUntil([&] { return received[0].size() == 3 && !b; }));
    EXPECT_EQ(received[0].size(), 3u);
    EXPECT_EQ(bGot, 1);
    EXPECT_FALSE(a.IsLinked());
}

struct UnreadReplyCase {
    const char* name;
    std::string command;  // sent over and over; what answers it is never read
};

class UnreadReplies : public LinkTest, public ::testing::WithParamInterface<UnreadReplyCase> {};

// Every answer waits for its client as values do: a client that asks and never reads what it is
// told is dropped at its backlog, and the server never holds more than that for it.
TEST_P(UnreadReplies, DropTheClientAtItsBacklog)
{
    NewClient();
    ASSERT_TRUE(Advised(1));
    ASSERT_TRUE(server.SetValue("LiveData", std::string(1000, 'v')));  // what REQUEST answers with
    ASSERT_TRUE(Got(1));
    constexpr std::int64_t kLimit = 256 * 1024;
    server.SetBacklogLimit(kLimit);

    auto asker = Raw(/*idle=*/true);  // sends and never reads
    std::string burst;
    while (burst.size() < 4 * 1024 * 1024) burst += GetParam().command;
    asker->write(burst.data(), static_cast<qint64>(burst.size()));
    std::int64_t mostPending = 0;
    ASSERT_TRUE(RunUntil([&] {
        mostPending = std::max(mostPending, server.PendingBytes());
        return !drops.empty();
    }));
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_NE(drops[0].find("stopped reading"), std::string::npos) << drops[0];
    EXPECT_LE(server.LargestBacklog(), kLimit);
    EXPECT_LE(mostPending, kLimit);
    EXPECT_EQ(server.ClientCount(), 1);

    server.SetValue("LiveData", "after the asker");  // the reading client goes on
    ASSERT_TRUE(Got(2));
    EXPECT_EQ(received[0][1].value, "after the asker");
}

INSTANTIATE_TEST_SUITE_P(Link, UnreadReplies,
                         ::testing::Values(UnreadReplyCase{"unknownCommands", "X\n"},
                                           UnreadReplyCase{"unknownItems", "REQUEST Nope\n"},
                                           UnreadReplyCase{"requests", "REQUEST LiveData\n"}),
                         test::CaseName());

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
