// The ADS-C decoder over any report.
//
// Input: the first byte chooses the mode. With bit 0 set the rest is the content of a message as
// it arrived (bit 1: an uplink), which reaches the search for the text form and its refusals.
// Otherwise the rest is the bytes of a report, written out in the text form with a right check sum
// (bit 1: four-letter ground address, bit 2: line breaks in the digits, bit 3: small hex
// letters), so that the groups are decoded and not merely refused for their check sum. Then the
// report must decode, every value must lie in its field's range, an uplink must decode nothing, and
// a wrong check sum must be refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "decode/adsc.h"

namespace {

using namespace korval;

void Check(bool condition)
{
    if (!condition) std::abort();
}

// CRC-16, polynomial 0x1021, preset 0xFFFF, most significant bit first, inverted at the end.
std::uint16_t Crc(std::string_view text)
{
    unsigned crc = 0xFFFF;
    for (char c : text) {
        crc ^= static_cast<unsigned>(static_cast<unsigned char>(c)) << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000u) ? ((crc << 1) ^ 0x1021u) : crc << 1;
        crc &= 0xFFFFu;
    }
    return static_cast<std::uint16_t>(~crc & 0xFFFFu);
}

void AppendHex(std::string& out, std::uint8_t byte, bool small)
{
    const char* digits = small ? "0123456789abcdef" : "0123456789ABCDEF";
    out.push_back(digits[byte >> 4]);
    out.push_back(digits[byte & 0x0F]);
}

bool Angle(double deg)
{
    return deg >= -180.0 && deg < 180.0;
}

bool Bearing(double deg)
{
    return deg >= 0.0 && deg < 360.0;
}

bool Altitude(std::int32_t ft)
{
    return ft >= -131072 && ft <= 131068 && ft % 4 == 0;
}

bool Point(const AdscWaypoint& w)
{
    return Angle(w.lat) && Angle(w.lon) && Altitude(w.altitudeFt);
}

bool Eta(std::int32_t seconds)
{
    return seconds >= 0 && seconds <= 16383;
}

// Every value within what its bits can hold; the number of positions the groups give.
std::size_t CheckGroups(const AdscReport& report)
{
    std::size_t positions = 0;
    for (const AdscGroup& group : report.groups) {
        if (const auto* b = std::get_if<AdscBasicReport>(&group)) {
            Check(Angle(b->lat) && Angle(b->lon) && Altitude(b->altitudeFt));
            Check(b->secondsPastHour >= 0 && b->secondsPastHour < 4096 && b->accuracy <= 7);
            ++positions;
        } else if (const auto* f = std::get_if<AdscFlightId>(&group)) {
            Check(f->id.size() <= 8 && (f->id.empty() || f->id.back() != ' '));
        } else if (const auto* r = std::get_if<AdscPredictedRoute>(&group)) {
            Check(Point(r->next) && Point(r->nextPlusOne) && Eta(r->nextEtaSeconds));
            positions += 2;
        } else if (const auto* e = std::get_if<AdscEarthReference>(&group)) {
            Check(Bearing(e->trackDeg) && e->groundSpeedKt >= 0 && e->groundSpeedKt <= 4095.5);
            Check(e->verticalRateFpm >= -32768 && e->verticalRateFpm <= 32752);
        } else if (const auto* a = std::get_if<AdscAirReference>(&group)) {
            Check(Bearing(a->headingDeg) && a->mach >= 0 && a->mach <= 4.0955 + 1e-9);
            Check(a->verticalRateFpm >= -32768 && a->verticalRateFpm <= 32752);
        } else if (const auto* m = std::get_if<AdscMeteo>(&group)) {
            Check(m->windSpeedKt >= 0 && m->windSpeedKt <= 255.5 && Bearing(m->windDirectionDeg));
            Check(m->temperatureC >= -512 && m->temperatureC <= 511.75);
        } else if (const auto* id = std::get_if<AdscAirframeId>(&group)) {
            Check(id->icaoAddress <= 0xFFFFFF);
        } else if (const auto* p = std::get_if<AdscIntermediateProjection>(&group)) {
            Check(p->distanceNm >= 0 && p->distanceNm < 8192 && Bearing(p->trackDeg));
            Check(Altitude(p->altitudeFt) && Eta(p->etaSeconds));
        } else if (const auto* x = std::get_if<AdscFixedProjection>(&group)) {
            Check(Point(x->point) && Eta(x->etaSeconds));
            ++positions;
        }
    }
    return positions;
}

void CheckDecoded(const AdscReport& report, std::size_t bodyBytes)
{
    Check(report.groups.size() <= bodyBytes);  // each group takes at least its tag
    const std::size_t positions = CheckGroups(report);
    Check(AdscPositions(report).size() == positions);
    Check(AdscPositions(report, false).size() <= positions);
}

void Structured(std::uint8_t choice, std::string_view body)
{
    const bool shortAddress = (choice & 0x02) != 0;
    const bool breaks = (choice & 0x04) != 0;
    const bool small = (choice & 0x08) != 0;
    const std::string address = shortAddress ? "QXSA" : "AKLCDYA";
    const std::string registration = ".VH-QPA";

    std::string bytes(body);
    const std::uint16_t crc = Crc("ADS" + registration + bytes);
    bytes.push_back(static_cast<char>(crc >> 8));
    bytes.push_back(static_cast<char>(crc & 0xFF));

    std::string text = "/" + address + ".ADS" + registration;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (breaks && i > 0 && i % 10 == 0) text += "\r\n";
        AppendHex(text, static_cast<std::uint8_t>(bytes[i]), small);
    }
    text += " END";

    const std::optional<AdscReport> report = DecodeAdsc(text);
    Check(report.has_value());
    Check(report->groundAddress == address && report->registration == registration);
    if (bytes.size() > kAdscMaxBytes) {
        Check(report->status == AdscStatus::TooLong);
        return;
    }
    if (body.empty()) {
        Check(report->status == AdscStatus::TooShort);
        return;
    }
    Check(report->status == AdscStatus::Decoded);
    if (report->stop == AdscStop::None) Check(report->stopTag == 0);
    CheckDecoded(*report, body.size());

    const std::optional<AdscReport> uplink = DecodeAdsc(text, LinkDirection::Uplink);
    Check(uplink && uplink->status == AdscStatus::Uplink && uplink->groups.empty() && AdscPositions(*uplink).empty());

    // The check sum's last digit changed.
    std::string wrong = text;
    char& last = wrong[wrong.size() - 5];
    last = last == '0' ? '1' : '0';
    const std::optional<AdscReport> refused = DecodeAdsc(wrong);
    Check(refused && refused->status == AdscStatus::CrcFailed && refused->groups.empty());
}

void Raw(std::uint8_t choice, std::string_view content)
{
    const LinkDirection direction = (choice & 0x02) ? LinkDirection::Uplink : LinkDirection::Downlink;
    const std::optional<AdscReport> report = DecodeAdsc(content, direction);
    if (content.find(".ADS") == std::string_view::npos) Check(!report);
    if (!report) return;
    if (report->status == AdscStatus::Decoded) {
        CheckDecoded(*report, content.size() / 2);
    } else {
        Check(report->groups.empty() && AdscPositions(*report).empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::uint8_t choice = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (choice & 0x01)
        Raw(choice, rest);
    else
        Structured(choice, rest);
    return 0;
}
