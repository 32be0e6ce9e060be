#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "text/convert.h"
#include "text/fault.h"

namespace korval {
namespace {

int FaultOf(auto&& call)
{
    try {
        call();
    } catch (const Fault& f) {
        return f.number();
    }
    return 0;
}

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
    EXPECT_EQ(FaultOf([&] { (void)CInt(c.text); }), c.fault16);
    EXPECT_EQ(FaultOf([&] { (void)CLng(c.text); }), c.fault32);
    if (c.fault32 == 0) {
        EXPECT_EQ(CLng(c.text), c.value);
    }
    if (c.fault16 == 0) {
        EXPECT_EQ(CInt(c.text), c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Text, WholeNumbers,
    ::testing::Values(WholeCase{"plain", "1234", 1234, 0, 0}, WholeCase{"blanks", "  42  ", 42, 0, 0},
                      WholeCase{"leadingZeros", "-007500", -7500, 0, 0},
                      WholeCase{"halfDown", "2.5", 2, 0, 0}, WholeCase{"halfUp", "3.5", 4, 0, 0},
                      WholeCase{"negativeHalf", "-2.5", -2, 0, 0}, WholeCase{"aboveHalf", "2.51", 3, 0, 0},
                      WholeCase{"empty", "", 0, 13, 13}, WholeCase{"letters", "12a", 0, 13, 13},
                      WholeCase{"innerBlank", "1 2", 0, 13, 13}, WholeCase{"onlyMinus", "-", 0, 13, 13},
                      WholeCase{"max16", "32767", 32767, 0, 0}, WholeCase{"over16", "32768", 32768, 6, 0},
                      WholeCase{"min16", "-32768", -32768, 0, 0}, WholeCase{"over32", "2147483648", 0, 6, 6},
                      WholeCase{"huge", "99999999999999999999999", 0, 6, 6}),
    [](const auto& param) { return std::string(param.param.name); });

struct FormatCase {
    const char* text;
    const char* format;
    const char* expected;
};

class NumberFormats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormats, Formats)
{
    EXPECT_EQ(Format(GetParam().text, GetParam().format), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, NumberFormats,
    ::testing::Values(FormatCase{"5", "00", "05"}, FormatCase{"123", "00", "123"}, FormatCase{"8", "000", "008"},
                      FormatCase{"30", "0000", "0030"}, FormatCase{"abc", "00", "abc"}, FormatCase{"", "000", ""},
                      FormatCase{"52.5", "00.000;-00.000", "52.500"},
                      FormatCase{"-43.3", "00.000;-00.000", "-43.300"},
                      FormatCase{"157.5", "000.000;-000.000", "157.500"},
                      FormatCase{"-7.5", "000.000;-000.000", "-007.500"},
                      FormatCase{"52.12345", "00.000;-00.000", "52.123"},
                      FormatCase{"1.0005", "00.000;-00.000", "01.001"}, FormatCase{"-5", "00", "-05"},
                      FormatCase{"x52", "00.000;-00.000", "x52"}));

TEST(Text, MidReadsPastTheEndGiveWhatIsThere)
{
    EXPECT_EQ(Mid("abc", 2, 5), "bc");
    EXPECT_EQ(Mid("abc", 4, 5), "");
    EXPECT_EQ(Mid("abc", 125), "");
    EXPECT_EQ(InStr("abcabc", "c", 4), 6u);
    EXPECT_EQ(InStr("abc", "x"), 0u);
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
    EXPECT_EQ(FaultOf([] { (void)CBool("/home/x/KORVAL.ini"); }), 13);
}

}  // namespace
}  // namespace korval
