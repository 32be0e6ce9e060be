#pragma once

// The web view of a running station: one page served by the program itself, the three maps
// pushed to it over a WebSocket as JPEG pictures drawn by the map windows' redraw, the live
// message stream, the counts, the clock and the aircraft table. Read-only: what a page sends
// (its map sizes, clicks) changes nothing in the station, its settings or its files.
//
// The station never waits for a browser: every write is queued, and a page whose queue stays
// long is dropped. Pictures are drawn at most a few times a second (less when drawing takes
// long); a page still receiving earlier pictures gets the next one when it has caught up, and a
// page that does not catch up within a while is dropped.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include <QElapsedTimer>
#include <QObject>
#include <QSize>
#include <QTimer>

#include "station/station.h"
#include "web/web_config.h"
#include "web/web_http.h"

class QWebSocket;

namespace korval::web {

class Feed;
class MapPainter;

struct ViewLimits {
    HttpLimits http;
    std::size_t sockets = 32;                       // open WebSockets; more are closed at once
    std::uint64_t frameBytes = 4 * 1024;            // of a frame from a page; more closes it
    std::uint64_t messageBytes = 16 * 1024;         // of a message from a page
    qint64 dropBytes = 4 * 1024 * 1024;             // queued for one page; more drops it
    qint64 pictureBacklog = 512 * 1024;             // queued for one page; more holds its pictures back
    std::chrono::milliseconds stuckTime{30'000};    // pictures held back this long drop the page
    std::chrono::milliseconds mapInterval{250};     // between two drawings of the maps, at least
    std::chrono::milliseconds tableInterval{1000};  // between two aircraft tables
};

// What the view did, for the log, the tests and the benchmarks.
struct ViewCounts {
    std::uint64_t pictures = 0;      // maps drawn and encoded
    std::uint64_t picturesSent = 0;  // picture messages sent
    std::uint64_t held = 0;          // pictures held back from a busy page
    std::uint64_t dropped = 0;       // pages dropped for a long queue
    std::uint64_t refused = 0;       // WebSockets closed at once (limit, path, origin)
    std::uint64_t clicks = 0;
};

class WebView {
public:
    using Log = std::function<void(const std::string& line)>;

    WebView(Station& s, Log log, ViewLimits limits = {});
    ~WebView();
    WebView(const WebView&) = delete;
    WebView& operator=(const WebView&) = delete;

    // Listens; false with the reason logged.
    bool Start(const ListenAddress& where);
    quint16 Port() const;

    std::size_t Pages() const { return clients_.size(); }
    const ViewCounts& Counts() const { return counts_; }
    const HttpFront& Http() const { return *http_; }

private:
    struct Client {
        std::unique_ptr<QWebSocket> socket;
        std::array<QSize, 3> size{};          // asked for; empty: not shown
        std::array<std::uint64_t, 3> sent{};  // generation of the picture last sent
        std::chrono::steady_clock::time_point lastClick{};
        std::chrono::steady_clock::time_point heldSince{};  // pictures held back since; zero: not
    };
    using ClientList = std::list<Client>;

    void Accept(std::unique_ptr<QWebSocket> socket);
    void Remove(QWebSocket* socket);
    void Received(Client& c, const QString& text);
    void OnSize(Client& c, const QJsonObject& m);
    void OnClick(Client& c, const QJsonObject& m);
    // Queues `bytes` for a page; false when the page was dropped for its queue.
    bool SendText(Client& c, const QByteArray& json);
    bool SendBinary(Client& c, const QByteArray& bytes);
    bool Backlogged(const Client& c) const;
    // True when the page's pictures must wait; drops a page that has not taken one for long.
    bool HoldBack(Client& c, std::chrono::steady_clock::time_point now);
    void Drop(Client& c, const char* why);

    void ScheduleFlush();
    void Flush();
    void ScheduleMaps();
    void DrawMaps();

    Station& s_;
    Log log_;
    ViewLimits limits_;
    std::unique_ptr<HttpFront> http_;
    std::unique_ptr<Feed> feed_;
    std::unique_ptr<MapPainter> painter_;
    ClientList clients_;
    ViewCounts counts_;
    int subscription_ = 0;

    std::uint64_t generation_ = 1;  // of what the maps show; rises with every change
    QTimer flushTimer_, mapTimer_, tableTimer_, backlogTimer_;
    QElapsedTimer sinceMaps_;
    std::chrono::milliseconds mapPause_{0};  // at least this long between drawings
    std::array<std::chrono::steady_clock::time_point, 3> faultedAt_{};
};

}  // namespace korval::web
