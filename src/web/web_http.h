#pragma once

// The HTTP side of the web view: Qt's HTTP server answering the page's own paths from files
// built into the program, with limits a small machine can afford. An upgrade to a WebSocket on
// the page's socket path is handed over; everything else is answered here.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include <QByteArray>
#include <QHash>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>
#include <QtHttpServer/QAbstractHttpServer>

#include "web/web_paths.h"

class QTcpSocket;
class QWebSocket;

namespace korval::web {

struct HttpLimits {
    // Open TCP connections still speaking HTTP; more are closed at once. (A connection that
    // became a WebSocket leaves this count for the view's own limit of pages.)
    std::size_t connections = 64;
    // Bytes of one request (request line, headers and any body); more closes the connection.
    std::size_t requestBytes = 16 * 1024;
    // A request not complete this long after its first byte closes the connection; so does a
    // connection that sends nothing for idle after its last answer.
    std::chrono::milliseconds requestTime{10'000};
    std::chrono::milliseconds idle{30'000};
};

// Counts what the server refused, for the log and the tests.
struct HttpCounts {
    std::size_t served = 0;     // 200 answers
    std::size_t refused = 0;    // 4xx answers
    std::size_t overLimit = 0;  // connections closed for size or time
    std::size_t tooMany = 0;    // connections closed for the connection limit
    std::size_t upgraded = 0;   // connections handed over as WebSockets
};

class HttpFront final : public QAbstractHttpServer {
public:
    explicit HttpFront(HttpLimits limits = {}, QObject* parent = nullptr);
    ~HttpFront() override;

    // Listens on address:port; false with the reason in `error`.
    bool Listen(const QHostAddress& address, quint16 port, std::string& error);
    quint16 Port() const;

    // Receives each WebSocket that completed its handshake (any path: the receiver checks).
    void OnWebSocket(std::function<void(std::unique_ptr<QWebSocket>)> handler) { onSocket_ = std::move(handler); }

    std::size_t OpenConnections() const { return open_; }
    const HttpCounts& Counts() const { return counts_; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    class Listener;
    struct Tracked {
        std::size_t bytes = 0;  // of the request being received
        std::chrono::steady_clock::time_point started, lastAnswer;
        QMetaObject::Connection watch, gone;  // our readyRead and destroyed handlers
        bool closing = false;
    };
    void Accepted(QTcpSocket* socket);
    void Received(QTcpSocket* socket);
    void Sweep();
    void Close(QTcpSocket* socket);
    void Answer(const QHttpServerRequest& request, QTcpSocket* socket, const Route& route);
    static Route RouteOf(const QHttpServerRequest& request);

    HttpLimits limits_;
    Listener* listener_ = nullptr;
    QHash<QTcpSocket*, Tracked> tracked_;  // connections still speaking HTTP
    std::size_t open_ = 0;
    HttpCounts counts_;
    QTimer sweep_;
    std::unordered_map<int, QByteArray> bodies_;  // by Resource
    std::function<void(std::unique_ptr<QWebSocket>)> onSocket_;
};

}  // namespace korval::web
