#include "decode/coordinates.h"

#include <cctype>
#include <string>

namespace korval {
namespace {

constexpr int kMaxImplied = 6;
constexpr std::size_t kMaxDigits = 12;  // more whole or decimal digits than any coordinate needs

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char Upper(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// The value of a run of decimal digits (at most kMaxDigits).
double Whole(std::string_view digits)
{
    double v = 0;
    for (char c : digits) v = v * 10 + (c - '0');
    return v;
}

// "0." followed by the digits.
double Fraction(std::string_view digits)
{
    double v = 0;
    double scale = 1;
    for (char c : digits) {
        v = v * 10 + (c - '0');
        scale *= 10;
    }
    return v / scale;
}

void SkipBlanks(std::string_view text, std::size_t& i)
{
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
}

}  // namespace

std::optional<Notation> ParseNotation(std::string_view name)
{
    std::string n;
    for (char c : name) n.push_back(Upper(c));
    if (n == "DMT") return Notation{Notation::Kind::DegreesMinutes, 1};
    if (n == "DMS") return Notation{Notation::Kind::DegreesMinutesSeconds, 0};
    Notation notation;
    std::string_view rest;
    if (n.starts_with("DEC")) {
        notation.kind = Notation::Kind::Decimal;
        rest = std::string_view(n).substr(3);
    } else if (n.starts_with("DM")) {
        notation.kind = Notation::Kind::DegreesMinutes;
        rest = std::string_view(n).substr(2);
    } else {
        return std::nullopt;
    }
    if (rest.empty()) return notation;
    if (rest.size() != 1 || !IsDigit(rest[0])) return std::nullopt;
    notation.impliedDecimals = rest[0] - '0';
    if (notation.impliedDecimals < 1 || notation.impliedDecimals > kMaxImplied) return std::nullopt;
    return notation;
}

std::optional<double> ReadCoordinate(std::string_view text, Notation notation, Axis axis)
{
    const char positiveLetter = axis == Axis::Latitude ? 'N' : 'E';
    const char negativeLetter = axis == Axis::Latitude ? 'S' : 'W';
    bool negative = false;
    bool lettered = false;
    // A hemisphere letter of this axis; false for any other letter.
    auto takeLetter = [&](char c) {
        const char u = Upper(c);
        if (lettered || (u != positiveLetter && u != negativeLetter)) return false;
        lettered = true;
        negative = negative || u == negativeLetter;
        return true;
    };

    std::size_t i = 0;
    SkipBlanks(text, i);
    if (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
        if (!takeLetter(text[i])) return std::nullopt;
        ++i;
        SkipBlanks(text, i);
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = negative || text[i] == '-';
        ++i;
        SkipBlanks(text, i);
    }
    const std::size_t wholeAt = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    std::string_view whole = text.substr(wholeAt, i - wholeAt);
    std::string_view fraction;
    bool point = false;
    if (i < text.size() && text[i] == '.') {
        point = true;
        const std::size_t fractionAt = ++i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        fraction = text.substr(fractionAt, i - fractionAt);
    }
    SkipBlanks(text, i);
    if (i < text.size()) {
        if (!takeLetter(text[i])) return std::nullopt;
        ++i;
        SkipBlanks(text, i);
    }
    if (i != text.size() || whole.empty() || whole.size() > kMaxDigits || fraction.size() > kMaxDigits)
        return std::nullopt;

    // Implied decimals move from the end of the whole digits to the fraction.
    if (!point && notation.impliedDecimals > 0) {
        const auto n = static_cast<std::size_t>(notation.impliedDecimals);
        if (whole.size() <= n) return std::nullopt;
        fraction = whole.substr(whole.size() - n);
        whole = whole.substr(0, whole.size() - n);
    }

    double degrees = 0;
    switch (notation.kind) {
        case Notation::Kind::Decimal:
            degrees = Whole(whole) + Fraction(fraction);
            break;
        case Notation::Kind::DegreesMinutes: {
            if (whole.size() < 3) return std::nullopt;
            const double minutes = Whole(whole.substr(whole.size() - 2)) + Fraction(fraction);
            if (minutes >= 60) return std::nullopt;
            degrees = Whole(whole.substr(0, whole.size() - 2)) + minutes / 60.0;
            break;
        }
        case Notation::Kind::DegreesMinutesSeconds: {
            if (whole.size() < 5) return std::nullopt;
            const double seconds = Whole(whole.substr(whole.size() - 2)) + Fraction(fraction);
            const double minutes = Whole(whole.substr(whole.size() - 4, 2));
            if (seconds >= 60 || minutes >= 60) return std::nullopt;
            degrees = Whole(whole.substr(0, whole.size() - 4)) + minutes / 60.0 + seconds / 3600.0;
            break;
        }
    }
    if (degrees > (axis == Axis::Latitude ? 90.0 : 180.0)) return std::nullopt;
    return negative ? -degrees : degrees;
}

}  // namespace korval
