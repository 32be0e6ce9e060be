#include "web/web_feed.h"

#include <charconv>
#include <cstdio>
#include <memory>

#include <QJsonValue>

#include "ui/map_image.h"

namespace korval::web {
namespace {

QString Latin1(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Thousandths of a degree as text, or nullopt.
std::optional<long> Thousandths(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

struct LatLon {
    double lat = 0, lon = 0;
};

std::optional<LatLon> Degrees(const std::string& position)
{
    const std::size_t slash = position.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const auto lat = Thousandths(std::string_view(position).substr(0, slash));
    const auto lon = Thousandths(std::string_view(position).substr(slash + 1));
    if (!lat || !lon || *lat < -90000 || *lat > 90000 || *lon < -180000 || *lon > 180000) return std::nullopt;
    return LatLon{*lat / 1000.0, *lon / 1000.0};
}

QString UtcStamp(const Station& s)
{
    const DateTime t = s.clock().Utc();
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return QString::fromLatin1(text);
}

// The waypoint a clearance flies to next, "position,time" in WayList.
QString OceanicEstimate(const Aircraft& a)
{
    if (!a.Oceanic) return {};
    QString text = QStringLiteral("estimated");
    if (a.WayList && a.WayIndex >= 0 && static_cast<std::size_t>(a.WayIndex) < a.WayList->size()) {
        const std::string& way = (*a.WayList)[static_cast<std::size_t>(a.WayIndex)];
        text += QStringLiteral(", next ") + PositionLabel(way.substr(0, way.find(',')));
    }
    if (!a.NextTime.empty()) text += QStringLiteral(" at ") + Latin1(a.NextTime);
    if (!a.Mach.empty() || !a.Level.empty())
        text += QStringLiteral(" (") + Latin1(a.Mach + " " + a.Level).trimmed() + u')';
    return text;
}

}  // namespace

QString CssColour(std::uint32_t colour)
{
    return ui::ToQColor(colour).name(QColor::HexRgb);
}

QString PositionLabel(const std::string& position)
{
    const auto d = Degrees(position);
    if (!d) return Latin1(position);
    char text[40];
    std::snprintf(text, sizeof text, "%06.3f%c %07.3f%c", d->lat < 0 ? -d->lat : d->lat, d->lat < 0 ? 'S' : 'N',
                  d->lon < 0 ? -d->lon : d->lon, d->lon < 0 ? 'W' : 'E');
    return QString::fromLatin1(text);
}

Feed::Feed(Station& s) : s_(s)
{
    subscription_ = s_.Subscribe([this](ChangeFlags what) { Changed(what); });
    Observe();
    messageSinceObserve_ = false;
}

Feed::~Feed()
{
    s_.Unsubscribe(subscription_);
}

void Feed::Changed(ChangeFlags what)
{
    if (what & ChangeLiveData) {
        const std::string& text = s_.box.LiveData.Text;
        QJsonObject item;
        QString shown = Latin1(std::string_view(text).substr(0, kLiveShownBytes));
        if (text.size() > kLiveShownBytes)
            shown += QStringLiteral("\n[%1 more bytes not shown]")
                         .arg(static_cast<qulonglong>(text.size() - kLiveShownBytes));
        item[QStringLiteral("n")] = static_cast<double>(++liveSeq_);
        item[QStringLiteral("text")] = shown;
        item[QStringLiteral("fg")] = CssColour(s_.box.LiveData.ForeColor);
        item[QStringLiteral("bg")] = CssColour(s_.box.LiveData.BackColor);
        item[QStringLiteral("utc")] = UtcStamp(s_);
        pending_.append(item);
        live_.push_back({liveSeq_, std::move(item)});
        if (live_.size() > kLiveKept) live_.pop_front();
        messageSinceObserve_ = true;
        aircraftDirty_ = true;
    }
    if ((what & ChangeBoxes) && !(what & ChangeLiveData) && !live_.empty()) {
        // The counting step colours the message already shown (Box_Color, Oceanic_Color): the
        // newest entry takes the colours, also while it waits to be sent.
        const QString fg = CssColour(s_.box.LiveData.ForeColor), bg = CssColour(s_.box.LiveData.BackColor);
        QJsonObject& newest = live_.back().json;
        if (newest[QStringLiteral("fg")].toString() != fg || newest[QStringLiteral("bg")].toString() != bg) {
            newest[QStringLiteral("fg")] = fg;
            newest[QStringLiteral("bg")] = bg;
            if (!pending_.isEmpty() && pending_.last().toObject()[QStringLiteral("n")] == newest[QStringLiteral("n")])
                pending_.last() = newest;
        }
    }
    if (what & ChangeCounters) countersDirty_ = true;
    if (what & ChangeClock) clockDirty_ = true;
    if (what & (ChangeMaps | ChangeBoxes)) aircraftDirty_ = true;
    if (what & (ChangeLiveData | ChangeCounters | ChangeClock | ChangeMaps | ChangeBoxes)) MarkDirty();
}

void Feed::MarkDirty()
{
    if (dirtyReported_ || !onDirty_) return;
    dirtyReported_ = true;
    onDirty_();
}

void Feed::Observe()
{
    // A record whose position differs from the one last seen was moved by a message when one was
    // processed since; otherwise by the oceanic estimate, which is no report.
    const QString now = UtcStamp(s_);
    for (auto& [key, seen] : seen_) seen.alive = false;
    auto look = [&](const char* kind, const std::string& id, const std::string& position) {
        Seen& seen = seen_[std::string(kind) + '\n' + id];
        const bool fresh = seen.stamp.empty() && seen.position.empty();
        if (fresh || seen.position != position) {
            if (messageSinceObserve_ || fresh) seen.stamp = now.toStdString();
            seen.position = position;
        }
        seen.alive = true;
    };
    std::size_t n = 0;
    s_.AircraftCol.ForEach([&](const std::shared_ptr<Aircraft>& a) {
        look("ACARS", a->ID, a->NewLocation);
        return ++n < kMaxRows;
    });
    n = 0;
    s_.SBSAircraftCol.ForEach([&](const std::shared_ptr<SBSAircraft>& a) {
        look("SBS-1", a->ID, a->NewPosition);
        return ++n < kMaxRows;
    });
    std::erase_if(seen_, [](const auto& entry) { return !entry.second.alive; });
    messageSinceObserve_ = false;
}

QJsonArray Feed::AircraftRows()
{
    QJsonArray rows;
    auto row = [&](const char* kind, const std::string& id, const std::string& flight, const std::string& position,
                   const QString& oceanic) {
        QJsonObject r;
        r[QStringLiteral("kind")] = QLatin1String(kind);
        r[QStringLiteral("id")] = Latin1(id);
        r[QStringLiteral("flight")] = Latin1(flight);
        r[QStringLiteral("pos")] = PositionLabel(position);
        const auto d = Degrees(position);
        r[QStringLiteral("lat")] = d ? QJsonValue(d->lat) : QJsonValue();
        r[QStringLiteral("lon")] = d ? QJsonValue(d->lon) : QJsonValue();
        const auto seen = seen_.find(std::string(kind) + '\n' + id);
        r[QStringLiteral("time")] = seen == seen_.end() ? QString() : QString::fromStdString(seen->second.stamp);
        r[QStringLiteral("oceanic")] = oceanic;
        r[QStringLiteral("source")] = QString();  // where positions came from is not recorded yet
        rows.append(r);
    };
    std::size_t n = 0;
    s_.AircraftCol.ForEach([&](const std::shared_ptr<Aircraft>& a) {
        row("ACARS", a->ID, a->FNo, a->NewLocation, OceanicEstimate(*a));
        return ++n < kMaxRows;
    });
    n = 0;
    s_.SBSAircraftCol.ForEach([&](const std::shared_ptr<SBSAircraft>& a) {
        row("SBS-1", a->ID, a->FNo, a->NewPosition, QString());
        return ++n < kMaxRows;
    });
    return rows;
}

QJsonObject Feed::Counters() const
{
    QJsonObject c;
    c[QStringLiteral("count")] = Latin1(s_.box.txtCount.Text);
    c[QStringLiteral("oca")] = Latin1(s_.box.txtOCA.Text);
    c[QStringLiteral("utc")] = Latin1(s_.box.labUTC);
    return c;
}

QJsonArray Feed::Recent() const
{
    QJsonArray items;
    for (const Live& l : live_) items.append(l.json);
    return items;
}

QJsonObject Feed::Hello()
{
    Observe();
    QJsonObject m = Counters();
    m[QStringLiteral("t")] = QStringLiteral("hello");
    m[QStringLiteral("live")] = Recent();
    m[QStringLiteral("aircraft")] = AircraftRows();
    return m;
}

QJsonObject Feed::Take(bool withAircraft)
{
    dirtyReported_ = false;
    QJsonObject m;
    if (!pending_.isEmpty()) {
        m[QStringLiteral("live")] = pending_;
        pending_ = QJsonArray();
    }
    if (countersDirty_ || clockDirty_) {
        const QJsonObject c = Counters();
        for (auto it = c.begin(); it != c.end(); ++it) m[it.key()] = it.value();
        countersDirty_ = clockDirty_ = false;
    }
    if (aircraftDirty_) {
        Observe();
        if (withAircraft) {
            m[QStringLiteral("aircraft")] = AircraftRows();
            aircraftDirty_ = false;
        }
    }
    if (!m.isEmpty()) m[QStringLiteral("t")] = QStringLiteral("update");
    return m;
}

}  // namespace korval::web
