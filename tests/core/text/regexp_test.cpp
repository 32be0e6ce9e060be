#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "pcre_reference.h"
#include "random_texts.h"
#include "test_support.h"
#include "text/fault.h"
#include "text/regexp.h"

namespace korval {
namespace {

using korval::test::PrintTo;
// The back-reference rule that folds a doubled latitude/longitude pair into one.
constexpr const char* kPol1 = R"((N|S)(\s*\d{1,2}\.\d{4})\1\2(E|W)(\s*\d{1,3}\.\d{4})\3\4)";

struct ReplaceCase {
    const char* name;
    const char* pattern;
    bool global;
    bool ignoreCase;
    const char* text;
    const char* replacement;
    const char* expected;
};

class RegExpReplace : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(RegExpReplace, GivesTheRewrittenText)
{
    const ReplaceCase& c = GetParam();
    RegExp re(c.pattern, c.global, c.ignoreCase);
    EXPECT_EQ(re.Replace(c.text, c.replacement), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Facility, RegExpReplace,
    ::testing::Values(
        // "$" takes ONE digit; the digits after it are literal.
        ReplaceCase{"dollarTwoZero", "(a)(b)", true, false, "ab", "$20", "b0"},
        // Literal where no group is named: "$0", "$" at the end, "$$".
        ReplaceCase{"dollarZeroLiteral", "(a)", true, false, "a", "$0", "$0"},
        ReplaceCase{"dollarAtEnd", "(a)", true, false, "a", "x$", "x$"},
        ReplaceCase{"doubleDollar", "(a)", true, false, "a", "$$1", "$a"},
        // A group that took no part gives the empty text.
        ReplaceCase{"unsetGroupEmpty", "(a)|(b)", true, false, "b", "[$1|$2]", "[|b]"},
        // Global off: the first match only.
        ReplaceCase{"globalOffFirstOnly", "\\d{2}/", false, false, "01/02/03/", "X", "X02/03/"},
        // Greedy "[\s\S]*" runs to the end and leaves the LAST occurrence to the next group.
        ReplaceCase{"greedyLeavesLast", "([\\s\\S]*)(ABC)", true, false, "xABC\r\nyABCz", "<$1|$2>",
                    "<xABC\r\ny|ABC>z"},
        // "." stops at CR (and LF); "\s" takes VT but not the no-break space; "\w" is ASCII.
        ReplaceCase{"dotStopsAtCr", "a.*", true, false, "abc\rdef", "X", "X\rdef"},
        ReplaceCase{"negatedClassCrossesLf", "a[^x]b", true, false, "a\nb", "X", "X"},
        ReplaceCase{"spaceClassVtNotNbsp", "a\\sz", true, false, "a\vz a\xa0z", "X", "X a\xa0z"},
        ReplaceCase{"wordIsAscii", "\\w", true, false, "\xe9x", "-", "\xe9-"},
        // Alternation has the lowest precedence inside its group.
        ReplaceCase{"alternationNorS4", "(N|S\\d{4})", true, false, "N12 S1234 S12", "<$1>", "<N>12 <S1234> S12"},
        // Empty matches: one at every position and one at the end.
        ReplaceCase{"emptyAfterMatch", "a*", true, false, "baac", "-", "-b--c-"},
        ReplaceCase{"backRefPol1", kPol1, true, false, "POS N 52.1234N 52.1234W 12.3456W 12.3456,", "$1$2$3$4",
                    "POS N 52.1234W 12.3456,"},
        ReplaceCase{"backRefPol1Differs", kPol1, true, false, "N 52.1234N 52.1235W 12.3456W 12.3456", "X",
                    "N 52.1234N 52.1235W 12.3456W 12.3456"},
        // A reference to a group that took no part matches empty, as in ECMAScript.
        ReplaceCase{"unsetBackRefEmpty", "(x)?y\\1z", true, false, "yz", "ok", "ok"},
        // Messages are bytes: high bytes and NUL pass through untouched.
        ReplaceCase{"bytesNotUtf8", "q", true, false, "\xff\xfeq\xc3", "-", "\xff\xfe-\xc3"},
        ReplaceCase{"endAnchorOnlyAtEnd", "a$", true, false, "a\r\na", "X", "a\r\nX"}),
    test::CaseName());

TEST(Facility, ExecuteGivesTheGroups)
{
    RegExp re("([A-Z])(\\d)?");
    std::vector<Match> m = re.Execute("A1 B C3");
    ASSERT_EQ(m.size(), 3u);  // values and offsets: as the plain engine's, below
    ASSERT_EQ(m[1].SubMatches.size(), 2u);
    EXPECT_EQ(m[1].SubMatches[0], "B");
    EXPECT_EQ(m[1].SubMatches[1], "");  // took no part
    EXPECT_EQ(m[2].SubMatches[1], "3");
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
    EXPECT_NO_THROW({
        (void)RegExp("(\\d{2})/(\\d{2})/(\\d{4})").Test(bytes);
        (void)RegExp("(---\\[\\d{2}.\\d{2}.\\d{4} \\d{2}:\\d{2}\\])([\\S\\s]*)", false).Replace(bytes, "$1");
    });
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
        const std::vector<Match> found = global.Execute(text);
        ASSERT_EQ(found.size(), expected.size()) << text;
        for (std::size_t k = 0; k < found.size(); ++k) {
            EXPECT_EQ(found[k].FirstIndex, expected[k].begin) << text;
            EXPECT_EQ(found[k].Value, text.substr(expected[k].begin, expected[k].end - expected[k].begin)) << text;
        }
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
    ASSERT_EQ(spans.size(), 4u);
    EXPECT_EQ(spans[0].begin, 1u);
    EXPECT_EQ(spans[0].end, 4u);
    EXPECT_EQ(spans[2].begin, 2u);  // "12"
    EXPECT_EQ(spans[2].end, 4u);
    EXPECT_EQ(spans[3].begin, std::string_view::npos);  // the group took no part
}

}  // namespace
}  // namespace korval
