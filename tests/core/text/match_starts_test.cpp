#include "text/match_starts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "random_texts.h"
#include "reformat/reformat.h"
#include "text/regexp.h"

namespace korval {
namespace {

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

INSTANTIATE_TEST_SUITE_P(
    Text, MatchStartsTable,
    ::testing::Values(StartsCase{"Literal", "ab", "xabab", {1, 3}},
                      StartsCase{"AlternationInAGroup", "(N|S)(\\d{2})", "N12S3N45", {0, 5}},
                      StartsCase{"AlternationSpansMoreThanALetter", "(N|S\\d{2})", "S1S12N", {2, 5}},
                      StartsCase{"StarBeforeALiteral", "a*b", "aab", {0, 1, 2}},
                      StartsCase{"BoundedRepeatTakesTwoOrThree", "\\d{2,3}x", "12x1234x", {0, 4, 5}},
                      StartsCase{"DotStopsAtLineEnds", ".x", "\rx\nxax", {4}},
                      StartsCase{"NegatedClass", "[^A-Z0-9\\-]+", "AB-c", {3}},
                      StartsCase{"ClassWithRangeAndEscapes", "[\\s\\d]{2}", "a1 b", {1}},
                      StartsCase{"EscapedPunctuation", "\\.\\,\\/", "..,/", {1}},
                      StartsCase{"LazyRepeatSameStarts", "a+?b", "aab", {0, 1}},
                      StartsCase{"NonCapturingGroup", "(?:ab)+c", "ababc", {0, 2}},
                      StartsCase{"BraceThatIsNoRepeat", "a{x", "a{xa{", {0}},
                      StartsCase{"WhiteSpaceIsSixCharacters", "\\sZ", "\tZ\vZ\x85Z", {0, 2}},
                      StartsCase{"NoMatch", "(N|S)(\\d{4})(E|W)", "N123E", {}}),
    [](const auto& param) { return std::string(param.param.name); });

struct Unsupported {
    const char* name;
    const char* pattern;
};

class MatchStartsUnsupported : public ::testing::TestWithParam<Unsupported> {};

TEST_P(MatchStartsUnsupported, DeclinesWhatItCannotFollow)
{
    const MatchStarts starts(GetParam().pattern);
    EXPECT_FALSE(starts.Supported());
    EXPECT_TRUE(starts.Scan("abc").empty());
}

INSTANTIATE_TEST_SUITE_P(Text, MatchStartsUnsupported,
                         ::testing::Values(Unsupported{"BackReference", "(a)\\1"}, Unsupported{"StartAnchor", "^a"},
                                           Unsupported{"EndAnchor", "a$"}, Unsupported{"LookAhead", "a(?=b)"},
                                           Unsupported{"AtomicGroup", "(?>a+)b"}, Unsupported{"Possessive", "a*+b"},
                                           Unsupported{"WordBoundary", "\\bx"}, Unsupported{"Empty", ""},
                                           Unsupported{"MatchesEmpty", "a*"}, Unsupported{"Unbalanced", "(a"},
                                           Unsupported{"TooManyClasses", "\\d{65}"}),
                         [](const auto& param) { return std::string(param.param.name); });

struct RunawayCase {
    const char* name;
    const char* pattern;
    bool runsAway;
};

class MatchStartsRunaway : public ::testing::TestWithParam<RunawayCase> {};

TEST_P(MatchStartsRunaway, TellsWhichBacktrackingCanCostTheSquare)
{
    EXPECT_EQ(MatchStarts(GetParam().pattern).RunsAway(), GetParam().runsAway);
}

INSTANTIATE_TEST_SUITE_P(Text, MatchStartsRunaway,
                         ::testing::Values(RunawayCase{"TwoRepeatsSharingDigits", "(\\d*).(\\d*),", true},
                                           RunawayCase{"RepeatThatBeginsAMatch", "[\\s\\S]*x", true},
                                           RunawayCase{"BoundedRepeatsOnly", "(N|S)(\\d{4})(E|W)(\\d{5})", false},
                                           RunawayCase{"RepeatsOfSeparateClasses", "N\\s*\\d+\\.", false},
                                           RunawayCase{"NestedRepeat", "x(a+)*b", true}),
                         [](const auto& param) { return std::string(param.param.name); });

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
