#include <gtest/gtest.h>

#include <string>

#include "export/encode.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
struct EncodeCase {
    const char* name;
    std::string bytes, json, xml;
};

class Encode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(Encode, JsonAndXml)
{
    const EncodeCase& c = GetParam();
    EXPECT_EQ(JsonString(c.bytes), c.json);
    EXPECT_EQ(XmlText(c.bytes), c.xml);
}

// Expected bytes written out by hand: E9 is U+00E9, C3 A9 in UTF-8; U+FFFD is EF BF BD.
INSTANTIATE_TEST_SUITE_P(
    Export, Encode,
    ::testing::Values(
        EncodeCase{"empty", "", "\"\"", ""},
        EncodeCase{"markup", "<a & \"b\" 'c'>", "\"<a & \\\"b\\\" 'c'>\"",
                   "&lt;a &amp; &quot;b&quot; &apos;c&apos;&gt;"},
        EncodeCase{"backslash", "C:\\x", "\"C:\\\\x\"", "C:\\x"},
        EncodeCase{"latin1", "caf\xE9 \xA0\xFF", "\"caf\xC3\xA9 \xC2\xA0\xC3\xBF\"", "caf\xC3\xA9 \xC2\xA0\xC3\xBF"},
        EncodeCase{"c1AndDelete", "\x80\x9F\x7F", "\"\xC2\x80\xC2\x9F\x7F\"", "\xC2\x80\xC2\x9F\x7F"},
        EncodeCase{"lineEnds", "a\r\nb\tc", "\"a\\r\\nb\\tc\"", "a&#13;\nb\tc"},
        EncodeCase{"controls", std::string("\x00\x01\x08\x0C\x1B\x1F", 6), "\"\\u0000\\u0001\\b\\f\\u001B\\u001F\"",
                   "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}),
    test::CaseName());

struct DegreesCase {
    const char* name;
    std::int32_t thousandths;
    const char* text;
};

class Degrees : public ::testing::TestWithParam<DegreesCase> {};

TEST_P(Degrees, ExactDecimalText)
{
    EXPECT_EQ(DegreesText(GetParam().thousandths), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Export, Degrees,
                         ::testing::Values(DegreesCase{"zero", 0, "0"}, DegreesCase{"trailingZeros", -1500, "-1.5"},
                                           DegreesCase{"belowOneWest", -500, "-0.5"},
                                           DegreesCase{"minusOneThousandth", -1, "-0.001"},
                                           DegreesCase{"smallest", -2147483647 - 1, "-2147483.648"}),
                         test::CaseName());

// The map styles' colours are checked in the KML; a system colour's flag bit is dropped.
TEST(KmlColour, SystemColourFlagIsDropped)
{
    EXPECT_EQ(KmlColour(0x80000008), "ff000008");
}

}  // namespace
}  // namespace korval
