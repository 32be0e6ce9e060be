#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "test_support.h"
#include "text/convert.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::FaultOf;
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
        WholeCase{"letters", "12a", 0, 13, 13}, WholeCase{"onlyMinus", "-", 0, 13, 13},
        WholeCase{"max16", "32767", 32767, 0, 0}, WholeCase{"over16", "32768", 32768, 6, 0},
        WholeCase{"min16", "-32768", -32768, 0, 0}, WholeCase{"over32", "2147483648", 0, 6, 6},
        WholeCase{"huge", "99999999999999999999999", 0, 6, 6}, WholeCase{"plusSign", "+17", 17, 0, 0},
        WholeCase{"minusHalf", "-0.5", 0, 0, 0}, WholeCase{"paddedFraction", "  -0012.50  ", -12, 0, 0},
        WholeCase{"trailingPoint", "5.", 5, 0, 0}, WholeCase{"leadingPoint", ".6", 1, 0, 0},
        WholeCase{"doubleMinus", "--5", 0, 13, 13}, WholeCase{"comma", "1,5", 0, 13, 13},
        WholeCase{"hexText", "0x10", 0, 13, 13}, WholeCase{"exponent", "1e3", 1000, 0, 0},
        WholeCase{"bareExponent", "1e", 0, 13, 13}, WholeCase{"hugeExponent", "1e400", 0, 6, 6},
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
        FormatCase{"5", "00", "05"}, FormatCase{"30", "0000", "0030"}, FormatCase{"abc", "00", "abc"},
        FormatCase{"", "000", ""}, FormatCase{"52.5", "00.000;-00.000", "52.500"},
        FormatCase{"157.5", "000.000;-000.000", "157.500"}, FormatCase{"-7.5", "000.000;-000.000", "-007.500"},
        FormatCase{"52.12345", "00.000;-00.000", "52.123"}, FormatCase{"1.0005", "00.000;-00.000", "01.001"},
        FormatCase{"-5", "00", "-05"}, FormatCase{"x52", "00.000;-00.000", "x52"},
        // Formats round half away from zero (unlike the whole-number conversions).
        FormatCase{"2.5", "00", "03"}, FormatCase{"-2.5", "00", "-03"}, FormatCase{" 7 ", "000", "007"},
        FormatCase{"0", "0000", "0000"}, FormatCase{"-0", "00", "00"}, FormatCase{"1e3", "0000", "1000"},
        FormatCase{"12abc", "000", "12abc"}, FormatCase{"-", "00", "-"},
        FormatCase{"99.9996", "00.000;-00.000", "100.000"}, FormatCase{"-9.9995", "000.000;-000.000", "-010.000"},
        FormatCase{"-0.5", "000.000;-000.000", "-000.500"}, FormatCase{"00051", "000", "051"}),
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

// The conversions work in double precision: a decimal text whose value is beyond the largest
// double (1.7976931348623157E308; halfway to the next power of two, 1.797693134862315807937E308,
// rounds up and so overflows) is no number. The formats give it back unchanged, every conversion
// raises error 6.
struct RangeCase {
    const char* name;
    std::string text;
    bool number;
    double value;           // CDbl when a number
    std::string formatted;  // through "000.000;-000.000"
};

class BeyondADouble : public ::testing::TestWithParam<RangeCase> {};

TEST_P(BeyondADouble, IsNoNumber)
{
    const RangeCase& c = GetParam();
    EXPECT_EQ(IsNumeric(c.text), c.number);
    EXPECT_EQ(Format(c.text, "000.000;-000.000"), c.formatted);
    EXPECT_FAULT((void)CDbl(c.text), c.number ? 0 : 6);
    if (c.number) {
        EXPECT_EQ(CDbl(c.text), c.value);
    }
    // Far beyond every whole-number and single-precision range either way.
    EXPECT_FAULT((void)CSng(c.text), 6);
    EXPECT_FAULT((void)CLng(c.text), 6);
    EXPECT_FAULT((void)CInt(c.text), 6);
    EXPECT_FAULT((void)CBool(c.text), c.number ? 0 : 6);
}

const std::string k308Zeros(308, '0');

INSTANTIATE_TEST_SUITE_P(
    Text, BeyondADouble,
    ::testing::Values(RangeCase{"oneE999", "1E999", false, 0, "1E999"},
                      RangeCase{"minusOneE400", "-1E400", false, 0, "-1E400"},
                      RangeCase{"twoE308", "2E308", false, 0, "2E308"},
                      RangeCase{"oneE309", "1e309", false, 0, "1e309"},
                      RangeCase{"signedExponent", " 1E+999 ", false, 0, " 1E+999 "},
                      RangeCase{"justAboveHalfway", "1.7976931348623159E308", false, 0, "1.7976931348623159E308"},
                      RangeCase{"wholeDigitsBeyond", "99999E304", false, 0, "99999E304"},
                      RangeCase{"oneE308", "1E308", true, 1e308, "1" + k308Zeros + ".000"},
                      RangeCase{"minusOneE308", "-1E308", true, -1e308, "-1" + k308Zeros + ".000"},
                      RangeCase{"largestDouble", "1.7976931348623157E308", true, 1.7976931348623157e308,
                                "17976931348623157" + std::string(292, '0') + ".000"},
                      RangeCase{"roundsToTheLargest", "1.7976931348623158E308", true, 1.7976931348623157e308,
                                "17976931348623158" + std::string(292, '0') + ".000"},
                      RangeCase{"fractionZerosCount", "0.00001E313", true, 1e308, "1" + k308Zeros + ".000"},
                      RangeCase{"manyFractionZeros", "0." + std::string(450, '0') + "1E550", true, 1e99,
                                "1" + std::string(99, '0') + ".000"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Text, BeyondTheSmallestDoubleIsZero)
{
    for (const char* tiny : {"1E-999", "-1E-400", "0.0000001E-999999"}) {
        EXPECT_TRUE(IsNumeric(tiny)) << tiny;
        EXPECT_EQ(CDbl(tiny), 0.0) << tiny;
        EXPECT_EQ(CLng(tiny), 0) << tiny;
        EXPECT_EQ(Format(tiny, "00"), "00") << tiny;
    }
    EXPECT_EQ(Format("0E999", "000"), "000");  // zero, whatever its exponent
}

TEST(Text, SplitKeepsEmptyFieldsAndGivesNothingForEmptyText)
{
    EXPECT_EQ(Split("a,,b,", ","), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_TRUE(Split("", ",").empty());
}

TEST(Text, SplitLinesTakesEveryKindOfLineEnd)
{
    const std::vector<std::string> three = {"a", "", "b"};
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), three);
    EXPECT_EQ(SplitLines("a\n\nb"), three);
    EXPECT_EQ(SplitLines("a\r\rb"), three);
    EXPECT_EQ(SplitLines("a\n\r\nb"), three);  // LF, then CR LF
    EXPECT_EQ(SplitLines("a\n\rb"), three);    // LF, then CR: two line ends
    EXPECT_EQ(SplitLines("a\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(SplitLines("a\r"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(SplitLines("a"), (std::vector<std::string>{"a"}));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST(Text, SingleTextHasNoExponent)
{
    EXPECT_EQ(SingleText(1234.0f), "1234");
    EXPECT_EQ(SingleText(1234.5f), "1234.5");
    EXPECT_EQ(SingleText(-120.0f), "-120");
    EXPECT_EQ(SingleText(99999999.0f), "100000000");  // single precision holds 99999999 as 1E8
    EXPECT_EQ(SingleText(0.00001f), "0.00001");
    EXPECT_EQ(SingleText(1e10f), "10000000000");  // 9765625 times 2 to the 10th: exact
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
