// Realistic messages for the kinds of rule in the table (each family's first, the quiet rules, the
// flattening ones, the rules whose result the parser cannot read): what ReformatData makes of
// them, the flags it leaves, and what GetPos then reads. Every expected value was worked out by
// hand from the rules, including what the other 70 rules do to the text afterwards.
#include <gtest/gtest.h>

#include <string>

#include "reformat/getpos.h"
#include "reformat/reformat.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
struct RuleMessage {
    const char* name;
    const char* flight;    // six characters of the flight id field
    bool refOCA;           // "Reformat Oceanic" checked
    const char* content;   // the content before the trailer line
    const char* expected;  // the content after ReformatData (the trailer follows unchanged)
    bool reformatted, oceanic, request;
    const char* positions;  // PositionText; "" where no readable position comes out
};

// The Airmaster trailer line: the header and this line must come through every rule unchanged.
std::string Trailer()
{
    return std::string(58, '-') + "[05.12.2026 12:00]";
}

// clang-format off
const RuleMessage kRuleMessages[] = {
    {"r01_AF1", "AF0123", false,
     "POS,N4852,E00221,1235,FL350\r\n",
     "POS, N48520E002210, 1235,FL350\r\n", true, false, false, "48870/002350,"},
    {"r05_oceanicWholeDegrees", "BA0117", true,
     "CLX 1234 051205 EGGX CLRD TO KJFK VIA 55N020W 55N030W 54N040W\r\n",
     "CLX 1234 051205 EGGX CLRD TO KJFK VIA N5500W02000N5500W03000N5400W04000", false, true, false,
     "55000/-020000,55000/-030000,54000/-040000,"},
    {"r06_oceanicSlashForm", "AC0854", true,
     "CLA 0930 051205 CZQX CLRD TO EGLL VIA 55/20 55/30 54/40 END\r\n",
     "CLA 0930 051205 CZQX CLRD TO EGLL VIA N5500W02000 N5500W03000 N5400W04000 END\r\n", false, true, false,
     "55000/-020000,55000/-030000,54000/-040000,"},
    // Requests are flattened: the line break before the trailer goes.
    {"r07_requestFiveCharacter", "BA0117", false,
     "REQPWI/WQ330:5030N.5040N\r\n",
     "REQPWI/WQ330:.N50000W030000..N50000W040000", false, false, true, "50000/-030000,50000/-040000,"},
    // Rule 10 flattens the message before it rewrites.
    {"r10_SAS2", "SK0903", false,
     "POS 1215530N01230E0350 FL350\r\n",
     "POS 121N5530E012300350  FL350", true, false, false, "55500/012500,"},
    {"r11_CI1_notAPosition", "CI0065", false,
     "RPT 0.25123.4LN12130E0 0350\r\n",
     "RPT 0.25123.4 LN..12130..E..0 0350\r\n", true, false, false, ""},
    {"r21_FST01_quiet", "UP6567", false,
     "FST01EGKKLFPGN050123E0001234 350 M45\r\n",
     "FST01EGKKLFPGN50123E0001234 350 M45\r\n", false, false, false, "50203/000203,"},
    {"r22_KLM1", "KL0641", false,
     "POS 5230N02015W/ 1234 FL350\r\n",
     "POS  N52300W020150/  1234 FL350\r\n", true, false, false, "52500/-020250,"},
    {"r24_FIN1", "AY0011", false,
     "POS N 60.317/E024.963 FL350 1215\r\n",
     "POS N 60.317,E024.963, FL350 1215\r\n", true, false, false, "60317/024963,"},
    // A longitude of four digits or more is taken by rule 24 first; rule 25 sees only short ones,
    // and three digits are too few for the parser.
    {"r25_BOT1_shortLongitude", "UP6567", false,
     "POS N 512345/W012\r\n",
     "POS N512345W012\r\n", true, false, false, ""},
    {"r25_BOT1_takenByFIN1", "UP6567", false,
     "POS N 512345/W0012345 FL350\r\n",
     "POS N 51.345,W001.345, FL350\r\n", true, false, false, "51345/-001345,"},
    // The decimal PIREP forms come out as compact text, which the parser reads as minutes.
    {"r36_UA8", "UA0901", false,
     "PIREP UA 1630 47.3500  -1.2218 FL350\r\n",
     " PIREP UA 1630 N473500W0012218 FL350\r\n", true, false, false, "47580/-001371,"},
    // Both positions in one pass: the matches do not overlap.
    {"r42_US1", "AA0002", false,
     "ROUTE KORD.N42W090.N40W100.KLAX\r\n",
     "ROUTE KORD.N4200W09000..N4000W10000..KLAX\r\n", true, false, false, "42000/-090000,40000/-100000,"},
    // The rule writes "N." and the minutes without the degrees: no position survives.
    {"r45_DELWJ1_dropsLatitudeDegrees", "DL0106", false,
     "DFB239/001/1630/FL350/M052 5130 00512345\r\n",
     "DFB239/001/1630/FL350/M052N.300,E005.12345,\r\n", true, false, false, ""},
    // "(N|S\d{4})" is "N" alone or "S" and four digits: only southern positions are rewritten.
    {"r60_Q3", "QF0001", false,
     "#DFB623/1630/S3352E15112/350\r\n",
     "#DFB623/1630/S33520E151120/350\r\n", true, false, false, "-33870/151200,"},
    {"r69_V1_decimalAtLineEnd", "UP6567", false,
     "POS N 51.234,W001.456\r\n",
     "POS N 51.234,W001.456,\r\n", false, false, false, "51234/-001456,"},
    {"r69_V1_lineEndingInN", "UA0901", false,
     "FROM KJFK TO EGLL VIA CYQX\r\nRMK REQUEST DESCENT ON\r\n",
     "FROM KJFK TO EGLL VIA CYQX\r\nRMK REQUEST DESCENT ON,\r\n", false, false, false, ""},
    {"r70_estimatedTime", "EI0105", false,
     "POS N53300W006150 EA1432 FL350\r\n",
     "POS N53300W006150 ETA1432 FL350\r\n", false, false, false, "53500/-006250,"},
    {"r71_3D1", "BA0117", false,
     "FPL,EGLL,LHR,JFK,BAW117\r\n",
     "FPL,EGLL.LHR.JFK.BAW117\r\n", false, false, false, ""},
};
// clang-format on

class RuleMessages : public ::testing::TestWithParam<RuleMessage> {};

TEST_P(RuleMessages, ReformatThenParse)
{
    const RuleMessage& c = GetParam();
    test::Rig rig;
    Station& s = rig.station;
    s.opt.mnuRefOCA = c.refOCA;
    const std::string header = test::Canonical(".N923UP", "H1", '2', "M76A", c.flight, "");
    s.CurrentMessage = header + c.content + Trailer();

    ReformatData(s);

    EXPECT_EQ(s.CurrentMessage, header + c.expected + Trailer());
    EXPECT_EQ(s.PositionReformatted, c.reformatted);
    EXPECT_EQ(s.OceanicMessage, c.oceanic);
    EXPECT_EQ(s.REQPWIMessage, c.request);
    EXPECT_FALSE(s.GanderMessage);
    EXPECT_EQ(s.ErrProcedure, "");

    s.box.LiveData.Text = s.CurrentMessage;
    GetPos(s);
    EXPECT_EQ(s.PositionText, c.positions);
    EXPECT_EQ(s.PositionFound, std::string(c.positions).size() > 0);
}

INSTANTIATE_TEST_SUITE_P(Reformat, RuleMessages, ::testing::ValuesIn(kRuleMessages), test::CaseName());

}  // namespace
}  // namespace korval
