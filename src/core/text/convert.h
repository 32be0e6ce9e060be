#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korval {

// ---- text to number ------------------------------------------------------------------------
// Blanks around the text are ignored; leading zeros, a leading sign and a decimal fraction are
// accepted. A fraction is rounded to the nearest whole number, halves to the even neighbour
// ("2.5" gives 2, "3.5" gives 4), as stored files expect. Anything else raises error 13 (type
// mismatch); a value outside the target's range raises error 6 (overflow).
std::int16_t CInt(std::string_view text);
std::int32_t CLng(std::string_view text);
double CDbl(std::string_view text);
float CSng(std::string_view text);
// "True"/"False" (any letter case) or a number, 0 being false; anything else is error 13.
bool CBool(std::string_view text);
// True when CDbl would accept the text.
bool IsNumeric(std::string_view text);

// Nearest whole number, halves to the even neighbour; error 6 outside the 32-bit range.
std::int32_t RoundHalfEven32(double value);
std::int16_t RoundHalfEven16(double value);
// Range checks for arithmetic done in a wider type (error 6 when outside).
std::int16_t ToInt16(std::int64_t value);
std::int32_t ToInt32(std::int64_t value);

// ---- number to text ------------------------------------------------------------------------
// The number formats the system uses: "00", "000", "0000", "00.000;-00.000",
// "000.000;-000.000". Zeros before the point give the least number of integer digits, zeros
// after it the exact number of decimals (rounded half away from zero on the decimal text); a
// second section after ";" is used for negative values. A text that is not a number is
// returned unchanged.
std::string Format(std::string_view text, std::string_view format);
std::string Format(std::int64_t value, std::string_view format);
// "True" / "False".
std::string BoolText(bool value);
// The shortest decimal text of a single-precision number ("1234", "1234.5").
std::string SingleText(float value);

// ---- text helpers --------------------------------------------------------------------------
std::string Trim(std::string_view s);  // blanks (spaces) at both ends removed
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
// Characters from 1-based position `start`, at most `length` of them; reads past the end give
// what is there (possibly nothing), never an error.
std::string Mid(std::string_view s, std::size_t start, std::size_t length = std::string_view::npos);
std::string Left(std::string_view s, std::size_t length);
std::string Right(std::string_view s, std::size_t length);
// 1-based position of `find` in `s` at or after 1-based `start`; 0 when absent.
std::size_t InStr(std::string_view s, std::string_view find, std::size_t start = 1);
bool Contains(std::string_view s, std::string_view find);
// Every occurrence replaced, left to right, case-sensitive. An empty `find` changes nothing.
std::string ReplaceAll(std::string_view s, std::string_view find, std::string_view replacement);
void ReplaceAllInPlace(std::string& s, std::string_view find, std::string_view replacement);
// Split at every separator; "a,,b," gives "a", "", "b", "". An empty text gives no parts.
std::vector<std::string> Split(std::string_view s, std::string_view separator);
std::string UCase(std::string_view s);
std::string LCase(std::string_view s);
bool IEquals(std::string_view a, std::string_view b);

inline constexpr std::string_view CRLF = "\r\n";

}  // namespace korval
