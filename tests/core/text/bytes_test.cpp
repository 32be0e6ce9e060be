// Bytes travel through JSON and the other text formats as characters U+0000..U+00FF.
#include "text/bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace korval {
namespace {

using namespace std::string_literals;

TEST(Bytes, EveryByteSurvivesTheJsonMapping)
{
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    EXPECT_EQ(BytesFromUtf8(Utf8FromBytes(all)), all);
    EXPECT_EQ(Utf8FromBytes("\xe9"), "\xc3\xa9");
}

TEST(Bytes, CharactersWithoutAByteAreRefused)
{
    for (const std::string& utf8 : {"\xc4\x80"s, "\xe2\x82\xac"s, "\xc3"s, "\xc3\x41"s, "\x80"s}) {
        EXPECT_FALSE(BytesFromUtf8(utf8).has_value()) << utf8;
    }
}

TEST(Bytes, TheRefusedCharacterIsNamed)
{
    std::uint32_t refused = 0;
    EXPECT_FALSE(BytesFromUtf8("A\xc3\xa9\xe2\x82\xac", &refused).has_value());
    EXPECT_EQ(refused, 0x20ACu);  // the euro sign
}

}  // namespace
}  // namespace korval
