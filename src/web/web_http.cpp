#include "web/web_http.h"

#include <QHttpServerRequest>
#include <QTcpSocket>
#include <QWebSocket>

#include <unistd.h>

namespace korval::web {
namespace {

using Clock = std::chrono::steady_clock;
using Status = QHttpServerResponder::StatusCode;

constexpr int kSweepMs = 1000;

// The page's parts as built into the program, by resource.
constexpr struct {
    Resource resource;
    std::string_view file;
} kFiles[] = {
    {Resource::Page, "index.html"},
    {Resource::Script, "app.js"},
    {Resource::Style, "style.css"},
    {Resource::Icon, "icon.svg"},
};

QByteArray MethodName(QHttpServerRequest::Method m)
{
    switch (m) {
        case QHttpServerRequest::Method::Get:
            return "GET";
        case QHttpServerRequest::Method::Head:
            return "HEAD";
        case QHttpServerRequest::Method::Post:
            return "POST";
        case QHttpServerRequest::Method::Put:
            return "PUT";
        case QHttpServerRequest::Method::Delete:
            return "DELETE";
        case QHttpServerRequest::Method::Options:
            return "OPTIONS";
        default:
            return "OTHER";
    }
}

}  // namespace

// Accepts connections itself so that every socket is watched from its first byte, before the
// HTTP server reads it.
class HttpFront::Listener final : public QTcpServer {
public:
    explicit Listener(HttpFront& owner) : QTcpServer(&owner), owner_(owner) {}

protected:
    void incomingConnection(qintptr descriptor) override
    {
        if (owner_.open_ >= owner_.limits_.connections) {
            ++owner_.counts_.tooMany;
            ::close(static_cast<int>(descriptor));
            return;
        }
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            ::close(static_cast<int>(descriptor));
            return;
        }
        owner_.Accepted(socket);
        addPendingConnection(socket);
    }

private:
    HttpFront& owner_;
};

HttpFront::HttpFront(HttpLimits limits, QObject* parent) : QAbstractHttpServer(parent), limits_(limits)
{
    for (const auto& f : kFiles) {
        const std::span<const unsigned char> bytes = EmbeddedFile(f.file);
        if (!bytes.empty())
            bodies_[static_cast<int>(f.resource)] =
                QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    }
    sweep_.setInterval(kSweepMs);
    QObject::connect(&sweep_, &QTimer::timeout, this, [this] { Sweep(); });
    QObject::connect(this, &QAbstractHttpServer::newWebSocketConnection, this, [this] {
        while (hasPendingWebSocketConnections()) {
            std::unique_ptr<QWebSocket> socket = nextPendingWebSocketConnection();
            if (!socket) break;
            if (onSocket_) {
                onSocket_(std::move(socket));
            } else {
                socket->abort();
            }
        }
    });
}

HttpFront::~HttpFront()
{
    sweep_.stop();
    // The sockets go with the listener while the counts they update still exist.
    delete listener_;
}

bool HttpFront::Listen(const QHostAddress& address, quint16 port, std::string& error)
{
    if (listener_) {
        error = "already listening";
        return false;
    }
    auto* listener = new Listener(*this);
    if (!listener->listen(address, port)) {
        error = listener->errorString().toStdString();
        delete listener;
        return false;
    }
    listener->setMaxPendingConnections(static_cast<int>(limits_.connections));
    listener_ = listener;
    bind(listener);
    sweep_.start();
    return true;
}

quint16 HttpFront::Port() const
{
    return listener_ ? listener_->serverPort() : 0;
}

void HttpFront::Accepted(QTcpSocket* socket)
{
    ++open_;
    Tracked t;
    t.gone = QObject::connect(socket, &QObject::destroyed, listener_, [this, socket] {
        --open_;
        tracked_.remove(socket);
    });
    t.lastAnswer = Clock::now();
    // Connected before the HTTP server's own handler, so it sees each byte first. The server
    // drops every readyRead handler when the connection becomes a WebSocket; the handle then
    // reads false and the connection leaves the HTTP limits (frame limits take over).
    t.watch = QObject::connect(socket, &QTcpSocket::readyRead, listener_, [this, socket] { Received(socket); });
    tracked_.insert(socket, t);
}

void HttpFront::Received(QTcpSocket* socket)
{
    auto it = tracked_.find(socket);
    if (it == tracked_.end()) return;
    Tracked& t = *it;
    if (t.closing) {
        socket->readAll();  // nothing more reaches the parser
        return;
    }
    if (t.bytes == 0) t.started = Clock::now();
    t.bytes += static_cast<std::size_t>(socket->bytesAvailable());
    if (t.bytes > limits_.requestBytes) {
        ++counts_.overLimit;
        socket->readAll();
        socket->write("HTTP/1.1 431 Request Too Large\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        Close(socket);
    }
}

void HttpFront::Close(QTcpSocket* socket)
{
    auto it = tracked_.find(socket);
    if (it != tracked_.end()) it->closing = true;
    socket->disconnectFromHost();
}

void HttpFront::Sweep()
{
    const auto now = Clock::now();
    QList<QTcpSocket*> late;
    for (auto it = tracked_.begin(); it != tracked_.end();) {
        if (!it->watch) {  // a WebSocket now
            it = tracked_.erase(it);
            continue;
        }
        const bool slow = it->bytes > 0 && now - it->started > limits_.requestTime;
        const bool idle = it->bytes == 0 && now - it->lastAnswer > limits_.idle;
        if ((slow || idle) && !it->closing) late.append(it.key());
        ++it;
    }
    for (QTcpSocket* socket : late) {
        ++counts_.overLimit;
        Close(socket);
    }
}

// The route of a request as the page's paths see it.
Route HttpFront::RouteOf(const QHttpServerRequest& request)
{
    const QUrl url = request.url();
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (url.hasQuery()) target += "?" + url.query(QUrl::FullyEncoded).toLatin1();
    const QByteArray method = MethodName(request.method());
    return RouteRequest(std::string_view(method.constData(), static_cast<std::size_t>(method.size())),
                        std::string_view(target.constData(), static_cast<std::size_t>(target.size())));
}

bool HttpFront::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    auto it = tracked_.find(socket);
    if (it != tracked_.end()) {
        if (it->closing) return true;
        it->bytes = 0;
        it->lastAnswer = Clock::now();
    }
    const Route route = RouteOf(request);
    // An upgrade to a WebSocket: the HTTP server hands the connection over when this returns
    // true without answering, and answers through missingHandler when it returns false. From
    // here on the connection counts as a page (the view's limit), not as an HTTP connection.
    if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0 &&
        request.value("connection").toLower().contains("upgrade")) {
        if (route.status != 200 || route.resource != Resource::Socket) return false;
        if (it != tracked_.end()) {
            QObject::disconnect(it->watch);
            QObject::disconnect(it->gone);
            tracked_.erase(it);
            --open_;
        }
        ++counts_.upgraded;
        return true;
    }
    Answer(request, socket, route);
    return true;
}

void HttpFront::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    Route route = RouteOf(request);
    if (route.status == 200) route = {404, Resource::None, "not one of the page's paths"};
    Answer(request, socket, route);
}

void HttpFront::Answer(const QHttpServerRequest& request, QTcpSocket* socket, const Route& route)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    QByteArray body;
    QByteArray type = "text/plain; charset=utf-8";
    Status status = static_cast<Status>(route.status);
    if (route.status == 200 && route.resource == Resource::Socket) {
        status = Status::UpgradeRequired;  // a plain request for the WebSocket's path
        body = "this path is the page's WebSocket\n";
    } else if (route.status == 200) {
        const auto found = bodies_.find(static_cast<int>(route.resource));
        if (found == bodies_.end()) {
            status = Status::InternalServerError;
            body = "the page is missing from this build\n";
        } else {
            body = found->second;
            type = QByteArray(MediaTypeOf(route.resource).data(),
                              static_cast<qsizetype>(MediaTypeOf(route.resource).size()));
        }
    } else {
        body = QByteArray::fromStdString(route.reason) + "\n";
    }
    if (status == Status::Ok) {
        ++counts_.served;
    } else {
        ++counts_.refused;
    }

    // Nothing is cached, sniffed, framed, or fetched from anywhere but here.
    responder.writeStatusLine(status);
    responder.writeHeaders({
        {"Content-Type", type},
        {"Content-Length", QByteArray::number(body.size())},
        {"Cache-Control", "no-store"},
        {"X-Content-Type-Options", "nosniff"},
        {"X-Frame-Options", "DENY"},
        {"Referrer-Policy", "no-referrer"},
        {"Content-Security-Policy",
         "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' blob:; connect-src 'self'; "
         "base-uri 'none'; form-action 'none'; frame-ancestors 'none'"},
    });
    if (status == Status::MethodNotAllowed) responder.writeHeader("Allow", "GET, HEAD");
    responder.writeBody(request.method() == QHttpServerRequest::Method::Head ? QByteArray() : body);
}

}  // namespace korval::web
