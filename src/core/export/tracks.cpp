#include "export/tracks.h"

#include <cmath>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

#include "station/station.h"
#include "text/convert.h"
#include "text/fault.h"
#include "tracking/sbs.h"

namespace korval {
namespace {

constexpr std::size_t kMaxRecords = 2000;  // per collection, as a redraw takes them
constexpr std::int32_t kMaxLat = 90000;    // thousandths of a degree
constexpr std::int32_t kMaxLon = 180000;
constexpr std::int64_t kFullCircle = 360000;
constexpr int kMinutesPerDay = 1440;

bool operator==(const LatLon& a, const LatLon& b)
{
    return a.lat == b.lat && a.lon == b.lon;
}

// A position text as numbers, or the reason it cannot be exported.
std::optional<LatLon> ReadPosition(std::string_view text, std::string& reason)
{
    if (text.empty()) {
        reason = "no position";
        return std::nullopt;
    }
    LatLon p;
    try {
        p = ParsePosition(text);
    } catch (const Fault&) {
        reason = "position \"" + std::string(text) + "\" cannot be read";
        return std::nullopt;
    }
    if (p.lat < -kMaxLat || p.lat > kMaxLat || p.lon < -kMaxLon || p.lon > kMaxLon) {
        reason = "position \"" + std::string(text) + "\" lies outside the globe";
        return std::nullopt;
    }
    return p;
}

std::string MinuteText(std::int64_t minuteOfDay)
{
    const std::int64_t m = ((minuteOfDay % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
    return Format(m / 60, "00") + Format(m % 60, "00");
}

Property Text(std::string name, std::string value)
{
    return {std::move(name), PropertyValue(std::move(value))};
}
Property Number(std::string name, std::int64_t value)
{
    return {std::move(name), PropertyValue(value)};
}
Property Flag(std::string name, bool value)
{
    return {std::move(name), PropertyValue(value)};
}

// The properties every feature starts with.
std::vector<Property> Head(FeatureKind kind, const std::string& id, const std::string& flight,
                           const std::string& source)
{
    return {Text("kind", std::string(KindName(kind))), Text("id", id), Text("flight", flight), Text("source", source)};
}

// "Ht: 35000 ft " as feet; nothing for an empty or unreadable altitude text.
PropertyValue AltitudeFeet(const std::string& level)
{
    if (level.empty()) return {};
    try {
        return PropertyValue(std::int64_t{CLng(AltitudeNumberText(level))});
    } catch (const Fault&) {
        return {};
    }
}

std::string_view TrendName(std::int16_t altChange)
{
    switch (altChange) {
        case kDescending:
            return "descending";
        case kClimbing:
            return "climbing";
        default:
            return "level";
    }
}

// The time part of a waypoint text, "" when the list is absent or too short.
std::string WayTime(const Aircraft& a, std::size_t index)
{
    if (!a.WayList || index >= a.WayList->size()) return {};
    const std::string& w = (*a.WayList)[index];
    const std::size_t comma = w.find(',');
    return comma == std::string::npos ? std::string() : w.substr(comma + 1);
}

struct Collector {
    const Station& s;
    const ExportOptions& options;
    TrackSet set;
    std::vector<TrackFeature> byKind[kFeatureKinds];
    // Notes of each aircraft record and the first record of each ID (a route line's owner).
    std::unordered_map<const Aircraft*, TrackNotes> notes;
    std::map<std::string, const Aircraft*> firstOfId, firstRequestOfId;

    void Add(TrackFeature f) { byKind[static_cast<int>(f.kind)].push_back(std::move(f)); }
    void Problem(std::string what) { set.problems.push_back(std::move(what)); }

    void TakeAircraft()
    {
        std::size_t n = 0;
        for (const auto& [key, a] : s.AircraftCol.Entries()) {
            if (++n > kMaxRecords) {
                Problem("aircraft after the first " + std::to_string(kMaxRecords) + " left out");
                break;
            }
            TrackNotes note = options.aircraftNotes ? options.aircraftNotes(key, *a) : TrackNotes{};
            notes[a.get()] = note;
            firstOfId.emplace(a->ID, a.get());
            if (a->REQPWI) firstRequestOfId.emplace(a->ID, a.get());

            const FeatureKind kind = a->Oceanic ? FeatureKind::OceanicEstimate : FeatureKind::Aircraft;
            std::string reason;
            std::optional<LatLon> p = ReadPosition(a->NewLocation, reason);
            if (!p) {
                Problem(std::string(KindName(kind)) + " " + a->ID + ": " + reason);
                continue;
            }
            TrackFeature f{kind, a->ID, {*p}, Head(kind, a->ID, a->FNo, note.source), a->Show};
            auto& props = f.properties;
            props.push_back(Text("lastReport", note.lastReport));
            props.push_back(Text("track", a->Oceanic ? "clearance" : a->REQPWI ? "request" : "reports"));
            props.push_back(Flag("shown", a->Show));
            if (a->Oceanic) {
                const std::size_t points = a->WayList ? a->WayList->size() : 0;
                props.push_back(Text("entryTime", WayTime(*a, 0)));
                props.push_back(Text("lastTime", a->LastTime));
                props.push_back(Text("nextTime", a->NextTime));
                props.push_back(Text("exitTime", points ? WayTime(*a, points - 1) : std::string()));
                props.push_back(Number("wayIndex", a->WayIndex));
                props.push_back(Number("waypoints", static_cast<std::int64_t>(points)));
            }
            props.push_back(Text("level", a->Level));
            props.push_back(Text("mach", a->Mach));
            props.push_back(Text("route", a->Route));
            props.push_back(Text("details", a->ACDetails));
            Add(std::move(f));
        }
    }

    // The record a route line belongs to: the first of its ID (for a dotted request segment the
    // first request of that ID). Null when none is left.
    const korval::Aircraft* OwnerOf(const std::string& id, std::int16_t style) const
    {
        if (style == 2) {
            auto r = firstRequestOfId.find(id);
            if (r != firstRequestOfId.end()) return r->second;
        }
        auto it = firstOfId.find(id);
        return it == firstOfId.end() ? nullptr : it->second;
    }

    void TakeRoutes()
    {
        struct Chain {
            std::string id;
            std::int16_t style = 0;
            std::vector<LatLon> points;
            std::string nat;
            std::int64_t segments = 0;
        };
        std::vector<Chain> chains;
        std::map<std::pair<std::string, std::int16_t>, std::size_t> open;  // (ID, style) -> chain
        std::size_t n = 0;
        s.RouteLineCol.ForEach([&](const std::shared_ptr<RouteLine>& r) {
            if (++n > kMaxRecords) {
                Problem("route lines after the first " + std::to_string(kMaxRecords) + " left out");
                return false;
            }
            // The maps draw a label wherever its own position can be read.
            if (!r->NATPos.empty()) NatLabel(*r);
            std::string reason;
            std::optional<LatLon> from = ReadPosition(r->OldPosition, reason);
            std::optional<LatLon> to = from ? ReadPosition(r->NewPosition, reason) : std::nullopt;
            if (!from || !to) {
                Problem("route line of " + r->ID + ": " + reason);
                return true;
            }
            const auto slot = std::make_pair(r->ID, r->Style);
            auto it = open.find(slot);
            if (it == open.end() || !(chains[it->second].points.back() == *from)) {
                chains.push_back(Chain{r->ID, r->Style, {*from}, {}, 0});
                open[slot] = chains.size() - 1;
                it = open.find(slot);
            }
            Chain& c = chains[it->second];
            if (!(c.points.back() == *to)) c.points.push_back(*to);
            ++c.segments;
            if (c.nat.empty()) c.nat = r->NATrack;
            return true;
        });
        for (Chain& c : chains) {
            if (c.points.size() < 2) continue;  // only refused steps: the aircraft's point shows it
            const korval::Aircraft* owner = OwnerOf(c.id, c.style);
            const std::string flight = owner ? owner->FNo : std::string();
            const std::string source = owner ? notes[owner].source : std::string();
            TrackFeature f{FeatureKind::Route, c.id, std::move(c.points),
                           Head(FeatureKind::Route, c.id, flight, source)};
            f.properties.push_back(Text("style", c.style == 2 ? "request" : "track"));
            f.properties.push_back(Text("nat", c.nat));
            f.properties.push_back(Number("segments", c.segments));
            Add(std::move(f));
        }
    }

    void NatLabel(const RouteLine& r)
    {
        std::string reason;
        std::optional<LatLon> p = ReadPosition(r.NATPos, reason);
        if (!p) {
            Problem("NAT track label of " + r.ID + ": " + reason);
            return;
        }
        const korval::Aircraft* owner = OwnerOf(r.ID, r.Style);
        const std::string flight = owner ? owner->FNo : std::string();
        const std::string source = owner ? notes[owner].source : std::string();
        TrackFeature f{FeatureKind::NatTrack, r.NATrack, {*p}, Head(FeatureKind::NatTrack, r.ID, flight, source)};
        f.properties.push_back(Text("track", r.NATrack));
        Add(std::move(f));
    }

    void TakeSBS()
    {
        std::size_t n = 0;
        for (const auto& [key, a] : s.SBSAircraftCol.Entries()) {
            if (++n > kMaxRecords) {
                Problem("SBS-1 aircraft after the first " + std::to_string(kMaxRecords) + " left out");
                break;
            }
            const TrackNotes note = options.sbsNotes ? options.sbsNotes(key, *a) : TrackNotes{};
            const std::string lastReport = note.lastReport.empty() ? MinuteText(a->LastUpdate) : note.lastReport;
            std::string reason;
            std::optional<LatLon> to = ReadPosition(a->NewPosition, reason);
            if (!to) {
                Problem("SBS-1 aircraft " + a->ID + ": " + reason);
                continue;
            }
            TrackFeature f{
                FeatureKind::SBSAircraft, a->ID, {*to}, Head(FeatureKind::SBSAircraft, a->ID, a->FNo, note.source)};
            f.properties.push_back(Text("lastReport", lastReport));
            f.properties.push_back({"altitude", AltitudeFeet(a->Level)});
            f.properties.push_back(Text("level", a->Level));
            f.properties.push_back(Text("trend", std::string(TrendName(a->AltChange))));
            f.properties.push_back(Text("route", a->Route));
            f.properties.push_back(Text("details", a->ACDetails));
            Add(std::move(f));

            if (a->OldPosition.empty()) continue;
            std::optional<LatLon> from = ReadPosition(a->OldPosition, reason);
            if (!from) {
                Problem("SBS-1 trail of " + a->ID + ": " + reason);
                continue;
            }
            if (*from == *to) continue;
            TrackFeature t{
                FeatureKind::SBSTrail, a->ID, {*from, *to}, Head(FeatureKind::SBSTrail, a->ID, a->FNo, note.source)};
            t.properties.push_back(Text("lastReport", lastReport));
            Add(std::move(t));
        }
    }
};

}  // namespace

std::string_view KindName(FeatureKind kind)
{
    switch (kind) {
        case FeatureKind::Aircraft:
            return "aircraft";
        case FeatureKind::OceanicEstimate:
            return "oceanic-estimate";
        case FeatureKind::Route:
            return "route";
        case FeatureKind::NatTrack:
            return "nat-track";
        case FeatureKind::SBSAircraft:
            return "sbs-aircraft";
        case FeatureKind::SBSTrail:
            return "sbs-trail";
    }
    return "feature";
}

TrackSet CollectTracks(const Station& s, const ExportOptions& options)
{
    Collector c{s, options, {}, {}, {}, {}, {}};
    c.set.taken = s.clock().Utc();
    c.set.lineColour = static_cast<std::uint32_t>(s.map[0].Line);
    c.set.circleColour = static_cast<std::uint32_t>(s.map[0].Circle);
    c.TakeAircraft();
    c.TakeRoutes();
    c.TakeSBS();
    for (auto& kind : c.byKind)
        for (TrackFeature& f : kind) c.set.features.push_back(std::move(f));
    return std::move(c.set);
}

std::vector<std::vector<LatLon>> SplitAtAntimeridian(const std::vector<LatLon>& line)
{
    std::vector<std::vector<LatLon>> parts(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (i > 0) {
            const LatLon a = line[i - 1], b = line[i];
            const std::int64_t gap = std::int64_t{b.lon} - a.lon;
            if (gap > kFullCircle / 2 || gap < -kFullCircle / 2) {
                // Eastbound over the meridian when b lies far west of a, and the other way round.
                const bool east = gap < 0;
                const std::int64_t bLon = std::int64_t{b.lon} + (east ? kFullCircle : -kFullCircle);
                const std::int64_t edge = east ? kMaxLon : -kMaxLon;
                const double t = static_cast<double>(edge - a.lon) / static_cast<double>(bLon - a.lon);
                const auto lat = static_cast<std::int32_t>(std::lround(a.lat + t * (b.lat - a.lat)));
                parts.back().push_back({lat, static_cast<std::int32_t>(edge)});
                parts.push_back({{lat, static_cast<std::int32_t>(-edge)}});
            }
        }
        parts.back().push_back(line[i]);
    }
    std::vector<std::vector<LatLon>> out;
    for (auto& part : parts) {
        std::vector<LatLon> kept;
        for (const LatLon& p : part)
            if (kept.empty() || !(kept.back() == p)) kept.push_back(p);
        if (kept.size() >= 2) out.push_back(std::move(kept));
    }
    return out;
}

std::string ExportGeoJson(const Station& s, const ExportOptions& options)
{
    return GeoJsonText(CollectTracks(s, options));
}

std::string ExportKml(const Station& s, const ExportOptions& options)
{
    return KmlText(CollectTracks(s, options));
}

}  // namespace korval
