// The web view's server in-process over real sockets: the page's paths and nothing else, the
// limits on requests, frames and connections, slow pages dropped, and the station's pace and
// messages untouched by any of it.

#include "web/web_view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "devtools.h"
#include "test_support.h"

namespace korval::web {
namespace {

using korval::test::PrintTo;
using namespace std::chrono_literals;
using webtest::WaitUntil;

// Limits small enough to reach in a test.
ViewLimits TestLimits()
{
    ViewLimits l;
    l.http.requestBytes = 4096;
    l.http.requestTime = 500ms;
    l.frameBytes = 1024;
    l.messageBytes = 4096;
    l.dropBytes = 512 * 1024;
    l.pictureBacklog = 128 * 1024;
    l.stuckTime = 1s;
    l.mapInterval = 50ms;
    l.flushInterval = 20ms;
    return l;
}

struct Reply {
    int status = 0;
    QByteArray head, body;
    bool closed = false;  // the server closed the connection
};

// Sends `request` on a new connection; reads until the answer has the length its head gives or
// the connection ends.
Reply Exchange(quint16 port, const QByteArray& request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.write(request);
    QByteArray all;
    Reply r;
    auto complete = [&] {
        all += socket.readAll();
        const qsizetype end = all.indexOf("\r\n\r\n");
        if (end < 0) return false;
        r.status = all.mid(9, 3).toInt();  // "HTTP/1.1 200 OK"
        r.head = all.left(end);
        r.body = all.mid(end + 4);
        const qsizetype at = r.head.indexOf("Content-Length: ");
        const int length = at < 0 ? 0 : r.head.mid(at + 16, r.head.indexOf("\r\n", at) - at - 16).toInt();
        return request.startsWith("HEAD") || r.body.size() >= length;
    };
    const auto gone = [&] { return socket.state() == QAbstractSocket::UnconnectedState; };
    WaitUntil([&] { return complete() || gone(); }, 5s);
    complete();
    r.closed = gone() || WaitUntil(gone, 200ms);
    return r;
}

// A request of this machine's browser; `headers` end with CR LF.
QByteArray Request(const QByteArray& line, const QByteArray& headers = "Connection: close\r\n")
{
    return line + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n";
}

// The headers of a browser's WebSocket upgrade.
constexpr const char* kUpgrade =
    "Connection: Upgrade\r\nUpgrade: websocket\r\n"
    "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n";

// A page's WebSocket, as a browser opens it.
struct Page {
    explicit Page(quint16 port, const QString& origin = {})
    {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, &socket, [this](const QString& text) {
            const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
            texts.push_back(m);
            for (const QJsonValue& v : m.value(QStringLiteral("live")).toArray())
                live.push_back(v.toObject().value(QStringLiteral("n")).toInt());
        });
        QObject::connect(&socket, &QWebSocket::binaryMessageReceived, &socket,
                         [this](const QByteArray& bytes) { pictures.push_back(bytes); });
        QNetworkRequest request(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
        if (!origin.isEmpty()) request.setRawHeader("Origin", origin.toLatin1());
        socket.open(request);
    }
    bool Open()
    {
        return WaitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5s);
    }
    bool Closed(std::chrono::milliseconds limit = 5s)
    {
        return WaitUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, limit);
    }
    // The code the server closed the page with; -1 while it is open.
    int ClosedWith() { return Closed() ? socket.closeCode() : -1; }
    void Send(const QString& m) { socket.sendTextMessage(m); }
    bool Greeted() const
    {
        return !texts.empty() && texts.front().value(QStringLiteral("t")) == QStringLiteral("hello");
    }
    const QJsonObject* Last(const char* type) const
    {
        for (auto it = texts.rbegin(); it != texts.rend(); ++it)
            if (it->value(QStringLiteral("t")).toString() == QLatin1String(type)) return &*it;
        return nullptr;
    }

    QWebSocket socket;
    std::vector<QJsonObject> texts;
    std::vector<int> live;
    std::vector<QByteArray> pictures;
};

// The page's size message: map 1 at `w` x `h`, maps 2 and 3 not shown.
QString Size(int w, int h)
{
    return QStringLiteral(R"({"t":"size","maps":[[%1,%2],[0,0],[0,0]]})").arg(w).arg(h);
}

class Server : public ::testing::Test {
protected:
    Server()
    {
        // Noise, so that pictures are as large as real maps' are.
        QImage background(1024, 768, QImage::Format_RGB32);
        std::uint32_t seed = 12345;
        for (int y = 0; y < background.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(background.scanLine(y));
            for (int x = 0; x < background.width(); ++x)
                line[x] = 0xFF000000u | ((seed = seed * 1664525u + 1013904223u) >> 8);
        }
        background.save(QString::fromStdString((rig.home.path() / "sea.jpg").string()), "JPEG");
        MapConfig& m = s.map[0];
        m.N = "60000", m.S = "40000", m.E = "000000", m.W = "-040000";
        m.MapPath = (rig.home.path() / "sea.jpg").string();
    }
    void SetUp() override { Start(); }
    // Starts the view (again) with `limits`.
    void Start(ViewLimits limits = TestLimits())
    {
        view.reset();
        view = std::make_unique<WebView>(
            s, [this](const std::string& line) { log.push_back(line); }, limits);
        ASSERT_TRUE(view->Start({QHostAddress(QHostAddress::LocalHost), 0}));
        port = view->Port();
        ASSERT_NE(port, 0);
    }
    // A processed message as the chain leaves it: LiveData set, an aircraft moved.
    void Message(int n)
    {
        s.box.LiveData.Text = "MESSAGE " + std::to_string(n);
        s.Notify(ChangeLiveData);
        if (!plane) plane = test::AddAircraft(s, "G-MOVE", "");
        plane->NewLocation = std::to_string(41000 + n % 18000) + "/-20000";
        s.Notify(ChangeMaps);
    }

    test::Rig rig;
    Station& s = rig.station;
    std::unique_ptr<WebView> view;
    quint16 port = 0;
    std::vector<std::string> log;
    std::shared_ptr<Aircraft> plane;
};

// ---- paths ------------------------------------------------------------------------------------

// How a request reaches the path rules through the HTTP server; the rules are the paths test's.
struct PathCase {
    const char* name;
    const char* line;     // the request line
    const char* headers;  // besides the host, each ending in CR LF
    int status;
    const char* type;  // start of the Content-Type
};

class Paths : public Server, public ::testing::WithParamInterface<PathCase> {};

TEST_P(Paths, OnlyThePagesOwn)
{
    const PathCase& c = GetParam();
    const Reply r = Exchange(port, Request(c.line, c.headers));
    EXPECT_EQ(r.status, c.status) << r.head.toStdString();
    for (const QByteArray& header :
         {QByteArray("Content-Type: ") + c.type, QByteArray("X-Content-Type-Options: nosniff"),
          QByteArray("Content-Security-Policy: default-src 'none'")})
        EXPECT_TRUE(r.head.contains(header)) << r.head.toStdString();
    // A HEAD has no body; only the page's own row shows the page.
    EXPECT_EQ(r.body.isEmpty(), QByteArray(c.line).startsWith("HEAD")) << r.body.toStdString();
    EXPECT_EQ(r.body.contains("<title>KORVAL</title>"), std::string_view(c.name) == "page");
}

constexpr const char* kClose = "Connection: close\r\n";

INSTANTIATE_TEST_SUITE_P(Web, Paths,
                         ::testing::Values(PathCase{"page", "GET /", kClose, 200, "text/html"},
                                           PathCase{"head", "HEAD /", kClose, 200, "text/html"},
                                           PathCase{"socketWithoutUpgrade", "GET /ws", kClose, 426, "text/plain"},
                                           PathCase{"upgradeElsewhere", "GET /other", kUpgrade, 404, "text/plain"}),
                         korval::test::CaseName());

TEST_F(Server, TheDownloadLinksExportWhatIsTrackedAsOfNow)
{
    test::AddAircraft(s, "G-DOWN", "51500/-1250");
    const Reply geojson = Exchange(port, Request("GET /tracks.geojson"));
    ASSERT_EQ(geojson.status, 200);
    EXPECT_TRUE(geojson.head.contains("Content-Type: application/geo+json"));
    EXPECT_TRUE(geojson.head.contains("Content-Disposition: attachment; filename=\"korval-tracks.geojson\""));
    EXPECT_TRUE(geojson.body.contains("[-1.25,51.5]")) << geojson.body.toStdString();  // G-DOWN, longitude first
    const Reply kml = Exchange(port, Request("GET /tracks.kml"));
    EXPECT_TRUE(kml.head.contains("Content-Type: application/vnd.google-earth.kml+xml"));
    EXPECT_TRUE(kml.head.contains("filename=\"korval-tracks.kml\""));
    EXPECT_TRUE(kml.body.contains("G-DOWN"));
}

// ---- limits on requests -----------------------------------------------------------------------

TEST_F(Server, ARequestTooLargeOrTooSlowClosesItsConnectionAndTheServerGoesOn)
{
    const Reply huge = Exchange(port, Request("GET /", "X-Filler: " + QByteArray(8000, 'a') + "\r\n"));
    EXPECT_TRUE(huge.closed);
    EXPECT_NE(huge.status, 200);
    EXPECT_EQ(view->Http().Counts().overLimit, 1u);
    EXPECT_TRUE(Exchange(port, Request("POST /", "Content-Length: 9000\r\n") + QByteArray(9000, 'b')).closed);
    // Half a request and nothing more: the limit is half a second, looked at every second.
    EXPECT_TRUE(Exchange(port, "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n").closed);
    EXPECT_EQ(view->Http().Counts().overLimit, 3u);
    EXPECT_EQ(Exchange(port, Request("GET /")).status, 200);
}

TEST_F(Server, ConnectionsOverTheLimitAreClosedAtOnce)
{
    ViewLimits limits = TestLimits();
    limits.http.connections = 3;
    Start(limits);
    QTcpSocket held[3];
    for (QTcpSocket& h : held) h.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(WaitUntil([&] { return view->Http().OpenConnections() == 3; }, 5s));
    const Reply refused = Exchange(port, Request("GET /"));
    EXPECT_TRUE(refused.closed);
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(view->Http().Counts().tooMany, 1u);
    for (QTcpSocket& h : held) h.abort();
    ASSERT_TRUE(WaitUntil([&] { return view->Http().OpenConnections() == 0; }, 5s));
    EXPECT_EQ(Exchange(port, Request("GET /")).status, 200);
}

// ---- the page's WebSocket ---------------------------------------------------------------------

TEST_F(Server, APageIsGreetedAndGetsItsMapsAtItsSize)
{
    s.box.txtCount.Text = "12";
    Page page(port);
    ASSERT_TRUE(page.Open());
    ASSERT_TRUE(WaitUntil([&] { return page.Greeted(); }, 5s));
    EXPECT_EQ(page.texts.front().value(QStringLiteral("count")).toString(), QStringLiteral("12"));
    EXPECT_EQ(page.texts.front().value(QStringLiteral("maps")).toArray().size(), 3);

    page.Send(Size(321, 123));
    ASSERT_TRUE(WaitUntil([&] { return !page.pictures.empty(); }, 5s));
    // "KM", map 1, no fault, 321 x 123 pixels, big-endian.
    EXPECT_EQ(page.pictures.front().left(8), QByteArray("KM\x01\x00\x01\x41\x00\x7b", 8));
    EXPECT_EQ(QImage::fromData(page.pictures.front().mid(16), "JPEG").size(), QSize(321, 123));

    // A change of the maps brings one new picture; so does a new size.
    Message(1);
    ASSERT_TRUE(WaitUntil([&] { return page.pictures.size() == 2; }, 5s));
    page.Send(Size(200, 100));
    ASSERT_TRUE(WaitUntil([&] { return page.pictures.size() == 3; }, 5s));
    EXPECT_EQ(QImage::fromData(page.pictures.back().mid(16), "JPEG").size(), QSize(200, 100));
    EXPECT_EQ(view->Counts().pictures, 3u);
}

TEST_F(Server, AClickIsAnsweredWithTheDetailsAndChangesNothing)
{
    test::AddAircraft(s, "G-CENT", "50000/-20000");  // the centre of the frame
    test::AddAircraft(s, "G-BAD", "nowhere")->Show = false;
    // Clicks closer together than 50 ms on one page are ignored: each click has a page of its own.
    Page first(port), second(port);
    ASSERT_TRUE(first.Open());
    ASSERT_TRUE(second.Open());
    auto click = [&](Page& page, int id, int x) {
        page.Send(QStringLiteral(R"({"t":"click","map":1,"id":%1,"x":%2,"y":100,"w":300,"h":200,"button":"left"})")
                      .arg(id)
                      .arg(x));
        const bool answered = WaitUntil(
            [&] {
                const QJsonObject* d = page.Last("details");
                return d && d->value(QStringLiteral("id")).toInt() == id;
            },
            5s);
        return answered ? *page.Last("details") : QJsonObject();
    };
    const QJsonObject d = click(first, 1, 150);
    EXPECT_EQ(d.value(QStringLiteral("caption")).toString(), QStringLiteral("\nFNG-CENT  M080  F350  EGLL-KJFK"));
    EXPECT_EQ(d.value(QStringLiteral("bg")).toString(), QStringLiteral("#ffff80"));
    EXPECT_TRUE(click(second, 2, 900).contains(QStringLiteral("problem")));  // off the picture

    EXPECT_EQ(s.AircraftCol.Count(), 2u);  // the unreadable aircraft stays
    EXPECT_FALSE(rig.home.Exists("KORVAL.ini") || rig.home.Exists("Logs/ErrorLog .txt"));
    EXPECT_TRUE(rig.notes.messages.empty());
}

TEST_F(Server, OversizedFramesAndMessagesCloseThePage)
{
    Page big(port);
    ASSERT_TRUE(big.Open());
    big.socket.sendTextMessage(QString(2000, u'x'));  // one frame over 1 KiB
    EXPECT_EQ(big.ClosedWith(), QWebSocketProtocol::CloseCodeTooMuchData);

    Page many(port);
    ASSERT_TRUE(many.Open());
    many.socket.setOutgoingFrameSize(512);
    many.socket.sendTextMessage(QString(6000, u'y'));  // small frames, 6 KB in all
    EXPECT_EQ(many.ClosedWith(), QWebSocketProtocol::CloseCodeTooMuchData);

    Page binary(port);
    ASSERT_TRUE(binary.Open());
    binary.socket.sendBinaryMessage("KM");
    EXPECT_EQ(binary.ClosedWith(), QWebSocketProtocol::CloseCodeDatatypeNotSupported);

    Page fine(port);
    ASSERT_TRUE(fine.Open());
    fine.socket.sendTextMessage(QStringLiteral("not json at all"));
    ASSERT_TRUE(WaitUntil([&] { return view->Pages() == 1; }, 5s));
    EXPECT_FALSE(fine.Closed(300ms));
}

TEST_F(Server, OtherSitesAndPagesOverTheLimitAreTurnedAway)
{
    ViewLimits limits = TestLimits();
    limits.sockets = 2;
    Start(limits);
    Page foreign(port, QStringLiteral("http://evil.example"));
    EXPECT_EQ(foreign.ClosedWith(), QWebSocketProtocol::CloseCodePolicyViolated);
    Page ours(port, QStringLiteral("http://127.0.0.1:%1").arg(port));
    Page second(port);
    ASSERT_TRUE(ours.Open());
    ASSERT_TRUE(second.Open());
    ASSERT_TRUE(WaitUntil([&] { return view->Pages() == 2; }, 5s));
    Page third(port);
    EXPECT_EQ(third.ClosedWith(), QWebSocketProtocol::CloseCodePolicyViolated);
    EXPECT_EQ(view->Counts().refused, 2u);
    EXPECT_FALSE(ours.Closed(100ms));
}

TEST_F(Server, APageAskingByAnotherSitesNameIsTurnedAway)
{
    // On the loopback address; its own names are the other tests' pages.
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, port);
    raw.write("GET /ws HTTP/1.1\r\nHost: evil.example:" + QByteArray::number(port) + "\r\n" + kUpgrade + "\r\n");
    QByteArray got;
    const auto frame = [&] { return got.mid(got.indexOf("\r\n\r\n") + 4); };  // the first after the upgrade
    WaitUntil(
        [&] {
            got += raw.readAll();
            return got.contains("\r\n\r\n") && frame().size() >= 4;
        },
        5s);
    // A close frame (0x88) with the code 1008, policy violated.
    ASSERT_GE(frame().size(), 4);
    EXPECT_EQ(static_cast<unsigned char>(frame()[0]), 0x88);
    EXPECT_EQ(frame().mid(2, 2), QByteArray("\x03\xf0", 2));
}

// ---- the station is never held up -------------------------------------------------------------

// Reads nothing once its WebSocket is open, over a connection with a small receive window:
// what the server sends piles up on the server's side.
class StuckPage {
public:
    StuckPage(quint16 port, QSize map)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int window = 4096;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0 || !socket_.setSocketDescriptor(fd)) {
            ::close(fd);
            return;
        }
        socket_.setReadBufferSize(1024);
        socket_.write(Request("GET /ws", kUpgrade));
        // The answer to the upgrade is read, as a browser does before it sends anything more.
        QByteArray answer;
        WaitUntil(
            [&] {
                answer += socket_.read(1024 - answer.size());
                return answer.contains("\r\n\r\n") || answer.size() >= 1024;
            },
            5s);
        const QByteArray size = Size(map.width(), map.height()).toUtf8();
        // A text frame, masked as a browser's must be (with a mask of zeros, which leaves it as it is).
        socket_.write("\x81" + QByteArray(1, char(0x80 | size.size())) + QByteArray(4, '\0') + size);
    }

private:
    QTcpSocket socket_;
};

TEST_F(Server, APageThatReadsNothingIsDroppedAndTheOthersLoseNothing)
{
    Page steady(port);
    ASSERT_TRUE(steady.Open());
    ASSERT_TRUE(WaitUntil([&] { return steady.Greeted(); }, 5s));
    steady.Send(Size(160, 120));
    StuckPage stuck(port, {1600, 1200});

    // A message every 10 ms, as a decoder's link delivers them, for three seconds.
    constexpr std::size_t kMessages = 300;
    int sent = 0;
    QTimer feeder;
    QObject::connect(&feeder, &QTimer::timeout, &feeder, [&] {
        if (sent < static_cast<int>(kMessages)) Message(++sent);
    });
    feeder.start(10);
    ASSERT_TRUE(WaitUntil([&] { return steady.live.size() == kMessages; }, 20s)) << steady.live.size();
    for (std::size_t i = 0; i < kMessages; ++i) ASSERT_EQ(steady.live[i], static_cast<int>(i) + 1);
    // The page that reads nothing was dropped (it cannot tell: it reads nothing).
    EXPECT_TRUE(WaitUntil([&] { return view->Counts().dropped == 1 && view->Pages() == 1; }, 10s));
    EXPECT_FALSE(steady.Closed(50ms));
    EXPECT_GT(steady.pictures.size(), 3u);
}

}  // namespace
}  // namespace korval::web
