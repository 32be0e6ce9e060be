#include "tracking/regflight.h"

#include <string>
#include <string_view>

#include "station/station.h"
#include "text/convert.h"
#include "tracking/lookups.h"

namespace korval {
namespace {

// Header of the canonical text through the CR of the flight-id line; the rest follows.
constexpr std::size_t kHeaderEnd = 104;
// At most this many lines of RegFlight.wdf are examined for one message.
constexpr std::size_t kMaxLines = 2000;

// A flight id of 3 to 5 characters (blanks around it removed) is matched as if left-aligned in
// the six-character field.
std::string PadFlightField(const std::string& flightField)
{
    std::string t = Trim(flightField);
    if (t.size() >= 3 && t.size() <= 5) return t + std::string(6 - t.size(), ' ');
    return flightField;
}

// The first four ";"-separated fields of a line; false when it has fewer (an empty line too).
bool FourFields(std::string_view line, std::string_view (&f)[4])
{
    if (line.empty()) return false;
    for (int i = 0; i < 4; ++i) {
        std::size_t end = line.find(';');
        if (end == std::string_view::npos && i < 3) return false;
        f[i] = line.substr(0, end);
        line.remove_prefix(end == std::string_view::npos ? line.size() : end + 1);
    }
    return true;
}

}  // namespace

void LoadRegFlight(Station& s)
{
    s.RegFlightLines = ReadDataFileLines(s, "RegFlight.wdf");
}

void CorrectRegFlight(Station& s)
{
    s.RegFlightCorrected = false;
    const bool hasFlight = Contains(s.CurrentMessage, "Flight id: ");
    std::string header = Left(s.CurrentMessage, kHeaderEnd);
    const std::string regField = Mid(s.CurrentMessage, 31, 7);
    std::string flightField = Mid(s.CurrentMessage, 98, 6);
    const std::string airline = Mid(s.CurrentMessage, 98, 2);
    if (hasFlight) flightField = PadFlightField(flightField);

    auto correctFlight = [&](std::string_view oldText, std::string_view newText) {
        ReplaceAllInPlace(header, "Flight id: " + std::string(oldText), "Flight id: " + std::string(newText));
        s.box.Flight.BackColor = colour::Corrected;
        s.RegFlightCorrected = true;
    };

    bool matched = false;
    std::size_t examined = 0;
    for (const std::string& line : s.RegFlightLines) {
        if (++examined > kMaxLines) break;
        if (!line.empty() && line.front() == '!') continue;
        std::string_view f[4];
        // An empty line or one of fewer than four fields ends the search with nothing changed.
        if (!FourFields(line, f)) return;
        const std::string_view oldReg = f[0], newReg = f[1], oldFlight = f[2], newFlight = f[3];

        if (!oldReg.empty() && !newReg.empty()) {
            if (!Contains(regField, oldReg)) continue;
            ReplaceAllInPlace(header, "Aircraft reg: " + std::string(oldReg), "Aircraft reg: " + std::string(newReg));
            s.box.Aircraft.BackColor = colour::Corrected;
            s.RegFlightCorrected = true;
            if (hasFlight && !oldFlight.empty() && Contains(flightField, oldFlight))
                correctFlight(oldFlight, newFlight);
            matched = true;
        } else if (!oldReg.empty()) {
            if (!hasFlight || !Contains(regField, oldReg)) continue;
            if (oldFlight.empty()) {
                correctFlight(airline, newFlight);  // the two-letter airline code is exchanged
            } else if (Contains(flightField, oldFlight)) {
                correctFlight(oldFlight, newFlight);
            } else {
                continue;
            }
            matched = true;
        } else {
            if (!hasFlight || !Contains(flightField, oldFlight)) continue;
            correctFlight(oldFlight, newFlight);
            matched = true;
        }
        break;
    }
    if (!matched) return;  // nothing was replaced: the message stays as it is
    s.CurrentMessage = header + Mid(s.CurrentMessage, kHeaderEnd + 1);
}

}  // namespace korval
