#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "adsc_builder.h"
#include "decode/adsc.h"
#include "positions_text.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::AdscText;
using test::BasicGroup;
using test::Group;
using test::Report;

constexpr std::string_view kReg = ".N923UP";

AdscReport DecodeOk(const std::string& text)
{
    const std::optional<AdscReport> r = DecodeAdsc(text);
    EXPECT_TRUE(r.has_value() && r->status == AdscStatus::Decoded) << text;
    return r.value_or(AdscReport{});
}

// ---- basic reports -----------------------------------------------------------------------------

struct BasicCase {
    const char* name;
    std::uint8_t tag;
    test::BasicFields fields;
    double lat, lon;          // degrees: count x 180 / 2^20
    std::int32_t altitudeFt;  // count x 4
    double seconds;           // count x 0.125
};

// clang-format off
const BasicCase kBasicCases[] = {
    // 299827 x 180/2^20 = 51.46871566772461, -2692 x 180/2^20 = -0.4621124267578125.
    {"periodicNearHeathrow", 7, {299827, -2692, 8750, 12345, true, 6, true},
     51.46871566772461, -0.4621124267578125, 35000, 1543.125},
    // The event reports (tags 10, 18, 19, 20) share the layout; one stands for them.
    {"waypointChangeEvent", 20, {-349525, -611669, 7000, 4, false, 4, true},
     -59.999942779541016, -104.99994277954102, 28000, 0.5},
    // The extremes: the south pole, the west edge, the lowest altitude, the latest time stamp.
    {"southWestLowestLatest", 9, {-524288, -1048576, -32768, 32767, false, 0, false},
     -90.0, -180.0, -131072, 4095.875},
    {"highestCounts", 7, {1048575, 1048575, 32767, 0, true, 7, true},
     179.99982833862305, 179.99982833862305, 131068, 0.0},
};
// clang-format on

class AdscBasic : public ::testing::TestWithParam<BasicCase> {};

TEST_P(AdscBasic, DecodesEveryField)
{
    const BasicCase& c = GetParam();
    const AdscReport r = DecodeOk(AdscText(kReg, BasicGroup(c.tag, c.fields)));
    const auto& b = std::get<AdscBasicReport>(r.groups.at(0));
    // Every expected value is a whole number of its step, so exact.
    EXPECT_EQ(std::tie(b.tag, b.lat, b.lon, b.altitudeFt, b.secondsPastHour),
              std::tie(c.tag, c.lat, c.lon, c.altitudeFt, c.seconds));
    EXPECT_EQ(std::make_tuple(b.tcasAvailable, int{b.accuracy}, b.navRedundancy),
              std::make_tuple(c.fields.tcas, static_cast<int>(c.fields.accuracy), c.fields.redundancy));
}

INSTANTIATE_TEST_SUITE_P(Adsc, AdscBasic, ::testing::ValuesIn(kBasicCases), test::CaseName());

// ---- the other groups --------------------------------------------------------------------------

// One after another, so each group's length must be right for the next to be found.
TEST(Adsc, GroupsWithoutAPosition)
{
    test::BitPacker id, earth, air, meteo;
    // B A W 1 1 7 blank blank: letters are their code less 64, digits and blank keep theirs.
    for (std::uint32_t c : {0x02u, 0x01u, 0x17u, 0x31u, 0x31u, 0x37u, 0x20u, 0x20u}) id.Put(c, 6);
    earth.Put(1, 1).PutSigned(-512, 12).Put(960, 13).PutSigned(2047, 12);
    air.Put(0, 1).PutSigned(-1, 12).Put(1640, 13).PutSigned(100, 12);
    meteo.Put(91, 9).Put(0, 1).PutSigned(-128, 9).PutSigned(-226, 12);
    const AdscReport r = DecodeOk(AdscText(
        kReg, Report({Group(12, id), Group(14, earth), Group(15, air), Group(16, meteo), {17, 0x40, 0x62, 0x1D}})));
    EXPECT_EQ(std::get<AdscFlightId>(r.groups.at(0)).id, "BAW117");
    // -512 x 180/2^11 = -45 degrees: 315.
    const auto& e = std::get<AdscEarthReference>(r.groups.at(1));
    EXPECT_EQ(std::tie(e.trackValid, e.trackDeg, e.groundSpeedKt, e.verticalRateFpm),
              std::make_tuple(false, 315.0, 480.0, 32752));
    // -1 x 180/2^11: 360 - 0.087890625.
    const auto& a = std::get<AdscAirReference>(r.groups.at(2));
    EXPECT_EQ(std::tie(a.headingValid, a.headingDeg, a.verticalRateFpm), std::make_tuple(true, 359.912109375, 1600));
    EXPECT_NEAR(a.mach, 0.82, 1e-12);
    // -128 x 180/2^8 = -90 degrees: 270.
    const auto& m = std::get<AdscMeteo>(r.groups.at(3));
    EXPECT_EQ(std::tie(m.windSpeedKt, m.windDirectionValid, m.windDirectionDeg, m.temperatureC),
              std::make_tuple(45.5, true, 270.0, -56.5));
    EXPECT_EQ(std::get<AdscAirframeId>(r.groups.at(4)).icaoAddress, 0x40621Du);
}

// The basic report comes first among the positions, then the predicted route's two points and
// the fixed projection; the intermediate projection gives none.
TEST(Adsc, WholePeriodicReportPutsBasicFirst)
{
    test::BitPacker route, fixed, intermediate;
    route.PutSigned(262144, 21).PutSigned(-524288, 21).PutSigned(9000, 16).Put(754, 14);
    route.PutSigned(349525, 21).PutSigned(-262144, 21).PutSigned(8500, 16);  // 130 bits and 6 spare
    fixed.PutSigned(-262144, 21).PutSigned(262144, 21).PutSigned(9500, 16).Put(16383, 14);
    intermediate.Put(800, 16).Put(0, 1).PutSigned(1024, 12).PutSigned(9000, 16).Put(600, 14);
    const AdscReport r = DecodeOk(AdscText(kReg, Report({{3, 1},
                                                         Group(13, route),
                                                         Group(23, fixed),
                                                         Group(22, intermediate),
                                                         BasicGroup(7, {0, -524288, 9000, 0, true, 6, true})})));
    const auto& i = std::get<AdscIntermediateProjection>(r.groups.at(3));
    EXPECT_EQ(std::tie(i.distanceNm, i.trackDeg, i.altitudeFt, i.etaSeconds), std::make_tuple(100.0, 90.0, 36000, 600));
    // 349525 x 180/2^20 = 59.999942779541016.
    EXPECT_EQ(test::PositionsText(AdscPositions(r)),
              "ADS-C basic 0,-90 36000ft at 0s; ADS-C predicted 45,-90 36000ft eta 754; "
              "ADS-C predicted 59.9999428,-45 34000ft; ADS-C predicted -45,45 38000ft eta 16383; ");
}

// ---- the text form, leading groups and damaged reports -------------------------------------------

// What DecodeAdsc makes of a text: "-" when it holds no ADS-C form; else the status, the ground
// address of a decoded report, the number of groups, why decoding stopped early, the positions.
std::string Outcome(const std::string& text, LinkDirection direction)
{
    const std::optional<AdscReport> r = DecodeAdsc(text, direction);
    if (!r) return "-";
    constexpr const char* kStatus[] = {"Decoded", "Uplink", "CrcFailed", "OddLength", "TooShort", "TooLong"};
    std::string s = kStatus[static_cast<int>(r->status)];
    if (r->status == AdscStatus::Decoded) s += " " + r->groundAddress;
    s += " groups " + std::to_string(r->groups.size());
    if (r->stop != AdscStop::None)
        s += (r->stop == AdscStop::UnknownTag ? " unknown tag " : " truncated tag ") + std::to_string(r->stopTag);
    return s + ": " + test::PositionsText(AdscPositions(*r));
}

struct TextCase {
    const char* name;
    std::string text;
    std::string outcome;
    LinkDirection direction = LinkDirection::Downlink;
};

std::vector<TextCase> TextCases()
{
    const std::vector<std::uint8_t> basic = BasicGroup(7, {262144, -262144, 8750, 80, true, 6, true});
    const std::string at = "ADS-C basic 45,-45 35000ft at 10s; ";
    const std::string lead = "Decoded AKLCDYA groups 2: " + at;
    const std::string good = AdscText(kReg, basic);
    const std::size_t hexAt = good.size() - 2 * (basic.size() + 2);
    const std::string hex = good.substr(hexAt);
    std::string otherReg = good;
    otherReg[hexAt - 1] = 'Q';  // .N923UQ: the registration is covered too
    const std::string reg(kReg);
    return {
        {"empty", "", "-"},
        {"threeCharacterGroundAddress", "/AKL.ADS.N923UP0710", "-"},
        // The address must not be the end of a longer word.
        {"adsInsideAWord", "THE LOADS.ADSXX", "-"},
        {"fourCharacterGroundAddressAndTextAround", "- #MDB/B6 EDYY.ADS" + reg + hex, "Decoded EDYY groups 1: " + at},
        {"lineBreakInsideTheHexAndTrailerAfter",
         "/AKLCDYA.ADS" + reg + hex.substr(0, 10) + "\r\n" + hex.substr(10) + "\r\n" + std::string(58, '-') +
             "[05.12.2026 12:00]",
         "Decoded AKLCDYA groups 1: " + at},
        {"uplinkCheckedButNeverDecoded", good, "Uplink groups 0: ", LinkDirection::Uplink},
        {"uplinkWithOtherRegistration", otherReg, "CrcFailed groups 0: ", LinkDirection::Uplink},
        // Groups that answer a contract come before the report; their lengths must be right for
        // the basic report after them to be found (the acknowledgement leads the periodic report).
        {"cancelEmergency", AdscText(kReg, Report({{6}, basic})), lead},
        {"negativeAcknowledgement", AdscText(kReg, Report({{4, 2, 3}, basic})), lead},
        {"negativeAcknowledgementWithTag", AdscText(kReg, Report({{4, 2, 7, 99}, basic})), lead},
        // Two groups: tag 16 not recognised; tag 14 with three parameters (two bytes).
        {"noncompliance", AdscText(kReg, Report({{5, 1, 2, 16, 0x80, 14, 0x03, 0x12, 0x30}, basic})), lead},
        // A group that cannot be read ends the report; the basic report before it stays.
        {"unknownTagAfterBasicReport", AdscText(kReg, Report({basic, {99, 1, 2, 3}})),
         "Decoded AKLCDYA groups 1 unknown tag 99: " + at},
        {"truncatedGroupAfterBasicReport", AdscText(kReg, Report({basic, {13, 1, 2, 3, 4}})),
         "Decoded AKLCDYA groups 1 truncated tag 13: " + at},
        {"otherRegistration", otherReg, "CrcFailed groups 0: "},
        {"truncatedToTwoBytes", good.substr(0, hexAt + 4), "TooShort groups 0: "},
        {"shortRegistration", "/AKLCDYA.ADS.N92", "TooShort groups 0: "},
        {"oddLength", good.substr(0, good.size() - 1), "OddLength groups 0: "},
        {"tooLong", AdscText(kReg, std::vector<std::uint8_t>(kAdscMaxBytes, 0x07)), "TooLong groups 0: "},
    };
}

class AdscTextForm : public ::testing::TestWithParam<TextCase> {};

TEST_P(AdscTextForm, Outcome)
{
    EXPECT_EQ(Outcome(GetParam().text, GetParam().direction), GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(Adsc, AdscTextForm, ::testing::ValuesIn(TextCases()), test::CaseName());

}  // namespace
}  // namespace korval
