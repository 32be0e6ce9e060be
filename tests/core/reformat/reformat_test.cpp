#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "reformat/getpos.h"
#include "reformat/reformat.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
std::string Header(const char* flight)
{
    return test::Canonical(".G-EUPJ", "H1", '3', "M41A", flight, "");
}

// The flags a run leaves, one letter each (Reformatted, Oceanic, reQuest, Gander), then the
// procedure that logged a fault, if any.
std::string Flags(const Station& s)
{
    std::string f;
    for (auto [set, letter] : {std::pair{s.PositionReformatted, 'R'}, std::pair{s.OceanicMessage, 'O'},
                               std::pair{s.REQPWIMessage, 'Q'}, std::pair{s.GanderMessage, 'G'}})
        if (set) f += letter;
    return s.ErrProcedure.empty() ? f : f + " fault in " + s.ErrProcedure;
}

// ---- the run of ReformatData ---------------------------------------------------------------

struct RunCase {
    const char* name;
    const char* flight;
    bool refOCA;
    bool ganderBefore;  // GanderMessage as the pipeline left it
    std::string content, expected;
    const char* flags;
};

std::string Repeated(std::string_view piece, std::size_t size)
{
    std::string text;
    while (text.size() < size) text += piece;
    return text;
}

// Every rule needs an ASCII letter or digit: binary bytes without them (every other byte value).
std::string BinaryWithoutLettersOrDigits()
{
    std::string content;
    for (int i = 0; i < 20000; ++i) {
        const auto byte = static_cast<unsigned char>((i * 7919) & 0xff);
        content += static_cast<char>(std::isalnum(byte) ? byte | 0x80 : byte);
    }
    return content;
}

// clang-format off
const RunCase kRuns[] = {
    {"emptyMessage", "", true, false, "", "", ""},
    // A keyword and a greedy "[\s\S]*" rewrite the last occurrence per pass; the further
    // passes reach the earlier ones.
    {"everyOccurrenceOverPasses", "KL0641", false, false, "POS 5230N02015W/ 1234 POS 5300N01800W/ 1300\r\n",
     "POS  N52300W020150/  1234 POS  N53000W018000/  1300\r\n", "R"},
    // Rule 71 would turn ",ABC," into ".ABC." if the run went on after the clearance.
    {"oceanicClearanceEndsTheRun", "BA0117", true, false, "CLX 1234 CLRD VIA 55N020W 54N040W\r\nRMK,ABC,DEF\r\n",
     "CLX 1234 CLRD VIA N5500W02000N5400W04000RMK,ABC,DEF\r\n", "O"},
    {"oceanicOffRulesNotTried", "BA0117", false, true, "CLX 1234 CLRD VIA 55N020W 55N030W 54N040W\r\n",
     "CLX 1234 CLRD VIA 55N020W 55N030W 54N040W\r\n", "G"},
    {"ganderCodeWithoutClearance", "AC0854", true, false, "POSRPT B919YQX 1234\r\n", "POSRPT B919YQX 1234\r\n", "G"},
    {"ganderCodeWithoutEitherCodeIsCleared", "AC0854", true, true, "POSRPT 1234\r\n", "POSRPT 1234\r\n", ""},
    {"ganderClearanceSlashForm", "AC0854", true, false, "CLA 1234 CZQX/YQXOOYA CLRD 55/20 55/30 END\r\n",
     "CLA 1234 CZQXGANDER CLRD N5500W02000 N5500W03000 END\r\n", "OG"},
    // Rule 67 takes one pass, so only the last position; the flight plan is spaced first.
    {"signedWestOnceAndFlightPlanSpaced", "BD0123", false, false,
     "RTE EGLL.BDFM0123\r\nPOS+51.20 -001.30 X POS+52.10 -002.40 FL350\r\n",
     "RTE EGLL.BD FM0123\r\nPOS+51.20 -001.30 X POSN 52.100,W002.400 FL350\r\n", ""},
    {"flightPlanUntouchedWithoutPosition", "BD0123", false, false, "RTE EGLL.BDFM0123\r\n", "RTE EGLL.BDFM0123\r\n", ""},
    // Bounded work on 64 KiB of keywords that never complete a match: every pattern gives up
    // within its match limit, so the run finishes with the message as it was and nothing logged.
    {"longRepeatedKeyword", "UA0901", true, false, Repeated("PIREP ", 64 * 1024), Repeated("PIREP ", 64 * 1024), ""},
    {"binaryContentComesThroughWhole", "BA0117", false, false, BinaryWithoutLettersOrDigits(),
     BinaryWithoutLettersOrDigits(), ""},
};
// clang-format on

class Runs : public ::testing::TestWithParam<RunCase> {};

TEST_P(Runs, RewriteAndFlags)
{
    const RunCase& c = GetParam();
    test::Rig rig;
    Station& s = rig.station;
    s.opt.mnuRefOCA = c.refOCA;
    s.GanderMessage = c.ganderBefore;
    const std::string header = c.content.empty() ? std::string() : Header(c.flight);
    s.CurrentMessage = header + c.content;

    ReformatData(s);

    EXPECT_EQ(s.CurrentMessage, header + c.expected);
    EXPECT_EQ(Flags(s), c.flags);
}

INSTANTIATE_TEST_SUITE_P(Reformat, Runs, ::testing::ValuesIn(kRuns), test::CaseName());

// ---- realistic messages for the kinds of rule -----------------------------------------------
// Each family's first, the quiet rules, the flattening ones, the rules whose result the parser
// cannot read: what ReformatData makes of them, the flags it leaves, and what GetPos then reads.
// Every expected value was worked out by hand from the rules, including what the other 70 rules
// do to the text afterwards.

struct RuleMessage {
    const char* name;
    const char* flight;    // six characters of the flight id field
    const char* content;   // the content before the trailer line
    const char* expected;  // the content after ReformatData (the trailer follows unchanged)
    const char* flags;
    const char* positions;  // PositionText; "" where no readable position comes out
};

// clang-format off
const RuleMessage kRuleMessages[] = {
    {"r01_AF1", "AF0123", "POS,N4852,E00221,1235,FL350\r\n", "POS, N48520E002210, 1235,FL350\r\n", "R", "48870/002350,"},
    // Requests are flattened: the line break before the trailer goes.
    {"r07_requestFiveCharacter", "BA0117", "REQPWI/WQ330:5030N.5040N\r\n",
     "REQPWI/WQ330:.N50000W030000..N50000W040000", "Q", "50000/-030000,50000/-040000,"},
    // Rule 10 flattens the message before it rewrites.
    {"r10_SAS2", "SK0903", "POS 1215530N01230E0350 FL350\r\n", "POS 121N5530E012300350  FL350", "R", "55500/012500,"},
    {"r21_FST01_quiet", "UP6567", "FST01EGKKLFPGN050123E0001234 350 M45\r\n", "FST01EGKKLFPGN50123E0001234 350 M45\r\n",
     "", "50203/000203,"},
    // A longitude of four digits or more is taken by rule 24 first; rule 25 sees only short ones,
    // and three digits are too few for the parser.
    {"r25_BOT1_shortLongitude", "UP6567", "POS N 512345/W012\r\n", "POS N512345W012\r\n", "R", ""},
    {"r25_BOT1_takenByFIN1", "UP6567", "POS N 512345/W0012345 FL350\r\n", "POS N 51.345,W001.345, FL350\r\n", "R",
     "51345/-001345,"},
    // The decimal PIREP forms come out as compact text, which the parser reads as minutes.
    {"r36_UA8", "UA0901", "PIREP UA 1630 47.3500  -1.2218 FL350\r\n", " PIREP UA 1630 N473500W0012218 FL350\r\n", "R",
     "47580/-001371,"},
    // Both positions in one pass: the matches do not overlap.
    {"r42_US1", "AA0002", "ROUTE KORD.N42W090.N40W100.KLAX\r\n", "ROUTE KORD.N4200W09000..N4000W10000..KLAX\r\n", "R",
     "42000/-090000,40000/-100000,"},
    // The rule writes "N." and the minutes without the degrees: no position survives.
    {"r45_DELWJ1_dropsLatitudeDegrees", "DL0106", "DFB239/001/1630/FL350/M052 5130 00512345\r\n",
     "DFB239/001/1630/FL350/M052N.300,E005.12345,\r\n", "R", ""},
    // "(N|S\d{4})" is "N" alone or "S" and four digits: only southern positions are rewritten.
    {"r60_Q3", "QF0001", "#DFB623/1630/S3352E15112/350\r\n", "#DFB623/1630/S33520E151120/350\r\n", "R",
     "-33870/151200,"},
    {"r69_V1_lineEndingInN", "UA0901", "FROM KJFK TO EGLL VIA CYQX\r\nRMK REQUEST DESCENT ON\r\n",
     "FROM KJFK TO EGLL VIA CYQX\r\nRMK REQUEST DESCENT ON,\r\n", "", ""},
    {"r70_estimatedTime", "EI0105", "POS N53300W006150 EA1432 FL350\r\n", "POS N53300W006150 ETA1432 FL350\r\n", "",
     "53500/-006250,"},
    {"r71_3D1", "BA0117", "FPL,EGLL,LHR,JFK,BAW117\r\n", "FPL,EGLL.LHR.JFK.BAW117\r\n", "", ""},
};
// clang-format on

class RuleMessages : public ::testing::TestWithParam<RuleMessage> {};

TEST_P(RuleMessages, ReformatThenParse)
{
    const RuleMessage& c = GetParam();
    test::Rig rig;
    Station& s = rig.station;
    // The Airmaster trailer line: the header and this line must come through every rule unchanged.
    const std::string trailer = std::string(58, '-') + "[05.12.2026 12:00]";
    s.CurrentMessage = Header(c.flight) + c.content + trailer;

    ReformatData(s);
    EXPECT_EQ(s.CurrentMessage, Header(c.flight) + c.expected + trailer);
    EXPECT_EQ(Flags(s), c.flags);

    s.box.LiveData.Text = s.CurrentMessage;
    GetPos(s);
    EXPECT_EQ(s.PositionText, c.positions);
    EXPECT_EQ(s.PositionFound, *c.positions != 0);
}

INSTANTIATE_TEST_SUITE_P(Reformat, RuleMessages, ::testing::ValuesIn(kRuleMessages), test::CaseName());

// ---- the two apply procedures ------------------------------------------------------------------

// Marking sets the flag, quietly leaves it, the pass count bounds the work; a pattern that does not
// compile is a fault of the apply procedure, logged under its name.
TEST(Reformat, ApplyProceduresRewriteAndFlag)
{
    const ReformatRule broken{99, "", RuleMode::Marking, "(unclosed", "$1"};
    struct Row {
        const char* name;
        bool quietly;
        const ReformatRule& rule;
        std::size_t passes;
        const char *expected, *flags;
    };
    for (const Row& r :
         {Row{"marking", false, Rule(71), 12, "X.ABC.DEF.G", "R"}, Row{"quiet", true, Rule(71), 12, "X.ABC.DEF.G", ""},
          Row{"onePass", false, Rule(71), 1, "X.ABC.DEF,G", "R"},
          Row{"markingFault", false, broken, 5, "X,ABC,DEF,G", " fault in Reformat_DDE"},
          Row{"quietFault", true, broken, 5, "X,ABC,DEF,G", " fault in Reformat_DDE_Quietly"}}) {
        SCOPED_TRACE(r.name);
        test::Rig rig;
        Station& s = rig.station;
        s.CurrentMessage = "X,ABC,DEF,G";
        EXPECT_NO_THROW((r.quietly ? Reformat_DDE_Quietly : Reformat_DDE)(s, r.rule, r.passes));
        EXPECT_EQ(s.CurrentMessage, r.expected);
        EXPECT_EQ(Flags(s), r.flags);
        EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt").find(" - Module: Reformat") != std::string::npos,
                  std::string_view(r.flags).starts_with(" fault"));
    }
}

// ---- flattening --------------------------------------------------------------------------------

// Pairs go left to right without rescanning; a lone CR or LF stays, and so does the header's.
TEST(Reformat, FlatteningRemovesContentLineBreakPairs)
{
    const std::string header = std::string(122, 'h') + "\r\n";
    std::string m = header + "A\r\r\n\nB\rC\nD\r\n";
    FlattenContent(m);
    EXPECT_EQ(m, header + "A\r\nB\rC\nD");
}

// ---- the literal every match of a rule needs ------------------------------------------------------

TEST(Reformat, RequiredLiteral)
{
    struct Row {
        const char *name, *pattern, *literal;
    };
    for (const Row& r :
         {Row{"keywordGroup", R"((PIREP[\s\S]*)( )(\d{5}))", "PIREP"},
          Row{"alternationInGroup", R"((AUTPOS/LLD N|S)(\d{6}))", ""}, Row{"alternationAtTop", R"((ABCD)x|y)", ""},
          Row{"laterGroupAlternationIsFine", R"((LAT) (N|S))", "LAT"},
          Row{"quantifiedLastCharacter", R"((ABCD*E))", "ABC"}, Row{"tooShort", R"((AB)C)", ""},
          // A "]" first in a class is one of its members, so the "|" beside it is
          // a member too.
          Row{"classOpeningWithBracket", R"((ABC[]|]D)X)", "ABC"},
          Row{"negatedClassOpeningWithBracket", R"((ABC[^]|]D)X)", "ABC"}})
        EXPECT_EQ(RequiredLiteral(r.pattern), r.literal) << r.name;
}

}  // namespace
}  // namespace korval
