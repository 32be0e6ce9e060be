#pragma once

// What the page shows besides the maps, taken from the station as it changes: the last LiveData
// values with their colours, the two counts, the clock and the tracked aircraft. Only reads the
// station; its own state is the list of recent messages and, per aircraft, when a message last
// moved it.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <unordered_map>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>

#include "station/station.h"

namespace korval::web {

class Feed {
public:
    static constexpr std::size_t kLiveKept = 500;
    // A longer message is shown cut, with the number of bytes left out (the message is kept
    // whole by the station).
    static constexpr std::size_t kLiveShownBytes = 16 * 1024;
    // Records of each collection listed at most (the redraw's guard).
    static constexpr std::size_t kMaxRows = 2000;

    explicit Feed(Station& s);
    ~Feed();
    Feed(const Feed&) = delete;
    Feed& operator=(const Feed&) = delete;

    // Called (at most once until Take) when there is something new to send.
    void OnDirty(std::function<void()> handler) { onDirty_ = std::move(handler); }

    // Everything a page that just connected needs, as one message of type "hello" (the caller adds its own fields).
    QJsonObject Hello();
    // What changed since the last Take, as one message of type "update"; empty when nothing
    // did. The aircraft table goes with it when the aircraft changed and `withAircraft` is set
    // (the caller paces the table; the rest goes at once).
    QJsonObject Take(bool withAircraft);
    bool AircraftChanged() const { return aircraftDirty_; }

    // Values since the start (how many LiveData values the station set).
    std::uint64_t LiveSeen() const { return liveSeq_; }

private:
    struct Live {
        std::uint64_t seq = 0;
        QJsonObject json;
    };
    struct Seen {
        std::string position;
        std::string stamp;  // HH:MM:SS UTC of the message that last moved it
        bool alive = false;
    };

    void Changed(ChangeFlags what);
    void MarkDirty();
    // Notes which aircraft a message moved since the last look (the stamps).
    void Observe();
    QJsonArray AircraftRows();
    QJsonObject Counters() const;
    QJsonArray Recent() const;

    Station& s_;
    int subscription_ = 0;
    std::function<void()> onDirty_;
    bool dirtyReported_ = false;

    std::deque<Live> live_;  // the last kLiveKept, oldest first
    QJsonArray pending_;     // every value since the last Take, however many
    std::uint64_t liveSeq_ = 0;
    bool countersDirty_ = false, clockDirty_ = false, aircraftDirty_ = false;
    bool messageSinceObserve_ = false;
    std::unordered_map<std::string, Seen> seen_;  // by kind and ID
};

// "#rrggbb" of a Windows colour value (system colours as the classic scheme shows them).
QString CssColour(std::uint32_t colour);
// "51.234N 010.500W" of a position text "51234/-010500"; the text itself when it is no position.
QString PositionLabel(const std::string& position);

}  // namespace korval::web
