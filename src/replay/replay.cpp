#include "replay.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "export/tracks.h"
#include "export/write.h"
#include "station/events.h"
#include "station/mainwindow.h"
#include "station/seams.h"
#include "station/station.h"
#include "text/bytes.h"

namespace korval {
namespace {

using Json = nlohmann::ordered_json;

// The clock starts here unless --utc or a line sets the time of day; see ReplayHelp.
constexpr DateTime kStart{2026, 12, 5, 12, 0, 0};

struct SourceRow {
    std::string_view name;
    LinkBox box;
};
constexpr SourceRow kSources[] = {
    {"airmaster", LinkBox::AirData},   {"skyspy", LinkBox::SkyData}, {"anad", LinkBox::ANAData},
    {"hfacars", LinkBox::HFACARSData}, {"hfdl", LinkBox::HFDL},      {"other", LinkBox::txtNewData},
};

// User messages of the station, one line each on the error stream.
class StreamNotifier final : public Notifier {
public:
    explicit StreamNotifier(std::ostream& err) : err_(err) {}
    void Message(std::string_view text, std::string_view title, Icon) override
    {
        err_ << title << ": " << text << '\n';
    }
    void Beep() override {}

private:
    std::ostream& err_;
};

// A line that cannot be processed: its error text.
struct LineError {
    std::string why;
};

// JSON strings carry one byte per character U+0000..U+00FF. nlohmann hands over valid UTF-8;
// this maps it back to bytes, refusing any character above U+00FF.
std::string ToBytes(const std::string& utf8, std::string_view field)
{
    std::uint32_t refused = 0;
    std::optional<std::string> bytes = BytesFromUtf8(utf8, &refused);
    if (!bytes) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(refused));
        throw LineError{"\"" + std::string(field) + "\" holds the character " + hex +
                        "; only U+0000 to U+00FF stand for bytes"};
    }
    return std::move(*bytes);
}

// "HHMM" as minutes of the day, or nothing when it is not a time of day.
std::optional<int> ParseHHMM(std::string_view t)
{
    if (t.size() != 4) return std::nullopt;
    for (char c : t)
        if (c < '0' || c > '9') return std::nullopt;
    int hour = (t[0] - '0') * 10 + (t[1] - '0');
    int minute = (t[2] - '0') * 10 + (t[3] - '0');
    if (hour > 23 || minute > 59) return std::nullopt;
    return hour * 60 + minute;
}

// Sets the time of day; a time earlier than the clock's is taken as the next day, so that
// archived traffic crossing midnight goes into the next day's log.
void SetTimeOfDay(ManualClock& clock, int minuteOfDay)
{
    DateTime now = clock.Utc();
    if (minuteOfDay < now.hour * 60 + now.minute) {
        using namespace std::chrono;
        sys_days next =
            sys_days{year{now.year} / month{static_cast<unsigned>(now.month)} / day{static_cast<unsigned>(now.day)}} +
            days{1};
        year_month_day ymd{next};
        now.year = static_cast<int>(ymd.year());
        now.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
        now.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    }
    now.hour = minuteOfDay / 60;
    now.minute = minuteOfDay % 60;
    now.second = 0;
    clock.Set(now);
}

const Json& Field(const Json& line, const char* name)
{
    static const Json kNone;
    auto it = line.find(name);
    return it == line.end() ? kNone : *it;
}

std::string TimeField(const Json& value, std::string_view name, int& minuteOfDay)
{
    if (!value.is_string()) throw LineError{"\"" + std::string(name) + "\" must be a text HHMM"};
    const auto& text = value.get_ref<const std::string&>();
    auto m = ParseHHMM(text);
    if (!m) throw LineError{"\"" + std::string(name) + "\" must be HHMM (0000 to 2359), not \"" + text + "\""};
    minuteOfDay = *m;
    return text;
}

// Processes one parsed input line on the station.
void RunLine(Station& s, ManualClock& clock, const Json& line)
{
    if (!line.is_object()) throw LineError{"a line must be a JSON object"};

    if (line.contains("tick")) {
        if (line.contains("source") || line.contains("text") || line.contains("utc"))
            throw LineError{"a tick line holds only \"tick\""};
        int minuteOfDay = 0;
        TimeField(Field(line, "tick"), "tick", minuteOfDay);
        SetTimeOfDay(clock, minuteOfDay);
        OnTimer1(s);
        OnTimer2(s);
        return;
    }

    // Everything is checked before anything happens, so a refused line changes nothing.
    const Json& source = Field(line, "source");
    if (source.is_null()) throw LineError{"missing \"source\""};
    if (!source.is_string()) throw LineError{"\"source\" must be a text"};
    const SourceRow* row = nullptr;
    for (const SourceRow& r : kSources)
        if (source.get_ref<const std::string&>() == r.name) row = &r;
    if (!row)
        throw LineError{"unknown source \"" + source.get<std::string>() +
                        "\" (airmaster, skyspy, anad, hfacars, hfdl or other)"};
    const Json& text = Field(line, "text");
    if (text.is_null()) throw LineError{"missing \"text\""};
    if (!text.is_string()) throw LineError{"\"text\" must be a text"};
    std::string bytes = ToBytes(text.get_ref<const std::string&>(), "text");
    std::optional<int> utc;
    if (const Json& u = Field(line, "utc"); !u.is_null()) {
        int minuteOfDay = 0;
        TimeField(u, "utc", minuteOfDay);
        utc = minuteOfDay;
    }

    if (utc) {
        SetTimeOfDay(clock, *utc);
        OnTimer1(s);
    }
    OnLinkText(s, row->box, std::move(bytes));
}

Json Snapshot(const Station& s)
{
    Json flags;
    flags["PositionReformatted"] = s.PositionReformatted;
    flags["OceanicMessage"] = s.OceanicMessage;
    flags["REQPWIMessage"] = s.REQPWIMessage;
    flags["GanderMessage"] = s.GanderMessage;
    flags["SBSMessage"] = s.SBSMessage;
    flags["SAExpanded"] = s.SAExpanded;
    flags["B9Expanded"] = s.B9Expanded;
    flags["HFDLMessage"] = s.HFDLMessage;
    flags["RegFlightCorrected"] = s.RegFlightCorrected;

    Json j;
    j["live"] = Utf8FromBytes(s.box.LiveData.Text);
    j["aircraft"] = Utf8FromBytes(s.box.Aircraft.Text);
    j["flight"] = Utf8FromBytes(s.box.Flight.Text);
    j["positions"] = Utf8FromBytes(s.PositionText);
    j["found"] = s.PositionFound;
    j["count"] = Utf8FromBytes(s.box.txtCount.Text);
    j["oca"] = Utf8FromBytes(s.box.txtOCA.Text);
    j["marker"] = s.box.txtRepeat.Visible ? Utf8FromBytes(s.box.txtRepeat.Text) : std::string();
    j["flags"] = std::move(flags);
    return j;
}

Json Tracks(const Station& s)
{
    Json aircraft = Json::array();
    for (const auto& [key, a] : s.AircraftCol.Entries()) {
        Json j;
        j["key"] = Utf8FromBytes(key);
        j["ID"] = Utf8FromBytes(a->ID);
        j["FNo"] = Utf8FromBytes(a->FNo);
        j["NewLocation"] = Utf8FromBytes(a->NewLocation);
        j["OldLocation"] = Utf8FromBytes(a->OldLocation);
        j["Oceanic"] = a->Oceanic;
        j["REQPWI"] = a->REQPWI;
        j["Show"] = a->Show;
        if (a->WayList) {
            Json list = Json::array();
            for (const std::string& w : *a->WayList) list.push_back(Utf8FromBytes(w));
            j["WayList"] = std::move(list);
        } else {
            j["WayList"] = nullptr;
        }
        j["WayIndex"] = a->WayIndex;
        j["LastTime"] = Utf8FromBytes(a->LastTime);
        j["NextTime"] = Utf8FromBytes(a->NextTime);
        j["Mach"] = Utf8FromBytes(a->Mach);
        j["Level"] = Utf8FromBytes(a->Level);
        j["Route"] = Utf8FromBytes(a->Route);
        j["ACDetails"] = Utf8FromBytes(a->ACDetails);
        aircraft.push_back(std::move(j));
    }
    Json routelines = Json::array();
    for (const auto& [key, r] : s.RouteLineCol.Entries()) {
        Json j;
        j["ID"] = Utf8FromBytes(r->ID);
        j["OldPosition"] = Utf8FromBytes(r->OldPosition);
        j["NewPosition"] = Utf8FromBytes(r->NewPosition);
        j["NATrack"] = Utf8FromBytes(r->NATrack);
        j["NATPos"] = Utf8FromBytes(r->NATPos);
        j["Style"] = r->Style;
        routelines.push_back(std::move(j));
    }
    Json sbs = Json::array();
    for (const auto& [key, a] : s.SBSAircraftCol.Entries()) {
        Json j;
        j["key"] = Utf8FromBytes(key);
        j["ID"] = Utf8FromBytes(a->ID);
        j["FNo"] = Utf8FromBytes(a->FNo);
        j["NewPosition"] = Utf8FromBytes(a->NewPosition);
        j["OldPosition"] = Utf8FromBytes(a->OldPosition);
        j["Level"] = Utf8FromBytes(a->Level);
        j["AltChange"] = a->AltChange;
        j["LastUpdate"] = a->LastUpdate;
        sbs.push_back(std::move(j));
    }
    Json j;
    j["aircraft"] = std::move(aircraft);
    j["routelines"] = std::move(routelines);
    j["sbs"] = std::move(sbs);
    return j;
}

// ASCII-only output: every character above U+007F is written as \u00XX.
void WriteLine(std::ostream& out, const Json& j)
{
    out << j.dump(-1, ' ', /*ensure_ascii=*/true) << '\n';
    out.flush();
}

// The error texts are UTF-8 already (they quote only what the JSON parser decoded).
void WriteError(std::ostream& out, std::size_t lineNumber, const std::string& why)
{
    Json j;
    j["error"] = "line " + std::to_string(lineNumber) + ": " + why;
    out << j.dump(-1, ' ', /*ensure_ascii=*/true, Json::error_handler_t::replace) << '\n';
    out.flush();
}

}  // namespace

std::string ReplayHelp()
{
    return "usage: korval-replay --home DIR [--input FILE] [--utc HHMM] [--tracks] [--live-all]\n"
           "                     [--snapshot N=FILE.jpg]... [--geojson FILE] [--kml FILE]\n"
           "\n"
           "Runs archived datalink traffic through KORVAL without windows or links.\n"
           "\n"
           "  --home DIR    the program folder: KORVAL.ini and the .wdf data files are read\n"
           "                there, the logs are written to its Logs folder (which must exist\n"
           "                for logging, as for the program itself). KORVAL.ini is never written.\n"
           "  --input FILE  JSON Lines to read (default: standard input)\n"
           "  --utc HHMM    UTC time of day at start\n"
           "  --tracks      after the last line, write the tracked records\n"
           "  --snapshot N=FILE.jpg\n"
           "                after the last line, write map N (1-3) as its window would show it, at the\n"
           "                window size stored in KORVAL.ini (800 x 600 pixels when none), as JPEG;\n"
           "                repeatable. Drawn offscreen when there is no display.\n"
           "  --geojson FILE\n"
           "  --kml FILE    after the last line, export what is tracked (aircraft, route lines,\n"
           "                oceanic estimates, NAT tracks, SBS-1 tracks) as GeoJSON or as KML;\n"
           "                each file is replaced whole or left as it was\n"
           "  --live-all    add \"live_all\" to each output line: every LiveData value the\n"
           "                line set, in order (a counted message sets it twice)\n"
           "\n"
           "Input, one JSON object a line:\n"
           "  {\"source\": S, \"text\": T}     a text arriving from source S: airmaster,\n"
           "                                 skyspy, anad, hfacars, hfdl or other\n"
           "  optional \"utc\": \"HHMM\"         sets the clock before the text arrives\n"
           "  {\"tick\": \"HHMM\"}               sets the clock and fires the one-minute timer\n"
           "Each character U+0000..U+00FF of a JSON string stands for one byte.\n"
           "\n"
           "Output, one JSON object per input line, taken after the line was processed:\n"
           "  {\"live\", \"aircraft\", \"flight\", \"positions\", \"found\", \"count\", \"oca\",\n"
           "   \"marker\", \"flags\"}, or {\"error\": \"line N: ...\"} for a malformed line.\n"
           "Bytes above 0x7F are written as \\u00XX.\n"
           "\n"
           "Clock: the replay starts on 5 December 2026 at 12:00:00 UTC (local time = UTC, so\n"
           "the daily log is KorvalLog 051226.wdf) unless --utc gives the time of day. Setting\n"
           "a time earlier than the clock's moves to the next day. Each time the clock is set\n"
           "the one-second timer runs once (clock label, daily map clearing); it also runs once\n"
           "at start, after the settings and data files are loaded.\n"
           "\n"
           "Exit status: 0 all lines processed, 1 some line was malformed, 2 usage or I/O error.\n";
}

bool ParseSnapshotOption(const std::string& value, std::pair<int, std::string>& out)
{
    if (value.size() < 3 || value[1] != '=' || value[0] < '1' || value[0] > '3') return false;
    out = {value[0] - '0', value.substr(2)};
    return true;
}

int RunReplay(const ReplayOptions& options, std::istream& in, std::ostream& out, std::ostream& err)
{
    std::error_code ec;
    if (options.home.empty() || !std::filesystem::is_directory(options.home, ec)) {
        err << "korval-replay: --home must name an existing folder\n";
        return 2;
    }
    std::optional<int> start;
    if (!options.utc.empty()) {
        start = ParseHHMM(options.utc);
        if (!start) {
            err << "korval-replay: --utc must be HHMM (0000 to 2359)\n";
            return 2;
        }
    }

    ManualClock clock(kStart);
    if (start) clock.SetUtcTime(*start / 60, *start % 60, 0);
    StreamNotifier notifier(err);
    Station s(options.home, clock, notifier);
    StartUp(s);
    OnTimer1(s);  // the end of the main window's start-up
    if (options.prepare) options.prepare(s);

    std::vector<std::string> lives;  // LiveData values set by the line in hand
    int subscription = 0;
    if (options.liveAll) {
        subscription = s.Subscribe([&](ChangeFlags what) {
            if (what & ChangeLiveData) lives.push_back(s.box.LiveData.Text);
        });
    }

    bool anyFailed = false;
    std::string text;
    for (std::size_t n = 1; std::getline(in, text); ++n) {
        try {
            if (text.find_first_not_of(" \t\r") == std::string::npos) throw LineError{"empty line"};
            Json line;
            try {
                line = Json::parse(text);
            } catch (const Json::parse_error& e) {
                throw LineError{"not valid JSON (at character " + std::to_string(e.byte) + ")"};
            }
            lives.clear();
            RunLine(s, clock, line);
            Json snapshot = Snapshot(s);
            if (options.liveAll) {
                Json all = Json::array();
                for (const std::string& live : lives) all.push_back(Utf8FromBytes(live));
                snapshot["live_all"] = std::move(all);
            }
            WriteLine(out, snapshot);
        } catch (const LineError& e) {
            anyFailed = true;
            WriteError(out, n, e.why);
        } catch (const std::exception& e) {
            // Out of memory for a huge line, and the like: that line fails, the next is read.
            anyFailed = true;
            WriteError(out, n, std::string("cannot be processed: ") + e.what());
        }
    }
    if (options.liveAll) s.Unsubscribe(subscription);
    if (in.bad()) {
        err << "korval-replay: reading the input failed\n";
        return 2;
    }
    if (options.tracks) WriteLine(out, Tracks(s));
    for (const auto& [map, file] : options.snapshots) {
        // The map window's stored size, in twips; 15 twips to the pixel at 96 dpi.
        const Placement& p = s.mapPlacement[map - 1];
        int width = 800, height = 600;
        if (p.Present && p.Width >= 15 && p.Height >= 15) {
            width = static_cast<int>(p.Width / 15.0f);
            height = static_cast<int>(p.Height / 15.0f);
        }
        std::string why;
        if (!options.drawMap) {
            err << "korval-replay: this build cannot draw maps (no map canvas)\n";
            return 2;
        }
        if (!options.drawMap(s, map, file, width, height, &why)) {
            err << "korval-replay: map " << map << " not written to " << file << ": " << why << '\n';
            anyFailed = true;
        }
    }
    bool exportFailed = false;
    if (!options.geojson.empty() || !options.kml.empty()) {
        const TrackSet tracks = CollectTracks(s);
        for (const std::string& problem : tracks.problems)
            err << "korval-replay: left out of the export: " << Utf8FromBytes(problem) << '\n';
        const std::pair<const std::string*, std::string (*)(const TrackSet&)> exports[] = {
            {&options.geojson, GeoJsonText}, {&options.kml, KmlText}};
        for (const auto& [file, format] : exports) {
            std::string why;
            if (!file->empty() && !WriteExport(*file, format(tracks), why)) {
                err << "korval-replay: " << why << '\n';
                exportFailed = true;
            }
        }
    }
    if (!out) {
        err << "korval-replay: writing the output failed\n";
        return 2;
    }
    if (exportFailed) return 2;
    return anyFailed ? 1 : 0;
}

}  // namespace korval
