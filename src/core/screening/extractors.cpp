#include "screening/extractors.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "station/station.h"
#include "text/convert.h"
#include "text/regexp.h"

namespace korval {
namespace {

constexpr std::string_view kModule = "Messages";

// The first match in message order, over the whole message (header included).
std::optional<std::string> FirstMatch(std::string_view pattern, std::string_view message)
{
    std::vector<Match> found = RegExp(std::string(pattern), /*global=*/false).Execute(message);
    if (found.empty()) return std::nullopt;
    return std::move(found.front().Value);
}

// One hour after the clock label's HHMM, as four digits, wrapping at midnight: an entry-point
// time that the oceanic timing reads as HHMM must stay a valid time of day.
std::string OneHourLater(const std::string& labUTC)
{
    std::int32_t hhmm = CLng(Mid(labUTC, 6, 4));
    if (hhmm < 0) Raise(err::InvalidCall);
    int hour = static_cast<int>((hhmm / 100 + 1) % 24);
    int minute = static_cast<int>(hhmm % 100);
    char out[8];
    std::snprintf(out, sizeof out, "%02d%02d", hour, minute);
    return out;
}

}  // namespace

void NAT(Station& s)
{
    s.Guard("NAT", kModule, [&] {
        s.CurrentNAT.clear();
        if (auto nat = FirstMatch("NAT [A-Z]", s.CurrentMessage)) s.CurrentNAT = *nat;
        // A "TRACK" track wins over a "NAT" track in the same message.
        if (auto track = FirstMatch("TRACK [A-Z]", s.CurrentMessage)) s.CurrentNAT = ReplaceAll(*track, "TRACK", "NAT");
    });
}

void Mach(Station& s)
{
    s.Guard("Mach", kModule, [&] {
        if (auto mach = FirstMatch("M0\\d{2}|MACH 0\\d{2}", s.CurrentMessage))
            s.CurrentMach = ReplaceAll(*mach, "MACH ", "M");
        else
            s.CurrentMach = "M080";
    });
}

void Level(Station& s)
{
    s.Guard("Level", kModule, [&] {
        if (s.OceanicMessage) {
            // Only blanks are trimmed: a tab or line break before the "F" stays.
            auto level = FirstMatch("\\sF\\d{3}", s.CurrentMessage);
            s.CurrentLevel = level ? Trim(*level) : std::string();
            return;
        }
        auto height = FirstMatch("FL\\d{1,5} ft", s.CurrentMessage);
        s.CurrentLevel = height ? "Ht: " + Mid(*height, 3) + " " : std::string();
    });
}

void EPTime(Station& s)
{
    s.Guard("EPTime", kModule, [&] {
        if (auto ept = FirstMatch("EPT /\\d{4}", s.CurrentMessage)) {
            s.CurrentEPT = Right(*ept, 4);
        } else if (s.GanderMessage) {
            // Gander gives no entry time: estimate one hour from now.
            s.CurrentEPT = OneHourLater(s.box.labUTC);
        } else {
            s.CurrentEPT = std::string("0");  // not a literal assignment: GCC 12 -O2 misreports -Wrestrict
        }
    });
}

}  // namespace korval
