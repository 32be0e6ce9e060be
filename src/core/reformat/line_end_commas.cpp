#include "reformat/line_end_commas.h"

#include <algorithm>
#include <vector>

#include "text/regexp.h"

namespace korval {
namespace {

constexpr std::string_view kPattern = R"((Message content:-[\s\S]*N|S\s+\d+\.\d{3,4}\,E|W\s*\d*\.[\s\d]*)(\r\n))";
constexpr std::string_view kReplacement = "$1,$2";
constexpr std::string_view kLabel = "Message content:-";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsLineEnd(std::string_view t, std::size_t at)
{
    return at + 1 < t.size() && t[at] == '\r' && t[at + 1] == '\n';
}

std::size_t SkipWhile(std::string_view t, std::size_t at, bool (*in)(char))
{
    while (at < t.size() && in(t[at])) ++at;
    return at;
}

// The line end closing "S\s+\d+\.\d{3,4},E" at `at`, or npos. Each run is followed by what it
// cannot hold, so only its full length can lead on.
std::size_t EastPositionEnd(std::string_view t, std::size_t at)
{
    std::size_t i = at + 1;
    const std::size_t spaces = SkipWhile(t, i, IsSpace);
    if (spaces == i) return std::string_view::npos;
    const std::size_t digits = SkipWhile(t, spaces, IsDigit);
    if (digits == spaces || digits >= t.size() || t[digits] != '.') return std::string_view::npos;
    const std::size_t decimals = SkipWhile(t, digits + 1, IsDigit);
    const std::size_t count = decimals - (digits + 1);
    if (count < 3 || count > 4) return std::string_view::npos;
    if (decimals + 1 >= t.size() || t[decimals] != ',' || t[decimals + 1] != 'E') return std::string_view::npos;
    return IsLineEnd(t, decimals + 2) ? decimals + 2 : std::string_view::npos;
}

// The run of blanks and digits that the decimals of "W\s*\d*\." at `at` begin: [from, to), or an
// empty run when there is no such longitude.
std::pair<std::size_t, std::size_t> WestDecimals(std::string_view t, std::size_t at)
{
    std::size_t i = SkipWhile(t, at + 1, IsSpace);
    i = SkipWhile(t, i, IsDigit);
    if (i >= t.size() || t[i] != '.') return {0, 0};
    const std::size_t from = i + 1;
    std::size_t to = from;
    while (to < t.size() && (IsSpace(t[to]) || IsDigit(t[to]))) ++to;
    return {from, to};
}

// The line ends (offsets of their CR) that the passes give a comma.
std::vector<std::size_t> CommaPlaces(std::string_view t)
{
    std::vector<std::size_t> places;
    const std::size_t label = t.find(kLabel);
    const std::size_t latitudesFrom = label == std::string_view::npos ? t.size() : label + kLabel.size();
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c == 'N' && i >= latitudesFrom && IsLineEnd(t, i + 1)) {
            places.push_back(i + 1);
        } else if (c == 'S') {
            const std::size_t end = EastPositionEnd(t, i);
            if (end != std::string_view::npos) places.push_back(end);
        } else if (c == 'W') {
            const auto [from, to] = WestDecimals(t, i);
            for (std::size_t k = from; k + 1 < to; ++k)
                if (IsLineEnd(t, k)) places.push_back(k++);
        }
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    return places;
}

}  // namespace

bool IsLineEndCommaRule(std::string_view pattern, std::string_view replacement)
{
    return pattern == kPattern && replacement == kReplacement;
}

bool ApplyLineEndCommas(std::string& text, std::size_t passes)
{
    const std::vector<std::size_t> places = CommaPlaces(text);
    if (places.empty()) return false;
    if (places.size() > passes) {
        // The limit ends the passes before the last comma: make them one by one.
        const RegExp rule{std::string(kPattern), true, false};
        for (std::size_t pass = 0; pass < passes; ++pass) {
            std::string next = rule.Replace(text, kReplacement);
            if (next == text) break;
            text.swap(next);
        }
        return true;
    }
    std::string out;
    out.reserve(text.size() + places.size());
    std::size_t copied = 0;
    for (std::size_t at : places) {
        out.append(text, copied, at - copied);
        out += ',';
        copied = at;
    }
    out.append(text, copied, std::string::npos);
    text.swap(out);
    return true;
}

}  // namespace korval
