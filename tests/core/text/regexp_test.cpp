#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "pcre_reference.h"
#include "random_texts.h"
#include "reformat/reformat.h"
#include "test_support.h"
#include "text/fault.h"
#include "text/match_starts.h"
#include "text/regexp.h"

namespace korval {
namespace {

using korval::test::PrintTo;
// The back-reference rule that folds a doubled latitude/longitude pair into one.
constexpr const char* kPol1 = R"((N|S)(\s*\d{1,2}\.\d{4})\1\2(E|W)(\s*\d{1,3}\.\d{4})\3\4)";

// Case is told apart in every row; a change of case blindness is the settings case's.
struct ReplaceCase {
    const char *name, *pattern, *text, *replacement, *expected;
    bool global = true;
};

class RegExpReplace : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(RegExpReplace, GivesTheRewrittenText)
{
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(RegExp(c.pattern, c.global).Replace(c.text, c.replacement), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Facility, RegExpReplace,
    ::testing::Values(
        // "$" takes ONE digit; the digits after it are literal.
        ReplaceCase{"dollarTwoZero", "(a)(b)", "ab", "$20", "b0"},
        // Literal where no group is named: "$0", "$$".
        ReplaceCase{"dollarZeroLiteral", "(a)", "a", "$0", "$0"}, ReplaceCase{"doubleDollar", "(a)", "a", "$$1", "$a"},
        // A group that took no part gives the empty text.
        ReplaceCase{"unsetGroupEmpty", "(a)|(b)", "b", "[$1|$2]", "[|b]"},
        // Global off: the first match only.
        ReplaceCase{"globalOffFirstOnly", "\\d{2}/", "01/02/03/", "X", "X02/03/", false},
        // Greedy "[\s\S]*" runs to the end and leaves the LAST occurrence to the next group.
        ReplaceCase{"greedyLeavesLast", "([\\s\\S]*)(ABC)", "xABC\r\nyABCz", "<$1|$2>", "<xABC\r\ny|ABC>z"},
        // "." stops at CR (and LF); "\s" takes VT but not the no-break space; "\w" is ASCII.
        ReplaceCase{"dotStopsAtCr", "a.*", "abc\rdef", "X", "X\rdef"},
        ReplaceCase{"spaceClassVtNotNbsp", "a\\sz", "a\vz a\xa0z", "X", "X a\xa0z"},
        ReplaceCase{"wordIsAscii", "\\w", "\xe9x", "-", "\xe9-"},
        // Empty matches: one at every position and one at the end.
        ReplaceCase{"emptyAfterMatch", "a*", "baac", "-", "-b--c-"},
        ReplaceCase{"backRefPol1", kPol1, "POS N 52.1234N 52.1234W 12.3456W 12.3456,", "$1$2$3$4",
                    "POS N 52.1234W 12.3456,"},
        ReplaceCase{"backRefPol1Differs", kPol1, "N 52.1234N 52.1235W 12.3456W 12.3456", "X",
                    "N 52.1234N 52.1235W 12.3456W 12.3456"},
        // A reference to a group that took no part matches empty, as in ECMAScript.
        ReplaceCase{"unsetBackRefEmpty", "(x)?y\\1z", "yz", "ok", "ok"},
        // Messages are bytes: high bytes and NUL pass through untouched.
        ReplaceCase{"bytesNotUtf8", "q", "\xff\xfeq\xc3", "-", "\xff\xfe-\xc3"},
        ReplaceCase{"endAnchorOnlyAtEnd", "a$", "a\r\na", "X", "a\r\nX"}),
    test::CaseName());

// Values and offsets: as the plain engine's, below; a group that took no part is empty.
TEST(Facility, ExecuteGivesTheGroups)
{
    std::string groups;
    for (const Match& m : RegExp("([A-Z])(\\d)?").Execute("A1 B C3"))
        for (const std::string& g : m.SubMatches) groups += g + "|";
    EXPECT_EQ(groups, "A|1|B||C|3|");
}

TEST(Facility, EmptyPatternCountIsLengthPlusOne)
{
    RegExp empty("");
    EXPECT_EQ(empty.Count("x\r\nx"), 5u);  // line ends count as characters
    EXPECT_EQ(empty.Execute("").size(), 1u);
    // A text that does not point anywhere is an empty text too.
    EXPECT_EQ(empty.Count(std::string_view()), 1u);
    EXPECT_FALSE(RegExp("a").Test(std::string_view()));
}

TEST(Facility, MatchLimitRaisesAFaultInsteadOfHanging)
{
    // Nested quantifiers over a subject that cannot match explode exponentially.
    std::string text(40, 'a');
    text += '!';
    RegExp re("^(\\w+\\s?)*$");
    EXPECT_FAULT((void)re.Test(text), err::OutOfStack);
    // The engine stays usable afterwards.
    EXPECT_TRUE(RegExp("a+!").Test(text));
}

TEST(Facility, BadPatternRaisesAFault)
{
    for (const char* pattern : {"(", "[a-", "a{2,1}", "\\"})
        EXPECT_FAULT((void)RegExp(pattern).Test("a"), err::InvalidCall) << pattern;
}

TEST(Facility, SettingsChangedBetweenCallsTakeEffect)
{
    RegExp re("abc");
    EXPECT_EQ(re.Replace("ABC abc", "-"), "ABC -");
    re.IgnoreCase = true;
    EXPECT_EQ(re.Replace("ABC abc", "-"), "- -");
    re.Pattern = "b";
    re.Global = false;
    EXPECT_EQ(re.Replace("BbB", "-"), "-bB");
}

TEST(Facility, MegabyteOfBinaryIsMatchedWithoutTrouble)
{
    std::string bytes(1 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131 + 7) & 0xff);
    EXPECT_NO_THROW(
        (void)RegExp("(---\\[\\d{2}.\\d{2}.\\d{4} \\d{2}:\\d{2}\\])([\\S\\s]*)", false).Replace(bytes, "$1"));
    EXPECT_EQ(RegExp("[\\s\\S]").Count(bytes), bytes.size());
}

// The facility's bounded searches: patterns whose backtracking can run away go through the scan
// for match starts, and a search that hits the quick limit is finished the same way; both give
// exactly what the plain engine gives.
struct PatternCase {
    const char* name;
    const char* pattern;
    const char* replacement;
};

class BoundedSearch : public ::testing::TestWithParam<PatternCase> {};

TEST_P(BoundedSearch, FindsWhatThePlainEngineFinds)
{
    const test::PcreReference reference(GetParam().pattern);
    const RegExp global(GetParam().pattern);
    const RegExp first(GetParam().pattern, /*global=*/false);
    test::RandomTexts texts(77);
    for (int i = 0; i < 300; ++i) {
        const std::string text = texts.NextMessage(30);
        const auto expected = reference.All(text);
        std::string want, got;
        for (const auto& e : expected)
            want += std::to_string(e.begin) + ":" + text.substr(e.begin, e.end - e.begin) + "|";
        for (const Match& m : global.Execute(text)) got += std::to_string(m.FirstIndex) + ":" + m.Value + "|";
        EXPECT_EQ(got, want) << text;
        EXPECT_EQ(global.Test(text), !expected.empty()) << text;
        EXPECT_EQ(first.Execute(text).size(), expected.empty() ? 0u : 1u) << text;
        EXPECT_EQ(global.Replace(text, GetParam().replacement), reference.Replace(text, GetParam().replacement))
            << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Text, BoundedSearch,
    ::testing::Values(PatternCase{"SignedDecimals", R"(,(N|S)(\d*).(\d*),(E|W)(\d*).(\d{1}))", ",$1$2$3$4$5$6"},
                      PatternCase{"DecimalForm",
                                  R"((N|S)\s*(\d+)\.(\s{0,3}\d{1,5})[\s,](E|W)(\s{0,3}\d{0,5})\.([\s\d]*))", "[$0$1]"},
                      PatternCase{"WholeMessage",
                                  R"(([\s\S]*)(N|N-)(\d{1,2})(.\d{5})(E|E-)(\d{1,3})(.[\d]{5})([\s\S]*))", "$1<$2>$8"},
                      PatternCase{"FlightFix", R"(Flight id: (KL0000)([\s\S]*)(KL\d{4}))", "Flight id: $3 $2$3"}),
    test::CaseName());

TEST(BoundedSearch, DigitsThatNeverEndCostOneScan)
{
    // Before, each length of the first digit run made the second one scan the rest again.
    const RegExp signedDecimals(R"(,(N|S)(\d*).(\d*),(E|W)(\d*).(\d{1}))");
    const std::string digits(65000, '1');
    EXPECT_FALSE(signedDecimals.Test(",N" + digits + ","));
    // The first digit run gives back one digit for "." and the second takes none.
    EXPECT_EQ(signedDecimals.Replace(",N" + digits + ",E1.2", ",$1$2$3$4$5$6"), ",N" + std::string(64999, '1') + "E12");
}

TEST(BoundedSearch, SearchThatHitsTheQuickLimitIsFinishedExactly)
{
    // Twenty choices of the same letter: a million ways to fail at every start.
    std::string pattern;
    for (int i = 0; i < 20; ++i) pattern += "(a|a)";
    const RegExp re(pattern + "c");
    EXPECT_FALSE(re.Test(std::string(30, 'a')));
    const std::vector<Match> found = re.Execute(std::string(30, 'a') + "c");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].FirstIndex, 10u);
    EXPECT_EQ(found[0].Value, std::string(20, 'a') + "c");
}

TEST(BoundedSearch, MatchAtMatchesOnlyWhereItIsAsked)
{
    const RegExp re(R"((N|S)(\d{2})(X)?)");
    std::vector<RegExp::Span> spans;
    EXPECT_FALSE(re.MatchAt("aN12bS345", 2, spans));  // inside the first match
    EXPECT_FALSE(re.MatchAt("aN12bS345", 20, spans));
    ASSERT_TRUE(re.MatchAt("aN12bS345", 1, spans));
    std::string got;  // a group that took no part has neither end: -1
    for (const RegExp::Span& g : spans)
        got += std::to_string(static_cast<long>(g.begin)) + "-" + std::to_string(static_cast<long>(g.end)) + " ";
    EXPECT_EQ(got, "1-4 1-2 2-4 -1--1 ");
}

// ---- the scan for match starts ----------------------------------------------------------------

// Cases the rules' agreement below cannot meet: its texts hold no such characters. The starts
// are worked out by hand.
TEST(MatchStarts, BraceThatIsNoRepeatAndTheSixWhiteSpaceCharacters)
{
    EXPECT_EQ(MatchStarts("a{x").Scan("a{xa{"), (std::vector<bool>{true, false, false, false, false, false}));
    EXPECT_EQ(MatchStarts("\\sZ").Scan("\tZ\vZ\x85Z"),
              (std::vector<bool>{true, false, true, false, false, false, false}));
}

// What the scan can follow, and whether backtracking over the pattern can cost the square of
// the text's length.
struct KindCase {
    const char *name, *pattern;
    bool supported, runsAway;
};

class MatchStartsKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(MatchStartsKinds, AreTold)
{
    const MatchStarts starts(GetParam().pattern);
    EXPECT_EQ(starts.Supported(), GetParam().supported);
    if (!GetParam().supported) {
        EXPECT_TRUE(starts.Scan("abc").empty());
    } else {
        EXPECT_EQ(starts.RunsAway(), GetParam().runsAway);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Text, MatchStartsKinds,
    ::testing::Values(KindCase{"StartAnchor", "^a", false, false}, KindCase{"LookAhead", "a(?=b)", false, false},
                      KindCase{"WordBoundary", "\\bx", false, false}, KindCase{"Empty", "", false, false},
                      KindCase{"MatchesEmpty", "a*", false, false}, KindCase{"Unbalanced", "(a", false, false},
                      KindCase{"TooManyClasses", "\\d{65}", false, false},
                      KindCase{"TwoRepeatsSharingDigits", "(\\d*).(\\d*),", true, true},
                      KindCase{"RepeatThatBeginsAMatch", "[\\s\\S]*x", true, true},
                      KindCase{"BoundedRepeatsOnly", "(N|S)(\\d{4})(E|W)(\\d{5})", true, false},
                      KindCase{"RepeatsOfSeparateClasses", "N\\s*\\d+\\.", true, false},
                      KindCase{"NestedRepeat", "x(a+)*b", true, true}),
    test::CaseName());

// The scan finds exactly the positions where the engine, anchored there, finds a match.
void ExpectAgreement(std::string_view pattern, test::RandomTexts& texts)
{
    const MatchStarts starts(pattern);
    ASSERT_TRUE(starts.Supported()) << pattern;
    const RegExp engine{std::string(pattern)};
    std::vector<RegExp::Span> spans;
    for (int i = 0; i < 60; ++i) {
        const std::string text = texts.Next(24);
        const std::vector<bool> found = starts.Scan(text);
        for (std::size_t at = 0; at <= text.size(); ++at)
            ASSERT_EQ(found[at], engine.MatchAt(text, at, spans))
                << pattern << " at " << at << " of \"" << text << "\"";
    }
}

TEST(MatchStarts, AgreesWithTheEngineForEveryRule)
{
    test::RandomTexts texts(20261205);
    for (const ReformatRule& rule : ReformatRules()) {
        if (rule.Number == 44) {
            // Its back-references repeat what groups took: a search keeps the match limit.
            EXPECT_FALSE(MatchStarts(rule.Pattern).Supported());
            continue;
        }
        ExpectAgreement(rule.Pattern, texts);
    }
}

// The other stages' patterns that have unbounded repeats and that the facility's bounded
// searches do not already compare with the plain engine.
TEST(MatchStarts, AgreesWithTheEngineForTheParsersAndExpanders)
{
    test::RandomTexts texts(5122026);
    for (const char* pattern : {R"(([\s\S]*)(0E|0L)(H|S|V)([\d|-]{6})([A-Z]{1,3})([\s\S]*))",
                                R"(([\s\S]*)(TI2/)(\d{3})([A-Z]{3,4}[\s]?)(A|D|C|T|E)([\s\S]*))",
                                R"((---\[\d{2}.\d{2}.\d{4} \d{2}:\d{2}\])([\S\s]*))", R"([^A-Z0-9\-]+)"})
        ExpectAgreement(pattern, texts);
}

}  // namespace
}  // namespace korval
