#include "text/convert.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "text/fault.h"

namespace korval {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A plain decimal number split into its parts, exactly as written.
struct Decimal {
    bool negative = false;
    std::string integer;   // digits, leading zeros stripped (may be empty for 0)
    std::string fraction;  // digits after the point
    int exponent = 0;      // power of ten written after e/E
};

bool ParseDecimal(std::string_view text, Decimal& out)
{
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    if (b == e) return false;
    std::size_t i = b;
    if (text[i] == '-' || text[i] == '+') {
        out.negative = text[i] == '-';
        ++i;
    }
    bool digits = false;
    while (i < e && std::isdigit(static_cast<unsigned char>(text[i]))) {
        out.integer.push_back(text[i++]);
        digits = true;
    }
    if (i < e && text[i] == '.') {
        ++i;
        while (i < e && std::isdigit(static_cast<unsigned char>(text[i]))) {
            out.fraction.push_back(text[i++]);
            digits = true;
        }
    }
    if (!digits) return false;
    if (i < e && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negExp = false;
        if (i < e && (text[i] == '-' || text[i] == '+')) negExp = text[i++] == '-';
        if (i == e) return false;
        int exp = 0;
        while (i < e && std::isdigit(static_cast<unsigned char>(text[i]))) {
            if (exp < 10000) exp = exp * 10 + (text[i] - '0');
            ++i;
        }
        out.exponent = negExp ? -exp : exp;
    }
    if (i != e) return false;
    // Apply the exponent by moving the point.
    if (out.exponent > 0) {
        std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(out.exponent), 400);
        std::string moved = out.fraction.substr(0, std::min(n, out.fraction.size()));
        moved.resize(n, '0');
        out.integer += moved;
        out.fraction = out.fraction.size() > n ? out.fraction.substr(n) : std::string();
    } else if (out.exponent < 0) {
        std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(-out.exponent), 400);
        std::string padded = std::string(n > out.integer.size() ? n - out.integer.size() : 0, '0') + out.integer;
        out.fraction = padded.substr(padded.size() - n) + out.fraction;
        out.integer = padded.substr(0, padded.size() - n);
    }
    out.exponent = 0;
    std::size_t nz = out.integer.find_first_not_of('0');
    out.integer = nz == std::string::npos ? std::string() : out.integer.substr(nz);
    return true;
}

// Whole value of a decimal rounded half to even; false when it does not fit in 64 bits.
bool RoundedWhole(const Decimal& d, std::int64_t& out)
{
    if (d.integer.size() > 18) return false;
    std::int64_t v = 0;
    for (char c : d.integer) v = v * 10 + (c - '0');
    bool up = false;
    if (!d.fraction.empty()) {
        char first = d.fraction[0];
        bool restNonZero = d.fraction.find_first_not_of('0', 1) != std::string::npos;
        if (first > '5' || (first == '5' && restNonZero))
            up = true;
        else if (first == '5')
            up = (v % 2) != 0;
    }
    if (up) ++v;
    out = d.negative ? -v : v;
    return true;
}

template <class T>
T WholeNumber(std::string_view text)
{
    Decimal d;
    if (!ParseDecimal(text, d)) Raise(err::TypeMismatch);
    std::int64_t v = 0;
    if (!RoundedWhole(d, v) || v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max())
        Raise(err::Overflow);
    return static_cast<T>(v);
}

// Digits of |value| rounded half away from zero to `decimals` places, as integer and fraction text.
void RoundDecimalText(const Decimal& d, std::size_t decimals, std::string& integer, std::string& fraction)
{
    integer = d.integer;
    fraction = d.fraction;
    bool carry = false;
    if (fraction.size() > decimals) {
        carry = fraction[decimals] >= '5';
        fraction.resize(decimals);
    }
    fraction.resize(decimals, '0');
    if (carry) {
        std::string all = integer + fraction;
        int k = static_cast<int>(all.size()) - 1;
        while (k >= 0 && all[static_cast<std::size_t>(k)] == '9') all[static_cast<std::size_t>(k--)] = '0';
        if (k >= 0)
            ++all[static_cast<std::size_t>(k)];
        else
            all.insert(all.begin(), '1');
        integer = all.substr(0, all.size() - decimals);
        fraction = all.substr(all.size() - decimals);
    }
}

std::string ApplySection(std::string_view section, const std::string& integer, const std::string& fraction)
{
    // The section is literal text around one run of 0 digits with an optional point.
    std::size_t first = section.find_first_of("0#");
    if (first == std::string_view::npos) return std::string(section);
    std::size_t last = section.find_last_of("0#.");
    std::string_view prefix = section.substr(0, first);
    std::string_view body = section.substr(first, last - first + 1);
    std::string_view suffix = section.substr(last + 1);
    std::size_t point = body.find('.');
    std::string_view intPart = body.substr(0, point);
    std::size_t minInt = static_cast<std::size_t>(std::count(intPart.begin(), intPart.end(), '0'));
    std::string digits = integer;
    if (digits.size() < minInt) digits.insert(0, minInt - digits.size(), '0');
    std::string out(prefix);
    out += digits;
    if (point != std::string_view::npos) {
        out += '.';
        out += fraction;
    }
    out += suffix;
    return out;
}

std::size_t Decimals(std::string_view section)
{
    std::size_t point = section.find('.');
    if (point == std::string_view::npos) return 0;
    std::size_t n = 0;
    for (std::size_t i = point + 1; i < section.size() && (section[i] == '0' || section[i] == '#'); ++i) ++n;
    return n;
}

}  // namespace

std::int16_t CInt(std::string_view text)
{
    return WholeNumber<std::int16_t>(text);
}
std::int32_t CLng(std::string_view text)
{
    return WholeNumber<std::int32_t>(text);
}

double CDbl(std::string_view text)
{
    Decimal d;
    if (!ParseDecimal(text, d)) Raise(err::TypeMismatch);
    std::string s;
    s.reserve(d.integer.size() + d.fraction.size() + 3);
    if (d.negative) s += '-';
    s += d.integer.empty() ? std::string_view("0") : std::string_view(d.integer);
    if (!d.fraction.empty()) {
        s += '.';
        s += d.fraction;
    }
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc()) {
        // Out of range with no whole part is an underflow: the value is zero, not an overflow.
        if (d.integer.empty()) return d.negative ? -0.0 : 0.0;
        Raise(err::Overflow);
    }
    return v;
}

float CSng(std::string_view text)
{
    double v = CDbl(text);
    if (std::fabs(v) > std::numeric_limits<float>::max()) Raise(err::Overflow);
    return static_cast<float>(v);
}

bool CBool(std::string_view text)
{
    std::string t = Trim(text);
    if (IEquals(t, "True")) return true;
    if (IEquals(t, "False")) return false;
    return CDbl(t) != 0.0;
}

bool IsNumeric(std::string_view text)
{
    Decimal d;
    return ParseDecimal(text, d);
}

std::int32_t RoundHalfEven32(double value)
{
    if (!std::isfinite(value)) Raise(err::Overflow);
    double r = std::nearbyint(value);  // default rounding mode: to nearest, ties to even
    if (r < std::numeric_limits<std::int32_t>::min() || r > std::numeric_limits<std::int32_t>::max())
        Raise(err::Overflow);
    return static_cast<std::int32_t>(r);
}

std::int16_t RoundHalfEven16(double value)
{
    return ToInt16(RoundHalfEven32(value));
}

std::int16_t ToInt16(std::int64_t value)
{
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        Raise(err::Overflow);
    return static_cast<std::int16_t>(value);
}

std::int32_t ToInt32(std::int64_t value)
{
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        Raise(err::Overflow);
    return static_cast<std::int32_t>(value);
}

std::string Format(std::string_view text, std::string_view format)
{
    Decimal d;
    if (!ParseDecimal(text, d)) return std::string(text);
    std::size_t semi = format.find(';');
    std::string_view positive = format.substr(0, semi);
    std::string_view negative = semi == std::string_view::npos ? std::string_view() : format.substr(semi + 1);
    std::string_view section = positive;
    std::string integer, fraction;
    RoundDecimalText(d, Decimals(positive), integer, fraction);
    bool isZero =
        integer.find_first_not_of('0') == std::string::npos && fraction.find_first_not_of('0') == std::string::npos;
    bool useNegative = d.negative && !isZero;
    if (useNegative && !negative.empty()) {
        section = negative;
        RoundDecimalText(d, Decimals(negative), integer, fraction);
        return ApplySection(section, integer, fraction);
    }
    std::string out = ApplySection(section, integer, fraction);
    return useNegative ? "-" + out : out;
}

std::string Format(std::int64_t value, std::string_view format)
{
    return Format(std::to_string(value), format);
}

std::string BoolText(bool value)
{
    return value ? "True" : "False";
}

std::string SingleText(float value)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::string Trim(std::string_view s)
{
    return RTrim(LTrim(s));
}

std::string LTrim(std::string_view s)
{
    std::size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

std::string RTrim(std::string_view s)
{
    std::size_t e = s.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(s.substr(0, e + 1));
}

std::string Mid(std::string_view s, std::size_t start, std::size_t length)
{
    if (start < 1) start = 1;
    if (start > s.size()) return {};
    return std::string(s.substr(start - 1, length));
}

std::string Left(std::string_view s, std::size_t length)
{
    return std::string(s.substr(0, length));
}

std::string Right(std::string_view s, std::size_t length)
{
    return length >= s.size() ? std::string(s) : std::string(s.substr(s.size() - length));
}

std::size_t InStr(std::string_view s, std::string_view find, std::size_t start)
{
    if (start < 1) start = 1;
    if (start > s.size() + 1) return 0;
    std::size_t p = s.find(find, start - 1);
    return p == std::string_view::npos ? 0 : p + 1;
}

bool Contains(std::string_view s, std::string_view find)
{
    return s.find(find) != std::string_view::npos;
}

std::string ReplaceAll(std::string_view s, std::string_view find, std::string_view replacement)
{
    std::string out(s);
    ReplaceAllInPlace(out, find, replacement);
    return out;
}

void ReplaceAllInPlace(std::string& s, std::string_view find, std::string_view replacement)
{
    if (find.empty()) return;
    std::size_t p = s.find(find);
    if (p == std::string::npos) return;
    std::string out;
    out.reserve(s.size());
    std::size_t from = 0;
    while (p != std::string::npos) {
        out.append(s, from, p - from);
        out.append(replacement);
        from = p + find.size();
        p = s.find(find, from);
    }
    out.append(s, from, std::string::npos);
    s.swap(out);
}

std::vector<std::string> Split(std::string_view s, std::string_view separator)
{
    std::vector<std::string> parts;
    if (s.empty()) return parts;
    if (separator.empty()) {
        parts.emplace_back(s);
        return parts;
    }
    std::size_t from = 0;
    for (;;) {
        std::size_t p = s.find(separator, from);
        if (p == std::string_view::npos) {
            parts.emplace_back(s.substr(from));
            return parts;
        }
        parts.emplace_back(s.substr(from, p - from));
        from = p + separator.size();
    }
}

std::string UCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string LCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IEquals(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace korval
