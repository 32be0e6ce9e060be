#include "demo_traffic.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>

namespace korval::demo {
namespace {

constexpr int kMinutesPerDay = 1440;
// A template is a hand-written text file; anything larger is not one.
constexpr std::uintmax_t kMaxTemplateBytes = 16u << 20;
// Airmaster-family decoders close each message with this many dashes and the date in brackets.
constexpr std::size_t kTrailerDashes = 58;

// A line that cannot be rendered: its reason.
struct Refused {
    std::string why;
};

std::string TwoDigits(int n)
{
    char text[16];  // room for any int, though times need two digits
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

std::optional<int> WholeNumber(std::string_view text)
{
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// "T", "T+25", "T-45": minutes from now.
std::optional<int> Offset(std::string_view text)
{
    if (text.empty() || text[0] != 'T') return std::nullopt;
    if (text.size() == 1) return 0;
    if (text[1] != '+' && text[1] != '-') return std::nullopt;
    std::optional<int> n = WholeNumber(text.substr(2));
    // A day either way is far more than any traffic needs.
    if (!n || *n > kMinutesPerDay) return std::nullopt;
    return text[1] == '+' ? *n : -*n;
}

// Placeholders and escapes of one field. `seconds` gives the message's {HMS} its seconds, so the
// records of one minute do not all carry ":00".
std::string Expand(std::string_view text, const DemoTime& now, const DemoTime& at, int seconds,
                   std::string_view lineBreak)
{
    std::string out;
    out.reserve(text.size() + 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\') {
            if (i + 1 >= text.size()) throw Refused{"a \"\\\" ends the text"};
            char e = text[++i];
            if (e == 'n') {
                out += lineBreak;
            } else if (e == '\\') {
                out += '\\';
            } else if (e == 'x') {
                unsigned value = 0;
                std::string_view hex = text.substr(i + 1, 2);
                auto [end, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
                if (hex.size() != 2 || ec != std::errc() || end != hex.data() + 2)
                    throw Refused{"\"\\x\" needs two hexadecimal digits"};
                out += static_cast<char>(value);
                i += 2;
            } else {
                throw Refused{std::string("unknown escape \"\\") + e + "\" (\\n, \\\\ or \\xHH)"};
            }
            continue;
        }
        if (c != '{') {
            out += c;
            continue;
        }
        std::size_t close = text.find('}', i);
        if (close == std::string_view::npos) throw Refused{"a \"{\" without its \"}\""};
        std::string_view name = text.substr(i + 1, close - i - 1);
        i = close;
        if (std::optional<int> offset = Offset(name)) {
            out += Hhmm(AddMinutes(now, *offset));
        } else if (name == "HHMM") {
            out += Hhmm(at);
        } else if (name == "HMS") {
            out += TwoDigits(at.minuteOfDay / 60) + ":" + TwoDigits(at.minuteOfDay % 60) + ":" + TwoDigits(seconds);
        } else if (name == "HHMMSS") {
            out += Hhmm(at) + TwoDigits(seconds);
        } else if (name == "DDHHMM") {
            out += TwoDigits(at.day) + Hhmm(at);
        } else {
            throw Refused{"unknown placeholder {" + std::string(name) +
                          "} ({T}, {T+N}, {T-N}, {HHMM}, {HMS}, {HHMMSS}, {DDHHMM})"};
        }
    }
    return out;
}

Expectation ParseExpectation(std::string_view text)
{
    struct Word {
        std::string_view word;
        Expectation::Kind kind;
        bool positions;
    };
    static constexpr Word kWords[] = {
        {"pos", Expectation::Kind::Position, true},       {"oceanic", Expectation::Kind::Oceanic, true},
        {"request", Expectation::Kind::Request, true},    {"sbs", Expectation::Kind::Sbs, true},
        {"uplink", Expectation::Kind::Uplink, false},     {"squitter", Expectation::Kind::Squitter, false},
        {"error", Expectation::Kind::DecodeError, false}, {"repeat", Expectation::Kind::Repeat, false},
        {"sa", Expectation::Kind::MediaAdvisory, false},  {"b9", Expectation::Kind::AtisRequest, false},
    };
    std::vector<std::string_view> words = Words(text);
    if (words.empty()) throw Refused{"\"=>\" without an expectation"};
    const Word* found = nullptr;
    for (const Word& w : kWords)
        if (w.word == words[0]) found = &w;
    if (!found) throw Refused{"unknown expectation \"" + std::string(words[0]) + "\""};

    Expectation e;
    e.kind = found->kind;
    if (!found->positions) {
        if (words.size() > 1) throw Refused{"\"" + std::string(words[0]) + "\" takes no positions"};
        return e;
    }
    if (words.size() < 3 || words.size() % 2 == 0)
        throw Refused{"\"" + std::string(words[0]) + "\" needs pairs of latitude and longitude"};
    for (std::size_t i = 1; i + 1 < words.size(); i += 2) {
        LatLon p;
        auto read = [](std::string_view w, double& v, double limit) {
            std::string s(w);
            char* end = nullptr;
            v = std::strtod(s.c_str(), &end);
            return end == s.c_str() + s.size() && v >= -limit && v <= limit;
        };
        if (!read(words[i], p.lat, 90) || !read(words[i + 1], p.lon, 180))
            throw Refused{"\"" + std::string(words[i]) + " " + std::string(words[i + 1]) +
                          "\" is no latitude and longitude in degrees"};
        e.positions.push_back(p);
    }
    return e;
}

// The registration field: seven characters, right-aligned behind dots.
std::string RegistrationField(std::string_view reg)
{
    if (reg == "-") return ".......";
    if (reg.size() > 7) throw Refused{"a registration has at most 7 characters"};
    return std::string(7 - reg.size(), '.') + std::string(reg);
}

std::string FlightField(std::string_view flight)
{
    if (flight == "-") return std::string(6, ' ');
    if (flight.size() > 6) throw Refused{"a flight id has at most 6 characters"};
    return std::string(flight) + std::string(6 - flight.size(), ' ');
}

// The bracketed date and time that closes a message: "[DD/MM/YYYY HH:MM]".
std::string Trailer(const DemoTime& at)
{
    return std::string(kTrailerDashes, '-') + "[" + TwoDigits(at.day) + "/" + TwoDigits(at.month) + "/" +
           std::to_string(at.year) + " " + TwoDigits(at.minuteOfDay / 60) + ":" + TwoDigits(at.minuteOfDay % 60) + "]";
}

struct Header {
    std::string reg, label, block, msgNo, flight;
};

Header ParseHeader(const std::vector<std::string_view>& words, const DemoTime& now, const DemoTime& at)
{
    if (words.size() != 6) throw Refused{"a message needs SOURCE REG LABEL BLOCK MSGNO FLIGHT before \"|\""};
    auto field = [&](std::string_view w) { return Expand(w, now, at, 0, ""); };
    Header h;
    h.reg = RegistrationField(field(words[1]));
    h.label = field(words[2]);
    if (h.label.size() != 2) throw Refused{"a label has 2 characters"};
    h.block = words[3] == "-" ? " " : field(words[3]);
    if (h.block.size() != 1) throw Refused{"a block id has 1 character"};
    h.msgNo = words[4] == "-" ? "    " : field(words[4]);
    if (h.msgNo.size() != 4) throw Refused{"a message number has 4 characters"};
    h.flight = FlightField(field(words[5]));
    return h;
}

// An Airmaster message as the decoder prints it: CR LF line ends, the trailer last.
std::string AirmasterText(const Header& h, const std::string& content, const DemoTime& at)
{
    return "1ACARS mode: 2  Aircraft reg: " + h.reg + "\r\nMessage label: " + h.label + "  Block id: " + h.block +
           "  Msg. no: " + h.msgNo + "\r\nFlight id: " + h.flight + "\r\nMessage content:-\r\n" + content + "\r\n" +
           Trailer(at);
}

// PC-HFDL's HF ACARS form: bare line feeds and the flight id on the message-number line.
std::string HfAcarsText(const Header& h, const std::string& content, const DemoTime& at)
{
    return "1ACARS mode: 2  Aircraft reg: " + h.reg + "\nMessage label: " + h.label + "  Block id: " + h.block +
           "  Msg. no: " + h.msgNo + " Flight id: " + h.flight + "\nMessage content:-\n" + content + "\n" + Trailer(at);
}

// One message line (everything but "at" lines, comments and blanks).
TrafficLine RenderMessage(std::string_view line, std::size_t lineNo, const DemoTime& now, const DemoTime& at)
{
    std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) throw Refused{"no \"|\" between the header and the content"};
    std::string_view body = line.substr(bar + 1);
    TrafficLine t;
    t.at = at;
    t.templateLine = lineNo;
    if (std::size_t arrow = body.rfind("=>"); arrow != std::string_view::npos) {
        t.expect = ParseExpectation(body.substr(arrow + 2));
        body = body.substr(0, arrow);
    }
    body = Trim(body);
    if (body.empty()) throw Refused{"no content after \"|\""};

    std::vector<std::string_view> words = Words(line.substr(0, bar));
    if (words.empty()) throw Refused{"no source before \"|\""};
    const int seconds = static_cast<int>((lineNo * 37) % 60);
    t.source = std::string(words[0]);
    if (t.source == "hfdl") {
        if (words.size() != 1) throw Refused{"an HFDL record has no header fields"};
        t.text = Expand(body, now, at, seconds, "\n");
    } else if (t.source == "airmaster") {
        t.text = AirmasterText(ParseHeader(words, now, at), Expand(body, now, at, seconds, "\r\n"), at);
    } else if (t.source == "hfacars") {
        t.text = HfAcarsText(ParseHeader(words, now, at), Expand(body, now, at, seconds, "\n"), at);
    } else {
        throw Refused{"unknown source \"" + t.source + "\" (airmaster, hfacars or hfdl)"};
    }
    return t;
}

void AppendJsonString(std::string& out, std::string_view bytes)
{
    out += '"';
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7F) {
            // Each byte is the character U+00XX, as the replay format has it.
            char u[8];
            std::snprintf(u, sizeof u, "\\u%04x", static_cast<unsigned>(c));
            out += u;
        } else {
            out += ch;
        }
    }
    out += '"';
}

std::optional<DemoTime> ParseDate(std::string_view text)
{
    using namespace std::chrono;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    std::optional<int> y = WholeNumber(text.substr(0, 4)), m = WholeNumber(text.substr(5, 2)),
                       d = WholeNumber(text.substr(8, 2));
    if (!y || !m || !d || *m < 1 || *d < 1) return std::nullopt;
    year_month_day ymd{year{*y}, month{static_cast<unsigned>(*m)}, day{static_cast<unsigned>(*d)}};
    if (!ymd.ok()) return std::nullopt;
    return DemoTime{*y, *m, *d, 0};
}

std::optional<int> ParseHhmm(std::string_view text)
{
    if (text.size() != 4) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    int hour = (text[0] - '0') * 10 + (text[1] - '0');
    int minute = (text[2] - '0') * 10 + (text[3] - '0');
    if (hour > 23 || minute > 59) return std::nullopt;
    return hour * 60 + minute;
}

DemoTime UtcNow()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto today = floor<days>(now);
    const year_month_day ymd{today};
    const auto minutes = duration_cast<std::chrono::minutes>(now - today).count();
    return DemoTime{static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                    static_cast<int>(static_cast<unsigned>(ymd.day())), static_cast<int>(minutes)};
}

}  // namespace

DemoTime AddMinutes(const DemoTime& t, int minutes)
{
    using namespace std::chrono;
    int total = t.minuteOfDay + minutes;
    int dayShift = total >= 0 ? total / kMinutesPerDay : -((-total + kMinutesPerDay - 1) / kMinutesPerDay);
    sys_days d = sys_days{year{t.year} / month{static_cast<unsigned>(t.month)} / day{static_cast<unsigned>(t.day)}} +
                 days{dayShift};
    year_month_day ymd{d};
    return DemoTime{static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                    static_cast<int>(static_cast<unsigned>(ymd.day())), total - dayShift * kMinutesPerDay};
}

std::string Hhmm(const DemoTime& t)
{
    return TwoDigits(t.minuteOfDay / 60) + TwoDigits(t.minuteOfDay % 60);
}

Traffic RenderTraffic(std::string_view templateText, const DemoTime& now)
{
    Traffic traffic;
    DemoTime at = now;
    int atOffset = 0;
    bool timeSet = false;
    std::size_t lineNo = 0;
    std::size_t start = 0;
    while (start < templateText.size()) {
        std::size_t end = templateText.find('\n', start);
        if (end == std::string_view::npos) end = templateText.size();
        std::string_view line = Trim(templateText.substr(start, end - start));
        start = end + 1;
        ++lineNo;
        if (line.empty() || line[0] == '#') continue;
        try {
            std::vector<std::string_view> words = Words(line);
            if (words[0] == "at") {
                std::optional<int> offset = words.size() == 2 ? Offset(words[1]) : std::nullopt;
                if (!offset) throw Refused{"\"at\" needs one time: T, T+N or T-N (minutes)"};
                if (timeSet && *offset < atOffset) throw Refused{"the time must not go back"};
                // The one-minute timer fires at every minute the traffic passes through.
                for (int m = atOffset + 1; timeSet && m <= *offset; ++m) {
                    TrafficLine tick;
                    tick.tick = true;
                    tick.at = AddMinutes(now, m);
                    traffic.lines.push_back(std::move(tick));
                }
                atOffset = *offset;
                at = AddMinutes(now, atOffset);
                timeSet = true;
                continue;
            }
            traffic.lines.push_back(RenderMessage(line, lineNo, now, at));
        } catch (const Refused& r) {
            traffic.problems.push_back({lineNo, r.why});
        }
    }
    return traffic;
}

std::string ReplayLine(const TrafficLine& line)
{
    std::string out;
    if (line.tick) {
        out = "{\"tick\": \"" + Hhmm(line.at) + "\"}";
        return out;
    }
    out.reserve(line.text.size() + 64);
    out += "{\"source\": ";
    AppendJsonString(out, line.source);
    out += ", \"text\": ";
    AppendJsonString(out, line.text);
    out += ", \"utc\": \"" + Hhmm(line.at) + "\"}";
    return out;
}

std::string DemoHelp()
{
    return "usage: korval-demo --template FILE [--now HHMM] [--date YYYY-MM-DD]\n"
           "\n"
           "Writes KORVAL's demo traffic in the replay format (JSON Lines) to standard output,\n"
           "for korval-replay or korval-link serve.\n"
           "\n"
           "  --template FILE  the traffic template (data/demo/traffic.tmpl)\n"
           "  --now HHMM       the UTC time of the run (default: the current UTC time); the\n"
           "                   messages' \"utc\" fields, their trailer dates and times and the\n"
           "                   entry times of the oceanic clearances are set relative to it\n"
           "  --date YYYY-MM-DD  the UTC date at --now (default: the current UTC date)\n"
           "\n"
           "Output: {\"source\": S, \"text\": T, \"utc\": \"HHMM\"} for each message and\n"
           "{\"tick\": \"HHMM\"} for each minute the traffic passes through.\n"
           "\n"
           "Exit status: 0 every template line rendered, 1 some line passed over (each is\n"
           "named on standard error), 2 usage or file error.\n";
}

int RunDemo(const DemoOptions& options, std::ostream& out, std::ostream& err)
{
    if (options.templatePath.empty()) {
        err << "korval-demo: --template is required\n";
        return 2;
    }
    DemoTime now = UtcNow();
    if (!options.date.empty()) {
        std::optional<DemoTime> date = ParseDate(options.date);
        if (!date) {
            err << "korval-demo: --date must be a date YYYY-MM-DD, not \"" << options.date << "\"\n";
            return 2;
        }
        date->minuteOfDay = now.minuteOfDay;
        now = *date;
    }
    if (!options.now.empty()) {
        std::optional<int> minute = ParseHhmm(options.now);
        if (!minute) {
            err << "korval-demo: --now must be HHMM (0000 to 2359), not \"" << options.now << "\"\n";
            return 2;
        }
        now.minuteOfDay = *minute;
    }

    std::error_code ec;
    const std::filesystem::path path(options.templatePath);
    if (std::filesystem::is_directory(path, ec)) {
        err << "korval-demo: " << options.templatePath << " is a folder, not a template\n";
        return 2;
    }
    std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        err << "korval-demo: cannot read " << options.templatePath << ": " << ec.message() << '\n';
        return 2;
    }
    if (size > kMaxTemplateBytes) {
        err << "korval-demo: " << options.templatePath << " is over 16 MiB; no template is that large\n";
        return 2;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in || in.bad()) {
        err << "korval-demo: cannot read " << options.templatePath << '\n';
        return 2;
    }

    Traffic traffic = RenderTraffic(text.str(), now);
    for (const TrafficLine& line : traffic.lines) out << ReplayLine(line) << '\n';
    out.flush();
    for (const TemplateProblem& p : traffic.problems)
        err << "korval-demo: " << options.templatePath << ":" << p.line << ": " << p.why << " (line passed over)\n";
    if (!out) {
        err << "korval-demo: writing the traffic failed\n";
        return 2;
    }
    return traffic.problems.empty() ? 0 : 1;
}

}  // namespace korval::demo
