#include "screening/extended.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "decode/adsc.h"
#include "reformat/reformat.h"
#include "station/station.h"
#include "text/convert.h"
#include "text/fields.h"
#include "tracking/process.h"

namespace korval {
namespace {

constexpr std::string_view kModule = "Decode";
constexpr std::string_view kUplinkLabel = "A6";  // ADS-C contract requests
constexpr std::size_t kLabelAt = 55;             // 1-based, two characters
constexpr const char* kFormatsFile = "formats.wdf";
constexpr std::size_t kNamedErrors = 8;  // bad lines named in the message; the rest counted

constexpr double kEarthRadiusNm = 3440.065;
constexpr double kPi = 3.14159265358979323846;

// Thousandths of a degree.
constexpr std::int32_t kLatLimit = 90000;
constexpr std::int32_t kLonLimit = 180000;

std::size_t EntryCount(std::string_view positions)
{
    return static_cast<std::size_t>(std::count(positions.begin(), positions.end(), ','));
}

// Signed thousandths, at least `digits` digits after the sign.
void AppendThousandths(std::string& out, double degrees, int digits)
{
    const long long value = std::llround(degrees * 1000);
    if (value < 0) out += '-';
    const std::string magnitude = std::to_string(value < 0 ? -value : value);
    if (magnitude.size() < static_cast<std::size_t>(digits)) out.append(digits - magnitude.size(), '0');
    out += magnitude;
}

// Whole-number text of one side of an entry; nothing when it is not one.
std::optional<std::int32_t> Thousandths(std::string_view text)
{
    std::int32_t value = 0;
    const char* first = text.data();
    if (!text.empty() && text.front() == '+') ++first;
    const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::int64_t ClockSeconds(const DateTime& t)
{
    using namespace std::chrono;
    const sys_days day =
        year{t.year} / month{static_cast<unsigned>(t.month)} / std::chrono::day{static_cast<unsigned>(t.day)};
    return day.time_since_epoch().count() * 86400LL + t.hour * 3600LL + t.minute * 60LL + t.second;
}

// Great-circle distance, nautical miles, between two points in thousandths of a degree.
double DistanceNm(std::int32_t lat1, std::int32_t lon1, std::int32_t lat2, std::int32_t lon2)
{
    const double toRad = kPi / 180000.0;
    const double p1 = lat1 * toRad, p2 = lat2 * toRad;
    const double dp = p2 - p1, dl = (lon2 - lon1) * toRad;
    const double a =
        std::sin(dp / 2) * std::sin(dp / 2) + std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 2 * kEarthRadiusNm * std::asin(std::min(1.0, std::sqrt(a)));
}

// Why a position can be no report of a real aircraft; empty when it can be.
std::string FixedRefusal(std::int32_t lat, std::int32_t lon)
{
    if (lat == 180000 && lon == 180000) return "the no-fix marker (180, 180)";
    if (lat == 0 && lon == 0) return "the no-fix marker (0, 0)";
    if (lat > kLatLimit || lat < -kLatLimit) return "latitude beyond 90 degrees";
    if (lon > kLonLimit || lon < -kLonLimit) return "longitude beyond 180 degrees";
    return {};
}

std::string JumpRefusal(const ExtendedState::Fix& last, std::int32_t lat, std::int32_t lon, std::int64_t now)
{
    const double distance = DistanceNm(last.lat, last.lon, lat, lon);
    const double seconds = static_cast<double>(std::max<std::int64_t>(0, now - last.seconds));
    if (distance <= kMaxPlausibleKnots * (seconds + kClockAllowanceSeconds) / 3600) return {};
    return "a jump of " + std::to_string(std::llround(distance)) + " nm in " + std::to_string(std::llround(seconds)) +
           " s, over 1000 knots";
}

// Who the refused position was for, as the boxes show it.
std::string WhoOf(const Station& s)
{
    if (s.SBSMessage) return s.CurrentID;
    return Trim(s.box.Aircraft.Text + " " + s.box.Flight.Text);
}

void Refuse(Station& s, const std::string& key, std::string_view entry, const std::string& why)
{
    ++s.extended.positionsRefused;
    if (!s.extended.refusalLogged.insert(key).second) return;
    s.LogFaultLine(Fault(0,
                         "Position " + std::string(entry) + " of " + WhoOf(s) + " refused: " + why +
                             "; later refusals for this aircraft are only counted",
                         0),
                   "PlausibilityGate", kModule);
}

void TakeDecodedPositions(Station& s)
{
    s.PositionText.clear();
    s.PositionSources.clear();
    for (const DecodedPosition& p : s.DecodedPositions) {
        s.PositionText += PositionTextOfDegrees(p.lat, p.lon);
        s.PositionText += ',';
        s.PositionSources.push_back(p.source);
    }
    s.PositionFound = !s.PositionText.empty();
}

}  // namespace

void KeepArrivedMessage(Station& s)
{
    s.Decoded = false;
    s.DecodedPositions.clear();
    const std::string_view m = s.CurrentMessage;
    s.ArrivedLabel.assign(m.size() >= kLabelAt + 1 ? m.substr(kLabelAt - 1, 2) : std::string_view{});
    s.ArrivedContent.assign(m.size() > fields::kHeaderLength ? m.substr(fields::kHeaderLength) : std::string_view{});
    s.ArrivedUplink = fields::IsUplink(m);
}

void DecodeArrivedMessage(Station& s)
{
    s.Decoded = false;
    s.DecodedPositions.clear();
    if (s.ArrivedUplink) return;
    s.Guard("DecodeArrivedMessage", kModule, [&] {
        const LinkDirection direction =
            s.ArrivedLabel == kUplinkLabel ? LinkDirection::Uplink : LinkDirection::Downlink;
        if (const std::optional<AdscReport> report = DecodeAdsc(s.ArrivedContent, direction)) {
            if (report->status == AdscStatus::CrcFailed) ++s.extended.adscCrcFailures;
            // Predicted points lie ahead of the aircraft: on the track they would move it there.
            s.DecodedPositions = AdscPositions(*report, /*withPredicted=*/false);
            s.Decoded = true;
        } else {
            if (!s.extended.formatsLoaded) LoadFormats(s);
            s.DecodedPositions = s.extended.formats.Match(s.ArrivedLabel, s.ArrivedContent);
            s.Decoded = !s.DecodedPositions.empty();
        }
        if (!s.DecodedPositions.empty()) s.PositionReformatted = true;
    });
}

void SettlePositions(Station& s, const char* chainSource)
{
    const std::size_t entries = EntryCount(s.PositionText);
    if (entries == 0)
        s.PositionSources.clear();
    else
        s.PositionSources.assign(entries, chainSource ? std::string(chainSource) : RulesSource(s.RulesFired));
    if (!s.opt.mnuExtendedDecoding) return;
    // The decoders read only what went to the rewrite rules.
    if (s.Decoded && !chainSource) TakeDecodedPositions(s);
    s.Decoded = false;
    s.DecodedPositions.clear();
    PlausibilityGate(s);
    if (s.PositionFound && !s.PositionSources.empty() && !fields::IsUplink(s.CurrentMessage)) {
        const std::size_t comma = s.PositionText.find(',');
        s.extended.lastPosition = s.PositionText.substr(0, comma);
        s.extended.lastSource = s.PositionSources.front();
    }
}

std::string RulesSource(const std::vector<int>& rules)
{
    if (rules.empty()) return "as sent";
    std::string source;
    for (int number : rules) {
        if (!source.empty()) source += ", ";
        const std::string_view name = Rule(number).Name;
        if (name.empty())
            source += "rule " + std::to_string(number);
        else
            source += name;
    }
    return source;
}

std::string_view PositionSourceAt(const Station& s, std::size_t index)
{
    return index < s.PositionSources.size() ? std::string_view(s.PositionSources[index]) : std::string_view{};
}

std::string PositionTextOfDegrees(double lat, double lon)
{
    std::string text;
    text.reserve(16);
    AppendThousandths(text, lat, 5);
    text += '/';
    AppendThousandths(text, lon, 6);
    return text;
}

void PlausibilityGate(Station& s)
{
    if (!s.PositionFound || fields::IsUplink(s.CurrentMessage)) return;
    const std::string key = s.SBSMessage ? s.CurrentID : TrackingKey(s);
    const std::int64_t now = ClockSeconds(s.clock().Utc());
    // Only the first readable position of a message is its report (the others are waypoints
    // ahead); a clearance or a request is a route, with no report to judge.
    bool judged = s.OceanicMessage || s.REQPWIMessage;
    const auto last = s.extended.lastAccepted.find(key);

    std::string kept;
    std::vector<std::string> keptSources;
    std::optional<ExtendedState::Fix> report;
    std::size_t index = 0;
    for (std::size_t start = 0, comma; (comma = s.PositionText.find(',', start)) != std::string::npos;
         start = comma + 1, ++index) {
        const std::string_view entry = std::string_view(s.PositionText).substr(start, comma - start);
        const std::size_t slash = entry.find('/');
        const auto lat = slash == std::string_view::npos ? std::nullopt : Thousandths(entry.substr(0, slash));
        const auto lon = slash == std::string_view::npos ? std::nullopt : Thousandths(entry.substr(slash + 1));
        // What is no number is left to the chain, which passes it over.
        std::string why = lat && lon ? FixedRefusal(*lat, *lon) : std::string();
        if (why.empty() && lat && lon && !judged) {
            if (last != s.extended.lastAccepted.end()) why = JumpRefusal(last->second, *lat, *lon, now);
            judged = true;
            if (why.empty()) report = ExtendedState::Fix{*lat, *lon, now};
        }
        if (!why.empty()) {
            Refuse(s, key, entry, why);
            continue;
        }
        kept.append(entry);
        kept += ',';
        keptSources.emplace_back(PositionSourceAt(s, index));
    }
    if (report) s.extended.lastAccepted[key] = *report;
    if (kept.size() == s.PositionText.size()) return;
    s.PositionText = std::move(kept);
    s.PositionSources = std::move(keptSources);
    // As GetPos finds it: at least six characters after the first "/".
    const std::size_t slash = s.PositionText.find('/');
    s.PositionFound = slash != std::string::npos && s.PositionText.size() - slash - 1 >= 6;
}

void LoadFormats(Station& s)
{
    s.extended.formatsLoaded = true;
    s.Guard("LoadFormats", kModule, [&] {
        std::vector<std::string> errors;
        s.extended.formats = FormatTable::Load(s.Home() / kFormatsFile, errors);
        if (errors.empty()) return;
        std::string text = "Some position formats could not be used:";
        for (std::size_t i = 0; i < errors.size() && i < kNamedErrors; ++i) {
            text += '\n';
            text += Left(errors[i], 160);
        }
        if (errors.size() > kNamedErrors) {
            text += "\nand ";
            text += std::to_string(errors.size() - kNamedErrors);
            text += " more";
        }
        s.notifier().Message(text, "KORVAL", Icon::Exclamation);
    });
}

std::string PositionCountTip(const Station& s)
{
    std::string tip = "Number of reformatted messages";
    if (!s.opt.mnuExtendedDecoding) return tip;
    if (!s.extended.lastPosition.empty())
        tip += "\nLast position " + s.extended.lastPosition + " via " + s.extended.lastSource;
    tip += "\nRefused as implausible: " + std::to_string(s.extended.positionsRefused);
    tip += "\nADS-C reports failing their check sum: " + std::to_string(s.extended.adscCrcFailures);
    return tip;
}

}  // namespace korval
