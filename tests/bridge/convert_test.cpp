#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "bridge_convert.h"
#include "intake/normalisers.h"
#include "station/station.h"
#include "test_support.h"
#include "text/fields.h"

namespace korval::bridge {
namespace {

using korval::test::PrintTo;
using namespace std::string_literals;
using Drops = std::map<std::string, long long>;

constexpr std::int64_t kNow = 1796472000;  // 2026-12-05 12:00:00 UTC
const std::string kDashes(58, '-');

// The text as the program has it after the normaliser of the form's menu item.
std::string Normalised(Form form, const std::string& text)
{
    test::Rig rig;
    rig.station.CurrentMessage = text;
    if (form == Form::HfAcars) {
        HFACARS_FIX(rig.station);
    } else {
        Airmaster_FIX(rig.station);
    }
    return rig.station.CurrentMessage;
}

// ---- Header layout ----------------------------------------------------------------------------

struct HeaderCase {
    const char* name;
    AcarsFields in;
    std::string reg7, label2;
    char block;
    std::string msgNo, flight6;
};

class HeaderLayout : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderLayout, EveryFieldReadsBackAtItsFixedPositionInBothForms)
{
    const HeaderCase& c = GetParam();
    for (Form form : {Form::Airmaster, Form::HfAcars}) {
        AcarsFields in = c.in;
        in.time = kNow;
        const std::string m = Normalised(form, form == Form::Airmaster ? AirmasterText(in) : HfAcarsText(in));
        SCOPED_TRACE(form == Form::Airmaster ? "Airmaster" : "HF ACARS");
        EXPECT_EQ(m.substr(0, 13), "1ACARS mode: ");
        EXPECT_EQ(fields::RegistrationField(m), c.reg7);
        EXPECT_EQ(m.substr(54, 2), c.label2);
        EXPECT_EQ(m.substr(56, 12), "  Block id: ");
        EXPECT_EQ(m[68], c.block);
        EXPECT_EQ(fields::MessageNumber(m), c.msgNo);
        EXPECT_EQ(fields::FlightField(m), c.flight6);
        EXPECT_EQ(m.substr(103, 21), "\r\nMessage content:-\r\n");
        EXPECT_EQ(fields::Content(m),
                  "POS\r\n" + kDashes + "[05.12.2026 12:00]" + (form == Form::HfAcars ? "\r\n" : ""));
    }
}

AcarsFields Fields(std::string reg, std::string label, char block, std::string msgNo, std::string flight)
{
    AcarsFields f;
    f.reg = std::move(reg);
    f.label = std::move(label);
    f.block = block;
    f.msgNo = std::move(msgNo);
    f.flight = std::move(flight);
    f.text = "POS";
    return f;
}

INSTANTIATE_TEST_SUITE_P(Bridge, HeaderLayout,
                         ::testing::Values(HeaderCase{"regOfSeven", Fields("N12345X", "15", '2', "M01A", "UP6567"),
                                                      "N12345X", "15", '2', "M01A", "UP6567"},
                                           HeaderCase{"regTooLong", Fields("ABCDEFGHI", "15", '2', "M01A", "UP6567"),
                                                      "ABCDEFG", "15", '2', "M01A", "UP6567"},
                                           HeaderCase{"shortFlight", Fields("D-ALCA", "5Z", '2', "M20A", "LH84"),
                                                      ".D-ALCA", "5Z", '2', "M20A", "LH84  "},
                                           HeaderCase{"longFlight", Fields("N923UP", "15", '2', "M01A", "UAL12345"),
                                                      ".N923UP", "15", '2', "M01A", "UAL123"},
                                           HeaderCase{"lineEndsInsideFields",
                                                      Fields("N9\r\n3UP", "H1", '\0', "M\n6A", "UP\r\n67"), "N9  3UP",
                                                      "H1", ' ', "M 6A", "UP  67"}),
                         test::CaseName());

// ---- Content and trailer ----------------------------------------------------------------------

struct ContentCase {
    const char* name;
    std::string text;
    std::string lines;  // the content before the trailer, CR LF line ends
};

class ContentLines : public ::testing::TestWithParam<ContentCase> {};

TEST_P(ContentLines, ArriveWithCrLfAndTheTrailerAfterTheNormaliser)
{
    const ContentCase& c = GetParam();
    AcarsFields in = Fields("N923UP", "H1", '4', "M76A", "UP6567");
    in.text = c.text;
    in.time = kNow;
    EXPECT_EQ(fields::Content(Normalised(Form::Airmaster, AirmasterText(in))),
              c.lines + kDashes + "[05.12.2026 12:00]");
    EXPECT_EQ(fields::Content(Normalised(Form::HfAcars, HfAcarsText(in))),
              c.lines + kDashes + "[05.12.2026 12:00]\r\n");
}

INSTANTIATE_TEST_SUITE_P(Bridge, ContentLines,
                         ::testing::Values(ContentCase{"crLf", "A\r\nB", "A\r\nB\r\n"},
                                           ContentCase{"lfOnly", "A\nB\n", "A\r\nB\r\n"}, ContentCase{"empty", "", ""},
                                           ContentCase{"bytesKept", "\xe9\x01\x7f\xff", "\xe9\x01\x7f\xff\r\n"}),
                         test::CaseName());

// ---- Datagrams ---------------------------------------------------------------------------------

struct DatagramCase {
    const char* name;
    Source source;
    std::string datagram;
    long long published;
    Drops drops;
};

class Datagrams : public ::testing::TestWithParam<DatagramCase> {};

TEST_P(Datagrams, AreConvertedOrDroppedWithTheirReasonAndCounted)
{
    const DatagramCase& c = GetParam();
    std::vector<Message> out;
    Counters counters;
    ConvertDatagram(c.source, c.datagram, kNow, out, counters);
    EXPECT_EQ(static_cast<long long>(out.size()), c.published);
    EXPECT_EQ(counters.dropped, c.drops);
    EXPECT_EQ(counters.received, c.published + counters.DroppedTotal());
}

const std::string kAcars = R"({"timestamp":1796471922.5,"channel":0,"freq":131.550,"mode":"2","label":"15",)"
                           R"("block_id":"2","ack":false,"tail":"G-STBA","flight":"SK1061","msgno":"M91A",)"
                           R"("text":"POS,N4150.8,E02000.0,0439,350"})";
const std::string kVdl2Xid = R"({"vdl2":{"t":{"sec":1796471922},"avlc":{"frame_type":"U","xid":{}}}})";
const std::string kVdl2Error = R"({"vdl2":{"avlc":{"acars":{"err":true}}}})";

std::string Hfdl(const std::string& hfnpdu)
{
    return R"({"hfdl":{"t":{"sec":1796471922},"freq":8942000,"lpdu":{"hfnpdu":)" + hfnpdu + "}}}";
}

INSTANTIATE_TEST_SUITE_P(
    Bridge, Datagrams,
    ::testing::Values(
        DatagramCase{"one", Source::Acarsdec, kAcars, 1, {}},
        DatagramCase{"doubledBackToBack", Source::Acarsdec, kAcars + kAcars, 2, {}},
        DatagramCase{"brokenJson", Source::Acarsdec, R"({"label":"15","text":"POS N)", 0, {{"broken JSON", 1}}},
        DatagramCase{
            "garbageLineThenMessage", Source::Acarsdec, "\x01\x02 garbage\n" + kAcars, 1, {{"broken JSON", 1}}},
        DatagramCase{"bracesInsideText", Source::Acarsdec, R"({"label":"15","text":"{[}] \"q\" \\"})", 1, {}},
        DatagramCase{"over32KiB", Source::Acarsdec, std::string(64 * 1024, 'x'), 0, {{"over 32768 bytes", 1}}},
        DatagramCase{"deepNesting",
                     Source::Acarsdec,
                     std::string(200, '[') + std::string(200, ']'),
                     0,
                     {{"nested deeper than 64 levels", 1}}},
        DatagramCase{"notAnObject", Source::Acarsdec, R"(["label","15"])", 0, {{"not a JSON object", 1}}},
        DatagramCase{"noLabel", Source::Acarsdec, R"({"text":"POS"})", 0, {{"not an acarsdec message", 1}}},
        DatagramCase{"labelNotText", Source::Acarsdec, R"({"label":15})", 0, {{"\"label\" is not a text", 1}}},
        // An optional field of the wrong type is as if absent: the bridge's own time dates it.
        DatagramCase{"timestampNotNumber", Source::Acarsdec, R"({"label":"15","timestamp":"now"})", 1, {}},
        DatagramCase{"blanksOnly", Source::Acarsdec, " \r\n\t", 0, {}},
        DatagramCase{"acarsdecOnDumpvdl2Port", Source::Dumpvdl2, kAcars, 0, {{"not a dumpvdl2 message", 1}}},
        DatagramCase{"vdl2WithoutAcars", Source::Dumpvdl2, kVdl2Xid, 0, {{"not ACARS", 1}}},
        DatagramCase{"vdl2AcarsError", Source::Dumpvdl2, kVdl2Error, 0, {{"ACARS not decoded", 1}}},
        DatagramCase{"hfdlPosition",
                     Source::Dumphfdl,
                     Hfdl(R"({"flight_id":"BAW117","pos":{"lat":51.39,"lon":-12.575}})"),
                     1,
                     {}},
        DatagramCase{"hfdlUnknownPosition",
                     Source::Dumphfdl,
                     Hfdl(R"({"flight_id":"BAW117","pos":{"lat":180,"lon":180}})"),
                     0,
                     {{"no position (180, 180)", 1}}},
        DatagramCase{"hfdlLatitudeOutOfRange",
                     Source::Dumphfdl,
                     Hfdl(R"({"flight_id":"BAW117","pos":{"lat":91.5,"lon":10}})"),
                     0,
                     {{"position out of range", 1}}},
        DatagramCase{"hfdlNoFlight",
                     Source::Dumphfdl,
                     Hfdl(R"({"flight_id":"  ","pos":{"lat":51,"lon":10}})"),
                     0,
                     {{"no flight id", 1}}},
        DatagramCase{"hfdlPositionWithoutLongitude",
                     Source::Dumphfdl,
                     Hfdl(R"({"flight_id":"BAW117","pos":{"lat":51}})"),
                     0,
                     {{"position without latitude or longitude", 1}}},
        DatagramCase{"hfdlSquitter",
                     Source::Dumphfdl,
                     R"({"hfdl":{"spdu":{"gs_status":[]}}})",
                     0,
                     {{"no position or ACARS", 1}}}),
    test::CaseName());

// ---- Messages of several blocks ------------------------------------------------------------------

// acarsdec hands over every block as it comes ("assstat" "in progress"), then the last block again
// with the whole text ("complete"); a block seen twice is a "duplicate", one after a gap "out of
// sequence". libacars (dumpvdl2) says the same in "reasm_status" of its ACARS object and marks
// every block but the last with "more".
std::string AcarsdecBlock(char block, const std::string& seq, const std::string& text, const std::string& status)
{
    return R"({"timestamp":1796471922.5,"mode":"2","label":"H1","block_id":")" + std::string(1, block) +
           R"(","tail":"G-STBA","flight":"BA0117","msgno":"M01)" + seq + R"(","text":")" + text + R"(","assstat":")" +
           status + R"("})";
}

std::string Vdl2Block(char block, const std::string& seq, const std::string& text, bool more,
                      const std::string& status = {})
{
    return R"({"vdl2":{"t":{"sec":1796471922},"avlc":{"acars":{"err":false,"crc_ok":true,"more":)" +
           std::string(more ? "true" : "false") + R"(,"reg":".G-STBA","mode":"2","label":"H1","blk_id":")" +
           std::string(1, block) + R"(","flight":"BA0117","msg_num":"M01","msg_num_seq":")" + seq +
           R"(","msg_text":")" + text + '"' + (status.empty() ? "" : R"(,"reasm_status":")" + status + '"') + "}}}}";
}

struct BlocksCase {
    const char* name;
    Source source;
    std::vector<std::string> datagrams;  // in the order the decoder sends them
    std::vector<std::string> published;  // the contents published, before the trailer
    Drops drops;
};

class MultiBlock : public ::testing::TestWithParam<BlocksCase> {};

TEST_P(MultiBlock, OnlyTheReassembledMessageIsPublished)
{
    const BlocksCase& c = GetParam();
    std::vector<Message> out;
    Counters counters;
    for (const std::string& d : c.datagrams) ConvertDatagram(c.source, d, kNow, out, counters);
    std::vector<std::string> contents;
    for (const Message& m : out) {
        const std::string content = fields::Content(Normalised(Form::Airmaster, m.text));
        contents.push_back(content.substr(0, content.find(kDashes)));
    }
    EXPECT_EQ(contents, c.published);
    EXPECT_EQ(counters.dropped, c.drops);
    EXPECT_EQ(counters.received, static_cast<long long>(c.datagrams.size()));
}

const std::string kWhole = "POS N51286W000270,101512,350\\r\\nNEXT LAM 1030";

INSTANTIATE_TEST_SUITE_P(
    Bridge, MultiBlock,
    ::testing::Values(BlocksCase{"acarsdecThreeBlocks",
                                 Source::Acarsdec,
                                 {AcarsdecBlock('1', "A", "POS N51286W000270,", "in progress"),
                                  AcarsdecBlock('2', "B", "101512,350\\r\\n", "in progress"),
                                  AcarsdecBlock('3', "C", kWhole, "complete")},
                                 {"POS N51286W000270,101512,350\r\nNEXT LAM 1030\r\n"},
                                 {{"block of a longer message", 2}}},
                      BlocksCase{
                          "acarsdecDuplicateAndOutOfSequence",
                          Source::Acarsdec,
                          {AcarsdecBlock('1', "A", "POS N51286W000270,", "in progress"),
                           AcarsdecBlock('1', "A", "POS N51286W000270,", "duplicate"),
                           AcarsdecBlock('3', "C", "NEXT LAM 1030", "out of sequence"),
                           AcarsdecBlock('4', "D", "SINGLE", "skipped")},
                          {"SINGLE\r\n"},
                          {{"block of a longer message", 1}, {"duplicate block", 1}, {"block out of sequence", 1}}},
                      BlocksCase{"dumpvdl2ThreeBlocks",
                                 Source::Dumpvdl2,
                                 {Vdl2Block('1', "A", "POS N51286W000270,", true),
                                  Vdl2Block('2', "B", "101512,350\\r\\n", true), Vdl2Block('3', "C", kWhole, false)},
                                 {"POS N51286W000270,101512,350\r\nNEXT LAM 1030\r\n"},
                                 {{"block of a longer message", 2}}},
                      BlocksCase{"dumpvdl2WithStatus",
                                 Source::Dumpvdl2,
                                 {Vdl2Block('1', "A", "POS N51286W000270,", true, "in progress"),
                                  Vdl2Block('1', "A", "POS N51286W000270,", true, "duplicate"),
                                  Vdl2Block('3', "C", kWhole, false, "complete")},
                                 {"POS N51286W000270,101512,350\r\nNEXT LAM 1030\r\n"},
                                 {{"block of a longer message", 1}, {"duplicate block", 1}}},
                      // Without reassembly (no status) acarsdec's blocks are all there is: each is published.
                      BlocksCase{"acarsdecWithoutReassembly",
                                 Source::Acarsdec,
                                 {R"({"label":"H1","block_id":"1","text":"PART 1","end":true})",
                                  R"({"label":"H1","block_id":"2","text":"PART 2"})"},
                                 {"PART 1\r\n", "PART 2\r\n"},
                                 {}}),
    test::CaseName());

// ---- Odd fields ----------------------------------------------------------------------------------

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

struct OddCase {
    const char* name;
    Source source;
    std::string datagram;
    std::string needle;  // what the published text holds; empty when nothing is published
    Drops drops;
};

class OddFields : public ::testing::TestWithParam<OddCase> {};

TEST_P(OddFields, AWrongTypedOptionalFieldCostsNothing)
{
    const OddCase& c = GetParam();
    std::vector<Message> out;
    Counters counters;
    ConvertDatagram(c.source, c.datagram, kNow, out, counters);
    EXPECT_EQ(counters.dropped, c.drops);
    if (c.needle.empty()) {
        EXPECT_TRUE(out.empty());
        return;
    }
    ASSERT_EQ(out.size(), 1u) << counters.Summary();
    EXPECT_NE(out[0].text.find(c.needle), std::string::npos) << out[0].text;
}

const std::string kAdscDecoded =
    R"({"ads-c":{"tags":[{"basic_report":{"lat":51.5,"lon":-1.5,"alt":35000,"ts_sec":1234.5,)"
    R"("pos_accuracy_nm":0.05,"nav_redundancy":true,"tcas_avail":true}}]}})";

std::string Vdl2Acars(const std::string& members)
{
    return R"({"vdl2":{"t":{"sec":1796471922},"avlc":{"acars":{"label":"B6","blk_id":"2",)" + members + "}}}}";
}

INSTANTIATE_TEST_SUITE_P(
    Bridge, OddFields,
    ::testing::Values(OddCase{"textFrequency",
                              Source::Dumphfdl,
                              R"({"hfdl":{"t":{"sec":1796471922},"freq":"8942000","lpdu":{"hfnpdu":)"
                              R"({"flight_id":"BAW117","pos":{"lat":51.39,"lon":-12.575}}}}})",
                              "BAW117,,11:58:42,8942,",
                              {}},
                      OddCase{"numericTail",
                              Source::Acarsdec,
                              R"({"label":"15","block_id":"2","tail":12345,"text":"X"})",
                              "Aircraft reg: ..12345",
                              {}},
                      OddCase{"textTimestamp",
                              Source::Acarsdec,
                              R"({"label":"15","block_id":"2","timestamp":"1796471922.5"})",
                              "[05/12/2026 11:58]",
                              {}},
                      OddCase{"timestampInTheLastYear",
                              Source::Acarsdec,
                              R"({"label":"15","block_id":"2","timestamp":253402300799})",
                              "[31/12/9999 23:59]",
                              {}},
                      // A year of five digits (or past what the calendar holds) would break the trailer.
                      OddCase{"timestampPastTheLastYear",
                              Source::Acarsdec,
                              R"({"label":"15","block_id":"2","timestamp":253402300800})",
                              "[05/12/2026 12:00]",
                              {}},
                      OddCase{"timestampOfThirtyMillennia",
                              Source::Acarsdec,
                              R"({"label":"15","block_id":"2","timestamp":999999999999})",
                              "[05/12/2026 12:00]",
                              {}},
                      OddCase{"booleanFlight",
                              Source::Dumpvdl2,
                              Vdl2Acars(R"("flight":true,"msg_text":"X")"),
                              "Flight id:       \r\n",
                              {}},
                      OddCase{
                          "adscDecodedInside",
                          Source::Dumpvdl2,
                          Vdl2Acars(R"("msg_text":"/AKLCDYA.ADS.G-STBA07","arinc622":{"gs_addr":"AKLCDYA","adsc":)" +
                                    Nested(30, kAdscDecoded) + "}"),
                          "/AKLCDYA.ADS.G-STBA07",
                          {}},
                      OddCase{"nestedDeeperThan64",
                              Source::Dumpvdl2,
                              Vdl2Acars(R"("msg_text":"X","deep":)" + Nested(70, "1")),
                              "",
                              {{"nested deeper than 64 levels", 1}}},
                      // The position is what an HFDL record is for: without it there is nothing to publish.
                      OddCase{"textLatitude",
                              Source::Dumphfdl,
                              Hfdl(R"({"flight_id":"BAW117","pos":{"lat":"north","lon":-12.575}})"),
                              "",
                              {{"position without latitude or longitude", 1}}}),
    test::CaseName());

// Bytes arrive as the decoder sent them, however it wrote them: raw (valid UTF-8 or not) or escaped.
TEST(Bridge, NonAsciiBytesPassUnchanged)
{
    const std::string datagram =
        "{\"label\":\"15\",\"timestamp\":1796471922,\"text\":\"raw \xe9\xff utf8 \xc3\xa9"
        " escaped \\u00e9\\u0001 wide \\u20ac\"}";
    std::vector<Message> out;
    Counters counters;
    ConvertDatagram(Source::Acarsdec, datagram, kNow, out, counters);
    ASSERT_EQ(out.size(), 1u) << counters.Summary();
    EXPECT_EQ(fields::Content(Normalised(Form::Airmaster, out[0].text)),
              "raw \xe9\xff utf8 \xc3\xa9 escaped \xe9\x01 wide ?\r\n" + kDashes + "[05.12.2026 11:58]");
}

// ---- The H1 sublabel that the decoders take off the text ----------------------------------------

struct SublabelCase {
    const char* name;
    std::string extra;  // JSON members
    char block;
    std::string label;
    std::string contentStart;
};

class Sublabels : public ::testing::TestWithParam<SublabelCase> {};

TEST_P(Sublabels, GoBackInFrontOfTheText)
{
    const SublabelCase& c = GetParam();
    const std::string datagram = R"({"label":")" + c.label + R"(","block_id":")" + std::string(1, c.block) +
                                 R"(","text":"A32/1883",)" + c.extra + "}";
    std::vector<Message> out;
    Counters counters;
    ConvertDatagram(Source::Acarsdec, datagram, kNow, out, counters);
    ASSERT_EQ(out.size(), 1u) << counters.Summary();
    EXPECT_EQ(fields::Content(Normalised(Form::Airmaster, out[0].text)).substr(0, c.contentStart.size()),
              c.contentStart);
}

INSTANTIATE_TEST_SUITE_P(
    Bridge, Sublabels,
    ::testing::Values(SublabelCase{"downlink", R"("sublabel":"DF")", '7', "H1", "#DFBA32/1883\r\n"},
                      SublabelCase{"downlinkWithMfi", R"("sublabel":"DF","mfi":"AT")", '7', "H1", "#DFB/AT A32/1883"},
                      SublabelCase{"uplink", R"("sublabel":"M1")", 'S', "H1", "- #M1A32/1883"},
                      SublabelCase{"notH1", R"("sublabel":"DF")", '7', "15", "A32/1883"},
                      SublabelCase{"none", R"("assstat":"skipped")", '7', "H1", "A32/1883"}),
    test::CaseName());

// ---- The HFDL record ---------------------------------------------------------------------------

struct RecordCase {
    const char* name;
    double lat, lon;
    std::string position;  // the record from its fifth field on
};

class HfdlRecords : public ::testing::TestWithParam<RecordCase> {};

TEST_P(HfdlRecords, WriteDegreesMinutesAndTenths)
{
    const RecordCase& c = GetParam();
    HfdlPosition p{"BAW117", "", "11:58:42", "8942", c.lat, c.lon};
    EXPECT_EQ(HfdlRecord(p), "BAW117,,11:58:42,8942," + c.position);
}

INSTANTIATE_TEST_SUITE_P(
    Bridge, HfdlRecords,
    ::testing::Values(RecordCase{"roundsUpToTheNextDegree", 51.99999, 0.999999, "001,00,0,E,52,00,0,N;"},
                      RecordCase{"southOfZeroRoundsToNorth", -0.00001, -0.00001, "000,00,0,E,00,00,0,N;"},
                      RecordCase{"dateLine", 0.5, 180, "180,00,0,E,00,30,0,N;"}),
    test::CaseName());

TEST(Bridge, HfdlRecordPadsTheRegistrationAndTheNormaliserFillsTheBoxes)
{
    test::Rig rig;
    rig.station.CurrentMessage = HfdlRecord({"BAW117", "G-VIIS", "11:58:42", "8942", 51.39, -12.575});
    ASSERT_TRUE(HFDL_FIX(rig.station));
    EXPECT_EQ(rig.station.box.Flight.Text, "BAW117");
    EXPECT_EQ(rig.station.box.Aircraft.Text, "G-VIIS");
    EXPECT_EQ(fields::Content(rig.station.CurrentMessage), "BAW117,.G-VIIS,11:58:42,8942,N51234W012345;\r\n");
}

}  // namespace
}  // namespace korval::bridge
