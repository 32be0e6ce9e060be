#include "intake/normalisers.h"

#include <string>
#include <string_view>
#include <vector>

#include "station/station.h"
#include "text/convert.h"
#include "text/fault.h"
#include "text/fields.h"
#include "text/regexp.h"

namespace korval {
namespace {

// Every pattern rewrite of the normalisers replaces the first match only, case-sensitively.
// The engines are built once; their compiled patterns are cached by the facility anyway.
struct FirstOnly {
    RegExp re;
    std::string_view replacement;
    void Apply(std::string& text) const { re.ReplaceIn(text, replacement); }
};

FirstOnly Rule(const char* pattern, std::string_view replacement)
{
    return FirstOnly{RegExp(pattern, /*global=*/false, /*ignoreCase=*/false), replacement};
}

// The first "dd/mm/yyyy hh:mm" becomes "dd.mm.yyyy hh:mm".
const FirstOnly& SlashDateTime()
{
    static const FirstOnly rule = Rule(R"((\d{2})/(\d{2})/(\d{4}) (\d{2}):(\d{2}))", "$1.$2.$3 $4:$5");
    return rule;
}

// Everything after the dashed trailer and its bracketed date-time goes (a glued second message,
// the trailer's own line end).
const FirstOnly& CutAfterTrailer()
{
    static const FirstOnly rule = Rule(R"((---\[\d{2}.\d{2}.\d{4} \d{2}:\d{2}\])([\S\s]*))", "$1");
    return rule;
}

const std::string_view kDel = "\x7f";

// The AirNav decoder's flight ids brought to the six-character window at positions 98-103,
// tried in this order, each on the result of the one before.
const std::vector<FirstOnly>& FlightWidening()
{
    static const std::vector<FirstOnly> rules = {
        Rule(R"((Flight id: )(\d{3})(\r\n))", "$1  $2 $3"),
        Rule(R"((Flight id: )([A-Z]{1}\d{3})(\r\n))", "$1  $2$3"),
        Rule(R"((Flight id: )([A-Z]{2}\d{3})(\r\n))", "$1$2 $3"),
        Rule(R"((Flight id: )([A-Z]{2}\d{2})(\r\n))", "$1$2  $3"),
        Rule(R"((Flight id: )([A-Z]{2}\d{1})(\r\n))", "$1  $2 $3"),
        Rule(R"((Flight id: )([A-Z]{3}\d{2})(\r\n))", "$1$2 $3"),
    };
    return rules;
}

// "Flight id:  " (two blanks) becomes "Flight id:" and ten blanks, but only where the rest of
// the line is blank: an id laid out by the widening above also begins with two blanks, and
// pushing it right of position 103 would lose it.
void WidenEmptyFlightIds(std::string& text)
{
    static constexpr std::string_view kFind = "Flight id:  ";
    static constexpr std::string_view kWide = "Flight id:          ";
    for (std::size_t p = text.find(kFind); p != std::string::npos;) {
        std::size_t after = p + kFind.size();
        std::size_t lineEnd = text.find_first_of("\r\n", after);
        if (lineEnd == std::string::npos) lineEnd = text.size();
        std::size_t filled = text.find_first_not_of(' ', after);
        if (filled == std::string::npos || filled >= lineEnd) {
            text.replace(p, kFind.size(), kWide);
            after = p + kWide.size();
        }
        p = text.find(kFind, after);
    }
}

// Digits of an HFDL number field: zero-padded when numeric, the field itself when not.
std::string Digits(std::string_view field, std::string_view format)
{
    return Format(field, format);
}

std::string FirstCharacter(std::string_view field)
{
    return Left(field, 1);
}

constexpr std::size_t kHfdlFields = 12;

}  // namespace

void Airmaster_FIX(Station& s)
{
    s.Guard("Airmaster_FIX", "DDE", [&] {
        std::string& m = s.CurrentMessage;
        if (!m.empty() && m.front() == 'A') m.insert(m.begin(), '1');
        SlashDateTime().Apply(m);
        CutAfterTrailer().Apply(m);
    });
}

void SkySpy_FIX(Station& s)
{
    static const FirstOnly dayFirst = Rule(R"((\d{2})/(\d{2})/(\d{4}))", "$1:$2:$3");
    static const FirstOnly yearFirst = Rule(R"((\d{4})/(\d{2})/(\d{2}))", "$1:$2:$3");
    s.Guard("SkySpy_FIX", "DDE", [&] {
        std::string& m = s.CurrentMessage;
        dayFirst.Apply(m);
        yearFirst.Apply(m);
        ReplaceAllInPlace(m, kDel, " ");
    });
}

void ANAD_FIX(Station& s)
{
    // The two whitespace characters before the first "ACARS" become the prefix character.
    static const FirstOnly prefix = Rule(R"(\s{2}ACARS)", ".ACARS");
    s.Guard("ANAD_FIX", "DDE", [&] {
        std::string& m = s.CurrentMessage;
        prefix.Apply(m);
        SlashDateTime().Apply(m);
        CutAfterTrailer().Apply(m);
        for (const FirstOnly& rule : FlightWidening()) rule.Apply(m);
        ReplaceAllInPlace(m, "ck id:   ", "ck id:    ");  // an empty block id keeps its column
        ReplaceAllInPlace(m, "label: _ ", "label: _  ");
        ReplaceAllInPlace(m, "[Uplink]", " Msg. no: ----\r\nFlight id: Uplink");
        ReplaceAllInPlace(m, kDel, " ");
        WidenEmptyFlightIds(m);
    });
}

// No handler of its own: a fault goes to the link event, which drops the message with a log entry.
void HFACARS_FIX(Station& s)
{
    std::string& m = s.CurrentMessage;
    ReplaceAllInPlace(m, "\n", "\r\n");  // the source sends bare line feeds
    ReplaceAllInPlace(m, " Flight id:", "\r\nFlight id:");
    SlashDateTime().Apply(m);
    s.box.Aircraft.Text = fields::RegistrationField(m);
    s.Notify(ChangeBoxes);
}

bool HFDL_FIX(Station& s)
{
    bool done = s.Guard("HFDL_FIX", "DDE", [&] {
        std::vector<std::string> f = Split(s.CurrentMessage, ",");
        if (f.size() < kHfdlFields)
            Raise(err::Subscript, "Subscript out of range (HFDL record of " + std::to_string(f.size()) +
                                      " fields, at least 12 needed)");
        // Longitude: hemisphere (7), degrees (4), minutes (5), tenths (6); latitude: hemisphere
        // (11, without the record's closing ";"), degrees (8), minutes (9), tenths (10).
        const std::string lonDeg = Digits(f[4], "000");
        const std::string lonMin = Digits(f[5], "00");
        const std::string lonTenth = FirstCharacter(f[6]);
        const std::string& lonHemi = f[7];
        const std::string latDeg = Digits(f[8], "00");
        const std::string latMin = Digits(f[9], "00");
        const std::string latTenth = FirstCharacter(f[10]);
        const std::string latHemi = ReplaceAll(f[11], ";", "");

        std::string& flight = f[0];
        std::string& reg = f[1];
        s.box.Flight.Text = Trim(flight);
        if (!reg.empty()) {
            s.box.Aircraft.Text = ReplaceAll(reg, ".", "");
        } else {
            reg = ".NO-REG";
            s.box.Aircraft.Text.clear();
        }

        std::string m;
        m.reserve(160 + 2 * (flight.size() + reg.size()) + f[2].size() + f[3].size() + latHemi.size());
        m += "0ACARS mode: 2  Aircraft reg: ";
        m += reg;
        m += "\r\nMessage label: HF  Block id: 0  Msg. no: 0000\r\nFlight id: ";
        m += flight;
        m += "\r\nMessage content:-\r\n";
        m += flight + ',' + reg + ',' + f[2] + ',' + f[3] + ',';
        m += latHemi + latDeg + latMin + latTenth + lonHemi + lonDeg + lonMin + lonTenth;
        m += ";\r\n";
        s.CurrentMessage.swap(m);
    });
    if (!done) {
        // A refused record goes no further; no box may keep the previous message's values.
        s.box.Aircraft.Text.clear();
        s.box.Flight.Text.clear();
    }
    s.Notify(ChangeBoxes);
    return done;
}

}  // namespace korval
