// The facility's bounded searches: patterns whose backtracking can run away go through the scan
// for match starts, and a search that hits the quick limit is finished the same way; both give
// exactly what the plain engine gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pcre_reference.h"
#include "random_texts.h"
#include "text/fault.h"
#include "text/regexp.h"

namespace korval {
namespace {

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
                      PatternCase{"SpacedPosition", R"((N|S)([\d ]*).(\d{3}),(\d{5})([\s]*)(E|W)([\d ]*).(\d{3}),)",
                                  "$1$2.$3,$6$7.$8,$4,"},
                      PatternCase{"CommaPosition", R"(,(E|W)(\s*)(\d*)\.([\s\d]{3}),(N|S)(\s*)(\d+)\.(\d{3}),)",
                                  ",$5$6$7.$8,$1$2$3.$4,"},
                      PatternCase{"DecimalForm",
                                  R"((N|S)\s*(\d+)\.(\s{0,3}\d{1,5})[\s,](E|W)(\s{0,3}\d{0,5})\.([\s\d]*))", "[$0$1]"},
                      PatternCase{"WholeMessage",
                                  R"(([\s\S]*)(N|N-)(\d{1,2})(.\d{5})(E|E-)(\d{1,3})(.[\d]{5})([\s\S]*))", "$1<$2>$8"},
                      PatternCase{"FlightFix", R"(Flight id: (KL0000)([\s\S]*)(KL\d{4}))", "Flight id: $3 $2$3"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(BoundedSearch, DigitsThatNeverEndCostOneScan)
{
    // Before, each length of the first digit run made the second one scan the rest again.
    const RegExp signedDecimals(R"(,(N|S)(\d*).(\d*),(E|W)(\d*).(\d{1}))");
    const std::string digits(65000, '1');
    EXPECT_FALSE(signedDecimals.Test(",N" + digits + ","));
    // The first digit run gives back one digit for "." and the second takes none.
    EXPECT_EQ(signedDecimals.Replace(",N" + digits + ",E1.2", ",$1$2$3$4$5$6"), ",N" + std::string(64999, '1') + "E12");
}

// Twenty choices of the same letter: a million ways to fail at every start.
std::string ManyWays(int count, std::string_view end)
{
    std::string pattern;
    for (int i = 0; i < count; ++i) pattern += "(a|a)";
    return pattern + std::string(end);
}

TEST(BoundedSearch, SearchThatHitsTheQuickLimitIsFinishedExactly)
{
    const RegExp re(ManyWays(20, "c"));
    EXPECT_FALSE(re.Test(std::string(30, 'a')));
    const std::vector<Match> found = re.Execute(std::string(30, 'a') + "c");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].FirstIndex, 10u);
    EXPECT_EQ(found[0].Value, std::string(20, 'a') + "c");
}

struct MatchAtCase {
    const char* name;
    std::size_t start;
    bool found;
    std::vector<RegExp::Span> spans;
};

class RegExpMatchAt : public ::testing::TestWithParam<MatchAtCase> {};

TEST_P(RegExpMatchAt, MatchesOnlyWhereItIsAsked)
{
    // "(N|S)(\d{2})(X)?" over "aN12bS345"
    const RegExp re(R"((N|S)(\d{2})(X)?)");
    std::vector<RegExp::Span> spans;
    EXPECT_EQ(re.MatchAt("aN12bS345", GetParam().start, spans), GetParam().found);
    if (GetParam().found) {
        ASSERT_EQ(spans.size(), GetParam().spans.size());
        for (std::size_t g = 0; g < spans.size(); ++g) {
            EXPECT_EQ(spans[g].begin, GetParam().spans[g].begin) << "group " << g;
            EXPECT_EQ(spans[g].end, GetParam().spans[g].end) << "group " << g;
        }
    }
}

constexpr std::size_t kNone = std::string_view::npos;

INSTANTIATE_TEST_SUITE_P(Text, RegExpMatchAt,
                         ::testing::Values(MatchAtCase{"BeforeTheMatch", 0, false, {}},
                                           MatchAtCase{"AtTheFirst", 1, true, {{1, 4}, {1, 2}, {2, 4}, {kNone, kNone}}},
                                           MatchAtCase{"InsideTheFirst", 2, false, {}},
                                           MatchAtCase{
                                               "AtTheSecond", 5, true, {{5, 8}, {5, 6}, {6, 8}, {kNone, kNone}}},
                                           MatchAtCase{"PastTheEnd", 20, false, {}}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace korval
