#pragma once
// Golden files: expected text kept under tests/data and compared whole. Running a test with
// KORVAL_UPDATE_GOLDEN=1 in the environment writes what the code produces instead (review the
// difference before committing it).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "test_support.h"

namespace korval::test {

// Bytes as readable text: "\\", "\r", "\n" (followed by a real line break, so that message lines
// stay lines) and "\xHH" for every other byte outside printable ASCII.
inline std::string EscapeBytes(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n\n";
        } else if (c < 0x20 || c > 0x7E) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += ch;
        }
    }
    return out;
}

// Expects `actual` to equal the file tests/data/<name>.
inline void ExpectGolden(const std::string& name, const std::string& actual)
{
    const char* update = std::getenv("KORVAL_UPDATE_GOLDEN");
    if (update && std::string_view(update) == "1") {
        std::ofstream out(std::string(KORVAL_TEST_DATA) + "/" + name, std::ios::binary | std::ios::trunc);
        out << actual;
        ASSERT_TRUE(out.good()) << "cannot write tests/data/" << name;
        return;
    }
    const std::string expected = ReadTestData(name);
    ASSERT_FALSE(expected.empty()) << "tests/data/" << name << " is missing or empty";
    EXPECT_EQ(actual, expected) << "differs from tests/data/" << name;
}

}  // namespace korval::test
