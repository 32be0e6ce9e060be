#include "link/client.h"

#include <algorithm>

#include <QFile>
#include <QLocalSocket>
#include <QMetaObject>
#include <QTimer>

#include "link/naming.h"
#include "link/protocol.h"
#include "text/fault.h"

namespace korval::link {
namespace {

constexpr int kConnectMs = 2000;  // a local server answers at once; this only bounds a hung one

std::string Describe(QLocalSocket& socket, const std::string& topic, const std::string& path)
{
    switch (socket.error()) {
        case QLocalSocket::ServerNotFoundError:
            return "no server " + topic + " (no socket " + path + ")";
        case QLocalSocket::ConnectionRefusedError:
            return "nobody answers for " + topic + " on " + path;
        case QLocalSocket::SocketTimeoutError:
            return topic + " did not answer in time";
        default:
            return topic + ": " + socket.errorString().toStdString();
    }
}

}  // namespace

LinkClient::LinkClient(QObject* parent) : QObject(parent), retryTimer_(new QTimer(this))
{
    retryTimer_->setSingleShot(true);
    connect(retryTimer_, &QTimer::timeout, this, &LinkClient::Retry);
}

LinkClient::~LinkClient()
{
    *alive_ = false;
    Unlink();
}

void LinkClient::SetFolder(std::filesystem::path folder)
{
    folder_ = std::move(folder);
}

void LinkClient::SetRetryInterval(std::chrono::milliseconds every)
{
    retryEvery_ = every < std::chrono::milliseconds(0) ? std::chrono::milliseconds(0) : every;
    retryTimer_->setInterval(static_cast<int>(retryEvery_.count()));
    if (retryEvery_.count() == 0) {
        retryTimer_->stop();
    } else if (state_ == State::Waiting && !retryTimer_->isActive()) {
        retryTimer_->start();
    }
}

std::string LinkClient::SocketPathOf(std::string_view topic, std::string_view item)
{
    if (!IsItemName(item)) {
        reason_ = NotAnItemName(item);
        Raise(err::InvalidCall);
    }
    const std::optional<std::string> name = SocketFileName(topic);
    if (!name) {
        reason_ = NotAServerName(topic);
        Raise(err::DdeNoAnswer);
    }
    const FolderResult folder = folder_.empty() ? LinkFolder() : PrepareFolder(folder_);
    if (folder.path.empty()) {
        reason_ = folder.reason;
        Raise(err::DdeNoAnswer);
    }
    return (folder.path / *name).string();
}

void LinkClient::LinkLater(std::string_view topic, std::string_view item)
{
    Unlink();
    const std::string path = SocketPathOf(topic, item);
    reason_ = "waiting for " + std::string(topic);
    topic_ = topic;
    socketPath_ = path;
    items_.assign(1, std::string(item));
    state_ = State::Waiting;
    if (retryEvery_.count() > 0) retryTimer_->start();
}

void LinkClient::Link(std::string_view topic, std::string_view item)
{
    Unlink();
    const std::string path = SocketPathOf(topic, item);
    socket_ = NewSocket();
    socket_->connectToServer(QFile::decodeName(path.c_str()));
    if (!socket_->waitForConnected(kConnectMs)) {
        reason_ = Describe(*socket_, std::string(topic), path);
        DropSocket();
        Raise(err::DdeNoAnswer);
    }
    reason_.clear();
    topic_ = topic;
    socketPath_ = path;
    items_.assign(1, std::string(item));
    state_ = State::Connected;
    Send(EncodeCommand(Verb::Advise, item));
}

bool LinkClient::Advise(std::string_view item)
{
    if (!IsItemName(item) || topic_.empty()) return false;
    const bool known =
        std::any_of(items_.begin(), items_.end(), [&](const std::string& i) { return SameName(i, item); });
    if (known) return true;
    items_.emplace_back(item);
    if (state_ == State::Connected) Send(EncodeCommand(Verb::Advise, item));
    return true;
}

bool LinkClient::Unadvise(std::string_view item)
{
    if (!IsItemName(item) || topic_.empty()) return false;
    std::erase_if(items_, [&](const std::string& i) { return SameName(i, item); });
    if (state_ == State::Connected) Send(EncodeCommand(Verb::Unadvise, item));
    return true;
}

bool LinkClient::Request(std::string_view item)
{
    if (!IsItemName(item) || state_ != State::Connected) return false;
    requests_.emplace_back(item);
    Send(EncodeCommand(Verb::Request, item));
    return true;
}

void LinkClient::Unlink()
{
    retryTimer_->stop();
    DropSocket();
    state_ = State::Idle;
    topic_.clear();
    socketPath_.clear();
    items_.clear();
}

QLocalSocket* LinkClient::NewSocket()
{
    auto* socket = new QLocalSocket(this);
    connect(socket, &QLocalSocket::readyRead, this, &LinkClient::Read);
    connect(socket, &QLocalSocket::connected, this, [this] {
        if (state_ == State::Retrying) Connected();
    });
    connect(socket, &QLocalSocket::disconnected, this, [this] {
        if (state_ != State::Connected) return;
        const std::shared_ptr<bool> alive = alive_;
        if (socket_->bytesAvailable() > 0) Read();  // values that came before the close are still delivered
        if (*alive && state_ == State::Connected) Lose("the server closed the link");
    });
    connect(socket, &QLocalSocket::errorOccurred, this, [this] {
        if (state_ == State::Retrying) {
            RetryFailed();
        } else if (state_ == State::Connected && socket_->state() == QLocalSocket::UnconnectedState) {
            Lose(socket_->errorString().toStdString());
        }
    });
    return socket;
}

void LinkClient::DropSocket()
{
    if (socket_) {
        socket_->disconnect(this);
        socket_->setParent(nullptr);  // not deleted with this client while one of its signals may be running
        socket_->abort();
        socket_->deleteLater();
        socket_ = nullptr;
    }
    buffer_.clear();
    requests_.clear();
}

void LinkClient::Send(const std::string& line)
{
    if (socket_) socket_->write(line.data(), static_cast<qint64>(line.size()));
}

void LinkClient::Read()
{
    if (reading_ || !socket_) return;  // a nested event loop: the outer pass reads on
    reading_ = true;
    const std::shared_ptr<bool> alive = alive_;
    QLocalSocket* const socket = socket_;
    std::size_t pos = 0;
    while (socket_ == socket) {
        if (socket->bytesAvailable() > 0) {
            const QByteArray chunk = socket->readAll();
            buffer_.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
        }
        const Parsed<Frame> parsed = ParseFrame(std::string_view(buffer_).substr(pos));
        if (parsed.state == ParseState::Malformed) {
            Lose("the server sent " + parsed.reason);
            if (!*alive) return;
            break;
        }
        if (parsed.state == ParseState::Incomplete) {
            if (socket->bytesAvailable() > 0) continue;
            break;
        }
        pos += parsed.used;
        if (parsed.value.kind == FrameKind::Data) {
            Deliver(parsed.value.item, parsed.value.value);
        } else if (onError_) {
            onError_(std::string(parsed.value.value));
        }
        if (!*alive) return;
    }
    if (socket_ == socket) buffer_.erase(0, pos);  // otherwise a handler unlinked and the buffer is new
    reading_ = false;
    if (socket_ && socket_ != socket && socket_->bytesAvailable() > 0) {
        QMetaObject::invokeMethod(this, &LinkClient::Read, Qt::QueuedConnection);
    }
}

void LinkClient::Deliver(std::string_view item, std::string_view value)
{
    const auto advised =
        std::find_if(items_.begin(), items_.end(), [&](const std::string& i) { return SameName(i, item); });
    const auto asked =
        std::find_if(requests_.begin(), requests_.end(), [&](const std::string& i) { return SameName(i, item); });
    if (asked != requests_.end())
        requests_.erase(asked);
    else if (advised == items_.end())
        return;  // unadvised while this value was on its way
    // A copy: the handler may unadvise or unlink, which would pull the name from under it.
    const std::string name = advised != items_.end() ? *advised : std::string(item);
    if (onValue_) onValue_(name, value);
}

void LinkClient::Lose(const std::string& reason)
{
    DropSocket();
    state_ = State::Waiting;
    reason_ = reason;
    if (retryEvery_.count() > 0) retryTimer_->start();
    if (onLost_) onLost_(reason);
}

void LinkClient::Retry()
{
    if (state_ != State::Waiting) return;
    socket_ = NewSocket();
    state_ = State::Retrying;
    socket_->connectToServer(QFile::decodeName(socketPath_.c_str()));  // answers through the signals
}

void LinkClient::RetryFailed()
{
    reason_ = Describe(*socket_, topic_, socketPath_);
    DropSocket();
    state_ = State::Waiting;
    if (retryEvery_.count() > 0) retryTimer_->start();
}

void LinkClient::Connected()
{
    state_ = State::Connected;
    reason_.clear();
    for (const std::string& item : items_) Send(EncodeCommand(Verb::Advise, item));
    if (onRestored_) onRestored_();
}

}  // namespace korval::link
