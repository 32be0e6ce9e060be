// Rules that open with a keyword and a greedy run, and V1 (commas at line ends), make all their
// passes in one sweep; the result must be what the passes one by one give.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "pcre_reference.h"
#include "random_texts.h"
#include "reformat/keyword_rule.h"
#include "reformat/line_end_commas.h"
#include "reformat/reformat.h"

namespace korval {
namespace {

// The rules of that form: the keyword's group, a run over everything, the tail.
const std::set<int> kKeywordRules = {3,  5,  6,  7,  8,  10, 12, 22, 29, 30, 31, 32, 33, 34, 35, 36, 37,
                                     38, 39, 40, 41, 46, 47, 48, 49, 50, 58, 59, 60, 61, 62, 67, 68, 70};

TEST(KeywordRule, PlansExactlyTheRulesOfItsForm)
{
    for (const ReformatRule& rule : ReformatRules()) {
        EXPECT_EQ(KeywordRule::Plan(rule.Pattern, rule.Replacement) != nullptr, kKeywordRules.count(rule.Number) == 1)
            << "rule " << rule.Number;
        EXPECT_EQ(IsLineEndCommaRule(rule.Pattern, rule.Replacement), rule.Number == 69) << "rule " << rule.Number;
    }
}

using Sweep = std::function<bool(std::string&, std::size_t)>;

// The sweep against the passes one by one, through the plain engine.
void ExpectSameAsPassByPass(std::string_view pattern, std::string_view replacement, const Sweep& sweep,
                            const std::string& text, std::size_t passes)
{
    std::string expected = text, actual = text;
    const bool matched = test::PcreReference(pattern).Passes(expected, replacement, passes);
    EXPECT_EQ(sweep(actual, passes), matched) << pattern << " over \"" << text << "\"";
    EXPECT_EQ(actual, expected) << pattern << " over \"" << text << "\"";
}

// The keyword sweep of a pattern it must plan; whether it matches is what its passes tell.
Sweep KeywordSweep(std::string_view pattern, std::string_view replacement)
{
    std::shared_ptr<const KeywordRule> rule = KeywordRule::Plan(pattern, replacement);
    EXPECT_NE(rule, nullptr) << pattern;
    return [rule](std::string& text, std::size_t passes) {
        const bool matches = rule && rule->Matches(text);
        EXPECT_EQ(rule && rule->Apply(text, passes), matches) << text;
        return matches;
    };
}

TEST(KeywordRule, EveryRuleGivesWhatThePassesGive)
{
    test::RandomTexts texts(1205);
    for (const ReformatRule& rule : ReformatRules()) {
        if (!kKeywordRules.count(rule.Number)) continue;
        const Sweep sweep = KeywordSweep(rule.Pattern, rule.Replacement);
        for (int i = 0; i < 50; ++i) {
            const std::string text = texts.NextMessage(40);
            ExpectSameAsPassByPass(rule.Pattern, rule.Replacement, sweep, text, text.size() + 1);
            ExpectSameAsPassByPass(rule.Pattern, rule.Replacement, sweep, text, 1 + i % 3);  // a pass limit that bites
        }
    }
}

TEST(LineEndCommas, GivesWhatThePassesGive)
{
    const ReformatRule& v1 = Rule(69);
    test::RandomTexts texts(6900);
    for (int i = 0; i < 3000; ++i) {
        const std::string text = texts.NextMessage(40);
        for (std::size_t passes : {text.size() + 1, std::size_t{1} + static_cast<std::size_t>(i % 3)})
            ExpectSameAsPassByPass(v1.Pattern, v1.Replacement, ApplyLineEndCommas, text, passes);
    }
}

// Forms the table does not have, each taking the passes one by one where the sweep cannot be
// sure: X that makes a new keyword in front of the old one, and a shorter keyword that ends
// before the first one.
struct OddCase {
    const char* name;
    const char* pattern;
    const char* replacement;
    const char* text;
};

class KeywordRuleOddForms : public ::testing::TestWithParam<OddCase> {};

TEST_P(KeywordRuleOddForms, GivesWhatThePassesGive)
{
    for (std::size_t passes : {1u, 2u, 3u, 100u})
        ExpectSameAsPassByPass(GetParam().pattern, GetParam().replacement,
                               KeywordSweep(GetParam().pattern, GetParam().replacement), GetParam().text, passes);
}

INSTANTIATE_TEST_SUITE_P(
    Reformat, KeywordRuleOddForms,
    ::testing::Values(OddCase{"PrefixMakesAnEarlierKeyword", R"((AA[\s\S]*)(\d))", "A$1x", "AA1 2 3"},
                      OddCase{"PrefixKeepsTheKeywordFirst", R"((AB[\s\S]*)(\d))", "A$1x", "AB1 2 3"},
                      OddCase{"ShorterKeywordEndsFirst", R"((ABCD|BC)([\s\S]*)(D))", "$1$2<$3>", "ABCD"},
                      OddCase{"MidTextClosesTheGroup", R"((KEY[\s\S]*POS)\+(\d))", "$1=$2", "KEY POS+1 POS+2 POS+"},
                      OddCase{"ReplacementEqualToTheMatch", R"((KEY[\s\S]*)(\d))", "$1$2", "KEY 1 2"}),
    [](const auto& param) { return std::string(param.param.name); });

struct NoPlanCase {
    const char* name;
    const char* pattern;
    const char* replacement;
};

class KeywordRuleNoPlan : public ::testing::TestWithParam<NoPlanCase> {};

TEST_P(KeywordRuleNoPlan, DeclinesOtherForms)
{
    EXPECT_EQ(KeywordRule::Plan(GetParam().pattern, GetParam().replacement), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Reformat, KeywordRuleNoPlan,
                         ::testing::Values(NoPlanCase{"NoRun", R"((N|S)(\d{4}))", "$1$2"},
                                           NoPlanCase{"TopLevelAlternation", R"((KEY[\s\S]*)(\d)|X)", "$1$2"},
                                           NoPlanCase{"ReplacementRepeatsTheKeyword", R"((KEY[\s\S]*)(\d))", "$1$2$1"},
                                           NoPlanCase{"ReplacementWithoutTheKeyword", R"((KEY[\s\S]*)(\d))", "$2"},
                                           NoPlanCase{"BackReferenceInTheTail", R"((KEY[\s\S]*)(\d)\2)", "$1"},
                                           NoPlanCase{"KeywordWithAClass", R"((K\dY[\s\S]*)(\d))", "$1$2"}),
                         [](const auto& param) { return std::string(param.param.name); });

struct CommaCase {
    const char* name;
    const char* text;
    const char* result;  // worked out by hand
    bool matched;
};

class LineEndCommaExamples : public ::testing::TestWithParam<CommaCase> {};

TEST_P(LineEndCommaExamples, PutsTheCommasThePassesPut)
{
    std::string text = GetParam().text;
    EXPECT_EQ(ApplyLineEndCommas(text, text.size() + 1), GetParam().matched);
    EXPECT_EQ(text, GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Reformat, LineEndCommaExamples,
    ::testing::Values(CommaCase{"LatitudeLinesAfterTheLabel", "Message content:-\r\nA 5130N\r\nB 5200N\r\n",
                                "Message content:-\r\nA 5130N,\r\nB 5200N,\r\n", true},
                      CommaCase{"LatitudeLineBeforeTheLabel", "5130N\r\nMessage content:-\r\nX\r\n",
                                "5130N\r\nMessage content:-\r\nX\r\n", false},
                      CommaCase{"EastPositionOfFiveDecimals", "S 51.12345,E\r\n", "S 51.12345,E\r\n", false},
                      CommaCase{"WestDecimalsOverLineEnds", "W 12.5\r\n 7\r\n\r\nX\r\n", "W 12.5,\r\n 7,\r\n,\r\nX\r\n",
                                true},
                      CommaCase{"LineEndBeforeThePointGetsNone", "W\r\n12.\r\n", "W\r\n12.,\r\n", true}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace korval
