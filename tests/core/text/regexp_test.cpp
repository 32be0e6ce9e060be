#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

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
        ReplaceCase{"dollarOneNine", "(\\d)(\\d)", true, false, "12", "$1$29", "129"},
        // Literal where no group is named: "$0", "$" past the group count, "$" at the end, "$$".
        ReplaceCase{"dollarZeroLiteral", "(a)", true, false, "a", "$0", "$0"},
        ReplaceCase{"dollarPastGroupsLiteral", "(a)", true, false, "a", "$2", "$2"},
        ReplaceCase{"dollarAtEnd", "(a)", true, false, "a", "x$", "x$"},
        ReplaceCase{"doubleDollar", "(a)", true, false, "a", "$$1", "$a"},
        ReplaceCase{"ampersandLiteral", "a", true, false, "a", "[$&]", "[$&]"},
        // A group that took no part gives the empty text.
        ReplaceCase{"unsetGroupEmpty", "(a)|(b)", true, false, "b", "[$1|$2]", "[|b]"},
        ReplaceCase{"optionalGroupUnset", "x(y)?z", true, false, "xz", "<$1>", "<>"},
        // Global off: the first match only.
        ReplaceCase{"globalOffFirstOnly", "\\d{2}/", false, false, "01/02/03/", "X", "X02/03/"},
        ReplaceCase{"noMatchUnchanged", "zzz", true, false, "abc", "Q", "abc"},
        // Greedy "[\s\S]*" runs to the end and leaves the LAST occurrence to the next group.
        ReplaceCase{"greedyLeavesLast", "([\\s\\S]*)(ABC)", true, false, "xABC\r\nyABCz", "<$1|$2>",
                    "<xABC\r\ny|ABC>z"},
        ReplaceCase{"lazyTakesFirst", "([\\s\\S]*?)(ABC)", false, false, "xABCyABC", "<$1>", "<x>yABC"},
        // "." stops at CR and at LF.
        ReplaceCase{"dotStopsAtCr", "a.*", true, false, "abc\rdef", "X", "X\rdef"},
        ReplaceCase{"dotStopsAtLf", "a.*", true, false, "abc\ndef", "X", "X\ndef"},
        ReplaceCase{"classCrossesLines", "a[\\s\\S]*", true, false, "abc\r\ndef", "X", "X"},
        // Alternation has the lowest precedence inside its group.
        ReplaceCase{"alternationNorS4", "(N|S\\d{4})", true, false, "N12 S1234 S12", "<$1>", "<N>12 <S1234> S12"},
        // Empty matches: one at every position and one at the end.
        ReplaceCase{"emptyPatternEverywhere", "", true, false, "ab", "-", "-a-b-"},
        ReplaceCase{"emptyAfterMatch", "a*", true, false, "baac", "-", "-b--c-"},
        ReplaceCase{"ignoreCaseOn", "acars", true, true, "ACARS acars", "x", "x x"},
        ReplaceCase{"ignoreCaseOff", "acars", true, false, "ACARS acars", "x", "ACARS x"},
        ReplaceCase{"backRefPol1", kPol1, true, false, "POS N 52.1234N 52.1234W 12.3456W 12.3456,", "$1$2$3$4",
                    "POS N 52.1234W 12.3456,"},
        ReplaceCase{"backRefPol1Differs", kPol1, true, false, "N 52.1234N 52.1235W 12.3456W 12.3456", "X",
                    "N 52.1234N 52.1235W 12.3456W 12.3456"},
        // A reference to a group that took no part matches empty, as in ECMAScript.
        ReplaceCase{"unsetBackRefEmpty", "(x)?y\\1z", true, false, "yz", "ok", "ok"},
        // Messages are bytes: high bytes and NUL pass through untouched.
        ReplaceCase{"bytesNotUtf8", "b", true, false,
                    "\xff\xfe"
                    "b\xc3",
                    "-", "\xff\xfe-\xc3"},
        ReplaceCase{"endAnchorOnlyAtEnd", "a$", true, false, "a\r\na", "X", "a\r\nX"}),
    test::CaseName());

struct TestCase {
    const char* name;
    const char* pattern;
    const char* text;
    bool expected;
};

class RegExpTest : public ::testing::TestWithParam<TestCase> {};

TEST_P(RegExpTest, MatchesSomewhere)
{
    const TestCase& c = GetParam();
    EXPECT_EQ(RegExp(c.pattern).Test(c.text), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Facility, RegExpTest,
                         ::testing::Values(TestCase{"nAlone", "^(N|S\\d{4})$", "N", true},
                                           TestCase{"sAloneRefused", "^(N|S\\d{4})$", "S", false},
                                           TestCase{"sWithDigits", "^(N|S\\d{4})$", "S1234", true},
                                           TestCase{"nWithDigitsRefused", "^(N|S\\d{4})$", "N1234", false},
                                           TestCase{"dotAnyOther", "a.b", "a\tb", true},
                                           TestCase{"spaceClassVt", "a\\sb", "a\vb", true},
                                           TestCase{"spaceClassNotNbsp", "a\\sb",
                                                    "a\xa0"
                                                    "b",
                                                    false},
                                           TestCase{"wordIsAscii", "^\\w$", "\xe9", false},
                                           TestCase{"negatedClassCrossesLf", "a[^x]b", "a\nb", true},
                                           TestCase{"escapedPunctuation", "\\d\\/\\d\\,\\.", "1/2,.", true},
                                           TestCase{"emptyText", "x*", "", true},
                                           TestCase{"emptyTextNoMatch", "x", "", false}),
                         test::CaseName());

TEST(Facility, ExecuteGivesValuesOffsetsAndGroups)
{
    RegExp re("([A-Z])(\\d)?");
    std::vector<Match> m = re.Execute("A1 B C3");
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].Value, "A1");
    EXPECT_EQ(m[1].FirstIndex, 3u);
    ASSERT_EQ(m[1].SubMatches.size(), 2u);
    EXPECT_EQ(m[1].SubMatches[0], "B");
    EXPECT_EQ(m[1].SubMatches[1], "");  // took no part
    EXPECT_EQ(m[2].SubMatches[1], "3");

    re.Global = false;
    EXPECT_EQ(re.Execute("A1 B C3").size(), 1u);
    EXPECT_TRUE(re.Execute("123").empty());
}

TEST(Facility, EmptyPatternCountIsLengthPlusOne)
{
    RegExp empty("");
    for (std::size_t length : {0u, 1u, 2u, 124u, 300u}) {
        std::string text(length, 'x');
        if (length >= 2) text.replace(length / 2 - 1, 2, "\r\n");  // line ends count as characters
        EXPECT_EQ(empty.Count(text), length + 1) << length;
        EXPECT_EQ(empty.Execute(text).size(), length + 1) << length;
    }
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

TEST(Facility, GroupCountCountsCapturingGroupsOnly)
{
    EXPECT_EQ(RegExp("abc").GroupCount(), 0u);
    EXPECT_EQ(RegExp("(a)(?:b)(c(d))").GroupCount(), 3u);
    EXPECT_EQ(RegExp("(a)|(b)").Execute("b")[0].SubMatches.size(), RegExp("(a)|(b)").GroupCount());
    EXPECT_FAULT((void)RegExp("(").GroupCount(), err::InvalidCall);
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

}  // namespace
}  // namespace korval
