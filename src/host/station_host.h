#pragma once

// The Qt side of a running station: the decoder links of the link boxes, the program's own link
// server "KORVAL|ACARS", and the two timers of the main window.

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <QTimer>

#include "link/client.h"
#include "link/server.h"
#include "station/links.h"
#include "station/station.h"

namespace korval::app {

// One line for the operator (headless: standard error).
using HostLog = std::function<void(const std::string& line)>;

// The link boxes' automatic links: one link client per box. Every value a decoder publishes is
// handed to OnLinkText, one at a time and in arrival order.
//
// A decoder that stops or restarts while linked would leave its box dead until the user unchecks
// and checks the source; instead the link is tried again every 10 seconds for as long as the
// source stays checked, and the loss and the restoring are written to the error log. A source
// that was not running when the program started (LinkLater) is waited for the same way.
class QtLinkPort final : public LinkPort {
public:
    static constexpr std::chrono::milliseconds kRetryEvery{10'000};
    using LinkEventHandler = std::function<void(LinkBox box, LinkEvent event)>;

    explicit QtLinkPort(Station& s);
    ~QtLinkPort() override;
    QtLinkPort(const QtLinkPort&) = delete;
    QtLinkPort& operator=(const QtLinkPort&) = delete;

    // Raises error 282 when no server answers for `topic`.
    void Link(LinkBox box, const std::string& topic, const std::string& item) override;
    void LinkLater(LinkBox box, const std::string& topic, const std::string& item) override;
    void Unlink(LinkBox box) override;

    // The folder of the decoders' sockets (default: the user's link folder).
    void SetFolder(const std::filesystem::path& folder);
    void SetRetryInterval(std::chrono::milliseconds every);
    // Runs after each delivered text has been processed.
    void OnDelivered(std::function<void()> handler) { onDelivered_ = std::move(handler); }
    // Each link made (the first time it is up after being chosen), lost or restored.
    void OnLinkEvent(LinkEventHandler handler) { onLinkEvent_ = std::move(handler); }

    const link::LinkClient& Client(LinkBox box) const { return *clients_[Index(box)]; }

private:
    static constexpr std::size_t kBoxes = 6;
    static std::size_t Index(LinkBox box) { return static_cast<std::size_t>(box); }

    void Lost(LinkBox box);
    void Restored(LinkBox box);
    void Tell(LinkBox box, LinkEvent event);

    Station& s_;
    std::array<std::unique_ptr<link::LinkClient>, kBoxes> clients_;
    std::array<bool, kBoxes> made_{};  // the box's link has been up since it was chosen
    std::function<void()> onDelivered_;
    LinkEventHandler onLinkEvent_;
};

// The main window as a link source: topic "KORVAL|ACARS", items LiveData (every processed
// message, published each time it is set, even when the text repeats), Aircraft, Flight, txtCount
// and txtOCA (published when their text changes).
class StationServer {
public:
    static constexpr std::string_view kTopic = "KORVAL|ACARS";

    StationServer(Station& s, HostLog log);
    ~StationServer();
    StationServer(const StationServer&) = delete;
    StationServer& operator=(const StationServer&) = delete;

    void SetFolder(const std::filesystem::path& folder) { server_.SetFolder(folder); }
    // False (and the reason logged) when the topic cannot be served, e.g. another KORVAL serves it
    // already; the station runs on without offering its messages.
    bool Start();
    void Flush() { server_.Flush(); }
    const link::LinkServer& Server() const { return server_; }

private:
    void Publish(ChangeFlags what);
    void SetValue(std::string_view item, const std::string& value);

    Station& s_;
    HostLog log_;
    link::LinkServer server_;
    int subscription_ = 0;
};

// Everything a station needs to run under an event loop without windows: start-up, the links,
// the server, and Timer1 (every second) and Timer2 (every minute).
class StationHost {
public:
    StationHost(Station& s, HostLog log);
    ~StationHost();
    StationHost(const StationHost&) = delete;
    StationHost& operator=(const StationHost&) = delete;

    // The main window's start-up without windows: settings and tables, the checked sources
    // linked (a source that is not running yet gives its message and is waited for), the
    // server, Timer1 once, then both timers.
    void StartHeadless();
    // For the operator of a headless station: one line to `report` for each link made, lost or
    // restored and, with `statusLines`, a status line every minute (see station/status.h). Each
    // line starts with the UTC time of the station's clock.
    void ReportTo(HostLog report, bool statusLines);
    void SetStatusInterval(std::chrono::milliseconds every);
    // For the windows, which run the start-up and the timers themselves: the server only.
    void StartServer() { server_.Start(); }

    QtLinkPort& Port() { return port_; }
    StationServer& Server() { return server_; }
    // The socket folder of decoders and server alike (default: the user's link folder).
    void SetFolder(const std::filesystem::path& folder);

private:
    Station& s_;
    QtLinkPort port_;
    StationServer server_;
    void Report(const std::string& line);

    QTimer timer1_;
    QTimer timer2_;
    QTimer statusTimer_;
    HostLog report_;
    bool statusLines_ = false;
    TrafficCounts reported_;  // the totals at the last status line
};

}  // namespace korval::app
