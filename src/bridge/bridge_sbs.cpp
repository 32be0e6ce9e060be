#include "bridge_sbs.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "bridge_text.h"

namespace korval::bridge {
namespace {

// Field numbers of a BaseStation MSG record.
constexpr std::size_t kType = 1, kIcao = 4, kDate = 6, kTime = 7, kCallsign = 10, kAltitude = 11, kLat = 14, kLon = 15;

struct Drop {
    std::string reason;
};

std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    fields.reserve(22);
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

std::string_view TrimView(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool IsDigits(std::string_view s)
{
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::optional<std::string> IcaoAddress(std::string_view field)
{
    field = TrimView(field);
    if (field.size() != 6) return std::nullopt;
    std::string icao;
    for (char c : field) {
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return std::nullopt;
        icao.push_back(c);
    }
    return icao;
}

// Letters and digits only: '@' pads an unset character of a Mode S callsign, and blanks pad it out.
std::string Callsign(std::string_view field)
{
    std::string callsign;
    for (char c : field) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) callsign.push_back(c);
    }
    return callsign;
}

// Feet; some feeds mark a geometric (GNSS) altitude with a trailing "H".
std::optional<int> Altitude(std::string_view field)
{
    field = TrimView(field);
    if (!field.empty() && (field.back() == 'H' || field.back() == 'h')) field.remove_suffix(1);
    if (field.empty()) return std::nullopt;
    int feet = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), feet);
    if (ec != std::errc() || end != field.data() + field.size()) throw Drop{"bad altitude"};
    return feet;
}

double Degrees(std::string_view field)
{
    field = TrimView(field);
    double value = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc() || end != field.data() + field.size() || !std::isfinite(value)) throw Drop{"bad position"};
    return value;
}

// "yyyy/mm/dd" and "hh:mm:ss.sss" as the trailer writes them, or nothing when they are not that.
std::optional<std::string> LineTime(std::string_view date, std::string_view time)
{
    date = TrimView(date);
    time = TrimView(time);
    if (date.size() != 10 || date[4] != '/' || date[7] != '/' || time.size() < 5 || time[2] != ':') return std::nullopt;
    const std::string_view y = date.substr(0, 4), mo = date.substr(5, 2), d = date.substr(8, 2);
    const std::string_view h = time.substr(0, 2), mi = time.substr(3, 2);
    if (!IsDigits(y) || !IsDigits(mo) || !IsDigits(d) || !IsDigits(h) || !IsDigits(mi)) return std::nullopt;
    std::string t;
    t.append(d).append("/").append(mo).append("/").append(y).append(" ").append(h).append(":").append(mi);
    return t;
}

// "N51.12345" or "N-5.12345" (south), "E-1.23456" (west): five decimals, as the SBS-1 expander reads.
std::string Signed(char letter, double degrees)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.5f", std::fabs(degrees));
    const bool negative = degrees < 0 && std::string_view(digits) != "0.00000";
    return std::string(1, letter) + (negative ? "-" : "") + digits;
}

}  // namespace

std::string SbsReportText(const SbsReport& r)
{
    char msgNo[8];
    std::snprintf(msgNo, sizeof msgNo, "%04u", r.sequence % 10000);
    std::string t;
    t.reserve(256);
    t += "1ACARS mode: 2  Aircraft reg: ";
    t += Registration(r.icao);
    t += "\r\nMessage label: SB  Block id: 0  Msg. no: ";
    t += msgNo;
    t += "\r\nFlight id: ";
    t += Fixed(r.callsign, 6);  // a callsign of seven or eight characters is whole in the content
    t += "\r\nMessage content:-\r\nSBS-1 position report ";
    t += r.icao;
    if (!r.callsign.empty()) t += ' ' + r.callsign;
    t += "\r\n";
    t += Signed('N', r.lat) + Signed('E', r.lon);
    // The level extractor reads "FL" and up to five digits; a height below sea level has no such form.
    if (r.altitude && *r.altitude >= 0 && *r.altitude <= 99999) t += " FL" + std::to_string(*r.altitude) + " ft";
    t += "\r\n";
    t += kTrailerDashes;
    t += '[' + r.time + "]\r\n";
    return t;
}

void SbsConverter::Feed(std::string_view bytes, double steady, std::int64_t now, std::vector<Message>& out,
                        Counters& counters)
{
    Forget(steady);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t lf = bytes.find('\n', pos);
        const std::string_view piece =
            bytes.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos);
        pos = lf == std::string_view::npos ? bytes.size() : lf + 1;
        if (skipping_) {
            skipping_ = lf == std::string_view::npos;  // the rest of a line already counted
            continue;
        }
        if (partial_.size() + piece.size() > options_.maxLine) {
            ++counters.received;
            counters.Drop("line over " + std::to_string(options_.maxLine) + " bytes");
            partial_.clear();
            skipping_ = lf == std::string_view::npos;
            continue;
        }
        if (lf == std::string_view::npos) {
            partial_.append(piece);
            break;
        }
        if (partial_.empty()) {
            Line(piece, steady, now, out, counters);
        } else {
            partial_.append(piece);
            Line(partial_, steady, now, out, counters);
            partial_.clear();
        }
    }
}

void SbsConverter::Close(Counters& counters)
{
    if (!TrimView(partial_).empty()) {
        ++counters.received;
        counters.Drop("line cut short by the connection");
    }
    partial_.clear();
    skipping_ = false;
}

void SbsConverter::Forget(double steady)
{
    if (steady - lastForget_ < 60 && aircraft_.size() < options_.maxAircraft) return;
    lastForget_ = steady;
    std::erase_if(aircraft_,
                  [&](const auto& entry) { return steady - entry.second.lastSeen > options_.forgetSeconds; });
    if (aircraft_.size() >= options_.maxAircraft) aircraft_.clear();
}

void SbsConverter::Line(std::string_view line, double steady, std::int64_t now, std::vector<Message>& out,
                        Counters& counters)
{
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (TrimView(line).empty()) return;  // a heartbeat: not a message
    ++counters.received;
    try {
        const std::vector<std::string_view> f = SplitFields(line);
        if (TrimView(f[0]) != "MSG") throw Drop{"not a MSG record"};
        if (f.size() <= kCallsign) throw Drop{"too few fields"};
        const std::string_view type = TrimView(f[kType]);
        if (type == "3" && f.size() <= kLon) throw Drop{"too few fields"};
        const std::optional<std::string> icao = IcaoAddress(f[kIcao]);
        if (!icao) throw Drop{"not an ICAO address"};

        // Everything of the line is checked before anything of it is remembered.
        const std::string callsign = Callsign(f[kCallsign]);
        const std::optional<int> altitude = f.size() > kAltitude ? Altitude(f[kAltitude]) : std::nullopt;
        std::optional<double> lat, lon;
        if (type == "3" && !TrimView(f[kLat]).empty() && !TrimView(f[kLon]).empty()) {
            lat = Degrees(f[kLat]);
            lon = Degrees(f[kLon]);
        }

        Aircraft& a = aircraft_[*icao];
        a.lastSeen = steady;
        if (!callsign.empty()) a.callsign = callsign;
        if (altitude) a.altitude = altitude;

        if (type != "3") throw Drop{"not an airborne position"};
        if (!lat || !lon) throw Drop{"no position"};
        if (!(std::fabs(*lat) <= 90) || !(std::fabs(*lon) <= 180)) throw Drop{"position out of range"};
        // Every report redraws the maps: one an aircraft every few seconds is all a map can show.
        // A report that brings KORVAL the aircraft's first callsign or altitude goes all the same.
        const bool news = (!a.callsign.empty() && !a.callsignPublished) || (a.altitude && !a.altitudePublished);
        if (!news && a.lastReport && steady - *a.lastReport < options_.everySeconds) throw Drop{"rate limit"};
        a.lastReport = steady;
        a.callsignPublished = a.callsignPublished || !a.callsign.empty();
        a.altitudePublished = a.altitudePublished || a.altitude.has_value();

        SbsReport r;
        r.icao = *icao;
        r.callsign = a.callsign;
        r.lat = *lat;
        r.lon = *lon;
        r.altitude = a.altitude;
        r.sequence = ++sequence_;
        r.time = LineTime(f[kDate], f[kTime]).value_or(TrailerTime(now));
        out.push_back({Form::Airmaster, SbsReportText(r)});
    } catch (const Drop& d) {
        counters.Drop(d.reason);
    }
}

}  // namespace korval::bridge
