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

// Exactly the rules of that form are planned, and V1 alone is taken as the line-end comma rule.
TEST(KeywordRule, EveryRuleOfItsFormGivesWhatThePassesGive)
{
    test::RandomTexts texts(1205);
    for (const ReformatRule& rule : ReformatRules()) {
        EXPECT_EQ(IsLineEndCommaRule(rule.Pattern, rule.Replacement), rule.Number == 69) << "rule " << rule.Number;
        if (!kKeywordRules.count(rule.Number)) {
            EXPECT_EQ(KeywordRule::Plan(rule.Pattern, rule.Replacement), nullptr) << "rule " << rule.Number;
            continue;
        }
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
TEST(KeywordRule, OddFormsGiveWhatThePassesGive)
{
    struct Row {
        const char *name, *pattern, *replacement, *text;
    };
    for (const Row& r : {Row{"prefixMakesAnEarlierKeyword", R"((AA[\s\S]*)(\d))", "A$1x", "AA1 2 3"},
                         Row{"prefixKeepsTheKeywordFirst", R"((AB[\s\S]*)(\d))", "A$1x", "AB1 2 3"},
                         Row{"shorterKeywordEndsFirst", R"((ABCD|BC)([\s\S]*)(D))", "$1$2<$3>", "ABCD"},
                         Row{"midTextClosesTheGroup", R"((KEY[\s\S]*POS)\+(\d))", "$1=$2", "KEY POS+1 POS+2 POS+"},
                         Row{"replacementEqualToTheMatch", R"((KEY[\s\S]*)(\d))", "$1$2", "KEY 1 2"}}) {
        SCOPED_TRACE(r.name);
        for (std::size_t passes : {1u, 2u, 3u, 100u})
            ExpectSameAsPassByPass(r.pattern, r.replacement, KeywordSweep(r.pattern, r.replacement), r.text, passes);
    }
}

TEST(KeywordRule, DeclinesOtherForms)
{
    struct Row {
        const char *name, *pattern, *replacement;
    };
    for (const Row& r :
         {Row{"noRun", R"((N|S)(\d{4}))", "$1$2"}, Row{"topLevelAlternation", R"((KEY[\s\S]*)(\d)|X)", "$1$2"},
          Row{"replacementRepeatsTheKeyword", R"((KEY[\s\S]*)(\d))", "$1$2$1"},
          Row{"replacementWithoutTheKeyword", R"((KEY[\s\S]*)(\d))", "$2"},
          Row{"backReferenceInTheTail", R"((KEY[\s\S]*)(\d)\2)", "$1"},
          Row{"keywordWithAClass", R"((K\dY[\s\S]*)(\d))", "$1$2"}})
        EXPECT_EQ(KeywordRule::Plan(r.pattern, r.replacement), nullptr) << r.name;
}

// Worked out by hand.
TEST(LineEndCommas, PutsTheCommasThePassesPut)
{
    struct Row {
        const char *name, *text, *result;
        bool matched;
    };
    for (const Row& r :
         {Row{"latitudeLineBeforeTheLabel", "5130N\r\nMessage content:-\r\nX\r\n",
              "5130N\r\nMessage content:-\r\nX\r\n", false},
          Row{"eastPositionOfFiveDecimals", "S 51.12345,E\r\n", "S 51.12345,E\r\n", false},
          Row{"westDecimalsOverLineEnds", "W 12.5\r\n 7\r\n\r\nX\r\n", "W 12.5,\r\n 7,\r\n,\r\nX\r\n", true},
          Row{"lineEndBeforeThePointGetsNone", "W\r\n12.\r\n", "W\r\n12.,\r\n", true}}) {
        std::string text = r.text;
        EXPECT_EQ(ApplyLineEndCommas(text, text.size() + 1), r.matched) << r.name;
        EXPECT_EQ(text, r.result) << r.name;
    }
}

}  // namespace
}  // namespace korval
