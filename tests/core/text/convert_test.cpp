#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "test_support.h"
#include "text/convert.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::PrintTo;

struct WholeCase {
    const char* name;
    const char* text;
    std::int32_t value;  // expected when fault == 0
    int fault16;         // error number for a 16-bit target, 0 when it converts
    int fault32;
};

class WholeNumbers : public ::testing::TestWithParam<WholeCase> {};

TEST_P(WholeNumbers, ConvertOrFault)
{
    const WholeCase& c = GetParam();
    EXPECT_FAULT((void)CInt(c.text), c.fault16);
    EXPECT_FAULT((void)CLng(c.text), c.fault32);
    if (c.fault32 == 0) {
        EXPECT_EQ(CLng(c.text), c.value);
    }
    if (c.fault16 == 0) {
        EXPECT_EQ(CInt(c.text), c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Text, WholeNumbers,
    ::testing::Values(
        WholeCase{"plain", "1234", 1234, 0, 0}, WholeCase{"blanks", "  42  ", 42, 0, 0},
        WholeCase{"leadingZeros", "-007500", -7500, 0, 0}, WholeCase{"halfDown", "2.5", 2, 0, 0},
        WholeCase{"halfUp", "3.5", 4, 0, 0}, WholeCase{"negativeHalf", "-2.5", -2, 0, 0},
        WholeCase{"aboveHalf", "2.51", 3, 0, 0}, WholeCase{"empty", "", 0, 13, 13},
        WholeCase{"letters", "12a", 0, 13, 13}, WholeCase{"innerBlank", "1 2", 0, 13, 13},
        WholeCase{"onlyMinus", "-", 0, 13, 13}, WholeCase{"max16", "32767", 32767, 0, 0},
        WholeCase{"over16", "32768", 32768, 6, 0}, WholeCase{"min16", "-32768", -32768, 0, 0},
        WholeCase{"over32", "2147483648", 0, 6, 6}, WholeCase{"huge", "99999999999999999999999", 0, 6, 6},
        WholeCase{"plusSign", "+17", 17, 0, 0}, WholeCase{"halfToZero", "0.5", 0, 0, 0},
        WholeCase{"oneAndHalf", "1.5", 2, 0, 0}, WholeCase{"minusHalf", "-0.5", 0, 0, 0},
        WholeCase{"paddedFraction", "  -0012.50  ", -12, 0, 0}, WholeCase{"pointOnly", ".", 0, 13, 13},
        WholeCase{"trailingPoint", "5.", 5, 0, 0}, WholeCase{"leadingPoint", ".6", 1, 0, 0},
        WholeCase{"doubleMinus", "--5", 0, 13, 13}, WholeCase{"minusBlankDigit", "- 5", 0, 13, 13},
        WholeCase{"comma", "1,5", 0, 13, 13}, WholeCase{"hexText", "0x10", 0, 13, 13},
        WholeCase{"exponent", "1e3", 1000, 0, 0}, WholeCase{"bareExponent", "1e", 0, 13, 13},
        WholeCase{"hugeExponent", "1e400", 0, 6, 6},
        // Rounding happens before the range check: 32767.5 is 32768, 32766.5 is 32766.
        WholeCase{"roundsOver16", "32767.5", 32768, 6, 0}, WholeCase{"roundsInside16", "32766.5", 32766, 0, 0},
        WholeCase{"min16Half", "-32768.5", -32768, 0, 0}, WholeCase{"roundsOver32", "2147483647.5", 0, 6, 6},
        WholeCase{"min32", "-2147483648", -2147483647 - 1, 6, 0}, WholeCase{"under32", "-2147483649", 0, 6, 6}),
    test::CaseName());

struct FormatCase {
    const char* text;
    const char* format;
    const char* expected;
};
void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << '"' << c.text << "\" in \"" << c.format << '"';
}

class NumberFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormats, Formats)
{
    EXPECT_EQ(Format(GetParam().text, GetParam().format), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, NumberFormats,
    ::testing::Values(
        FormatCase{"5", "00", "05"}, FormatCase{"123", "00", "123"}, FormatCase{"8", "000", "008"},
        FormatCase{"30", "0000", "0030"}, FormatCase{"abc", "00", "abc"}, FormatCase{"", "000", ""},
        FormatCase{"52.5", "00.000;-00.000", "52.500"}, FormatCase{"-43.3", "00.000;-00.000", "-43.300"},
        FormatCase{"157.5", "000.000;-000.000", "157.500"}, FormatCase{"-7.5", "000.000;-000.000", "-007.500"},
        FormatCase{"52.12345", "00.000;-00.000", "52.123"}, FormatCase{"1.0005", "00.000;-00.000", "01.001"},
        FormatCase{"-5", "00", "-05"}, FormatCase{"x52", "00.000;-00.000", "x52"},
        // Formats round half away from zero (unlike the whole-number conversions).
        FormatCase{"2.5", "00", "03"}, FormatCase{"-2.5", "00", "-03"}, FormatCase{" 7 ", "000", "007"},
        FormatCase{"0", "0000", "0000"}, FormatCase{"-0", "00", "00"}, FormatCase{"1e3", "0000", "1000"},
        FormatCase{"12abc", "000", "12abc"}, FormatCase{"-", "00", "-"},
        FormatCase{"99.9996", "00.000;-00.000", "100.000"}, FormatCase{"-9.9995", "000.000;-000.000", "-010.000"},
        FormatCase{"-0.5", "000.000;-000.000", "-000.500"}, FormatCase{"00051", "000", "051"},
        FormatCase{"1234", "000", "1234"}),
    // "-2.5" in "00" is the case minus2p5_in_00.
    [](const auto& p) {
        std::string name;
        for (char c : std::string(p.param.text) + " in " + p.param.format)
            name += std::isalnum(static_cast<unsigned char>(c)) ? std::string(1, c)
                    : c == '.'                                  ? "p"
                    : c == '-'                                  ? "minus"
                    : c == ';'                                  ? "_or_"
                                                                : "_";
        return name;
    });

TEST(Text, MidReadsPastTheEndGiveWhatIsThere)
{
    EXPECT_EQ(Mid("abc", 2, 5), "bc");
    EXPECT_EQ(Mid("abc", 4, 5), "");
    EXPECT_EQ(Mid("abc", 125), "");
    EXPECT_EQ(InStr("abcabc", "c", 4), 6u);
    EXPECT_EQ(InStr("abc", "x"), 0u);
}

TEST(Text, EmbeddedNulIsNotANumber)
{
    EXPECT_FAULT((void)CLng(std::string_view("5\0", 2)), 13);
    EXPECT_EQ(Format(std::string_view("5\0", 2), "00"), std::string("5\0", 2));
}

TEST(Text, TinyAndHugeReals)
{
    EXPECT_EQ(CDbl("1e-400"), 0.0);
    EXPECT_EQ(CDbl("-52.125"), -52.125);
    EXPECT_FAULT((void)CDbl("1e400"), 6);
    EXPECT_FAULT((void)CSng("1e39"), 6);
    EXPECT_TRUE(IsNumeric(" -007500 "));
    EXPECT_FALSE(IsNumeric(""));
    EXPECT_FALSE(IsNumeric("N51"));
}

TEST(Text, SplitKeepsEmptyFieldsAndGivesNothingForEmptyText)
{
    EXPECT_EQ(Split("a,,b,", ","), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_TRUE(Split("", ",").empty());
}

TEST(Text, BooleansAcceptWordsAndNumbers)
{
    EXPECT_TRUE(CBool("True"));
    EXPECT_FALSE(CBool("false"));
    EXPECT_TRUE(CBool("-1"));
    EXPECT_FALSE(CBool("0"));
    EXPECT_FAULT((void)CBool("/home/x/KORVAL.ini"), 13);
}

}  // namespace
}  // namespace korval
