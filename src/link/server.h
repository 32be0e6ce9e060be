#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <QObject>

#include "link/protocol.h"

class QLocalServer;
class QLocalSocket;

namespace korval::link {

// Serves the items of one topic ("Application|Topic") to local clients, the way a program offers
// its text boxes as link items. Runs on the event loop of the thread that made it.
//
// Every SetValue is a new value, sent to every client advised on the item, even when it equals the
// last one. A client that sends a malformed line, or stops reading until more than its backlog
// limit would wait for it, is dropped; the server and the other clients go on. Every byte sent
// counts towards the limit: values, answers to REQUEST and the error lines that answer unknown
// items and commands, so a client cannot make the server hold more than the limit for it.
class LinkServer : public QObject {
    Q_OBJECT
public:
    using AdviseHandler = std::function<void(const std::string& item)>;
    using DropHandler = std::function<void(const std::string& reason)>;

    explicit LinkServer(QObject* parent = nullptr);
    ~LinkServer() override;
    LinkServer(const LinkServer&) = delete;
    LinkServer& operator=(const LinkServer&) = delete;

    // The folder for the socket; by default the user's link folder (see naming.h).
    void SetFolder(std::filesystem::path folder);
    // Bytes that may wait for one client (64 MiB). A client that a value or reply would take over
    // it counts as stopped: nothing more is queued and it is dropped.
    void SetBacklogLimit(std::int64_t bytes) { backlogLimit_ = bytes; }

    // Starts serving `topic`. False (and LastReason) when the name is not "Application|Topic", the
    // folder cannot be used, or another server answers under the same name. A socket file left by a
    // server that ended without closing is replaced.
    bool Listen(std::string_view topic);
    // Stops serving: every client is disconnected and the socket file removed. Items keep their values.
    void Close();
    bool IsListening() const;
    const std::string& Topic() const { return topic_; }
    const std::filesystem::path& SocketPath() const { return socketPath_; }

    // Declares an item (empty until its first value). Items not declared are unknown to clients.
    bool AddItem(std::string_view item);
    // Publishes a new value (declaring the item when needed). False when the item name is not valid
    // or the value is over 1 MiB; nothing is sent then.
    bool SetValue(std::string_view item, std::string_view value);
    std::string Value(std::string_view item) const;

    int ClientCount() const { return static_cast<int>(clients_.size()); }
    int AdvisedCount(std::string_view item) const;
    // Hands what waits for the clients to the system now, as far as it takes it without waiting
    // (otherwise that happens when the event loop next runs).
    void Flush();
    // Bytes written to clients that have not reached the system yet.
    std::int64_t PendingBytes() const;
    // The most bytes that have waited for one client at once since this server was made.
    std::int64_t LargestBacklog() const { return largestBacklog_; }

    const std::string& LastReason() const { return reason_; }

    void OnAdvise(AdviseHandler handler) { onAdvise_ = std::move(handler); }
    void OnDrop(DropHandler handler) { onDrop_ = std::move(handler); }

private:
    struct Client;
    struct Item {
        std::string name;
        std::string value;
        std::vector<Client*> advised;
    };

    void Accept();
    void Read(const std::shared_ptr<Client>& client);
    void Handle(Client& client, Verb verb, std::string_view item);
    // Queues bytes for a client; false (and nothing queued) when they would take its backlog over
    // the limit.
    bool Write(Client& client, std::string_view bytes);
    void Reply(Client& client, std::string_view bytes);  // Write, dropping a client that lags
    void Drop(Client* client, const std::string& reason, bool report = true);
    Item* Find(std::string_view item);

    QLocalServer* server_ = nullptr;
    std::filesystem::path folder_;
    std::filesystem::path socketPath_;
    std::string topic_;
    std::string reason_;
    std::unordered_map<std::string, Item> items_;  // by folded name
    std::vector<std::shared_ptr<Client>> clients_;
    std::string frame_;  // reused for every value sent
    std::int64_t backlogLimit_ = 64LL * 1024 * 1024;
    std::int64_t largestBacklog_ = 0;
    AdviseHandler onAdvise_;
    DropHandler onDrop_;
};

}  // namespace korval::link
