#include "screening/expanders.h"

#include <optional>
#include <string>
#include <string_view>

#include "station/station.h"
#include "text/fields.h"
#include "text/regexp.h"

namespace korval {
namespace {

constexpr std::string_view kModule = "Messages";

// Each expander's pattern opens with a greedy "([\s\S]*)" and closes with another, so its one
// match spans the whole message and the coded part used is the last one. (The engine anchors
// such a pattern by itself: a message without a coded part costs one scan.)
std::optional<Match> WholeMatch(std::string_view pattern, std::string_view message)
{
    std::vector<Match> found = RegExp(std::string(pattern), /*global=*/false).Execute(message);
    if (found.empty()) return std::nullopt;
    return std::move(found.front());
}

// What the message becomes: the text around the match kept, the match itself replaced.
void ReplaceMatch(std::string& message, const Match& m, std::string_view expanded)
{
    std::string out;
    out.reserve(message.size() + expanded.size());
    out.append(message, 0, m.FirstIndex);
    out.append(expanded);
    out.append(message, m.FirstIndex + m.Value.size());
    message = std::move(out);
}

// Active media letters of an SA advisory in words; other letters stay as they are.
std::string MediaWords(const std::string& letters)
{
    struct Row {
        std::string_view code, words;
    };
    static constexpr Row kMedia[] = {{"V", "VHF"},    {"VS", "VHF+SATCOM"}, {"VH", "VHF+HF"}, {"VSH", "VHF+SATCOM+HF"},
                                     {"S", "SATCOM"}, {"SH", "SATCOM+HF"},  {"H", "HF"}};
    for (const Row& r : kMedia)
        if (letters == r.code) return std::string(r.words);
    return letters;
}

}  // namespace

void SBS_Message(Station& s)
{
    s.Guard("SBS_Message", kModule, [&] {
        auto m =
            WholeMatch("([\\s\\S]*)(N|N-)(\\d{1,2})(.\\d{5})(E|E-)(\\d{1,3})(.[\\d]{5})([\\s\\S]*)", s.CurrentMessage);
        if (!m) return;
        const auto& g = m->SubMatches;
        s.SBSMessage = true;
        std::string lat = g[1] == "N-" ? "S" : g[1];
        std::string latDeg = g[2].size() == 1 ? " " + g[2] : g[2];
        std::string lon = g[4] == "E-" ? "W" : g[4];
        std::string lonDeg = g[5].size() == 1 ? "  " + g[5] : g[5].size() == 2 ? " " + g[5] : g[5];
        ReplaceMatch(s.CurrentMessage, *m, g[0] + lat + " " + latDeg + g[3] + "," + lon + lonDeg + g[6] + g[7]);
    });
}

void SA_Message(Station& s)
{
    s.Guard("SA_Message", kModule, [&] {
        auto m = WholeMatch("([\\s\\S]*)(0E|0L)(H|S|V)([\\d|-]{6})([A-Z]{1,3})([\\s\\S]*)", s.CurrentMessage);
        if (!m) return;
        const auto& g = m->SubMatches;
        std::string state = g[1] == "0E" ? "ESTD " : "LOST ";
        std::string medium = g[2] == "H" ? "HF AT " : g[2] == "S" ? "SATCOM AT " : "VHF AT ";
        ReplaceMatch(s.CurrentMessage, *m, g[0] + state + medium + g[3] + "  ACTIVE COMMS " + MediaWords(g[4]) + g[5]);
        s.SAExpanded = true;
    });
}

void TI_Message(Station& s)
{
    s.Guard("TI_Message", kModule, [&] {
        auto m = WholeMatch("([\\s\\S]*)(TI2/)(\\d{3})([A-Z]{3,4}[\\s]?)(A|D|C|T|E)([\\s\\S]*)", s.CurrentMessage);
        if (!m) return;
        const auto& g = m->SubMatches;
        // The receiving unit; an unknown code is named so that the reader can still tell units
        // apart.
        const std::string& code = g[2];
        std::string unit = code == "024" ? "ACARS UNIT " : code == "040" ? "PRINTER " : "EQUIPMENT ID: " + code + " ";
        const std::string& t = g[4];
        std::string type = t == "A"   ? "ARRIVAL "
                           : t == "D" ? "DEPARTURE "
                           : t == "T" ? "TERMINATE UPDATED "
                           : t == "C" ? "UPDATED ARRIVAL "
                                      : t;
        ReplaceMatch(s.CurrentMessage, *m,
                     g[0] + "- SEND " + type + "ATIS FOR:" + g[3] + "\r\nTO " + unit + "Ref. " + g[5]);
        s.B9Expanded = true;
    });
}

bool Oceanic_Messages(Station& s)
{
    bool expand = false;
    s.Guard("Oceanic_Messages", kModule,
            [&] { expand = !(s.opt.mnuWaypoints && fields::IsOceanicClearance(s.CurrentMessage)); });
    return expand;
}

}  // namespace korval
