#pragma once

// korval-demo: renders the demo traffic template into the replay format (JSON Lines), with every
// time in the traffic set relative to the moment of the run.
//
// A template is text, one entry a line:
//   # comment                           (and blank lines)
//   at T-45                             the messages below arrive at now - 45 minutes; moving the
//                                       time on emits one {"tick"} per minute passed
//   SOURCE REG LABEL BLOCK MSGNO FLIGHT | CONTENT [=> EXPECTATION]
//                                       SOURCE airmaster or hfacars: a message as that decoder
//                                       prints it; REG, MSGNO and FLIGHT "-" for none, BLOCK "-"
//                                       for a blank
//   hfdl | RECORD [=> EXPECTATION]      a PC-HFDL position record, sent as it stands
// CONTENT and the header fields take the escapes \n (line break), \\ and \xHH (one byte), and the
// placeholders {T}, {T+N}, {T-N} (now plus N minutes as HHMM), {HHMM}, {HMS}, {HHMMSS} and {DDHHMM}
// (the message's own time). The EXPECTATION says what KORVAL is meant to make of the message:
//   pos|oceanic|request|sbs LAT LON [LAT LON ...]   positions read, in degrees (south, west < 0)
//   uplink|squitter|error|repeat|sa|b9              how the message is screened or expanded
// and without one the message is meant to give no position.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace korval::demo {

// A UTC moment to the minute.
struct DemoTime {
    int year = 2026, month = 1, day = 1;
    int minuteOfDay = 0;  // 0 to 1439
};

// `t` moved by `minutes` (either sign), across days, months and years.
DemoTime AddMinutes(const DemoTime& t, int minutes);
// "HHMM".
std::string Hhmm(const DemoTime& t);

struct LatLon {
    double lat = 0, lon = 0;  // degrees, north and east positive
};

// What KORVAL is meant to make of a message.
struct Expectation {
    enum class Kind {
        Plain,          // no position
        Position,       // positions read and tracked
        Oceanic,        // an oceanic clearance taken: positions read, timed waypoints
        Request,        // a position/weather request: positions read
        Sbs,            // an SBS-1 report: its position read
        Uplink,         // an uplink: shown, never tracked
        Squitter,       // a squitter or loop test, held back
        DecodeError,    // a badly decoded message, held back
        Repeat,         // a repeat of a message already seen, held back
        MediaAdvisory,  // an SA message, expanded
        AtisRequest,    // a B9 message, expanded
    };
    Kind kind = Kind::Plain;
    std::vector<LatLon> positions;
};

struct TrafficLine {
    bool tick = false;   // a one-minute timer tick rather than a message
    std::string source;  // the replay source: airmaster, hfacars or hfdl
    std::string text;    // the bytes the decoder sends
    DemoTime at;         // when the message arrives (or the tick fires)
    Expectation expect;
    std::size_t templateLine = 0;  // 1-based; 0 for ticks
};

struct TemplateProblem {
    std::size_t line = 0;  // 1-based
    std::string why;
};

struct Traffic {
    std::vector<TrafficLine> lines;
    std::vector<TemplateProblem> problems;  // lines passed over, with the reason
};

// Renders a template for the run at `now`. A bad line is passed over with its reason; the rest
// is rendered all the same.
Traffic RenderTraffic(std::string_view templateText, const DemoTime& now);

// The replay-format line of a traffic line, ASCII only, without the line end.
std::string ReplayLine(const TrafficLine& line);

struct DemoOptions {
    std::string templatePath;
    std::string now;   // HHMM; empty: the current UTC time
    std::string date;  // YYYY-MM-DD; empty: the current UTC date
};

std::string DemoHelp();

// korval-demo itself: writes the traffic to `out`, problems to `err`. Returns 0 when every
// template line was rendered, 1 when some were passed over, 2 on a usage or file error.
int RunDemo(const DemoOptions& options, std::ostream& out, std::ostream& err);

}  // namespace korval::demo
