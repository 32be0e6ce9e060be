#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "adsc_builder.h"
#include "decode/adsc.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::AdscText;
using test::BasicFields;
using test::BasicGroup;
using test::BitPacker;
using test::Group;
using test::Report;

constexpr std::string_view kReg = ".N923UP";

AdscReport DecodeOk(const std::string& text)
{
    const std::optional<AdscReport> r = DecodeAdsc(text);
    EXPECT_TRUE(r.has_value() && r->status == AdscStatus::Decoded) << text;
    return r.value_or(AdscReport{});
}

// The only group of a report that must hold exactly one (std::get throws on another kind).
template <class T>
T Only(const std::string& text)
{
    const AdscReport r = DecodeOk(text);
    EXPECT_EQ(r.groups.size(), 1u);
    return std::get<T>(r.groups.at(0));
}

// The builder's check sum is the one the decoder must check, not a copy of it.
TEST(AdscBuilder, CheckSumIsTheGenibusVariant)
{
    // The catalogued check value of CRC-16/GENIBUS over "123456789".
    EXPECT_EQ(test::ReferenceCrc({'1', '2', '3', '4', '5', '6', '7', '8', '9'}), 0xD64E);
}

// ---- basic reports -----------------------------------------------------------------------------

struct BasicCase {
    const char* name;
    std::uint8_t tag;
    BasicFields fields;
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
    {"negativeAltitude", 7, {-1, -1, -250, 0, false, 3, false},
     -0.000171661376953125, -0.000171661376953125, -1000, 0.0},
    {"highestCounts", 7, {1048575, 1048575, 32767, 0, true, 7, true},
     179.99982833862305, 179.99982833862305, 131068, 0.0},
};
// clang-format on

class AdscBasic : public ::testing::TestWithParam<BasicCase> {};

TEST_P(AdscBasic, DecodesEveryField)
{
    const BasicCase& c = GetParam();
    const auto b = Only<AdscBasicReport>(AdscText(kReg, BasicGroup(c.tag, c.fields)));
    // Every expected value is a whole number of its step, so exact.
    EXPECT_EQ(std::tie(b.tag, b.lat, b.lon, b.altitudeFt, b.secondsPastHour),
              std::tie(c.tag, c.lat, c.lon, c.altitudeFt, c.seconds));
    EXPECT_EQ(std::make_tuple(b.tcasAvailable, int{b.accuracy}, b.navRedundancy),
              std::make_tuple(c.fields.tcas, static_cast<int>(c.fields.accuracy), c.fields.redundancy));
}

INSTANTIATE_TEST_SUITE_P(Adsc, AdscBasic, ::testing::ValuesIn(kBasicCases), test::CaseName());

// ---- the other groups --------------------------------------------------------------------------

TEST(Adsc, FlightIdInSixBitCharacters)
{
    BitPacker p;
    // B A W 1 1 7 blank blank: letters are their code less 64, digits and blank keep theirs.
    for (std::uint32_t c : {0x02u, 0x01u, 0x17u, 0x31u, 0x31u, 0x37u, 0x20u, 0x20u}) p.Put(c, 6);
    EXPECT_EQ(Only<AdscFlightId>(AdscText(kReg, Group(12, p))).id, "BAW117");
}

TEST(Adsc, PredictedRouteGivesTwoPredictedPositions)
{
    BitPacker p;
    p.PutSigned(262144, 21).PutSigned(-524288, 21).PutSigned(9000, 16).Put(754, 14);
    p.PutSigned(349525, 21).PutSigned(-262144, 21).PutSigned(8500, 16);
    const AdscReport r = DecodeOk(AdscText(kReg, Group(13, p)));  // 130 bits and 6 spare
    const auto& g = std::get<AdscPredictedRoute>(r.groups.at(0));
    EXPECT_EQ(std::tie(g.next.lon, g.next.altitudeFt, g.nextEtaSeconds, g.nextPlusOne.lat),
              std::make_tuple(-90.0, 36000, 754, 59.999942779541016));
    const std::vector<DecodedPosition> positions = AdscPositions(r);
    ASSERT_EQ(positions.size(), 2u);
    EXPECT_EQ(positions[1].source, "ADS-C predicted");
    EXPECT_EQ(positions[1].altitudeFt, 34000);
}

TEST(Adsc, EarthReferenceInvalidWestTrack)
{
    BitPacker p;
    p.Put(1, 1).PutSigned(-512, 12).Put(960, 13).PutSigned(2047, 12);
    const auto e = Only<AdscEarthReference>(AdscText(kReg, Group(14, p)));
    // -512 x 180/2^11 = -45 degrees: 315.
    EXPECT_EQ(std::tie(e.trackValid, e.trackDeg, e.groundSpeedKt, e.verticalRateFpm),
              std::make_tuple(false, 315.0, 480.0, 32752));
}

TEST(Adsc, AirReference)
{
    BitPacker p;
    p.Put(0, 1).PutSigned(-1, 12).Put(1640, 13).PutSigned(100, 12);
    const auto a = Only<AdscAirReference>(AdscText(kReg, Group(15, p)));
    // -1 x 180/2^11: 360 - 0.087890625.
    EXPECT_EQ(std::tie(a.headingValid, a.headingDeg, a.verticalRateFpm), std::make_tuple(true, 359.912109375, 1600));
    EXPECT_NEAR(a.mach, 0.82, 1e-12);
}

TEST(Adsc, Meteorological)
{
    BitPacker p;
    p.Put(91, 9).Put(0, 1).PutSigned(-128, 9).PutSigned(-226, 12);
    const auto m = Only<AdscMeteo>(AdscText(kReg, Group(16, p)));
    // -128 x 180/2^8 = -90 degrees: 270.
    EXPECT_EQ(std::tie(m.windSpeedKt, m.windDirectionValid, m.windDirectionDeg, m.temperatureC),
              std::make_tuple(45.5, true, 270.0, -56.5));
}

TEST(Adsc, AirframeId)
{
    EXPECT_EQ(Only<AdscAirframeId>(AdscText(kReg, {17, 0x40, 0x62, 0x1D})).icaoAddress, 0x40621Du);
}

TEST(Adsc, FixedAndIntermediateProjections)
{
    BitPacker fixed;
    fixed.PutSigned(-262144, 21).PutSigned(262144, 21).PutSigned(9500, 16).Put(16383, 14);
    BitPacker intermediate;
    intermediate.Put(800, 16).Put(0, 1).PutSigned(1024, 12).PutSigned(9000, 16).Put(600, 14);
    const AdscReport r = DecodeOk(AdscText(kReg, Report({Group(23, fixed), Group(22, intermediate)})));
    ASSERT_EQ(r.groups.size(), 2u);
    EXPECT_EQ(std::get<AdscFixedProjection>(r.groups[0]).point.altitudeFt, 38000);
    const auto& i = std::get<AdscIntermediateProjection>(r.groups[1]);
    EXPECT_EQ(std::tie(i.distanceNm, i.trackDeg, i.altitudeFt, i.etaSeconds), std::make_tuple(100.0, 90.0, 36000, 600));
    const std::vector<DecodedPosition> positions = AdscPositions(r);
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_DOUBLE_EQ(positions[0].lon, 45.0);
    EXPECT_EQ(positions[0].etaSeconds, 16383);
}

// Groups that answer a contract come before the report; their lengths must be right for the
// basic report after them to be found.
struct LeadCase {
    const char* name;
    std::vector<std::uint8_t> lead;
};

class AdscLeadingGroup : public ::testing::TestWithParam<LeadCase> {};

TEST_P(AdscLeadingGroup, BasicReportAfterItIsFound)
{
    const BasicFields f{262144, -262144, 8750, 80, true, 6, true};
    const AdscReport r = DecodeOk(AdscText(kReg, Report({GetParam().lead, BasicGroup(7, f)})));
    EXPECT_EQ(r.groups.size(), 2u);
    const std::vector<DecodedPosition> positions = AdscPositions(r);
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_DOUBLE_EQ(positions[0].lat, 45.0);
}

INSTANTIATE_TEST_SUITE_P(
    Adsc, AdscLeadingGroup,
    ::testing::Values(LeadCase{"acknowledgement", {3, 5}}, LeadCase{"cancelEmergency", {6}},
                      LeadCase{"negativeAcknowledgement", {4, 2, 3}},
                      LeadCase{"negativeAcknowledgementWithTag", {4, 2, 7, 99}},
                      // Two groups: tag 16 not recognised; tag 14 with three parameters (two bytes).
                      LeadCase{"noncompliance", {5, 1, 2, 16, 0x80, 14, 0x03, 0x12, 0x30}}),
    test::CaseName());

TEST(Adsc, WholePeriodicReportKeepsTheOrderAndPutsBasicFirst)
{
    BitPacker route;
    route.PutSigned(262144, 21).PutSigned(0, 21).PutSigned(9000, 16).Put(300, 14);
    route.PutSigned(524288, 21).PutSigned(0, 21).PutSigned(9000, 16);
    const AdscReport r = DecodeOk(
        AdscText(kReg, Report({{3, 1}, Group(13, route), BasicGroup(7, {0, -524288, 9000, 0, true, 6, true})})));
    ASSERT_EQ(r.groups.size(), 3u);
    const std::vector<DecodedPosition> positions = AdscPositions(r);
    ASSERT_EQ(positions.size(), 3u);
    EXPECT_EQ(positions[0].source, "ADS-C basic");
    EXPECT_EQ(positions[0].altitudeFt, 36000);
    EXPECT_FALSE(positions[0].etaSeconds.has_value());
    EXPECT_DOUBLE_EQ(positions[2].lat, 90.0);
}

// ---- the text form -----------------------------------------------------------------------------

const std::vector<std::uint8_t> kBasic = BasicGroup(7, {262144, -262144, 8750, 80, true, 6, true});

std::string Flip(std::string text, std::size_t at)
{
    // Flips the lowest bit of the hexadecimal digit at `at`: 0<->1, ..., E<->F.
    const char c = text[at];
    const int v = (c <= '9' ? c - '0' : c - 'A' + 10) ^ 1;
    text[at] = static_cast<char>(v < 10 ? '0' + v : 'A' + v - 10);
    return text;
}

TEST(Adsc, ContentWithoutTheFormIsNotAdsc)
{
    EXPECT_FALSE(DecodeAdsc("POSN51286W000270,DIKAS,115200,350").has_value());
    EXPECT_FALSE(DecodeAdsc("").has_value());
    // Three characters before ".ADS" are no ground address.
    EXPECT_FALSE(DecodeAdsc("/AKL.ADS.N923UP0710").has_value());
    EXPECT_FALSE(DecodeAdsc("THE LOADS.ADSXX").has_value());
}

TEST(Adsc, FourCharacterGroundAddressAndTextAround)
{
    const AdscReport r = DecodeOk("- #MDB/B6 EDYY.ADS" + std::string(kReg) + test::SignedHex(kReg, kBasic));
    EXPECT_EQ(r.groundAddress, "EDYY");
    EXPECT_EQ(AdscPositions(r).size(), 1u);
}

TEST(Adsc, LineBreaksInsideTheHexAreSkippedAndTheTrailerEndsIt)
{
    std::string hex = test::SignedHex(kReg, kBasic);
    hex.insert(10, "\r\n");
    const std::string text =
        "/AKLCDYA.ADS" + std::string(kReg) + hex + "\r\n" + std::string(58, '-') + "[05.12.2026 12:00]";
    EXPECT_EQ(AdscPositions(DecodeOk(text)).size(), 1u);
}

TEST(Adsc, UplinkIsCheckedButNeverDecoded)
{
    const std::string text = AdscText(kReg, kBasic);
    EXPECT_EQ(DecodeAdsc(text, LinkDirection::Uplink).value().status, AdscStatus::Uplink);
    EXPECT_TRUE(DecodeAdsc(text, LinkDirection::Uplink).value().groups.empty());
    EXPECT_EQ(DecodeAdsc(Flip(text, 20), LinkDirection::Uplink).value().status, AdscStatus::CrcFailed);
}

// ---- damaged reports ---------------------------------------------------------------------------

struct DamageCase {
    const char* name;
    std::string text;
    AdscStatus status;
};

std::vector<DamageCase> DamageCases()
{
    const std::string good = AdscText(kReg, kBasic);
    const std::size_t hexAt = good.size() - 2 * (kBasic.size() + 2);
    std::string otherReg = good;
    otherReg[hexAt - 1] = 'Q';  // .N923UQ: the registration is covered too
    return {
        {"otherRegistration", otherReg, AdscStatus::CrcFailed},
        {"truncatedToTwoBytes", good.substr(0, hexAt + 4), AdscStatus::TooShort},
        {"shortRegistration", "/AKLCDYA.ADS.N92", AdscStatus::TooShort},
        {"oddLength", good.substr(0, good.size() - 1), AdscStatus::OddLength},
        {"tooLong", AdscText(kReg, std::vector<std::uint8_t>(kAdscMaxBytes, 0x07)), AdscStatus::TooLong},
    };
}

class AdscDamaged : public ::testing::TestWithParam<DamageCase> {};

TEST_P(AdscDamaged, GivesItsStatusAndNoPosition)
{
    const std::optional<AdscReport> r = DecodeAdsc(GetParam().text);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->status, GetParam().status);
    EXPECT_TRUE(r->groups.empty());
    EXPECT_TRUE(AdscPositions(*r).empty());
}

INSTANTIATE_TEST_SUITE_P(Adsc, AdscDamaged, ::testing::ValuesIn(DamageCases()), test::CaseName());

// A group that cannot be read ends the report; the basic report before it stays.
TEST(Adsc, UnknownOrTruncatedGroupAfterBasicReportKeepsTheBasicReport)
{
    AdscReport r = DecodeOk(AdscText(kReg, Report({kBasic, {99, 1, 2, 3}})));
    EXPECT_EQ(r.stop, AdscStop::UnknownTag);
    EXPECT_EQ(r.stopTag, 99);
    EXPECT_EQ(AdscPositions(r).size(), 1u);
    r = DecodeOk(AdscText(kReg, Report({kBasic, {13, 1, 2, 3, 4}})));
    EXPECT_EQ(r.stop, AdscStop::Truncated);
    EXPECT_EQ(r.stopTag, 13);
    EXPECT_EQ(AdscPositions(r).size(), 1u);
}

}  // namespace
}  // namespace korval
