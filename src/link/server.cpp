#include "link/server.h"

#include <algorithm>

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include "link/naming.h"

namespace korval::link {
namespace {

constexpr int kProbeMs = 1000;           // how long a live server may take to answer a probe
constexpr std::size_t kEchoedWord = 64;  // bytes of an unknown command repeated in the error

QString NativePath(const std::filesystem::path& path)
{
    return QFile::decodeName(path.c_str());
}

std::string StoppedReading()
{
    return "dropped a client that stopped reading";
}

}  // namespace

struct LinkServer::Client {
    QLocalSocket* socket = nullptr;
    std::string buffer;                // command bytes not yet parsed
    std::vector<std::string> advised;  // folded item names
    bool reading = false;
    bool dropped = false;
};

LinkServer::LinkServer(QObject* parent) : QObject(parent) {}

LinkServer::~LinkServer()
{
    Close();
}

void LinkServer::SetFolder(std::filesystem::path folder)
{
    folder_ = std::move(folder);
}

bool LinkServer::IsListening() const
{
    return server_ && server_->isListening();
}

bool LinkServer::Listen(std::string_view topic)
{
    Close();
    reason_.clear();
    const std::optional<std::string> name = SocketFileName(topic);
    if (!name) {
        reason_ = NotAServerName(topic);
        return false;
    }
    const FolderResult folder = folder_.empty() ? LinkFolder() : PrepareFolder(folder_);
    if (folder.path.empty()) {
        reason_ = folder.reason;
        return false;
    }
    const std::filesystem::path path = folder.path / *name;
    const QString native = NativePath(path);
    {
        QLocalSocket probe;
        probe.connectToServer(native);
        if (probe.waitForConnected(kProbeMs)) {
            probe.abort();
            reason_ = std::string(topic) + " is already served";
            return false;
        }
    }
    QLocalServer::removeServer(native);  // a socket file nobody answers on
    server_ = new QLocalServer(this);
    if (!server_->listen(native)) {
        reason_ = "cannot listen on " + path.string() + ": " + server_->errorString().toStdString();
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &LinkServer::Accept);
    topic_ = topic;
    socketPath_ = path;
    return true;
}

void LinkServer::Close()
{
    const std::vector<std::shared_ptr<Client>> clients = clients_;
    for (const auto& client : clients) {
        // A flush that finds the client gone reports it at once: closing reports no drops.
        client->socket->disconnect(this);
        client->socket->flush();
        Drop(client.get(), {}, false);
    }
    if (server_) {
        server_->close();
        delete server_;
        server_ = nullptr;
    }
    topic_.clear();
    socketPath_.clear();
}

bool LinkServer::AddItem(std::string_view item)
{
    if (!IsItemName(item)) {
        reason_ = NotAnItemName(item);
        return false;
    }
    Item& entry = items_[FoldCase(item)];
    if (entry.name.empty()) entry.name = item;
    return true;
}

bool LinkServer::SetValue(std::string_view item, std::string_view value)
{
    if (value.size() > kMaxValue) {
        reason_ =
            "a value of " + std::to_string(value.size()) + " bytes is over the limit of " + std::to_string(kMaxValue);
        return false;
    }
    if (!AddItem(item)) return false;
    Item& entry = items_[FoldCase(item)];
    entry.value.assign(value);
    if (entry.advised.empty()) return true;

    frame_.clear();
    AppendData(frame_, entry.name, entry.value);
    std::vector<Client*> laggards;
    for (Client* client : entry.advised) {
        if (!Write(*client, frame_)) laggards.push_back(client);
    }
    for (Client* client : laggards) Drop(client, StoppedReading());
    return true;
}

std::string LinkServer::Value(std::string_view item) const
{
    const auto found = items_.find(FoldCase(item));
    return found == items_.end() ? std::string() : found->second.value;
}

int LinkServer::AdvisedCount(std::string_view item) const
{
    const auto found = items_.find(FoldCase(item));
    return found == items_.end() ? 0 : static_cast<int>(found->second.advised.size());
}

void LinkServer::Flush()
{
    // A flush that finds its client gone drops it there and then, which changes clients_.
    const std::vector<std::shared_ptr<Client>> clients = clients_;
    for (const auto& client : clients) {
        if (!client->dropped) client->socket->flush();
    }
}

std::int64_t LinkServer::PendingBytes() const
{
    std::int64_t total = 0;
    for (const auto& client : clients_) total += client->socket->bytesToWrite();
    return total;
}

LinkServer::Item* LinkServer::Find(std::string_view item)
{
    const auto found = items_.find(FoldCase(item));
    return found == items_.end() ? nullptr : &found->second;
}

void LinkServer::Accept()
{
    while (server_ && server_->hasPendingConnections()) {
        QLocalSocket* socket = server_->nextPendingConnection();
        if (!socket) break;
        auto client = std::make_shared<Client>();
        client->socket = socket;
        clients_.push_back(client);
        const std::weak_ptr<Client> weak = client;
        connect(socket, &QLocalSocket::readyRead, this, [this, weak] {
            if (auto c = weak.lock()) Read(c);
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, weak] {
            if (auto c = weak.lock()) Drop(c.get(), "a client closed its link");
        });
        if (socket->bytesAvailable() > 0) Read(client);
    }
}

void LinkServer::Read(const std::shared_ptr<Client>& client)
{
    Client& c = *client;
    if (c.dropped || c.reading) return;  // a nested event loop: the outer pass reads on
    c.reading = true;
    std::size_t pos = 0;
    while (!c.dropped) {
        if (c.socket->bytesAvailable() > 0) {
            const QByteArray chunk = c.socket->readAll();
            c.buffer.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
        }
        const Parsed<Command> parsed = ParseCommand(std::string_view(c.buffer).substr(pos));
        if (parsed.state == ParseState::Malformed) {
            Drop(&c, "dropped a client that sent " + parsed.reason);
            break;
        }
        if (parsed.state == ParseState::Incomplete) {
            if (c.socket->bytesAvailable() > 0) continue;
            break;
        }
        pos += parsed.used;
        Handle(c, parsed.value.verb, parsed.value.item);
    }
    if (!c.dropped) c.buffer.erase(0, pos);
    c.reading = false;
}

void LinkServer::Handle(Client& client, Verb verb, std::string_view name)
{
    std::string reply;
    if (verb == Verb::Unknown) {
        AppendError(reply, "unknown command " + std::string(name.substr(0, kEchoedWord)));
        Reply(client, reply);
        return;
    }
    Item* item = Find(name);
    if (!item) {
        AppendError(reply, "unknown item " + std::string(name));
        Reply(client, reply);
        return;
    }
    const std::string folded = FoldCase(name);
    const auto mine = std::find(client.advised.begin(), client.advised.end(), folded);
    switch (verb) {
        case Verb::Advise:
            if (mine != client.advised.end()) return;
            client.advised.push_back(folded);
            item->advised.push_back(&client);
            if (onAdvise_) onAdvise_(item->name);
            return;
        case Verb::Unadvise:
            if (mine == client.advised.end()) return;
            client.advised.erase(mine);
            std::erase(item->advised, &client);
            return;
        case Verb::Request:
            AppendData(reply, item->name, item->value);
            Reply(client, reply);
            return;
        case Verb::Unknown:
            return;
    }
}

bool LinkServer::Write(Client& client, std::string_view bytes)
{
    const auto size = static_cast<qint64>(bytes.size());
    if (client.socket->bytesToWrite() + size > backlogLimit_) return false;
    client.socket->write(bytes.data(), size);
    largestBacklog_ = std::max(largestBacklog_, static_cast<std::int64_t>(client.socket->bytesToWrite()));
    return true;
}

void LinkServer::Reply(Client& client, std::string_view bytes)
{
    if (!Write(client, bytes)) Drop(&client, StoppedReading());
}

void LinkServer::Drop(Client* client, const std::string& reason, bool report)
{
    if (client->dropped) return;
    client->dropped = true;
    for (const std::string& folded : client->advised) {
        if (Item* item = Find(folded)) std::erase(item->advised, client);
    }
    client->advised.clear();
    QLocalSocket* socket = client->socket;
    socket->disconnect(this);
    socket->setParent(nullptr);  // not deleted with the listener while one of its own signals may be running
    socket->abort();
    socket->deleteLater();
    std::erase_if(clients_, [client](const std::shared_ptr<Client>& c) { return c.get() == client; });
    if (report && onDrop_) onDrop_(reason);
}

}  // namespace korval::link
