#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QObject>

class QLocalSocket;
class QTimer;

namespace korval::link {

// An automatic link to items of one server ("Application|Topic"): every new value of an advised
// item is handed to the value handler, in order, on the event loop of the thread that made the
// client. A handler may unlink, relink or destroy the client.
//
// A link that cannot be made raises error 282, as a link to a program that is not running does.
// When an established link is lost the lost handler says why; with a retry interval the client
// then tries again at that interval, advises its items afresh and calls the restored handler.
class LinkClient : public QObject {
    Q_OBJECT
public:
    using ValueHandler = std::function<void(std::string_view item, std::string_view value)>;
    using TextHandler = std::function<void(const std::string& text)>;

    explicit LinkClient(QObject* parent = nullptr);
    ~LinkClient() override;
    LinkClient(const LinkClient&) = delete;
    LinkClient& operator=(const LinkClient&) = delete;

    // The folder of the servers' sockets; by default the user's link folder (see naming.h).
    void SetFolder(std::filesystem::path folder);
    // Zero (the default): a lost link stays lost.
    void SetRetryInterval(std::chrono::milliseconds every);

    // A fresh link to `item` of `topic`, replacing any link this client had. Raises Fault 282 when
    // the name is not "Application|Topic", there is no socket, or nobody answers on it; the reason
    // is then in LastReason().
    void Link(std::string_view topic, std::string_view item);
    // A link to a server that is not there yet: the client waits as for a lost link, tries at
    // the retry interval, advises `item` once a server answers and calls the restored handler.
    // Raises as Link() does for a name that can never be linked (no "Application|Topic", not an
    // item name, no link folder); an absent or silent server is no error here.
    void LinkLater(std::string_view topic, std::string_view item);
    // Further items over the same link. False when the name is not an item name or there is no link.
    bool Advise(std::string_view item);
    bool Unadvise(std::string_view item);
    // Asks once for the current value; it arrives through the value handler.
    bool Request(std::string_view item);
    // Ends the link; nothing more is delivered.
    void Unlink();

    bool IsLinked() const { return !topic_.empty(); }  // linked, or lost and waiting to relink
    bool IsConnected() const { return state_ == State::Connected; }
    const std::string& Topic() const { return topic_; }
    const std::string& LastReason() const { return reason_; }

    void OnValue(ValueHandler handler) { onValue_ = std::move(handler); }
    void OnError(TextHandler handler) { onError_ = std::move(handler); }  // an ERROR line of the server
    void OnLost(TextHandler handler) { onLost_ = std::move(handler); }
    void OnRestored(std::function<void()> handler) { onRestored_ = std::move(handler); }

private:
    enum class State { Idle, Connected, Waiting, Retrying };

    // The socket of `topic`'s server; raises as Link() does for names that cannot be linked.
    std::string SocketPathOf(std::string_view topic, std::string_view item);
    QLocalSocket* NewSocket();
    void DropSocket();
    void Read();
    void Deliver(std::string_view item, std::string_view value);
    void Send(const std::string& line);
    void Lose(const std::string& reason);
    void Retry();
    void Connected();
    void RetryFailed();

    State state_ = State::Idle;
    QLocalSocket* socket_ = nullptr;
    QTimer* retryTimer_ = nullptr;
    std::chrono::milliseconds retryEvery_{0};
    std::filesystem::path folder_;
    std::string topic_;
    std::string socketPath_;
    std::string reason_;
    std::vector<std::string> items_;     // advised, as the caller spelled them
    std::vector<std::string> requests_;  // items asked for once, answers still due
    std::string buffer_;                 // frame bytes not yet parsed
    bool reading_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    ValueHandler onValue_;
    TextHandler onError_;
    TextHandler onLost_;
    std::function<void()> onRestored_;
};

}  // namespace korval::link
