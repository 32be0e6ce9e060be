// V1 made in one scan: the commas its passes come to.
#include "reformat/line_end_commas.h"

#include <gtest/gtest.h>

#include <string>

#include "pcre_reference.h"
#include "random_texts.h"
#include "reformat/reformat.h"

namespace korval {
namespace {

const ReformatRule& V1()
{
    return Rule(69);
}

TEST(LineEndCommas, KnowsV1AndNothingElse)
{
    for (const ReformatRule& rule : ReformatRules())
        EXPECT_EQ(IsLineEndCommaRule(rule.Pattern, rule.Replacement), rule.Number == 69) << "rule " << rule.Number;
}

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

TEST(LineEndCommas, GivesWhatThePassesGive)
{
    const test::PcreReference reference(V1().Pattern);
    test::RandomTexts texts(6900);
    for (int i = 0; i < 3000; ++i) {
        const std::string text = texts.NextMessage(40);
        for (std::size_t passes : {text.size() + 1, std::size_t{1} + static_cast<std::size_t>(i % 3)}) {
            std::string expected = text;
            const bool matched = reference.Passes(expected, V1().Replacement, passes);
            std::string actual = text;
            EXPECT_EQ(ApplyLineEndCommas(actual, passes), matched) << text;
            EXPECT_EQ(actual, expected) << text;
        }
    }
}

}  // namespace
}  // namespace korval
