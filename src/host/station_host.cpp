#include "station_host.h"

#include <utility>

#include "station/events.h"
#include "station/mainwindow.h"
#include "station/status.h"
#include "text/convert.h"
#include "text/fault.h"

namespace korval::app {
namespace {

constexpr int kTimer1Ms = 1000;    // the clock label and the daily map clearing
constexpr int kTimer2Ms = 60'000;  // MinuteCount and the oceanic estimate
constexpr int kStatusMs = 60'000;  // the operator's status line
constexpr std::int64_t kFlushBytes = 64 * 1024;

// The link boxes with the change events that log what befalls their links.
struct BoxRow {
    LinkBox box;
    const char* event;
};
constexpr BoxRow kAllBoxes[] = {
    {LinkBox::AirData, "AirData_Change"},         {LinkBox::SkyData, "SkyData_Change"},
    {LinkBox::ANAData, "ANAData_Change"},         {LinkBox::HFDL, "HFDL_Change"},
    {LinkBox::HFACARSData, "HFACARSData_Change"}, {LinkBox::txtNewData, "txtNewData_Change"},
};

// The link is up but the server will not send the item: nothing will arrive through it.
constexpr int kItemRefused = 285;

// The items of the main window that other programs may link to.
struct ServedItem {
    std::string_view name;
    Box MainBoxes::*box;
};
constexpr ServedItem kServed[] = {
    {"LiveData", &MainBoxes::LiveData}, {"Aircraft", &MainBoxes::Aircraft}, {"Flight", &MainBoxes::Flight},
    {"txtCount", &MainBoxes::txtCount}, {"txtOCA", &MainBoxes::txtOCA},
};

}  // namespace

// ---- QtLinkPort -------------------------------------------------------------------------------

QtLinkPort::QtLinkPort(Station& s) : s_(s)
{
    for (const auto& [box, event] : kAllBoxes) {
        auto client = std::make_unique<link::LinkClient>();
        client->SetRetryInterval(kRetryEvery);
        client->OnValue([this, box = box](std::string_view, std::string_view value) {
            OnLinkText(s_, box, std::string(value));
            if (onDelivered_) onDelivered_();
        });
        client->OnLost([this, box = box](const std::string&) { Lost(box); });
        client->OnError([this, box = box, event = event](const std::string& text) {
            s_.LogFaultLine(Fault(kItemRefused, "Link to " + LinkTopic(s_, box) + " refused: " + text, 0), event,
                            "DDE");
        });
        client->OnRestored([this, box = box] { Restored(box); });
        clients_[Index(box)] = std::move(client);
    }
}

QtLinkPort::~QtLinkPort()
{
    if (s_.links == this) s_.links = nullptr;
}

void QtLinkPort::Link(LinkBox box, const std::string& topic, const std::string& item)
{
    made_[Index(box)] = false;
    clients_[Index(box)]->Link(topic, item);
    made_[Index(box)] = true;
    Tell(box, LinkEvent::Made);
}

void QtLinkPort::LinkLater(LinkBox box, const std::string& topic, const std::string& item)
{
    made_[Index(box)] = false;
    clients_[Index(box)]->LinkLater(topic, item);
}

void QtLinkPort::Unlink(LinkBox box)
{
    made_[Index(box)] = false;
    clients_[Index(box)]->Unlink();
}

void QtLinkPort::Tell(LinkBox box, LinkEvent event)
{
    if (onLinkEvent_) onLinkEvent_(box, event);
}

void QtLinkPort::SetFolder(const std::filesystem::path& folder)
{
    for (auto& client : clients_) client->SetFolder(folder);
}

void QtLinkPort::SetRetryInterval(std::chrono::milliseconds every)
{
    for (auto& client : clients_) client->SetRetryInterval(every);
}

void QtLinkPort::Lost(LinkBox box)
{
    // A source the user no longer wants is not retried; the client's timer is stopped with it.
    if (!LinkWanted(s_, box)) {
        clients_[Index(box)]->Unlink();
        return;
    }
    LinkLost(s_, box);
    Tell(box, LinkEvent::Lost);
}

void QtLinkPort::Restored(LinkBox box)
{
    if (!LinkWanted(s_, box)) {
        clients_[Index(box)]->Unlink();
        return;
    }
    LinkRestored(s_, box);
    // The first time up of a source that was waited for from the start is its making.
    const bool first = !made_[Index(box)];
    made_[Index(box)] = true;
    Tell(box, first ? LinkEvent::Made : LinkEvent::Restored);
}

// ---- StationServer ----------------------------------------------------------------------------

StationServer::StationServer(Station& s, HostLog log) : s_(s), log_(std::move(log))
{
    for (const ServedItem& item : kServed) server_.SetValue(item.name, (s_.box.*item.box).Text);
    subscription_ = s_.Subscribe([this](ChangeFlags what) { Publish(what); });
    server_.OnDrop([this](const std::string& reason) {
        if (log_) log_(std::string(kTopic) + ": " + reason);
    });
}

StationServer::~StationServer()
{
    s_.Unsubscribe(subscription_);
}

bool StationServer::Start()
{
    if (server_.Listen(kTopic)) return true;
    if (log_) {
        log_("cannot serve " + std::string(kTopic) + ": " + server_.LastReason() +
             "; other programs will not receive the messages");
    }
    return false;
}

void StationServer::Publish(ChangeFlags what)
{
    for (const ServedItem& item : kServed) {
        const std::string& text = (s_.box.*item.box).Text;
        // LiveData is a new value with every processed message, as a linked client expects one
        // value per message; the other boxes change only when their text does.
        const bool isLiveData = item.box == &MainBoxes::LiveData;
        if (isLiveData ? (what & ChangeLiveData) != 0 : text != server_.Value(item.name)) SetValue(item.name, text);
    }
}

void StationServer::SetValue(std::string_view item, const std::string& value)
{
    if (server_.SetValue(item, value)) return;
    // Only a value over the link limit (1 MiB) is refused; the message itself was processed.
    s_.LogFaultLine(Fault(err::InvalidCall, server_.LastReason(), 0), std::string(item) + "_LinkNotify", "ACARS");
}

// ---- StationHost ------------------------------------------------------------------------------

StationHost::StationHost(Station& s, HostLog log) : s_(s), port_(s), server_(s, std::move(log))
{
    s_.links = &port_;
    // What the messages changed goes out when the event loop next runs, which is at once unless
    // a burst of messages waits; during a burst it goes out in blocks of at least 64 KiB, so a
    // fast decoder costs a write per block, not per message.
    port_.OnDelivered([this] {
        if (server_.Server().PendingBytes() >= kFlushBytes) server_.Flush();
    });

    timer1_.setInterval(kTimer1Ms);
    timer2_.setInterval(kTimer2Ms);
    QObject::connect(&timer1_, &QTimer::timeout, &timer1_, [this] { OnTimer1(s_); });
    QObject::connect(&timer2_, &QTimer::timeout, &timer2_, [this] { OnTimer2(s_); });
    statusTimer_.setInterval(kStatusMs);
    QObject::connect(&statusTimer_, &QTimer::timeout, &statusTimer_, [this] {
        const auto ms = std::chrono::milliseconds(statusTimer_.interval());
        const std::string span = ms.count() == kStatusMs ? "last minute" : "last " + std::to_string(ms.count()) + " ms";
        Report(StatusLine(s_, reported_, span.c_str()));
        reported_ = s_.traffic;
    });
}

StationHost::~StationHost()
{
    timer1_.stop();
    timer2_.stop();
    statusTimer_.stop();
    if (s_.links == &port_) s_.links = nullptr;
}

void StationHost::ReportTo(HostLog report, bool statusLines)
{
    report_ = std::move(report);
    port_.OnLinkEvent([this](LinkBox box, LinkEvent event) { Report(LinkEventLine(s_, box, event)); });
    if (!statusLines) statusTimer_.stop();
    statusLines_ = statusLines;
}

void StationHost::SetStatusInterval(std::chrono::milliseconds every)
{
    statusTimer_.setInterval(static_cast<int>(every.count()));
}

void StationHost::Report(const std::string& line)
{
    if (!report_) return;
    const DateTime utc = s_.clock().Utc();
    report_(Format(utc.hour, "00") + ":" + Format(utc.minute, "00") + ":" + Format(utc.second, "00") + " UTC " + line);
}

void StationHost::SetFolder(const std::filesystem::path& folder)
{
    port_.SetFolder(folder);
    server_.SetFolder(folder);
}

void StationHost::StartHeadless()
{
    StartUp(s_);
    RelinkSources(s_);
    server_.Start();
    OnTimer1(s_);
    timer1_.start();
    timer2_.start();
    reported_ = s_.traffic;
    if (report_ && statusLines_) statusTimer_.start();
}

}  // namespace korval::app
