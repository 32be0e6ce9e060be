#include "bridge_convert.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "bridge_text.h"
#include "link_tool.h"

namespace korval::bridge {
namespace {

using Json = nlohmann::json;

// dumpvdl2 nests its plain ACARS messages 9 or 10 deep and deeper with an application (ADS-C,
// CPDLC) decoded; more than this is not a decoder's output.
constexpr int kMaxDepth = 64;

struct SourceRow {
    Source source;
    std::string_view name;
};
constexpr SourceRow kSources[] = {
    {Source::Acarsdec, "acarsdec"},
    {Source::Dumpvdl2, "dumpvdl2"},
    {Source::Dumphfdl, "dumphfdl"},
    {Source::Sbs, "sbs"},
};

// A message that cannot be converted: the reason it is dropped for.
struct Drop {
    std::string reason;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A parsed string back to bytes: U+0000..U+00FF are one byte each; a character above (only an
// escape such as \u20ac can give one) has no byte and becomes '?'.
std::string Bytes(const std::string& utf8)
{
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            bytes.push_back(utf8[i]);
            ++i;
            continue;
        }
        const std::size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        if (len == 2 && i + 1 < utf8.size()) {
            const unsigned cp = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            bytes.push_back(cp <= 0xFF ? static_cast<char>(cp) : '?');
        } else {
            bytes.push_back('?');
        }
        i += len;
    }
    return bytes;
}

const Json* Member(const Json& object, const char* key)
{
    if (!object.is_object()) return nullptr;
    auto it = object.find(key);
    return it == object.end() || it->is_null() ? nullptr : &*it;
}

const Json* Object(const Json& object, const char* key)
{
    const Json* j = Member(object, key);
    return j && j->is_object() ? j : nullptr;
}

// A text field the message cannot do without, as bytes; nothing when absent. A field of another
// type is a malformed message.
std::optional<std::string> Text(const Json& object, const char* key)
{
    const Json* j = Member(object, key);
    if (!j) return std::nullopt;
    if (!j->is_string()) throw Drop{"\"" + std::string(key) + "\" is not a text"};
    return Bytes(j->get_ref<const std::string&>());
}

// A text field the message can do without: a whole number stands for its digits (a registration
// or message number some feeders pass on as a number); any other type is as if absent, so one
// odd field does not cost a message that has everything it needs.
std::optional<std::string> OptionalText(const Json& object, const char* key)
{
    const Json* j = Member(object, key);
    if (!j) return std::nullopt;
    if (j->is_string()) return Bytes(j->get_ref<const std::string&>());
    if (j->is_number_integer()) return j->dump();
    return std::nullopt;
}

std::string TextOr(const Json& object, const char* key, std::string fallback = {})
{
    std::optional<std::string> t = OptionalText(object, key);
    return t ? std::move(*t) : std::move(fallback);
}

char CharOr(const Json& object, const char* key, char fallback)
{
    std::optional<std::string> t = OptionalText(object, key);
    return t && !t->empty() ? t->front() : fallback;
}

// A number, or a text holding nothing but one ("131.725": a frequency a feeder passed on as
// text); nothing when absent or anything else.
std::optional<double> Number(const Json& object, const char* key)
{
    const Json* j = Member(object, key);
    if (!j) return std::nullopt;
    if (j->is_number()) return j->get<double>();
    if (!j->is_string()) return std::nullopt;
    const std::string& text = j->get_ref<const std::string&>();
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool IsTrue(const Json& object, const char* key)
{
    const Json* j = Member(object, key);
    return j && j->is_boolean() && j->get<bool>();
}

// The decoders reassemble a message sent in several blocks: each block is handed over as it
// comes, then the last one again carrying the whole text. Only that one, or a message of one
// block, is published. acarsdec says so in "assstat", libacars (dumpvdl2, dumphfdl) in
// "reasm_status" of the ACARS object, both with libacars' names of the reassembly status;
// without either, libacars' "more" marks a block that is not the last.
void DropBlocks(const Json& object, const char* statusKey)
{
    const std::optional<std::string> status = OptionalText(object, statusKey);
    if (status) {
        if (*status == "in progress") throw Drop{"block of a longer message"};
        if (*status == "duplicate") throw Drop{"duplicate block"};
        if (*status == "out of sequence") throw Drop{"block out of sequence"};
        return;  // "complete", "skipped" (a message of one block) and anything else
    }
    if (std::string_view(statusKey) == "reasm_status" && IsTrue(object, "more"))
        throw Drop{"block of a longer message"};
}

// 9999-12-31 23:59:59 UTC: the last time the trailer's four-digit year can show.
constexpr double kLastSecond = 253402300799;

// Seconds since 1970 from a number, or `now` when the message carries none (or a useless one).
std::int64_t Seconds(std::optional<double> value, std::int64_t now)
{
    if (!value || !std::isfinite(*value) || *value < 0 || *value > kLastSecond) return now;
    return static_cast<std::int64_t>(std::floor(*value));
}

// libacars takes the H1 sublabel ("#DFB" down, "- #DF" up) and the MFI ("/XX ") off the front of
// the text and reports them apart; the rewrite rules read them in the content, so they go back.
void RestoreSublabel(AcarsFields& m, const Json& object)
{
    if (m.label != "H1") return;
    const std::string sublabel = TextOr(object, "sublabel");
    if (sublabel.size() != 2) return;
    const std::string mfi = TextOr(object, "mfi");
    const bool downlink = m.block >= '0' && m.block <= '9';
    std::string front = downlink ? "#" + sublabel + "B" : "- #" + sublabel;
    if (mfi.size() == 2) front += "/" + mfi + " ";
    m.text.insert(0, front);
}

// acarsdec 3.x and 4.x: one flat object per message; "tail" without dots, "msgno" of four
// characters, "flight", "msgno" and "block_id" missing where the message has none.
Message FromAcarsdec(const Json& j, std::int64_t now)
{
    std::optional<std::string> label = Text(j, "label");
    if (!label) throw Drop{"not an acarsdec message"};
    DropBlocks(j, "assstat");
    AcarsFields m;
    m.label = std::move(*label);
    m.mode = CharOr(j, "mode", '2');
    m.reg = TextOr(j, "tail");
    m.block = CharOr(j, "block_id", ' ');
    m.msgNo = TextOr(j, "msgno");
    m.flight = TextOr(j, "flight");
    m.text = TextOr(j, "text");
    m.time = Seconds(Number(j, "timestamp"), now);
    RestoreSublabel(m, j);
    return {Form::Airmaster, AirmasterText(m)};
}

// The ACARS object of libacars (dumpvdl2, dumphfdl): "reg" with its dots, "blk_id", the message
// number in two parts "msg_num" and "msg_num_seq", "msg_text".
AcarsFields FromLibacars(const Json& acars, std::int64_t time)
{
    const Json* err = Member(acars, "err");
    if (err && err->is_boolean() && err->get<bool>()) throw Drop{"ACARS not decoded"};
    std::optional<std::string> label = Text(acars, "label");
    if (!label) throw Drop{"ACARS without a label"};
    DropBlocks(acars, "reasm_status");
    AcarsFields m;
    m.label = std::move(*label);
    m.mode = CharOr(acars, "mode", '2');
    m.reg = TextOr(acars, "reg");
    m.block = CharOr(acars, "blk_id", ' ');
    m.msgNo = TextOr(acars, "msg_num") + TextOr(acars, "msg_num_seq");
    m.flight = TextOr(acars, "flight");
    m.text = TextOr(acars, "msg_text");
    m.time = time;
    RestoreSublabel(m, acars);
    return m;
}

std::int64_t MessageTime(const Json& top, std::int64_t now)
{
    const Json* t = Object(top, "t");
    return t ? Seconds(Number(*t, "sec"), now) : now;
}

Message FromDumpvdl2(const Json& j, std::int64_t now)
{
    const Json* vdl2 = Object(j, "vdl2");
    if (!vdl2) throw Drop{"not a dumpvdl2 message"};
    const Json* avlc = Object(*vdl2, "avlc");
    const Json* acars = avlc ? Object(*avlc, "acars") : nullptr;
    if (!acars) throw Drop{"not ACARS"};  // XID, X.25 and link control frames: most of the traffic
    return {Form::Airmaster, AirmasterText(FromLibacars(*acars, MessageTime(*vdl2, now)))};
}

std::string Clean(std::string text)
{
    std::string out;
    for (char c : text)
        if (c != ',' && c != ';' && static_cast<unsigned char>(c) >= 0x20) out.push_back(c);
    return Trim(out);
}

std::string TimeOfDay(std::int64_t unixSeconds)
{
    const auto s = ((unixSeconds % 86400) + 86400) % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                  static_cast<int>(s % 60));
    return text;
}

Message FromDumphfdl(const Json& j, std::int64_t now)
{
    const Json* hfdl = Object(j, "hfdl");
    if (!hfdl) throw Drop{"not a dumphfdl message"};
    const Json* lpdu = Object(*hfdl, "lpdu");
    const Json* hfnpdu = lpdu ? Object(*lpdu, "hfnpdu") : nullptr;
    const std::int64_t time = MessageTime(*hfdl, now);
    if (hfnpdu) {
        if (const Json* acars = Object(*hfnpdu, "acars"))
            return {Form::HfAcars, HfAcarsText(FromLibacars(*acars, time))};
        if (const Json* pos = Object(*hfnpdu, "pos")) {
            HfdlPosition p;
            const std::optional<double> lat = Number(*pos, "lat");
            const std::optional<double> lon = Number(*pos, "lon");
            if (!lat || !lon) throw Drop{"position without latitude or longitude"};
            // Aircraft that do not know where they are send 180, 180.
            if (*lat == 180 && *lon == 180) throw Drop{"no position (180, 180)"};
            if (!(std::fabs(*lat) <= 90) || !(std::fabs(*lon) <= 180)) throw Drop{"position out of range"};
            p.lat = *lat;
            p.lon = *lon;
            p.flight = Clean(TextOr(*hfnpdu, "flight_id"));
            if (p.flight.empty()) throw Drop{"no flight id"};  // the HFDL path shows nothing without one
            if (const Json* info = Object(*lpdu, "ac_info")) p.reg = Clean(TextOr(*info, "regnr"));
            p.time = TimeOfDay(time);
            if (std::optional<double> hz = Number(*hfdl, "freq"); hz && *hz > 0 && *hz < 1e9)
                p.kHz = std::to_string(std::llround(*hz / 1000));
            return {Form::Hfdl, HfdlRecord(p)};
        }
    }
    throw Drop{"no position or ACARS"};  // squitters, system tables, link management
}

Message Convert(Source source, const Json& j, std::int64_t now)
{
    if (!j.is_object()) throw Drop{"not a JSON object"};
    switch (source) {
        case Source::Acarsdec:
            return FromAcarsdec(j, now);
        case Source::Dumpvdl2:
            return FromDumpvdl2(j, now);
        case Source::Dumphfdl:
            return FromDumphfdl(j, now);
        case Source::Sbs:
            break;
    }
    throw Drop{"not a JSON source"};
}

}  // namespace

std::string_view SourceName(Source source)
{
    for (const SourceRow& row : kSources)
        if (row.source == source) return row.name;
    return "?";
}

std::optional<Source> SourceFromName(std::string_view name)
{
    for (const SourceRow& row : kSources)
        if (row.name == name) return row.source;
    return std::nullopt;
}

std::string_view DefaultTopic(Form form)
{
    switch (form) {
        case Form::HfAcars:
            return kHfAcarsTopic;
        case Form::Hfdl:
            return kHfdlTopic;
        case Form::Airmaster:
            break;
    }
    return kAirmasterTopic;
}

void Counters::Drop(std::string_view reason, long long n)
{
    dropped[std::string(reason)] += n;
}

long long Counters::DroppedTotal() const
{
    long long total = 0;
    for (const auto& [reason, n] : dropped) total += n;
    return total;
}

std::string Counters::Summary() const
{
    std::string s = "received " + std::to_string(received) + ", published " + std::to_string(published) + ", dropped " +
                    std::to_string(DroppedTotal());
    if (dropped.empty()) return s;
    s += " (";
    bool first = true;
    for (const auto& [reason, n] : dropped) {
        if (!first) s += ", ";
        s += reason + " " + std::to_string(n);
        first = false;
    }
    return s + ")";
}

std::string TrailerTime(std::int64_t unixSeconds)
{
    using namespace std::chrono;
    const sys_seconds t{seconds{unixSeconds}};
    const sys_days day = floor<days>(t);
    const year_month_day ymd{day};
    const auto minutes = duration_cast<std::chrono::minutes>(t - day).count();
    char text[32];
    std::snprintf(text, sizeof text, "%02u/%02u/%04d %02d:%02d", static_cast<unsigned>(ymd.day()),
                  static_cast<unsigned>(ymd.month()), static_cast<int>(ymd.year()), static_cast<int>(minutes / 60),
                  static_cast<int>(minutes % 60));
    return text;
}

namespace {

// The header, content and trailer of an ACARS text in one of the two layouts the decoders send.
struct AcarsLayout {
    std::string_view prefix;     // before "ACARS mode: "
    std::string_view eol;        // every line end
    std::string_view flightSep;  // before "Flight id: "
};

std::string AcarsText(const AcarsFields& m, const AcarsLayout& form)
{
    std::string t;
    t.reserve(200 + m.text.size() + m.text.size() / 16);
    t += form.prefix;
    t += "ACARS mode: ";
    t += HeaderChar(m.mode);
    t += "  Aircraft reg: ";
    t += Registration(m.reg);
    t += form.eol;
    t += "Message label: ";
    t += Label(m.label);
    t += "  Block id: ";
    t += HeaderChar(m.block);
    t += "  Msg. no: ";
    t += Fixed(m.msgNo, 4);
    t += form.flightSep;
    t += "Flight id: ";
    t += Fixed(m.flight, 6);
    t += form.eol;
    t += "Message content:-";
    t += form.eol;
    AppendLines(t, m.text, form.eol);
    t += kTrailerDashes;
    t += '[' + TrailerTime(m.time) + ']';
    t += form.eol;
    return t;
}

}  // namespace

std::string AirmasterText(const AcarsFields& m)
{
    return AcarsText(m, {"", "\r\n", "\r\n"});
}

std::string HfAcarsText(const AcarsFields& m)
{
    return AcarsText(m, {"1", "\n", " "});
}

std::string HfdlRecord(const HfdlPosition& p)
{
    // Degrees, minutes and tenths of a minute, rounded once on the whole so 59.96' carries to a degree.
    struct Dms {
        long long deg, min, tenth;
    };
    auto split = [](double v) {
        const long long t = std::llround(std::fabs(v) * 600);
        return std::pair{Dms{t / 600, t % 600 / 10, t % 10}, t == 0};
    };
    const auto [lat, latZero] = split(p.lat);
    const auto [lon, lonZero] = split(p.lon);
    const char ns = p.lat < 0 && !latZero ? 'S' : 'N';
    const char ew = p.lon < 0 && !lonZero ? 'W' : 'E';
    const std::string reg = p.reg.empty() ? std::string() : Registration(p.reg);

    // Zero-padded as a decoder writes them (the normaliser pads them anyway).
    char position[64];
    std::snprintf(position, sizeof position, "%03lld,%02lld,%lld,%c,%02lld,%02lld,%lld,%c;", lon.deg, lon.min,
                  lon.tenth, ew, lat.deg, lat.min, lat.tenth, ns);
    std::string r = p.flight + ',' + reg + ',' + p.time + ',' + p.kHz + ',';
    r += position;
    return r;
}

std::vector<std::string_view> SplitJsonValues(std::string_view d)
{
    std::vector<std::string_view> pieces;
    std::size_t i = 0;
    while (i < d.size()) {
        if (IsBlank(d[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        if (d[i] != '{' && d[i] != '[') {
            // Not the start of a value: everything to the end of the line is one bad piece.
            const std::size_t eol = d.find('\n', i);
            i = eol == std::string_view::npos ? d.size() : eol;
            pieces.push_back(d.substr(start, i - start));
            continue;
        }
        i = ScanJsonValue(d, i).end;
        pieces.push_back(d.substr(start, i - start));
    }
    return pieces;
}

void ConvertDatagram(Source source, std::string_view datagram, std::int64_t now, std::vector<Message>& out,
                     Counters& counters)
{
    if (datagram.size() > kMaxDatagram) {
        ++counters.received;
        counters.Drop("over " + std::to_string(kMaxDatagram) + " bytes");
        return;
    }
    for (std::string_view piece : SplitJsonValues(datagram)) {
        ++counters.received;
        try {
            if (ScanJsonValue(piece, 0).depth > kMaxDepth)
                throw Drop{"nested deeper than " + std::to_string(kMaxDepth) + " levels"};
            const Json j = Json::parse(linktool::Utf8FromBytes(piece), nullptr, /*allow_exceptions=*/false);
            if (j.is_discarded()) throw Drop{"broken JSON"};
            out.push_back(Convert(source, j, now));
        } catch (const Drop& d) {
            counters.Drop(d.reason);
        } catch (const std::exception&) {
            counters.Drop("cannot be converted");  // out of memory and the like: this message only
        }
    }
}

}  // namespace korval::bridge
