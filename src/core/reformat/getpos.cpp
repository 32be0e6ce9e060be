#include "reformat/getpos.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "station/station.h"
#include "text/convert.h"
#include "text/fields.h"
#include "text/regexp.h"

namespace korval {
namespace {

// Decimal form: degrees and decimal fractions of a degree. Groups: 1 latitude letter,
// 2 degrees, 3 fraction, 4 longitude letter, 5 degrees, 6 fraction.
const RegExp& DecimalForm()
{
    static const RegExp re(R"((N|S)\s*(\d+)\.(\s{0,3}\d{1,5})[\s,](E|W)(\s{0,3}\d{0,5})\.([\s\d]*))", true, false);
    return re;
}

// Compact form: degrees, minutes and tenths of a minute. Groups: 1 latitude letter,
// 2 latitude digits, 3 longitude letter, 4 longitude digits.
const RegExp& CompactForm()
{
    static const RegExp re(R"((N|S)([\s\d]{4,6})(E|W)([\s\d]{5,7}))", true, false);
    return re;
}

bool IsWhite(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void BlanksToZeros(std::string& text)
{
    std::replace(text.begin(), text.end(), ' ', '0');
}

// Appends the latitude degrees right-aligned in two digits: a one-digit latitude written with a
// padding blank ("N  5.12345") is 05 degrees, not 51.
void AppendLatitudeDegrees(std::string& out, const std::string& digits)
{
    if (digits.size() < 2) out += '0';
    out += digits;
}

// Appends the longitude degrees without their blanks, right-aligned in three digits: "E 005" is
// 005 and "W  12" is 012 degrees; the blanks must not become digits.
void AppendLongitudeDegrees(std::string& out, const std::string& text)
{
    const auto digits =
        static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return !IsWhite(c); }));
    if (digits < 3) out.append(3 - digits, '0');
    for (char c : text)
        if (!IsWhite(c)) out += c;
}

// "-" for the southern and western hemispheres.
std::string Sign(bool negative)
{
    return negative ? std::string("-") : std::string();
}

// Degrees, minutes and the tenths-of-a-minute character of a compact entry whose degrees take
// `degreeWidth` characters. Minutes of 59 or less become hundredths of a degree when `convert`
// allows it (30 gives 50, 59 gives 98); 60 or more are taken as hundredths already. The tenths
// character is copied as it stands. `converted` tells which of the two happened.
std::string CompactValue(std::string_view text, std::size_t degreeWidth, bool convert, bool& converted)
{
    std::int32_t minutes = CInt(text.substr(degreeWidth, 2));
    converted = convert && minutes <= 59;
    if (converted) minutes = RoundHalfEven32(minutes / 0.6);
    std::string value(text.substr(0, degreeWidth));
    value += Format(minutes, "00");
    value += text.substr(degreeWidth + 2, 1);
    return value;
}

// Appends the decimal-form entries, thousandths of a degree, the point implied.
void ReadDecimal(std::string_view content, std::string& out)
{
    for (const Match& m : DecimalForm().Execute(content)) {
        const auto& g = m.SubMatches;
        const bool south = g[0] == "S";
        const bool west = g[3] == "W";

        std::string lat = Sign(south);
        AppendLatitudeDegrees(lat, g[1]);
        lat += g[2];
        lat += '0';
        BlanksToZeros(lat);
        const std::size_t latWidth = south ? 6 : 5;
        if (lat.size() < latWidth) continue;
        lat.resize(latWidth);

        std::string lon = Sign(west);
        AppendLongitudeDegrees(lon, g[4]);
        lon += g[5];
        ReplaceAllInPlace(lon, CRLF, "");
        BlanksToZeros(lon);
        const std::size_t lonWidth = west ? 7 : 6;
        if (lon.size() < lonWidth) continue;
        lon.resize(lonWidth);

        out += lat;
        out += '/';
        out += lon;
        out += ',';
    }
}

// Appends the compact-form entries. Minutes become hundredths of a degree; the tenths-of-a-minute
// digit is copied as it stands.
void ReadCompact(std::string_view content, std::string& out)
{
    for (const Match& m : CompactForm().Execute(content)) {
        const auto& g = m.SubMatches;
        const bool south = g[0] == "S";
        const bool west = g[2] == "W";

        std::string lat = Sign(south);
        lat += g[1];
        lat += '0';
        if (south) BlanksToZeros(lat);  // northern blanks stay: a blank minute text is a type mismatch
        const std::size_t latDegrees = south ? 3 : 2;
        lat.resize(latDegrees + 3);
        bool latConverted = false;
        const std::string latitude = CompactValue(lat, latDegrees, true, latConverted);

        std::string lon = Sign(west);
        lon += g[3];
        lon += '0';
        ReplaceAllInPlace(lon, CRLF, "");
        BlanksToZeros(lon);
        const std::size_t lonWidth = west ? 7 : 6;
        if (lon.size() < lonWidth) continue;
        lon.resize(lonWidth);
        // The longitude minutes are converted only where the latitude's were.
        bool lonConverted = false;
        const std::string longitude = CompactValue(lon, lonWidth - 3, latConverted, lonConverted);

        out += latitude;
        out += '/';
        out += longitude;
        out += ',';
    }
}

}  // namespace

void GetPos(Station& s)
{
    s.PositionText.clear();
    s.Guard("GetPos", "Position", [&] {
        std::string_view live = s.box.LiveData.Text;
        // The header (the first 124 characters) is never searched.
        const std::string_view content =
            live.size() > fields::kHeaderLength ? live.substr(fields::kHeaderLength) : std::string_view{};
        ReadDecimal(content, s.PositionText);
        ReadCompact(content, s.PositionText);
        // Found when the text after the first "/" (the whole text when there is none) holds at
        // least six characters.
        const std::size_t slash = InStr(s.PositionText, "/");
        s.PositionFound = Mid(s.PositionText, slash + 1).size() >= 6;
    });
}

}  // namespace korval
