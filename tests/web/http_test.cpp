// The web view's server in-process over real sockets: the page's paths and nothing else, the
// limits on requests, frames and connections, slow pages dropped, and the station's pace and
// messages untouched by any of it.

#include "web/web_view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <QElapsedTimer>
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
    l.http.connections = 64;
    l.http.requestBytes = 4096;
    l.http.requestTime = 500ms;
    l.http.idle = 2s;
    l.sockets = 32;
    l.frameBytes = 1024;
    l.messageBytes = 4096;
    l.dropBytes = 512 * 1024;
    l.pictureBacklog = 128 * 1024;
    l.stuckTime = 1s;
    l.mapInterval = 50ms;
    l.tableInterval = 100ms;
    l.flushInterval = 20ms;
    return l;
}

struct Reply {
    int status = 0;
    QByteArray head, body;
    bool closed = false;  // the server closed the connection
};

// Sends `request` on a new connection; reads until the answer is complete or the connection ends.
Reply Exchange(quint16 port, const QByteArray& request, std::chrono::milliseconds limit = 5s)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    Reply r;
    // A connection closed at once may never be seen open.
    if (!WaitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }, limit)) {
        r.closed = socket.state() == QAbstractSocket::UnconnectedState;
        return r;
    }
    socket.write(request);
    QByteArray all;
    auto complete = [&] {
        all += socket.readAll();
        const qsizetype end = all.indexOf("\r\n\r\n");
        if (end < 0) return false;
        r.head = all.left(end);
        const qsizetype lengthAt = r.head.toLower().indexOf("content-length:");
        if (lengthAt < 0) return true;
        const qsizetype lineEnd = r.head.indexOf("\r\n", lengthAt);
        const int length = r.head.mid(lengthAt + 15, lineEnd < 0 ? -1 : lineEnd - lengthAt - 15).trimmed().toInt();
        const bool head = request.startsWith("HEAD");
        return head || all.size() - end - 4 >= length;
    };
    WaitUntil([&] { return complete() || socket.state() == QAbstractSocket::UnconnectedState; }, limit);
    all += socket.readAll();
    const qsizetype end = all.indexOf("\r\n\r\n");
    if (end >= 0) {
        r.head = all.left(end);
        r.body = all.mid(end + 4);
        const QList<QByteArray> words = r.head.left(r.head.indexOf("\r\n")).split(' ');
        if (words.size() > 1) r.status = words[1].toInt();
    }
    r.closed = socket.state() == QAbstractSocket::UnconnectedState ||
               WaitUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 200ms);
    return r;
}

QByteArray Get(const QByteArray& target, const QByteArray& method = "GET")
{
    return method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
}

// A page's WebSocket, as a browser opens it.
struct Page {
    explicit Page(quint16 port, const QString& path = QStringLiteral("/ws"), const QString& origin = {})
    {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, &socket, [this](const QString& text) {
            const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
            texts.push_back(m);
            for (const QJsonValue& v : m.value(QStringLiteral("live")).toArray())
                live.push_back(v.toObject().value(QStringLiteral("n")).toInt());
        });
        QObject::connect(&socket, &QWebSocket::binaryMessageReceived, &socket,
                         [this](const QByteArray& bytes) { pictures.push_back(bytes); });
        QNetworkRequest request(QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(port).arg(path)));
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
    void Send(const QJsonObject& m) { socket.sendTextMessage(QString::fromUtf8(QJsonDocument(m).toJson())); }
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

QJsonObject Sizes(QSize map1, QSize map2 = {}, QSize map3 = {})
{
    QJsonArray maps;
    for (QSize s : {map1, map2, map3}) maps.append(QJsonArray{s.width(), s.height()});
    return {{QStringLiteral("t"), QStringLiteral("size")}, {QStringLiteral("maps"), maps}};
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
    void Start(ViewLimits limits = TestLimits())
    {
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

struct PathCase {
    const char* name;
    const char* request;
    int status;
    const char* type;  // start of the Content-Type
};

class Paths : public Server, public ::testing::WithParamInterface<PathCase> {};

TEST_P(Paths, OnlyThePagesOwn)
{
    Start();
    const PathCase& c = GetParam();
    const Reply r = Exchange(port, c.request);
    EXPECT_EQ(r.status, c.status) << r.head.toStdString();
    EXPECT_TRUE(r.head.contains(QByteArray("Content-Type: ") + c.type)) << r.head.toStdString();
    EXPECT_TRUE(r.head.contains("X-Content-Type-Options: nosniff"));
    EXPECT_TRUE(r.head.contains("Content-Security-Policy: default-src 'none'"));
    if (c.status != 200) {
        EXPECT_FALSE(r.body.contains("<html")) << r.body.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Web, Paths,
    ::testing::Values(
        PathCase{"page", "GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", 200, "text/html"},
        PathCase{"script", "GET /app.js HTTP/1.1\r\nHost: x\r\n\r\n", 200, "text/javascript"},
        PathCase{"geojson", "GET /tracks.geojson HTTP/1.1\r\nHost: x\r\n\r\n", 200, "application/geo+json"},
        PathCase{"kml", "GET /tracks.kml HTTP/1.1\r\nHost: x\r\n\r\n", 200, "application/vnd.google-earth.kml+xml"},
        PathCase{"unknown", "GET /secret HTTP/1.1\r\nHost: x\r\n\r\n", 404, "text/plain"},
        PathCase{"settingsFile", "GET /KORVAL.ini HTTP/1.1\r\nHost: x\r\n\r\n", 404, "text/plain"},
        PathCase{"dotDot", "GET /../KORVAL.ini HTTP/1.1\r\nHost: x\r\n\r\n", 400, "text/plain"},
        PathCase{"dotDotAfterPage", "GET /maps/../../etc/passwd HTTP/1.1\r\nHost: x\r\n\r\n", 400, "text/plain"},
        PathCase{"encodedDotDot", "GET /%2e%2e/KORVAL.ini HTTP/1.1\r\nHost: x\r\n\r\n", 400, "text/plain"},
        PathCase{"encodedSlash", "GET /..%2fKORVAL.ini HTTP/1.1\r\nHost: x\r\n\r\n", 400, "text/plain"},
        PathCase{"doubleEncoded", "GET /%252e%252e/x HTTP/1.1\r\nHost: x\r\n\r\n", 400, "text/plain"},
        PathCase{"post", "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 2\r\n\r\nab", 405, "text/plain"},
        PathCase{"socketWithoutUpgrade", "GET /ws HTTP/1.1\r\nHost: x\r\n\r\n", 426, "text/plain"},
        PathCase{"upgradeElsewhere",
                 "GET /other HTTP/1.1\r\nHost: x\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
                 "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n",
                 404, "text/plain"}),
    korval::test::CaseName());

TEST_F(Server, TheHeadOfThePageHasItsLengthAndNoBody)
{
    Start();
    const Reply get = Exchange(port, Get("/"));
    const Reply head = Exchange(port, Get("/", "HEAD"));
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.body.isEmpty());
    EXPECT_TRUE(head.head.contains("Content-Length: " + QByteArray::number(get.body.size())));
    EXPECT_TRUE(get.body.contains("<title>KORVAL</title>"));
}

TEST_F(Server, TheDownloadLinksExportWhatIsTrackedAsOfNow)
{
    test::AddAircraft(s, "G-DOWN", "51500/-1250");
    Start();
    const Reply geojson = Exchange(port, Get("/tracks.geojson"));
    ASSERT_EQ(geojson.status, 200);
    EXPECT_TRUE(geojson.head.contains("Content-Disposition: attachment; filename=\"korval-tracks.geojson\""));
    const QJsonObject collection = QJsonDocument::fromJson(geojson.body).object();
    EXPECT_EQ(collection.value(QStringLiteral("type")).toString(), QStringLiteral("FeatureCollection"));
    EXPECT_TRUE(geojson.body.contains("G-DOWN"));
    EXPECT_TRUE(geojson.body.contains("[-1.25,51.5]")) << geojson.body.toStdString();  // longitude first
    const Reply kml = Exchange(port, Get("/tracks.kml"));
    ASSERT_EQ(kml.status, 200);
    EXPECT_TRUE(kml.body.contains("<kml xmlns=\"http://www.opengis.net/kml/2.2\""));
    EXPECT_TRUE(kml.body.contains("G-DOWN"));
    EXPECT_EQ(s.AircraftCol.Count(), 1u);
}

// ---- limits on requests -----------------------------------------------------------------------

TEST_F(Server, AnOversizedRequestClosesItsConnectionAndTheServerGoesOn)
{
    Start();
    const QByteArray huge = "GET / HTTP/1.1\r\nHost: x\r\nX-Filler: " + QByteArray(8000, 'a') + "\r\n\r\n";
    const Reply r = Exchange(port, huge);
    EXPECT_TRUE(r.closed);
    EXPECT_NE(r.status, 200);
    EXPECT_EQ(view->Http().Counts().overLimit, 1u);
    const QByteArray body = "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 9000\r\n\r\n" + QByteArray(9000, 'b');
    EXPECT_TRUE(Exchange(port, body).closed);
    EXPECT_EQ(Exchange(port, Get("/")).status, 200);
}

TEST_F(Server, ARequestThatNeverEndsIsClosed)
{
    Start();
    QTcpSocket slow;
    slow.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(WaitUntil([&] { return slow.state() == QAbstractSocket::ConnectedState; }, 5s));
    slow.write("GET / HTTP/1.1\r\nHost: x\r\n");  // and nothing more
    // The limit is half a second, looked at every second.
    EXPECT_TRUE(WaitUntil([&] { return slow.state() == QAbstractSocket::UnconnectedState; }, 5s));
    EXPECT_EQ(Exchange(port, Get("/")).status, 200);
}

TEST_F(Server, ConnectionsOverTheLimitAreClosedAtOnce)
{
    ViewLimits limits = TestLimits();
    limits.http.connections = 3;
    Start(limits);
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 3; ++i) {
        held.push_back(std::make_unique<QTcpSocket>());
        held.back()->connectToHost(QHostAddress::LocalHost, port);
    }
    ASSERT_TRUE(WaitUntil([&] { return view->Http().OpenConnections() == 3; }, 5s));
    const Reply refused = Exchange(port, Get("/"));
    EXPECT_TRUE(refused.closed);
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(view->Http().Counts().tooMany, 1u);
    held.clear();
    ASSERT_TRUE(WaitUntil([&] { return view->Http().OpenConnections() == 0; }, 5s));
    EXPECT_EQ(Exchange(port, Get("/")).status, 200);
}

// ---- the page's WebSocket ---------------------------------------------------------------------

TEST_F(Server, APageIsGreetedAndGetsItsMapsAtItsSize)
{
    s.box.txtCount.Text = "12";
    Start();
    Page page(port);
    ASSERT_TRUE(page.Open());
    ASSERT_TRUE(WaitUntil([&] { return page.Greeted(); }, 5s));
    EXPECT_EQ(page.texts.front().value(QStringLiteral("count")).toString(), QStringLiteral("12"));
    EXPECT_EQ(page.texts.front().value(QStringLiteral("maps")).toArray().size(), 3);

    page.Send(Sizes({321, 123}));
    ASSERT_TRUE(WaitUntil([&] { return !page.pictures.empty(); }, 5s));
    const QByteArray& p = page.pictures.front();
    ASSERT_GT(p.size(), 16);
    EXPECT_EQ(p.left(3), QByteArray("KM\x01", 3));
    EXPECT_EQ((static_cast<unsigned char>(p[4]) << 8) | static_cast<unsigned char>(p[5]), 321);
    EXPECT_EQ((static_cast<unsigned char>(p[6]) << 8) | static_cast<unsigned char>(p[7]), 123);
    QImage image;
    ASSERT_TRUE(image.loadFromData(p.mid(16), "JPEG"));
    EXPECT_EQ(image.size(), QSize(321, 123));

    // A change of the maps brings one new picture; so does a new size.
    Message(1);
    ASSERT_TRUE(WaitUntil([&] { return page.pictures.size() == 2; }, 5s));
    page.Send(Sizes({200, 100}));
    ASSERT_TRUE(WaitUntil([&] { return page.pictures.size() == 3; }, 5s));
    EXPECT_TRUE(QImage::fromData(page.pictures.back().mid(16), "JPEG").size() == QSize(200, 100));
    EXPECT_EQ(view->Counts().pictures, 3u);
}

TEST_F(Server, AClickIsAnsweredWithTheDetailsAndChangesNothing)
{
    test::AddAircraft(s, "G-CENT", "50000/-20000");  // the centre of the frame
    test::AddAircraft(s, "G-BAD", "nowhere")->Show = false;
    Start();
    Page page(port);
    ASSERT_TRUE(page.Open());
    auto click = [&](int id, double x, double y, const char* button) {
        page.Send({{QStringLiteral("t"), QStringLiteral("click")},
                   {QStringLiteral("map"), 1},
                   {QStringLiteral("id"), id},
                   {QStringLiteral("x"), x},
                   {QStringLiteral("y"), y},
                   {QStringLiteral("w"), 300},
                   {QStringLiteral("h"), 200},
                   {QStringLiteral("button"), QLatin1String(button)}});
        const bool answered = WaitUntil(
            [&] {
                const QJsonObject* d = page.Last("details");
                return d && d->value(QStringLiteral("id")).toInt() == id;
            },
            5s);
        WaitUntil([] { return false; }, 60ms);  // clicks closer together are ignored
        return answered ? *page.Last("details") : QJsonObject();
    };
    QJsonObject d = click(1, 150, 100, "left");
    EXPECT_EQ(d.value(QStringLiteral("caption")).toString(), QStringLiteral("\nFNG-CENT  M080  F350  EGLL-KJFK"));
    EXPECT_EQ(d.value(QStringLiteral("bg")).toString(), QStringLiteral("#ffff80"));
    d = click(2, 150, 100, "right");
    EXPECT_EQ(d.value(QStringLiteral("caption")).toString(), QStringLiteral("\nG-CENT\nB744"));
    EXPECT_EQ(d.value(QStringLiteral("bg")).toString(), QStringLiteral("#c0ffff"));
    d = click(3, 10, 10, "left");
    EXPECT_EQ(d.value(QStringLiteral("caption")).toString(), QString());
    d = click(4, 900, 10, "left");
    EXPECT_TRUE(d.contains(QStringLiteral("problem")));

    EXPECT_EQ(s.AircraftCol.Count(), 2u);  // the unreadable aircraft stays
    EXPECT_FALSE(rig.home.Exists("KORVAL.ini"));
    EXPECT_FALSE(rig.home.Exists("Logs/ErrorLog .txt"));
    EXPECT_TRUE(rig.notes.messages.empty());
}

TEST_F(Server, OversizedFramesAndMessagesCloseThePage)
{
    Start();
    Page big(port);
    ASSERT_TRUE(big.Open());
    big.socket.sendTextMessage(QString(2000, u'x'));  // one frame over 1 KiB
    ASSERT_TRUE(big.Closed());
    EXPECT_EQ(big.socket.closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);

    Page many(port);
    ASSERT_TRUE(many.Open());
    many.socket.setOutgoingFrameSize(512);
    many.socket.sendTextMessage(QString(6000, u'y'));  // small frames, 6 KB in all
    ASSERT_TRUE(many.Closed());
    EXPECT_EQ(many.socket.closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);

    Page binary(port);
    ASSERT_TRUE(binary.Open());
    binary.socket.sendBinaryMessage("KM");
    ASSERT_TRUE(binary.Closed());
    EXPECT_EQ(binary.socket.closeCode(), QWebSocketProtocol::CloseCodeDatatypeNotSupported);

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
    Page foreign(port, QStringLiteral("/ws"), QStringLiteral("http://evil.example"));
    ASSERT_TRUE(foreign.Closed());
    EXPECT_EQ(foreign.socket.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    Page ours(port, QStringLiteral("/ws"), QStringLiteral("http://127.0.0.1:%1").arg(port));
    Page second(port);
    ASSERT_TRUE(ours.Open());
    ASSERT_TRUE(second.Open());
    ASSERT_TRUE(WaitUntil([&] { return view->Pages() == 2; }, 5s));
    Page third(port);
    ASSERT_TRUE(third.Closed());
    EXPECT_EQ(third.socket.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    EXPECT_EQ(view->Counts().refused, 2u);
    EXPECT_FALSE(ours.Closed(100ms));
}

TEST_F(Server, APageAskingByAnotherSitesNameIsTurnedAway)
{
    Start();  // on the loopback address
    auto handshake = [&](const QByteArray& host) {
        QTcpSocket raw;
        raw.connectToHost(QHostAddress::LocalHost, port);
        WaitUntil([&] { return raw.state() == QAbstractSocket::ConnectedState; }, 5s);
        raw.write("GET /ws HTTP/1.1\r\nHost: " + host +
                  "\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
                  "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n");
        QByteArray got;
        WaitUntil(
            [&] {
                got += raw.readAll();
                return got.contains("\r\n\r\n") && got.size() > got.indexOf("\r\n\r\n") + 4;
            },
            3s);
        return got.mid(got.indexOf("\r\n\r\n") + 4);  // the first frame after the upgrade
    };
    // A close frame (0x88) with the code 1008, policy violated.
    const QByteArray refused = handshake("evil.example:" + QByteArray::number(port));
    ASSERT_GE(refused.size(), 4);
    EXPECT_EQ(static_cast<unsigned char>(refused[0]), 0x88);
    EXPECT_EQ(refused.mid(2, 2), QByteArray("\x03\xf0", 2));
    // Its own name is greeted (a text frame, 0x81).
    const QByteArray greeted = handshake("localhost:" + QByteArray::number(port));
    ASSERT_GE(greeted.size(), 1);
    EXPECT_EQ(static_cast<unsigned char>(greeted[0]), 0x81);
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
        socket_.write(
            "GET /ws HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
            "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n");
        // The answer to the upgrade is read, as a browser does before it sends anything more.
        QByteArray answer;
        WaitUntil(
            [&] {
                answer += socket_.read(1024 - answer.size());
                return answer.contains("\r\n\r\n") || answer.size() >= 1024;
            },
            5s);
        const QByteArray size =
            QStringLiteral(R"({"t":"size","maps":[[%1,%2],[0,0],[0,0]]})").arg(map.width()).arg(map.height()).toUtf8();
        // A masked text frame, as a browser sends it.
        QByteArray frame;
        frame.append(char(0x81));
        frame.append(char(0x80 | size.size()));
        const char mask[4] = {1, 2, 3, 4};
        frame.append(mask, 4);
        for (qsizetype i = 0; i < size.size(); ++i) frame.append(char(size[i] ^ mask[i % 4]));
        socket_.write(frame);
    }

private:
    QTcpSocket socket_;
};

TEST_F(Server, ManyConnectionsComeAndGoWhileMessagesFlowAndNothingIsLost)
{
    Start();
    Page steady(port);
    ASSERT_TRUE(steady.Open());
    ASSERT_TRUE(WaitUntil([&] { return steady.Greeted(); }, 5s));
    steady.Send(Sizes({160, 120}));
    StuckPage stuck(port, {1600, 1200});

    // 100 messages a second for three seconds, each processed as soon as the event loop gets to
    // it, as a decoder's link delivers them; meanwhile 200 connections of every kind open and drop.
    constexpr int kMessages = 300;
    int sent = 0;
    QElapsedTimer clock;
    clock.start();
    QTimer feeder;
    feeder.setTimerType(Qt::PreciseTimer);
    QObject::connect(&feeder, &QTimer::timeout, &feeder, [&] {
        const int due = std::min<int>(kMessages, static_cast<int>(clock.elapsed() / 10) + 1);
        while (sent < due) Message(++sent);
    });
    feeder.start(5);

    std::vector<std::unique_ptr<QObject>> visitors;
    for (int i = 0; i < 200; ++i) {
        switch (i % 4) {
            case 0: {  // a page that opens and goes
                auto p = std::make_unique<QWebSocket>();
                p->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
                visitors.push_back(std::move(p));
                break;
            }
            case 1: {  // a request for the page, dropped before the answer is read
                auto t = std::make_unique<QTcpSocket>();
                t->connectToHost(QHostAddress::LocalHost, port);
                t->write(Get("/"));
                visitors.push_back(std::move(t));
                break;
            }
            case 2: {  // half a request
                auto t = std::make_unique<QTcpSocket>();
                t->connectToHost(QHostAddress::LocalHost, port);
                t->write("GET /app.js HTTP/1.1\r\nHo");
                visitors.push_back(std::move(t));
                break;
            }
            default: {  // too large a request
                auto t = std::make_unique<QTcpSocket>();
                t->connectToHost(QHostAddress::LocalHost, port);
                t->write("GET / HTTP/1.1\r\nX: " + QByteArray(6000, 'z') + "\r\n\r\n");
                visitors.push_back(std::move(t));
            }
        }
        if (i % 20 == 19) {
            WaitUntil([] { return false; }, 100ms);
            visitors.clear();  // all of them go at once, most without a goodbye
        }
    }
    visitors.clear();

    ASSERT_TRUE(WaitUntil([&] { return sent == kMessages; }, 20s));
    const auto took = std::chrono::milliseconds(clock.elapsed());
    ASSERT_TRUE(WaitUntil([&] { return steady.live.size() == static_cast<std::size_t>(kMessages); }, 10s))
        << steady.live.size() << " of " << kMessages;
    for (int i = 0; i < kMessages; ++i) ASSERT_EQ(steady.live[static_cast<std::size_t>(i)], i + 1);
    // Three seconds of messages were processed hardly later: the loop was never held for long.
    EXPECT_LT(took, 4500ms) << took.count() << " ms";
    // The page that reads nothing was dropped (it cannot tell: it reads nothing).
    EXPECT_TRUE(WaitUntil([&] { return view->Counts().dropped == 1; }, 10s));
    EXPECT_FALSE(steady.Closed(50ms));
    EXPECT_GT(steady.pictures.size(), 3u);
    EXPECT_TRUE(WaitUntil([&] { return view->Pages() == 1 && view->Http().OpenConnections() == 0; }, 10s))
        << view->Pages() << " pages, " << view->Http().OpenConnections() << " connections";
}

}  // namespace
}  // namespace korval::web
