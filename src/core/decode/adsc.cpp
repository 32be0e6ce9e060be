#include "decode/adsc.h"

#include <array>
#include <span>

#include "decode/bit_reader.h"

namespace korval {
namespace {

using Bytes = std::span<const std::uint8_t>;

// ---- the text form -----------------------------------------------------------------------------

constexpr std::string_view kImi = ".ADS";
constexpr std::size_t kRegistrationLength = 7;
constexpr std::size_t kCrcLength = 2;

bool IsAddressChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// True when the `length` characters before `end` are a ground address standing on its own.
bool AddressBefore(std::string_view text, std::size_t end, std::size_t length)
{
    if (end < length) return false;
    for (std::size_t i = end - length; i < end; ++i)
        if (!IsAddressChar(text[i])) return false;
    return end == length || !IsAddressChar(text[end - length - 1]);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// ---- the check sum -----------------------------------------------------------------------------

constexpr std::array<std::uint16_t, 256> MakeCrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000u) ? (crc << 1) ^ 0x1021u : crc << 1;
        table[byte] = static_cast<std::uint16_t>(crc);
    }
    return table;
}
constexpr std::array<std::uint16_t, 256> kCrcTable = MakeCrcTable();

template <class Range>
std::uint16_t CrcUpdate(std::uint16_t crc, const Range& data)
{
    for (auto c : data) {
        const auto byte = static_cast<std::uint8_t>(c);
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ byte) & 0xFFu]);
    }
    return crc;
}

// ---- the groups --------------------------------------------------------------------------------

// Two's complement fraction of a half turn in `width` bits, in degrees.
double HalfTurns(std::int32_t raw, int width)
{
    return raw * 180.0 / static_cast<double>(1u << (width - 1));
}

// A direction, 0 to 360.
double Bearing(std::int32_t raw, int width)
{
    const double deg = HalfTurns(raw, width);
    return deg < 0 ? deg + 360.0 : deg;
}

AdscWaypoint ReadWaypoint(BitReader& bits)
{
    AdscWaypoint w;
    w.lat = HalfTurns(bits.Signed(21), 21);
    w.lon = HalfTurns(bits.Signed(21), 21);
    w.altitudeFt = bits.Signed(16) * 4;
    return w;
}

using Groups = std::vector<AdscGroup>;

// A group's decoder: reads the bytes after the tag byte and returns how many it used, or nothing
// when they are too few. Fixed layouts get at least their length.
using GroupDecoder = std::optional<std::size_t> (*)(std::uint8_t tag, Bytes body, Groups& out);

std::optional<std::size_t> Basic(std::uint8_t tag, Bytes body, Groups& out)
{
    BitReader bits(body);
    AdscBasicReport r;
    r.tag = tag;
    r.lat = HalfTurns(bits.Signed(21), 21);
    r.lon = HalfTurns(bits.Signed(21), 21);
    r.altitudeFt = bits.Signed(16) * 4;
    r.secondsPastHour = bits.Unsigned(15) * 0.125;
    bits.Unsigned(2);  // spare
    r.tcasAvailable = bits.Flag();
    r.accuracy = static_cast<std::uint8_t>(bits.Unsigned(3));
    r.navRedundancy = bits.Flag();
    out.emplace_back(r);
    return 10;
}

std::optional<std::size_t> FlightId(std::uint8_t, Bytes body, Groups& out)
{
    BitReader bits(body);
    AdscFlightId f;
    for (int i = 0; i < 8; ++i) {
        const std::uint32_t c = bits.Unsigned(6);
        // ISO 5 in 6 bits: letters are 1-26 (their code less 64); blank and digits keep theirs.
        f.id.push_back(static_cast<char>((c & 0x20u) ? c : c + 0x40u));
    }
    while (!f.id.empty() && f.id.back() == ' ') f.id.pop_back();
    out.emplace_back(f);
    return 6;
}

std::optional<std::size_t> PredictedRoute(std::uint8_t, Bytes body, Groups& out)
{
    BitReader bits(body);
    AdscPredictedRoute r;
    r.next = ReadWaypoint(bits);
    r.nextEtaSeconds = static_cast<std::int32_t>(bits.Unsigned(14));
    r.nextPlusOne = ReadWaypoint(bits);
    out.emplace_back(r);
    return 17;
}

std::optional<std::size_t> EarthReference(std::uint8_t, Bytes body, Groups& out)
{
    BitReader bits(body);
    AdscEarthReference e;
    e.trackValid = !bits.Flag();
    e.trackDeg = Bearing(bits.Signed(12), 12);
    e.groundSpeedKt = bits.Unsigned(13) * 0.5;
    e.verticalRateFpm = bits.Signed(12) * 16;
    out.emplace_back(e);
    return 5;
}

std::optional<std::size_t> AirReference(std::uint8_t, Bytes body, Groups& out)
{
    BitReader bits(body);
    AdscAirReference a;
    a.headingValid = !bits.Flag();
    a.headingDeg = Bearing(bits.Signed(12), 12);
    a.mach = bits.Unsigned(13) * 0.0005;
    a.verticalRateFpm = bits.Signed(12) * 16;
    out.emplace_back(a);
    return 5;
}

std::optional<std::size_t> Meteo(std::uint8_t, Bytes body, Groups& out)
{
    BitReader bits(body);
    AdscMeteo m;
    m.windSpeedKt = bits.Unsigned(9) * 0.5;
    m.windDirectionValid = !bits.Flag();
    m.windDirectionDeg = Bearing(bits.Signed(9), 9);
    m.temperatureC = bits.Signed(12) * 0.25;
    out.emplace_back(m);
    return 4;
}

std::optional<std::size_t> AirframeId(std::uint8_t, Bytes body, Groups& out)
{
    out.emplace_back(AdscAirframeId{(std::uint32_t{body[0]} << 16) | (std::uint32_t{body[1]} << 8) | body[2]});
    return 3;
}

std::optional<std::size_t> IntermediateProjection(std::uint8_t, Bytes body, Groups& out)
{
    BitReader bits(body);
    AdscIntermediateProjection p;
    p.distanceNm = bits.Unsigned(16) / 8.0;
    p.trackValid = !bits.Flag();
    p.trackDeg = Bearing(bits.Signed(12), 12);
    p.altitudeFt = bits.Signed(16) * 4;
    p.etaSeconds = static_cast<std::int32_t>(bits.Unsigned(14));
    out.emplace_back(p);
    return 8;
}

std::optional<std::size_t> FixedProjection(std::uint8_t, Bytes body, Groups& out)
{
    BitReader bits(body);
    AdscFixedProjection p;
    p.point = ReadWaypoint(bits);
    p.etaSeconds = static_cast<std::int32_t>(bits.Unsigned(14));
    out.emplace_back(p);
    return 9;
}

std::optional<std::size_t> Acknowledgement(std::uint8_t, Bytes body, Groups& out)
{
    out.emplace_back(AdscAcknowledgement{body[0]});
    return 1;
}

std::optional<std::size_t> CancelEmergency(std::uint8_t, Bytes, Groups& out)
{
    out.emplace_back(AdscCancelEmergency{});
    return 0;
}

// Contract number, reason; reasons 1, 2 and 7 add one byte (the faulty octet or tag).
std::optional<std::size_t> NegativeAcknowledgement(std::uint8_t, Bytes body, Groups& out)
{
    if (body.size() < 2) return std::nullopt;
    const std::uint8_t reason = body[1];
    const std::size_t length = (reason == 1 || reason == 2 || reason == 7) ? 3 : 2;
    if (body.size() < length) return std::nullopt;
    out.emplace_back(AdscNegativeAcknowledgement{body[0], reason});
    return length;
}

// Contract number, group count, then per group its tag and a flags byte: bit 8 set means the
// group was not recognised, bit 7 that all of it is unavailable; otherwise the low 4 bits count
// the unavailable parameters, whose numbers follow two to a byte.
std::optional<std::size_t> Noncompliance(std::uint8_t, Bytes body, Groups& out)
{
    if (body.size() < 2) return std::nullopt;
    std::size_t used = 2;
    for (unsigned g = 0; g < body[1]; ++g) {
        if (body.size() < used + 2) return std::nullopt;
        const std::uint8_t flags = body[used + 1];
        used += 2;
        if ((flags & 0xC0u) == 0) used += ((flags & 0x0Fu) + 1u) / 2u;
        if (body.size() < used) return std::nullopt;
    }
    out.emplace_back(AdscNoncompliance{body[0], body[1]});
    return used;
}

struct GroupLayout {
    std::uint8_t tag;
    std::size_t length;  // bytes after the tag; 0 for the layouts that say their own length
    GroupDecoder decode;
};

// The downlink groups (ARINC 745 tag numbers).
constexpr GroupLayout kDownlinkGroups[] = {
    {3, 1, Acknowledgement},
    {4, 0, NegativeAcknowledgement},
    {5, 0, Noncompliance},
    {6, 0, CancelEmergency},
    {7, 10, Basic},
    {9, 10, Basic},
    {10, 10, Basic},
    {12, 6, FlightId},
    {13, 17, PredictedRoute},
    {14, 5, EarthReference},
    {15, 5, AirReference},
    {16, 4, Meteo},
    {17, 3, AirframeId},
    {18, 10, Basic},
    {19, 10, Basic},
    {20, 10, Basic},
    {22, 8, IntermediateProjection},
    {23, 9, FixedProjection},
};

const GroupLayout* FindLayout(std::uint8_t tag)
{
    for (const GroupLayout& layout : kDownlinkGroups)
        if (layout.tag == tag) return &layout;
    return nullptr;
}

void DecodeGroups(Bytes report, AdscReport& out)
{
    std::size_t at = 0;
    while (at < report.size()) {
        const std::uint8_t tag = report[at];
        const GroupLayout* layout = FindLayout(tag);
        if (!layout) {
            out.stop = AdscStop::UnknownTag;
            out.stopTag = tag;
            return;
        }
        const Bytes body = report.subspan(at + 1);
        std::optional<std::size_t> used;
        if (body.size() >= layout->length) used = layout->decode(tag, body, out.groups);
        if (!used) {
            out.stop = AdscStop::Truncated;
            out.stopTag = tag;
            return;
        }
        at += 1 + *used;
    }
}

}  // namespace

std::optional<AdscReport> DecodeAdsc(std::string_view content, LinkDirection direction)
{
    std::size_t imi = content.find(kImi);
    std::size_t addressLength = 0;
    while (imi != std::string_view::npos) {
        if (AddressBefore(content, imi, 7))
            addressLength = 7;
        else if (AddressBefore(content, imi, 4))
            addressLength = 4;
        if (addressLength) break;
        imi = content.find(kImi, imi + 1);
    }
    if (imi == std::string_view::npos) return std::nullopt;

    AdscReport report;
    report.groundAddress = std::string(content.substr(imi - addressLength, addressLength));
    const std::size_t regAt = imi + kImi.size();
    const std::string_view reg = content.substr(regAt, kRegistrationLength);
    if (reg.size() < kRegistrationLength || reg.find_first_of("\r\n") != std::string_view::npos) {
        report.status = AdscStatus::TooShort;
        return report;
    }
    report.registration = std::string(reg);

    // The hexadecimal digits up to the first other character; line breaks are skipped.
    std::vector<std::uint8_t> bytes;
    bytes.reserve(64);
    int high = -1;
    for (std::size_t i = regAt + kRegistrationLength; i < content.size(); ++i) {
        const char c = content[i];
        if (c == '\r' || c == '\n') continue;
        const int v = HexValue(c);
        if (v < 0) break;
        if (high < 0) {
            high = v;
            continue;
        }
        if (bytes.size() == kAdscMaxBytes) {
            report.status = AdscStatus::TooLong;
            return report;
        }
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | v));
        high = -1;
    }
    if (high >= 0) {
        report.status = AdscStatus::OddLength;
        return report;
    }
    if (bytes.size() < 1 + kCrcLength) {
        report.status = AdscStatus::TooShort;
        return report;
    }

    const Bytes all(bytes);
    const Bytes body = all.first(all.size() - kCrcLength);
    std::uint16_t crc = CrcUpdate(0xFFFF, std::string_view("ADS"));
    crc = CrcUpdate(crc, reg);
    crc = static_cast<std::uint16_t>(~CrcUpdate(crc, body));
    const auto sent = static_cast<std::uint16_t>(all[all.size() - 2] << 8 | all[all.size() - 1]);
    if (crc != sent) {
        report.status = AdscStatus::CrcFailed;
        return report;
    }
    if (direction == LinkDirection::Uplink) {
        report.status = AdscStatus::Uplink;
        return report;
    }
    report.status = AdscStatus::Decoded;
    DecodeGroups(body, report);
    return report;
}

std::vector<DecodedPosition> AdscPositions(const AdscReport& report, bool withPredicted)
{
    std::vector<DecodedPosition> positions;
    if (report.status != AdscStatus::Decoded) return positions;
    for (const AdscGroup& group : report.groups) {
        if (const auto* b = std::get_if<AdscBasicReport>(&group)) {
            DecodedPosition p{b->lat, b->lon, kAdscBasicSource, b->altitudeFt, b->secondsPastHour, std::nullopt};
            positions.push_back(std::move(p));
        }
    }
    if (!withPredicted) return positions;
    auto predicted = [&](const AdscWaypoint& w, std::optional<std::int32_t> eta) {
        positions.push_back(DecodedPosition{w.lat, w.lon, kAdscPredictedSource, w.altitudeFt, std::nullopt, eta});
    };
    for (const AdscGroup& group : report.groups) {
        if (const auto* r = std::get_if<AdscPredictedRoute>(&group)) {
            predicted(r->next, r->nextEtaSeconds);
            predicted(r->nextPlusOne, std::nullopt);
        } else if (const auto* f = std::get_if<AdscFixedProjection>(&group)) {
            predicted(f->point, f->etaSeconds);
        }
    }
    return positions;
}

}  // namespace korval
