#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "test_support.h"
#include "text/bytes.h"
#include "text/convert.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::FaultOf;
using korval::test::PrintTo;
using namespace std::string_literals;

// The value is expected when the 32-bit conversion raises nothing; faults are error numbers for a
// 16-bit and a 32-bit target, 0 when it converts.
struct WholeCase {
    const char *name, *text;
    std::int32_t value;
    int fault16, fault32;
};

class WholeNumbers : public ::testing::TestWithParam<WholeCase> {};

TEST_P(WholeNumbers, ConvertOrFault)
{
    const WholeCase& c = GetParam();
    EXPECT_FAULT((void)CInt(c.text), c.fault16);
    EXPECT_FAULT((void)CLng(c.text), c.fault32);
    if (c.fault32 == 0) {
        EXPECT_EQ(CLng(c.text), c.value);  // CInt's value, when it has one
    }
}

INSTANTIATE_TEST_SUITE_P(
    Text, WholeNumbers,
    ::testing::Values(WholeCase{"blanks", "  42  ", 42, 0, 0}, WholeCase{"halfDown", "2.5", 2, 0, 0},
                      WholeCase{"halfUp", "3.5", 4, 0, 0}, WholeCase{"negativeHalf", "-2.5", -2, 0, 0},
                      WholeCase{"letters", "12a", 0, 13, 13}, WholeCase{"max16", "32767", 32767, 0, 0},
                      WholeCase{"over16", "32768", 32768, 6, 0}, WholeCase{"over32", "2147483648", 0, 6, 6},
                      // Rounding happens before the range check: 32767.5 is 32768, -32768.5 is -32768.
                      WholeCase{"roundsOver16", "32767.5", 32768, 6, 0},
                      WholeCase{"min16Half", "-32768.5", -32768, 0, 0},
                      WholeCase{"min32", "-2147483648", -2147483647 - 1, 6, 0}),
    test::CaseName());

struct FormatCase {
    const char *name, *text, *format, *expected;
};

class NumberFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormats, Formats)
{
    EXPECT_EQ(Format(GetParam().text, GetParam().format), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Text, NumberFormats,
                         ::testing::Values(FormatCase{"letters", "abc", "00", "abc"},
                                           FormatCase{"negativeSection", "-7.5", "000.000;-000.000", "-007.500"},
                                           FormatCase{"roundsDecimals", "52.12345", "00.000;-00.000", "52.123"},
                                           // Formats round half away from zero (unlike the whole-number conversions).
                                           FormatCase{"halfUp", "2.5", "00", "03"},
                                           FormatCase{"negativeHalf", "-2.5", "00", "-03"},
                                           FormatCase{"roundingCarries", "99.9996", "00.000;-00.000", "100.000"},
                                           FormatCase{"zerosDropped", "00051", "000", "051"}),
                         test::CaseName());

TEST(Text, EmbeddedNulIsNotANumber)
{
    EXPECT_FAULT((void)CLng(std::string_view("5\0", 2)), 13);
    EXPECT_EQ(Format(std::string_view("5\0", 2), "00"), std::string("5\0", 2));
}

// The conversions work in double precision: a decimal text whose value is beyond the largest
// double (1.7976931348623157E308; halfway to the next power of two, 1.797693134862315807937E308,
// rounds up and so overflows) is no number. The formats give it back unchanged, every conversion
// raises error 6.
// The value is CDbl's when a number; the formatted text goes through "000.000;-000.000".
struct RangeCase {
    const char* name;
    std::string text;
    bool number;
    double value;
    std::string formatted;
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

INSTANTIATE_TEST_SUITE_P(
    Text, BeyondADouble,
    ::testing::Values(RangeCase{"signedExponent", " 1E+999 ", false, 0, " 1E+999 "},
                      RangeCase{"justAboveHalfway", "1.7976931348623159E308", false, 0, "1.7976931348623159E308"},
                      RangeCase{"wholeDigitsBeyond", "99999E304", false, 0, "99999E304"},
                      RangeCase{"largestDouble", "1.7976931348623157E308", true, 1.7976931348623157e308,
                                "17976931348623157" + std::string(292, '0') + ".000"},
                      RangeCase{"roundsToTheLargest", "1.7976931348623158E308", true, 1.7976931348623157e308,
                                "17976931348623158" + std::string(292, '0') + ".000"},
                      RangeCase{"fractionZerosCount", "0.00001E313", true, 1e308, "1" + std::string(308, '0') + ".000"},
                      RangeCase{"manyFractionZeros", "0." + std::string(450, '0') + "1E550", true, 1e99,
                                "1" + std::string(99, '0') + ".000"}),
    test::CaseName());

TEST(Text, BeyondTheSmallestDoubleIsZero)
{
    for (const char* tiny : {"-1E-400", "0.0000001E-999999"}) {
        EXPECT_TRUE(IsNumeric(tiny)) << tiny;
        EXPECT_EQ(CDbl(tiny), 0.0) << tiny;
        EXPECT_EQ(CLng(tiny), 0) << tiny;
        EXPECT_EQ(Format(tiny, "00"), "00") << tiny;
    }
    EXPECT_EQ(Format("0E999", "000"), "000");  // zero, whatever its exponent
}

TEST(Text, SplitKeepsEmptyFieldsAndLinesTakeEveryKindOfLineEnd)
{
    EXPECT_EQ(Split("a,,b,", ","), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_TRUE(Split("", ",").empty());
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
    EXPECT_EQ(SingleText(1234.5f), "1234.5");
    EXPECT_EQ(SingleText(99999999.0f), "100000000");  // single precision holds 99999999 as 1E8
    EXPECT_EQ(SingleText(0.00001f), "0.00001");
    EXPECT_EQ(SingleText(1e10f), "10000000000");  // 9765625 times 2 to the 10th: exact
}

// "True" and "False" come through the settings' own cases.
TEST(Text, BooleansAcceptNumbersAndSinglesHaveTheirOwnRange)
{
    EXPECT_TRUE(CBool("-1"));
    EXPECT_FALSE(CBool("0"));
    EXPECT_FAULT((void)CBool("/home/x/KORVAL.ini"), 13);
    EXPECT_FAULT((void)CSng("1e39"), 6);
}

// Bytes travel through JSON and the other text formats as characters U+0000..U+00FF.
TEST(Bytes, EveryByteSurvivesTheJsonMapping)
{
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(BytesFromUtf8(Utf8FromBytes(all)), all);
    EXPECT_EQ(Utf8FromBytes("\xe9"), "\xc3\xa9");
}

// Beyond U+00FF, cut short, a bad continuation, a lone continuation: refused, and the first
// character beyond U+00FF is named.
TEST(Bytes, CharactersWithoutAByteAreRefused)
{
    for (const std::string& utf8 : {"\xc4\x80"s, "\xc3"s, "\xc3\x41"s, "\x80"s}) {
        EXPECT_FALSE(BytesFromUtf8(utf8).has_value()) << utf8;
    }
    std::uint32_t refused = 0;
    EXPECT_FALSE(BytesFromUtf8("A\xc3\xa9\xe2\x82\xac", &refused).has_value());
    EXPECT_EQ(refused, 0x20ACu);  // the euro sign
}

}  // namespace
}  // namespace korval
