#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "bridge_convert.h"
#include "bridge_sbs.h"
#include "test_support.h"
#include "text/fields.h"

namespace korval::bridge {
namespace {

using korval::test::PrintTo;
using Drops = std::map<std::string, long long>;

constexpr std::int64_t kNow = 1796472000;  // 2026-12-05 12:00:00 UTC

// ---- Datagrams ---------------------------------------------------------------------------------

struct DatagramCase {
    const char* name;
    Source source;
    std::string datagrams;  // one JSON value after another, or SBS-1 lines, as the decoder sends them
    int published;
    std::string piece;  // a piece of the last message published
    std::string drops;  // "reason count, ..." in the order of the reasons' names
};

class Datagrams : public ::testing::TestWithParam<DatagramCase> {};

TEST_P(Datagrams, AreConvertedOrDroppedWithTheirReasonAndCounted)
{
    const DatagramCase& c = GetParam();
    std::vector<Message> out;
    Counters counters;
    if (c.source == Source::Sbs) {
        SbsConverter sbs;
        sbs.Feed(c.datagrams, 0, kNow, out, counters);
    } else {
        ConvertDatagram(c.source, c.datagrams, kNow, out, counters);
    }
    ASSERT_EQ(std::ssize(out), c.published) << counters.Summary();
    if (!out.empty()) {
        EXPECT_NE(out.back().text.find(c.piece), std::string::npos) << out.back().text;
    }
    std::string drops;
    for (const auto& [reason, n] : counters.dropped)
        drops += (drops.empty() ? "" : ", ") + reason + " " + std::to_string(n);
    EXPECT_EQ(drops, c.drops);
    EXPECT_EQ(counters.received, c.published + counters.DroppedTotal());
}

const std::string kAcars = R"({"timestamp":1796471922.5,"label":"15","block_id":"2","tail":"G-STBA","msgno":"M91A"})";

// A BaseStation MSG line as dump1090 writes it (22 fields).
std::string Msg(int type, const std::string& icao, const std::string& callsign, const std::string& altitude,
                const std::string& lat, const std::string& lon)
{
    return "MSG," + std::to_string(type) + ",1,1," + icao + ",1,2026/12/05,11:58:42.123,2026/12/05,11:58:42.125," +
           callsign + "," + altitude + ",451,87," + lat + "," + lon + ",0,,0,0,0,0\r\n";
}

std::string Hfdl(const std::string& hfnpdu)
{
    return R"({"hfdl":{"t":{"sec":1796471922},"freq":8942000,"lpdu":{"hfnpdu":)" + hfnpdu + "}}}";
}

std::string HfdlAt(const std::string& lat, const std::string& lon)
{
    return Hfdl(R"({"flight_id":"BAW117","pos":{"lat":)" + lat + R"(,"lon":)" + lon + "}}");
}

// dumpvdl2 nests ACARS nine or ten deep and an ADS-C report decoded inside it deeper still.
std::string Nested(int depth, const std::string& inner)
{
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
        open += R"({"x":)";
        close += '}';
    }
    return open + inner + close;
}

std::string Vdl2Acars(const std::string& members)
{
    return R"({"vdl2":{"t":{"sec":1796471922},"avlc":{"acars":{"label":"B6",)" + members + "}}}}";
}

const std::string kAdscDecoded =
    R"({"ads-c":{"tags":[{"basic_report":{"lat":51.5,"lon":-1.5,"alt":35000,"ts_sec":1234.5,)"
    R"("pos_accuracy_nm":0.05,"nav_redundancy":true,"tcas_avail":true}}]}})";

// An H1 message whose sublabel (and MFI) the decoder took off the text: they go back in front of it.
std::string Sublabel(const std::string& label, const std::string& members)
{
    return R"({"label":")" + label + R"(","block_id":"7","text":"A32/1883",)" + members + "}";
}

// acarsdec hands over every block as it comes ("assstat" "in progress"), then the last block again
// with the whole text ("complete"); a block seen twice is a "duplicate", one after a gap "out of
// sequence". libacars (dumpvdl2) says the same in "reasm_status" of its ACARS object and marks
// every block but the last with "more".
std::string AcarsdecBlock(char block, const std::string& text, const std::string& status)
{
    return R"({"mode":"2","label":"H1","block_id":")" + std::string(1, block) + R"(","tail":"G-STBA","text":")" + text +
           R"(","assstat":")" + status + R"("})";
}

std::string Vdl2Block(const std::string& text, bool more, const std::string& status = {})
{
    return Vdl2Acars(R"("more":)" + std::string(more ? "true" : "false") + R"(,"msg_text":")" + text + '"' +
                     (status.empty() ? "" : R"(,"reasm_status":")" + status + '"'));
}

const std::string kFirst = "POS N51286W000270,", kSecond = "101512,350\\r\\n";
const std::string kWhole = "POS N51286W000270,101512,350\\r\\nNEXT LAM 1030";
const std::string kWholeContent = "content:-\r\nPOS N51286W000270,101512,350\r\nNEXT LAM 1030\r\n-";

INSTANTIATE_TEST_SUITE_P(
    Bridge, Datagrams,
    ::testing::Values(
        // Values that do not fit the header are cut, padded or blanked: every field keeps its place.
        DatagramCase{
            "longRegistrationAndFlight", Source::Acarsdec,
            R"({"label":"15","block_id":"2","tail":"ABCDEFGHI","flight":"UAL12345","msgno":"M01A","text":"A\nB\n"})", 1,
            "ACARS mode: 2  Aircraft reg: ABCDEFG\r\nMessage label: 15  Block id: 2  Msg. no: M01A\r\n"
            "Flight id: UAL123\r\nMessage content:-\r\nA\r\nB\r\n-",
            ""},
        DatagramCase{
            "lineEndsInsideFields", Source::Acarsdec,
            R"({"label":"H1","block_id":"\u0000","tail":"N9\r\n3UP","flight":"UP\r\n67","msgno":"M\n6A","text":"A\r\nB"})",
            1,
            "ACARS mode: 2  Aircraft reg: N9  3UP\r\nMessage label: H1  Block id:    Msg. no: M 6A\r\n"
            "Flight id: UP  67\r\nMessage content:-\r\nA\r\nB\r\n-",
            ""},
        DatagramCase{
            "longFieldsOfHfAcars", Source::Dumphfdl,
            Hfdl(R"({"acars":{"reg":"ABCDEFGHI","label":"H1","blk_id":"4","flight":"UAL12345","msg_num":"F79",)"
                 R"("msg_num_seq":"C","msg_text":"A\r\nB"}})"),
            1,
            "1ACARS mode: 2  Aircraft reg: ABCDEFG\nMessage label: H1  Block id: 4  Msg. no: F79C "
            "Flight id: UAL123\nMessage content:-\nA\nB\n-",
            ""},
        DatagramCase{"doubledBackToBack", Source::Acarsdec, kAcars + kAcars, 2, "M91A", ""},
        DatagramCase{"brokenJson", Source::Acarsdec, R"({"label":"15","text":"POS N)", 0, "", "broken JSON 1"},
        DatagramCase{"garbageLineThenMessage", Source::Acarsdec, "\x01\x02 garbage\n" + kAcars, 1, "M91A",
                     "broken JSON 1"},
        DatagramCase{"bracesInsideText", Source::Acarsdec, R"({"label":"15","text":"{[}] \"q\" \\"})", 1,
                     R"({[}] "q" \)", ""},
        DatagramCase{"over32KiB", Source::Acarsdec, std::string(64 * 1024, 'x'), 0, "", "over 32768 bytes 1"},
        DatagramCase{"deepNesting", Source::Acarsdec, std::string(200, '[') + std::string(200, ']'), 0, "",
                     "nested deeper than 64 levels 1"},
        DatagramCase{"notAnObject", Source::Acarsdec, R"(["label","15"])", 0, "", "not a JSON object 1"},
        DatagramCase{"noLabel", Source::Acarsdec, R"({"text":"POS"})", 0, "", "not an acarsdec message 1"},
        DatagramCase{"labelNotText", Source::Acarsdec, R"({"label":15})", 0, "", "\"label\" is not a text 1"},
        DatagramCase{"blanksOnly", Source::Acarsdec, " \r\n\t", 0, "", ""},
        DatagramCase{"acarsdecOnDumpvdl2Port", Source::Dumpvdl2, kAcars, 0, "", "not a dumpvdl2 message 1"},
        DatagramCase{"vdl2WithoutAcars", Source::Dumpvdl2, R"({"vdl2":{"avlc":{"frame_type":"U","xid":{}}}})", 0, "",
                     "not ACARS 1"},
        DatagramCase{"vdl2AcarsError", Source::Dumpvdl2, R"({"vdl2":{"avlc":{"acars":{"err":true}}}})", 0, "",
                     "ACARS not decoded 1"},
        DatagramCase{"hfdlUnknownPosition", Source::Dumphfdl, HfdlAt("180", "180"), 0, "", "no position (180, 180) 1"},
        DatagramCase{"hfdlLatitudeOutOfRange", Source::Dumphfdl, HfdlAt("91.5", "10"), 0, "",
                     "position out of range 1"},
        DatagramCase{"hfdlNoFlight", Source::Dumphfdl, Hfdl(R"({"flight_id":"  ","pos":{"lat":51,"lon":10}})"), 0, "",
                     "no flight id 1"},
        DatagramCase{"hfdlPositionWithoutLongitude", Source::Dumphfdl,
                     Hfdl(R"({"flight_id":"BAW117","pos":{"lat":51}})"), 0, "",
                     "position without latitude or longitude 1"},
        DatagramCase{"hfdlSquitter", Source::Dumphfdl, R"({"hfdl":{"spdu":{"gs_status":[]}}})", 0, "",
                     "no position or ACARS 1"},
        // The HFDL record: degrees, minutes and tenths, rounded.
        DatagramCase{"hfdlRoundsUpToTheNextDegree", Source::Dumphfdl, HfdlAt("51.99999", "0.999999"), 1,
                     "BAW117,,11:58:42,8942,001,00,0,E,52,00,0,N;", ""},
        DatagramCase{"hfdlSouthOfZeroRoundsToNorth", Source::Dumphfdl, HfdlAt("-0.00001", "-0.00001"), 1,
                     ",000,00,0,E,00,00,0,N;", ""},
        DatagramCase{"hfdlDateLine", Source::Dumphfdl, HfdlAt("0.5", "180"), 1, ",180,00,0,E,00,30,0,N;", ""},
        // An optional field of the wrong type is as if absent: the bridge's own time dates it.
        DatagramCase{"timestampNotNumber", Source::Acarsdec, R"({"label":"15","timestamp":"now"})", 1,
                     "[05/12/2026 12:00]", ""},
        DatagramCase{"textTimestamp", Source::Acarsdec, R"({"label":"15","timestamp":"1796471922.5"})", 1,
                     "[05/12/2026 11:58]", ""},
        DatagramCase{"timestampInTheLastYear", Source::Acarsdec, R"({"label":"15","timestamp":253402300799})", 1,
                     "[31/12/9999 23:59]", ""},
        // A year of five digits (or past what the calendar holds) would break the trailer.
        DatagramCase{"timestampPastTheLastYear", Source::Acarsdec, R"({"label":"15","timestamp":253402300800})", 1,
                     "[05/12/2026 12:00]", ""},
        DatagramCase{"timestampOfThirtyMillennia", Source::Acarsdec, R"({"label":"15","timestamp":999999999999})", 1,
                     "[05/12/2026 12:00]", ""},
        DatagramCase{"numericTail", Source::Acarsdec, R"({"label":"15","tail":12345})", 1, "Aircraft reg: ..12345", ""},
        DatagramCase{"booleanFlight", Source::Dumpvdl2, Vdl2Acars(R"("flight":true,"msg_text":"X")"), 1,
                     "Flight id:       \r\n", ""},
        DatagramCase{"textFrequency", Source::Dumphfdl,
                     R"({"hfdl":{"t":{"sec":1796471922},"freq":"8942000","lpdu":{"hfnpdu":)"
                     R"({"flight_id":"BAW117","pos":{"lat":51.39,"lon":-12.575}}}}})",
                     1, "BAW117,,11:58:42,8942,", ""},
        DatagramCase{"textLatitude", Source::Dumphfdl, HfdlAt(R"("north")", "-12.575"), 0, "",
                     "position without latitude or longitude 1"},
        DatagramCase{"adscDecodedInside", Source::Dumpvdl2,
                     Vdl2Acars(R"("msg_text":"/AKLCDYA.ADS.G-STBA07","arinc622":{"gs_addr":"AKLCDYA","adsc":)" +
                               Nested(30, kAdscDecoded) + "}"),
                     1, "/AKLCDYA.ADS.G-STBA07", ""},
        DatagramCase{"nestedDeeperThan64", Source::Dumpvdl2, Vdl2Acars(R"("msg_text":"X","deep":)" + Nested(70, "1")),
                     0, "", "nested deeper than 64 levels 1"},
        // Bytes arrive as the decoder sent them, however it wrote them: raw (valid UTF-8 or not) or escaped.
        DatagramCase{"nonAsciiBytes", Source::Acarsdec,
                     "{\"label\":\"15\",\"text\":\"raw \xe9\xff utf8 \xc3\xa9 escaped \\u00e9\\u0001 wide \\u20ac\"}",
                     1, "raw \xe9\xff utf8 \xc3\xa9 escaped \xe9\x01 wide ?\r\n", ""},
        DatagramCase{"sublabelWithMfi", Source::Acarsdec, Sublabel("H1", R"("sublabel":"DF","mfi":"AT")"), 1,
                     "content:-\r\n#DFB/AT A32/1883", ""},
        DatagramCase{"sublabelNotH1", Source::Acarsdec, Sublabel("15", R"("sublabel":"DF")"), 1,
                     "content:-\r\nA32/1883", ""},
        DatagramCase{"noSublabel", Source::Acarsdec, Sublabel("H1", R"("assstat":"skipped")"), 1,
                     "content:-\r\nA32/1883", ""},
        // Messages of several blocks: only the reassembled message is published.
        DatagramCase{"acarsdecThreeBlocks", Source::Acarsdec,
                     AcarsdecBlock('1', kFirst, "in progress") + AcarsdecBlock('2', kSecond, "in progress") +
                         AcarsdecBlock('3', kWhole, "complete"),
                     1, kWholeContent, "block of a longer message 2"},
        DatagramCase{
            "acarsdecDuplicateAndOutOfSequence", Source::Acarsdec,
            AcarsdecBlock('1', kFirst, "in progress") + AcarsdecBlock('1', kFirst, "duplicate") +
                AcarsdecBlock('3', "NEXT LAM 1030", "out of sequence") + AcarsdecBlock('4', "SINGLE", "skipped"),
            1, "content:-\r\nSINGLE\r\n-", "block of a longer message 1, block out of sequence 1, duplicate block 1"},
        DatagramCase{"dumpvdl2ThreeBlocks", Source::Dumpvdl2,
                     Vdl2Block(kFirst, true) + Vdl2Block(kSecond, true) + Vdl2Block(kWhole, false), 1, kWholeContent,
                     "block of a longer message 2"},
        DatagramCase{"dumpvdl2WithStatus", Source::Dumpvdl2,
                     Vdl2Block(kFirst, true, "in progress") + Vdl2Block(kFirst, true, "duplicate") +
                         Vdl2Block(kWhole, false, "complete"),
                     1, kWholeContent, "block of a longer message 1, duplicate block 1"},
        // Without reassembly (no status) acarsdec's blocks are all there is: each is published.
        DatagramCase{"acarsdecWithoutReassembly", Source::Acarsdec,
                     R"({"label":"H1","block_id":"1","text":"PART 1","end":true})"
                     R"({"label":"H1","block_id":"2","text":"PART 2"})",
                     2, "content:-\r\nPART 2\r\n-", ""},
        // SBS-1 lines of dump1090 and readsb.
        DatagramCase{"sbsAddressInCapitalsCallsignWithoutPadding", Source::Sbs,
                     Msg(3, "4ca123", "EIN123@@", "35000H", "53.12345", "-6.54321"), 1,
                     "report 4CA123 EIN123\r\nN53.12345E-6.54321 FL35000 ft\r\n", ""},
        // The callsign (six characters of it fit the flight id) and the altitude of other records
        // go with the next position.
        DatagramCase{"sbsCallsignAndAltitudeOfOtherRecords", Source::Sbs,
                     Msg(1, "4CA123", "EIN12AB ", "", "", "") + Msg(5, "4CA123", "", "24975", "", "") +
                         Msg(3, "4CA123", "", "", "53.1", "-6.5"),
                     1,
                     "Flight id: EIN12A\r\nMessage content:-\r\nSBS-1 position report 4CA123 EIN12AB\r\n"
                     "N53.10000E-6.50000 FL24975 ft\r\n",
                     "not an airborne position 2"},
        DatagramCase{"sbsRoundsAwayTheSignOfZero", Source::Sbs, Msg(3, "4CA123", "", "0", "-0.000001", "-0.000004"), 1,
                     "\r\nN0.00000E0.00000 FL0 ft\r\n", ""},
        DatagramCase{"sbsBelowSeaLevelHasNoLevel", Source::Sbs, Msg(3, "4CA123", "", "-1200", "31.5", "35.5"), 1,
                     "\r\nN31.50000E35.50000\r\n", ""},
        DatagramCase{"sbsNoAltitude", Source::Sbs, Msg(3, "4CA123", "", "", "51.5", "-0.1"), 1,
                     "\r\nN51.50000E-0.10000\r\n", ""},
        DatagramCase{"sbsHeartbeats", Source::Sbs, "\r\n\n   \r\n", 0, "", ""},
        DatagramCase{"sbsTenFields", Source::Sbs,
                     "MSG,3,1,1,4CA123,1,2026/12/05,11:58:42.123,2026/12/05,11:58:42.125\r\n", 0, "",
                     "too few fields 1"},
        DatagramCase{"sbsIdentification", Source::Sbs, Msg(1, "4CA123", "EIN123", "", "", ""), 0, "",
                     "not an airborne position 1"},
        DatagramCase{"sbsPositionMissing", Source::Sbs, Msg(3, "4CA123", "", "35000", "", ""), 0, "", "no position 1"},
        DatagramCase{"sbsNonIcaoAddress", Source::Sbs, Msg(3, "~4CA12", "", "35000", "53.1", "-6.5"), 0, "",
                     "not an ICAO address 1"},
        DatagramCase{"sbsBadAltitude", Source::Sbs, Msg(3, "4CA123", "", "35x00", "53.1", "-6.5"), 0, "",
                     "bad altitude 1"},
        DatagramCase{"sbsBadLatitude", Source::Sbs, Msg(3, "4CA123", "", "35000", "53.1x", "-6.5"), 0, "",
                     "bad position 1"},
        DatagramCase{"sbsLatitudeOutOfRange", Source::Sbs, Msg(3, "4CA123", "", "35000", "95.0", "-6.5"), 0, "",
                     "position out of range 1"},
        DatagramCase{"sbsBinary", Source::Sbs, std::string("\x00\xff\xfe,3,\x01\r\n", 9), 0, "", "not a MSG record 1"},
        DatagramCase{"sbsOverLongLine", Source::Sbs,
                     std::string(3000, 'M') + "\r\n" + Msg(3, "4CA123", "", "35000", "53.1", "-6.5"), 1, "4CA123",
                     "line over 1024 bytes 1"}),
    test::CaseName());

// ---- SBS-1: what the converter keeps between lines -----------------------------------------

TEST(Sbs, RateLimitKeepsOneReportPerAircraftPerInterval)
{
    SbsConverter sbs(SbsOptions{5});
    Counters counters;
    std::vector<Message> out;
    for (double t : {0.0, 1.0, 4.9, 5.0, 9.0, 10.0}) {
        sbs.Feed(Msg(3, "4CA123", "", "35000", "53.1", "-6.5"), t, kNow, out, counters);
        sbs.Feed(Msg(3, "400AE7", "", "35000", "51.1", "-1.5"), t, kNow, out, counters);
    }
    EXPECT_EQ(out.size(), 6u);  // each at 0, 5 and 10 s
    EXPECT_EQ(counters.dropped, (Drops{{"rate limit", 6}}));
    EXPECT_EQ(fields::MessageNumber(out.back().text), "0006");  // one number after another

    SbsConverter every(SbsOptions{0});
    out.clear();
    for (int i = 0; i < 3; ++i) every.Feed(Msg(3, "4CA123", "", "35000", "53.1", "-6.5"), 0, kNow, out, counters);
    EXPECT_EQ(out.size(), 3u);
}

// A report that would bring KORVAL the aircraft's first callsign or altitude is not held back
// by the rate limit; once they are known, the limit holds again.
TEST(Sbs, RateLimitLetsThroughTheFirstCallsignAndAltitude)
{
    SbsConverter sbs(SbsOptions{5});
    Counters counters;
    std::vector<Message> out;
    auto feed = [&](const std::string& line, double t) { sbs.Feed(line, t, kNow, out, counters); };
    feed(Msg(3, "4CA123", "", "", "53.1", "-6.5"), 0);        // published: neither known yet
    feed(Msg(1, "4CA123", "EIN123", "", "", ""), 1);          // the callsign, no position
    feed(Msg(3, "4CA123", "", "", "53.2", "-6.5"), 2);        // published: brings the callsign
    feed(Msg(3, "4CA123", "", "", "53.3", "-6.5"), 3);        // held back
    feed(Msg(3, "4CA123", "", "35000", "53.4", "-6.5"), 4);   // published: brings the altitude
    feed(Msg(3, "4CA123", "", "35100", "53.5", "-6.5"), 5);   // held back: only a new altitude
    feed(Msg(3, "4CA123", "EIN124", "", "53.6", "-6.5"), 6);  // held back: only a new callsign
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(fields::FlightField(out[0].text), "      ");
    EXPECT_EQ(fields::FlightField(out[1].text), "EIN123");
    EXPECT_NE(out[2].text.find("N53.40000E-6.50000 FL35000 ft"), std::string::npos) << out[2].text;
    EXPECT_EQ(counters.dropped, (Drops{{"not an airborne position", 1}, {"rate limit", 3}}));
}

TEST(Sbs, LinesSplitAcrossReadsAreJoinedAndACutLineIsDroppedOnClose)
{
    SbsConverter sbs;
    const std::string line = Msg(3, "4CA123", "EIN123", "35000", "53.1", "-6.5");
    Counters counters;
    std::vector<Message> out;
    for (char c : line) sbs.Feed(std::string(1, c), 0, kNow, out, counters);
    EXPECT_EQ(out.size(), 1u);

    sbs.Feed(line.substr(0, 40), 10, kNow, out, counters);
    sbs.Close(counters);
    EXPECT_EQ(counters.dropped, (Drops{{"line cut short by the connection", 1}}));
    sbs.Feed(line.substr(40), 20, kNow, out, counters);  // a new connection: the old half is gone
    EXPECT_EQ(out.size(), 1u);
    EXPECT_EQ(counters.dropped.at("not a MSG record"), 1);
    EXPECT_EQ(counters.received, static_cast<long long>(out.size()) + counters.DroppedTotal());
}

TEST(Sbs, SilentAircraftAreForgotten)
{
    SbsConverter sbs(SbsOptions{5, 1024, 600});
    Counters counters;
    std::vector<Message> out;
    sbs.Feed(Msg(1, "4CA123", "EIN123", "", "", ""), 0, kNow, out, counters);
    sbs.Feed(Msg(1, "400AE7", "BAW1", "", "", ""), 500, kNow, out, counters);
    EXPECT_EQ(sbs.Tracked(), 2u);
    sbs.Feed(Msg(3, "400AE7", "", "35000", "51.1", "-1.5"), 700, kNow, out, counters);
    EXPECT_EQ(sbs.Tracked(), 1u);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(fields::FlightField(out[0].text), "BAW1  ");
}

}  // namespace
}  // namespace korval::bridge
