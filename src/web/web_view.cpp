#include "web/web_view.h"

#include <algorithm>
#include <set>
#include <utility>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QWebSocket>

#include "maps/details.h"
#include "web/web_feed.h"
#include "web/web_maps.h"

namespace korval::web {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kClickSpacing = 50ms;  // clicks closer together are ignored
constexpr auto kFaultPause = 60s;     // a map whose redraw logged a fault waits this long
constexpr int kBacklogRetryMs = 100;  // a held-back picture is tried again after this
constexpr int kPictureHeader = 16;    // bytes before the JPEG in a picture message
constexpr int kDrawShare = 4;         // drawing takes at most 1/kDrawShare of the time

QByteArray Json(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// The picture message: "KM", map number, flags (1: the redraw logged a fault), width and
// height in pixels, the generation of what the maps show and the number of LiveData values the
// station had set when it was drawn (all big-endian), then the JPEG.
QByteArray PictureMessage(int n, const MapPicture& p, std::uint64_t generation, std::uint64_t messages)
{
    QByteArray m;
    m.reserve(kPictureHeader + p.jpeg.size());
    m.append('K');
    m.append('M');
    m.append(static_cast<char>(n));
    m.append(static_cast<char>(p.faulted ? 1 : 0));
    auto put = [&m](std::uint64_t value, int bytes) {
        for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) m.append(static_cast<char>((value >> shift) & 0xFF));
    };
    put(static_cast<quint16>(p.size.width()), 2);
    put(static_cast<quint16>(p.size.height()), 2);
    put(static_cast<quint32>(generation), 4);
    put(static_cast<quint32>(messages), 4);
    m.append(p.jpeg);
    return m;
}

// A WebSocket opened by a page of ours: same host and port as it asked for (no other site's
// page may read the station through a visitor's browser). Programs that send no origin pass.
bool SameOrigin(const QWebSocket& socket)
{
    const QString origin = socket.origin();
    if (origin.isEmpty()) return true;
    const QUrl o(origin), r = socket.requestUrl();
    return (o.scheme() == QLatin1String("http") || o.scheme() == QLatin1String("https")) &&
           o.host().compare(r.host(), Qt::CaseInsensitive) == 0 && o.port(80) == r.port(80);
}

int Side(const QJsonValue& v)
{
    const double d = v.toDouble(-1);
    return d >= 0 && d <= 100000 ? static_cast<int>(d) : -1;
}

}  // namespace

WebView::WebView(Station& s, Log log, ViewLimits limits)
    : s_(s),
      log_(std::move(log)),
      limits_(limits),
      http_(std::make_unique<HttpFront>(limits.http)),
      feed_(std::make_unique<Feed>(s)),
      painter_(std::make_unique<MapPainter>(s))
{
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(0);
    QObject::connect(&flushTimer_, &QTimer::timeout, &flushTimer_, [this] { Flush(); });
    mapTimer_.setSingleShot(true);
    QObject::connect(&mapTimer_, &QTimer::timeout, &mapTimer_, [this] { DrawMaps(); });
    tableTimer_.setSingleShot(true);
    tableTimer_.setInterval(static_cast<int>(limits_.tableInterval.count()));
    QObject::connect(&tableTimer_, &QTimer::timeout, &tableTimer_, [this] {
        if (feed_->AircraftChanged()) ScheduleFlush();
    });
    backlogTimer_.setSingleShot(true);
    backlogTimer_.setInterval(kBacklogRetryMs);
    QObject::connect(&backlogTimer_, &QTimer::timeout, &backlogTimer_, [this] { ScheduleMaps(); });

    feed_->OnDirty([this] { ScheduleFlush(); });
    subscription_ = s_.Subscribe([this](ChangeFlags what) {
        if (what & (ChangeMaps | ChangeOptions)) {
            ++generation_;
            ScheduleMaps();
        }
    });
    http_->OnWebSocket([this](std::unique_ptr<QWebSocket> socket) { Accept(std::move(socket)); });
    sinceMaps_.start();
}

WebView::~WebView()
{
    s_.Unsubscribe(subscription_);
    for (Client& c : clients_) {
        if (!c.socket) continue;
        c.socket->disconnect();
        c.socket->abort();
    }
    clients_.clear();
}

bool WebView::Start(const ListenAddress& where)
{
    std::string error;
    if (!http_->Listen(where.address, where.port, error)) {
        if (log_) log_("web view: cannot listen on " + ToText(where) + ": " + error);
        return false;
    }
    if (log_) {
        ListenAddress bound = where;
        bound.port = Port();
        log_("web view on http://" + ToText(bound) + "/");
    }
    return true;
}

quint16 WebView::Port() const
{
    return http_->Port();
}

// ---- pages --------------------------------------------------------------------------------------

void WebView::Accept(std::unique_ptr<QWebSocket> socket)
{
    const char* refusal = nullptr;
    if (socket->requestUrl().path() != QLatin1String("/ws")) {
        refusal = "not the page's WebSocket path";
    } else if (!SameOrigin(*socket)) {
        refusal = "opened by a page of another site";
    } else if (clients_.size() >= limits_.sockets) {
        refusal = "too many pages open";
    }
    if (refusal) {
        ++counts_.refused;
        socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QString::fromLatin1(refusal));
        socket.release()->deleteLater();
        return;
    }
    socket->setMaxAllowedIncomingFrameSize(limits_.frameBytes);
    socket->setMaxAllowedIncomingMessageSize(limits_.messageBytes);

    Flush();  // what the others have not had yet is in the greeting
    clients_.push_back(Client{});
    Client& c = clients_.back();
    c.socket = std::move(socket);
    QWebSocket* raw = c.socket.get();
    QObject::connect(raw, &QWebSocket::textMessageReceived, raw, [this, raw](const QString& text) {
        for (Client& each : clients_)
            if (each.socket.get() == raw) return Received(each, text);
    });
    QObject::connect(raw, &QWebSocket::binaryMessageReceived, raw, [raw] {
        raw->close(QWebSocketProtocol::CloseCodeDatatypeNotSupported, QStringLiteral("pages send text only"));
    });
    QObject::connect(raw, &QWebSocket::disconnected, raw, [this, raw] { Remove(raw); });

    QJsonObject hello = feed_->Hello();
    QJsonArray maps;
    for (int n = 1; n <= 3; ++n) {
        QJsonObject m;
        m[QStringLiteral("n")] = n;
        m[QStringLiteral("shown")] = s_.opt.ShowMap(n);
        maps.append(m);
    }
    hello[QStringLiteral("maps")] = maps;
    hello[QStringLiteral("minSide")] = kMinSide;
    hello[QStringLiteral("maxSide")] = kMaxSide;
    SendText(c, Json(hello));
}

void WebView::Remove(QWebSocket* socket)
{
    // Called from the socket's own signals: it goes when the event loop next runs.
    for (auto it = clients_.begin(); it != clients_.end(); ++it) {
        if (it->socket.get() != socket) continue;
        it->socket->disconnect();
        it->socket.release()->deleteLater();
        clients_.erase(it);
        return;
    }
}

void WebView::Drop(Client& c, const char* why)
{
    ++counts_.dropped;
    if (log_) log_(std::string("web view: a page was dropped: ") + why);
    QWebSocket* socket = c.socket.get();
    socket->abort();  // its disconnected signal removes it, unless it never was connected
    Remove(socket);
}

bool WebView::Backlogged(const Client& c) const
{
    return c.socket->bytesToWrite() > limits_.pictureBacklog;
}

bool WebView::HoldBack(Client& c, Clock::time_point now)
{
    if (!Backlogged(c)) {
        c.heldSince = {};
        return false;
    }
    ++counts_.held;
    if (c.heldSince == Clock::time_point{}) {
        c.heldSince = now;
    } else if (now - c.heldSince > limits_.stuckTime) {
        Drop(c, "its browser has taken no picture for too long");
    }
    return true;
}

bool WebView::SendText(Client& c, const QByteArray& json)
{
    if (c.socket->bytesToWrite() > limits_.dropBytes) {
        Drop(c, "its browser reads too slowly");
        return false;
    }
    c.socket->sendTextMessage(QString::fromUtf8(json));
    return true;
}

bool WebView::SendBinary(Client& c, const QByteArray& bytes)
{
    if (c.socket->bytesToWrite() > limits_.dropBytes) {
        Drop(c, "its browser reads too slowly");
        return false;
    }
    c.socket->sendBinaryMessage(bytes);
    return true;
}

void WebView::Received(Client& c, const QString& text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    if (!doc.isObject()) return;  // not ours; nothing to answer
    const QJsonObject m = doc.object();
    const QString type = m.value(QStringLiteral("t")).toString();
    if (type == QLatin1String("size")) OnSize(c, m);
    if (type == QLatin1String("click")) OnClick(c, m);
}

void WebView::OnSize(Client& c, const QJsonObject& m)
{
    const QJsonArray maps = m.value(QStringLiteral("maps")).toArray();
    bool changed = false;
    for (qsizetype i = 0; i < 3 && i < maps.size(); ++i) {
        const QJsonArray wh = maps[i].toArray();
        const int w = Side(wh.at(0)), h = Side(wh.at(1));
        const QSize size = w > 0 && h > 0 ? MapPainter::Clamped({w, h}) : QSize();
        auto& slot = c.size[static_cast<std::size_t>(i)];
        if (slot != size) {
            slot = size;
            c.sent[static_cast<std::size_t>(i)] = 0;
            changed = true;
        }
    }
    if (changed) ScheduleMaps();
}

void WebView::OnClick(Client& c, const QJsonObject& m)
{
    const auto now = Clock::now();
    if (now - c.lastClick < kClickSpacing) return;
    c.lastClick = now;
    ++counts_.clicks;
    const int n = m.value(QStringLiteral("map")).toInt();
    const int w = Side(m.value(QStringLiteral("w"))), h = Side(m.value(QStringLiteral("h")));
    const double x = m.value(QStringLiteral("x")).toDouble(-1), y = m.value(QStringLiteral("y")).toDouble(-1);
    const QString button = m.value(QStringLiteral("button")).toString();
    QJsonObject reply;
    reply[QStringLiteral("t")] = QStringLiteral("details");
    reply[QStringLiteral("map")] = n;
    reply[QStringLiteral("id")] = m.value(QStringLiteral("id"));
    if (n < 1 || n > 3 || w <= 0 || h <= 0 || x < 0 || y < 0 || x > w || y > h) {
        reply[QStringLiteral("problem")] = QStringLiteral("not a point on a map");
    } else {
        const MouseButton b = button == QLatin1String("right") ? MouseButton::Right : MouseButton::Left;
        const std::optional<Details> d = painter_->Click(n, {w, h}, {x, y}, b);
        if (!d) {
            reply[QStringLiteral("problem")] = QStringLiteral("the map's frame cannot be set up");
        } else {
            reply[QStringLiteral("caption")] = QString::fromLatin1(CaptionLines(d->Caption).c_str());
            reply[QStringLiteral("bg")] = CssColour(d->BackColour);
        }
    }
    SendText(c, Json(reply));
}

// ---- what changed -------------------------------------------------------------------------------

void WebView::ScheduleFlush()
{
    if (!flushTimer_.isActive()) flushTimer_.start();
}

void WebView::Flush()
{
    flushTimer_.stop();
    const bool table = !tableTimer_.isActive();
    const QJsonObject update = feed_->Take(table);
    if (update.contains(QStringLiteral("aircraft"))) tableTimer_.start();
    if (update.isEmpty() || clients_.empty()) return;
    const QByteArray json = Json(update);
    for (auto it = clients_.begin(); it != clients_.end();) {
        Client& c = *it++;  // a dropped page leaves the list
        SendText(c, json);
    }
}

void WebView::ScheduleMaps()
{
    // The first change after a quiet spell is drawn at once; changes that follow within the
    // pause are drawn together when it ends.
    if (mapTimer_.isActive()) return;
    const auto elapsed = std::chrono::milliseconds(sinceMaps_.elapsed());
    mapTimer_.start(static_cast<int>(std::max(0ms, mapPause_ - elapsed).count()));
}

void WebView::DrawMaps()
{
    QElapsedTimer took;
    took.start();
    bool heldBack = false;
    const auto now = Clock::now();
    for (int n = 1; n <= 3; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        if (faultedAt_[i] != Clock::time_point{} && now - faultedAt_[i] < kFaultPause) continue;
        std::set<std::pair<int, int>> sizes;
        for (auto it = clients_.begin(); it != clients_.end();) {
            Client& c = *it++;  // a page dropped for being stuck leaves the list
            if (c.size[i].isEmpty() || c.sent[i] == generation_) continue;
            if (HoldBack(c, now)) {
                heldBack = true;
                continue;
            }
            sizes.insert({c.size[i].width(), c.size[i].height()});
        }
        for (const auto& [w, h] : sizes) {
            const QSize size(w, h);
            const MapPicture picture = painter_->Draw(n, size);
            ++counts_.pictures;
            if (picture.faulted) faultedAt_[i] = now;
            QByteArray message;
            if (picture.jpeg.isEmpty()) {
                QJsonObject m;
                m[QStringLiteral("t")] = QStringLiteral("map");
                m[QStringLiteral("n")] = n;
                m[QStringLiteral("w")] = w;
                m[QStringLiteral("h")] = h;
                m[QStringLiteral("problem")] = picture.problem;
                message = Json(m);
            } else {
                message = PictureMessage(n, picture, generation_, feed_->LiveSeen());
            }
            for (auto it = clients_.begin(); it != clients_.end();) {
                Client& c = *it++;
                if (c.size[i] != size || c.sent[i] == generation_ || Backlogged(c)) continue;
                c.heldSince = {};
                c.sent[i] = generation_;
                ++counts_.picturesSent;
                if (picture.jpeg.isEmpty()) {
                    SendText(c, message);
                } else {
                    SendBinary(c, message);
                }
            }
        }
    }
    // Drawing gets at most a share of the time, however long it takes on this machine.
    mapPause_ = std::max(limits_.mapInterval, std::chrono::milliseconds(took.elapsed() * kDrawShare));
    sinceMaps_.restart();
    if (heldBack && !backlogTimer_.isActive()) backlogTimer_.start();
}

}  // namespace korval::web
