#include "text/match_starts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "random_texts.h"
#include "reformat/reformat.h"
#include "test_support.h"
#include "text/regexp.h"

namespace korval {
namespace {

using korval::test::PrintTo;

std::vector<std::size_t> StartsOf(std::string_view pattern, std::string_view text)
{
    std::vector<std::size_t> out;
    const std::vector<bool> starts = MatchStarts(pattern).Scan(text);
    for (std::size_t i = 0; i < starts.size(); ++i)
        if (starts[i]) out.push_back(i);
    return out;
}

struct StartsCase {
    const char* name;
    const char* pattern;
    const char* text;
    std::vector<std::size_t> starts;  // worked out by hand
};

class MatchStartsTable : public ::testing::TestWithParam<StartsCase> {};

TEST_P(MatchStartsTable, FindsEveryPositionWhereAMatchBegins)
{
    EXPECT_EQ(StartsOf(GetParam().pattern, GetParam().text), GetParam().starts);
}

// Cases the rules' agreement below cannot meet: its texts hold no such characters.
INSTANTIATE_TEST_SUITE_P(Text, MatchStartsTable,
                         ::testing::Values(StartsCase{"BraceThatIsNoRepeat", "a{x", "a{xa{", {0}},
                                           StartsCase{"WhiteSpaceIsSixCharacters", "\\sZ", "\tZ\vZ\x85Z", {0, 2}}),
                         test::CaseName());

// What the scan can follow, and whether backtracking over the pattern can cost the square of
// the text's length.
struct KindCase {
    const char* name;
    const char* pattern;
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
    ::testing::Values(KindCase{"BackReference", "(a)\\1", false, false}, KindCase{"StartAnchor", "^a", false, false},
                      KindCase{"LookAhead", "a(?=b)", false, false}, KindCase{"AtomicGroup", "(?>a+)b", false, false},
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

// The other stages' patterns that have unbounded repeats.
TEST(MatchStarts, AgreesWithTheEngineForTheParsersAndExpanders)
{
    test::RandomTexts texts(5122026);
    for (const char* pattern :
         {R"((N|S)\s*(\d+)\.(\s{0,3}\d{1,5})[\s,](E|W)(\s{0,3}\d{0,5})\.([\s\d]*))",
          R"(([\s\S]*)(N|N-)(\d{1,2})(.\d{5})(E|E-)(\d{1,3})(.[\d]{5})([\s\S]*))",
          R"(([\s\S]*)(0E|0L)(H|S|V)([\d|-]{6})([A-Z]{1,3})([\s\S]*))",
          R"(([\s\S]*)(TI2/)(\d{3})([A-Z]{3,4}[\s]?)(A|D|C|T|E)([\s\S]*))", R"(Flight id: (KL0000)([\s\S]*)(KL\d{4}))",
          R"((---\[\d{2}.\d{2}.\d{4} \d{2}:\d{2}\])([\S\s]*))", R"([^A-Z0-9\-]+)", R"([^0-9/\-]+)"})
        ExpectAgreement(pattern, texts);
}

}  // namespace
}  // namespace korval
