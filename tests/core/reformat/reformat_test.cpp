#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "reformat/reformat.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
std::string Header(const char* flight)
{
    return test::Canonical(".G-EUPJ", "H1", '3', "M41A", flight, "");
}

// ---- the run of ReformatData ---------------------------------------------------------------

struct RunCase {
    const char* name;
    const char* flight;
    bool refOCA;
    bool ganderBefore;  // GanderMessage as the pipeline left it
    const char* content;
    const char* expected;
    bool reformatted, oceanic, request, gander;
};

// clang-format off
const RunCase kRuns[] = {
    {"emptyMessage", "", true, false, nullptr, nullptr, false, false, false, false},
    // A keyword and a greedy "[\s\S]*" rewrite the last occurrence per pass; the further
    // passes reach the earlier ones.
    {"everyOccurrenceOverPasses", "KL0641", false, false,
     "POS 5230N02015W/ 1234 POS 5300N01800W/ 1300\r\n",
     "POS  N52300W020150/  1234 POS  N53000W018000/  1300\r\n", true, false, false, false},
    // Rule 71 would turn ",ABC," into ".ABC." if the run went on after the clearance.
    {"oceanicClearanceEndsTheRun", "BA0117", true, false,
     "CLX 1234 CLRD VIA 55N020W 54N040W\r\nRMK,ABC,DEF\r\n",
     "CLX 1234 CLRD VIA N5500W02000N5400W04000RMK,ABC,DEF\r\n", false, true, false, false},
    {"oceanicOffRulesNotTried", "BA0117", false, true,
     "CLX 1234 CLRD VIA 55N020W 55N030W 54N040W\r\n",
     "CLX 1234 CLRD VIA 55N020W 55N030W 54N040W\r\n", false, false, false, true},
    {"ganderCodeWithoutClearance", "AC0854", true, false,
     "POSRPT B919YQX 1234\r\n",
     "POSRPT B919YQX 1234\r\n", false, false, false, true},
    {"ganderCodeWithoutEitherCodeIsCleared", "AC0854", true, true,
     "POSRPT 1234\r\n",
     "POSRPT 1234\r\n", false, false, false, false},
    {"ganderClearanceSlashForm", "AC0854", true, false,
     "CLA 1234 CZQX/YQXOOYA CLRD 55/20 55/30 END\r\n",
     "CLA 1234 CZQXGANDER CLRD N5500W02000 N5500W03000 END\r\n", false, true, false, true},
    {"requestFlattensWithoutPosition", "BA0117", false, false,
     "REQPWI EGLL\r\nWX\r\n",
     "REQPWI EGLLWX", false, false, true, false},
    {"signedWestOnlyLastPosition", "BD0123", false, false,
     "POS+51.20 -001.30 X POS+52.10 -002.40 FL350\r\n",
     "POS+51.20 -001.30 X POSN 52.100,W002.400 FL350\r\n", false, false, false, false},
    {"signedWestSpacesFlightPlan", "BD0123", false, false,
     "RTE EGLL.BDFM0123\r\nPOS+51.20 -001.30 FL350\r\n",
     "RTE EGLL.BD FM0123\r\nPOSN 51.200,W001.300 FL350\r\n", false, false, false, false},
    {"flightPlanUntouchedWithoutPosition", "BD0123", false, false,
     "RTE EGLL.BDFM0123\r\n",
     "RTE EGLL.BDFM0123\r\n", false, false, false, false},
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
    const std::string header = c.content ? Header(c.flight) : std::string();
    s.CurrentMessage = c.content ? header + c.content : std::string();

    ReformatData(s);

    EXPECT_EQ(s.CurrentMessage, c.expected ? header + c.expected : std::string());
    EXPECT_EQ(s.PositionReformatted, c.reformatted);
    EXPECT_EQ(s.OceanicMessage, c.oceanic);
    EXPECT_EQ(s.REQPWIMessage, c.request);
    EXPECT_EQ(s.GanderMessage, c.gander);
    EXPECT_EQ(s.ErrProcedure, "");
}

INSTANTIATE_TEST_SUITE_P(Reformat, Runs, ::testing::ValuesIn(kRuns), test::CaseName());

// Bounded work on 64 KiB of keywords that never complete a match: every pattern gives up within
// its match limit, so the run finishes with the message as it was and nothing logged.
TEST(Reformat, LongRepeatedKeywordFinishes)
{
    test::Rig rig;
    Station& s = rig.station;
    s.opt.mnuRefOCA = true;
    std::string content;
    while (content.size() < 64 * 1024) content += "PIREP ";
    s.CurrentMessage = Header("UA0901") + content;
    const std::string before = s.CurrentMessage;

    ReformatData(s);

    const std::string log = rig.home.Read("Logs/ErrorLog .txt");
    EXPECT_EQ(log.substr(0, 200), "");
    EXPECT_EQ(s.CurrentMessage, before);
    EXPECT_FALSE(s.PositionReformatted);
}

// Every rule needs an ASCII letter or digit: binary bytes without them (every other byte value)
// come through whole.
TEST(Reformat, BinaryContentIsHarmless)
{
    test::Rig rig;
    Station& s = rig.station;
    std::string content;
    for (int i = 0; i < 20000; ++i) {
        const auto byte = static_cast<unsigned char>((i * 7919) & 0xff);
        content += static_cast<char>(std::isalnum(byte) ? byte | 0x80 : byte);
    }
    s.CurrentMessage = Header("BA0117") + content;
    ReformatData(s);
    EXPECT_EQ(s.ErrProcedure, "");
    EXPECT_EQ(s.CurrentMessage, Header("BA0117") + content);
    EXPECT_FALSE(s.PositionReformatted);
}

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
        const char* expected;
        bool reformatted;
        const char* fault;  // the procedure logged, or ""
    };
    for (const Row& r : {Row{"marking", false, Rule(71), 12, "X.ABC.DEF.G", true, ""},
                         Row{"quiet", true, Rule(71), 12, "X.ABC.DEF.G", false, ""},
                         Row{"onePass", false, Rule(71), 1, "X.ABC.DEF,G", true, ""},
                         Row{"markingFault", false, broken, 5, "X,ABC,DEF,G", false, "Reformat_DDE"},
                         Row{"quietFault", true, broken, 5, "X,ABC,DEF,G", false, "Reformat_DDE_Quietly"}}) {
        SCOPED_TRACE(r.name);
        test::Rig rig;
        Station& s = rig.station;
        s.CurrentMessage = "X,ABC,DEF,G";
        EXPECT_NO_THROW((r.quietly ? Reformat_DDE_Quietly : Reformat_DDE)(s, r.rule, r.passes));
        EXPECT_EQ(s.CurrentMessage, r.expected);
        EXPECT_EQ(s.PositionReformatted, r.reformatted);
        EXPECT_EQ(s.ErrProcedure, r.fault);
        EXPECT_EQ(
            rig.home.Read("Logs/ErrorLog .txt").find(std::string("Procedure: ") + r.fault + " - Module: Reformat") !=
                std::string::npos,
            *r.fault != 0);
    }
}

// ---- flattening --------------------------------------------------------------------------------

struct FlattenCase {
    const char* name;
    std::string message;
    std::string expected;
};

class Flattening : public ::testing::TestWithParam<FlattenCase> {};

TEST_P(Flattening, RemovesContentLineBreaks)
{
    std::string m = GetParam().message;
    FlattenContent(m);
    EXPECT_EQ(m, GetParam().expected);
}

const std::string kHeaderLike = std::string(122, 'h') + "\r\n";

INSTANTIATE_TEST_SUITE_P(Reformat, Flattening,
                         ::testing::Values(FlattenCase{"exactlyHeader", kHeaderLike, kHeaderLike},
                                           FlattenCase{"contentPairs", kHeaderLike + "A\r\nB\r\n", kHeaderLike + "AB"},
                                           FlattenCase{"loneCarriageReturnAndLineFeedStay", kHeaderLike + "A\rB\nC",
                                                       kHeaderLike + "A\rB\nC"},
                                           FlattenCase{"pairsAreNotRescanned", kHeaderLike + "A\r\r\n\nB",
                                                       kHeaderLike + "A\r\nB"}),
                         test::CaseName());

// ---- the literal every match of a rule needs ------------------------------------------------------

struct LiteralCase {
    const char* name;
    const char* pattern;
    const char* literal;
};

class Literals : public ::testing::TestWithParam<LiteralCase> {};

TEST_P(Literals, RequiredLiteral)
{
    EXPECT_EQ(RequiredLiteral(GetParam().pattern), GetParam().literal);
}

INSTANTIATE_TEST_SUITE_P(Reformat, Literals,
                         ::testing::Values(LiteralCase{"keywordGroup", R"((PIREP[\s\S]*)( )(\d{5}))", "PIREP"},
                                           LiteralCase{"stopsAtClass", R"((#DFBR12/[\s\S]*)/(\d{6}))", "#DFBR12/"},
                                           LiteralCase{"alternationInGroup", R"((AUTPOS/LLD N|S)(\d{6}))", ""},
                                           LiteralCase{"alternationAtTop", R"((ABCD)x|y)", ""},
                                           LiteralCase{"laterGroupAlternationIsFine", R"((LAT) (N|S))", "LAT"},
                                           LiteralCase{"quantifiedLastCharacter", R"((ABCD*E))", "ABC"},
                                           LiteralCase{"tooShort", R"((AB)C)", ""},
                                           // A "]" first in a class is one of its members, so the
                                           // "|" beside it is a member too.
                                           LiteralCase{"classOpeningWithBracket", R"((ABC[]|]D)X)", "ABC"},
                                           LiteralCase{"negatedClassOpeningWithBracket", R"((ABC[^]|]D)X)", "ABC"}),
                         test::CaseName());

}  // namespace
}  // namespace korval
