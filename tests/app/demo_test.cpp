// The demo traffic and korval-demo: the traffic rendered for a time of day and run through
// korval-replay on the default program folder does, message by message, what its template line
// says; and the template language itself.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "demo_traffic.h"
#include "replay.h"
#include "settings/ini.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
namespace fs = std::filesystem;
using demo::DemoOptions;
using demo::DemoTime;
using demo::Expectation;
using demo::RenderTraffic;
using demo::Traffic;
using Json = nlohmann::json;

const fs::path kData = fs::path(KORVAL_SOURCE_DIR) / "data";
const std::string kTemplate = (kData / "demo" / "traffic.tmpl").string();

// A program folder made from the defaults as the run command makes one: the settings with the
// folder's path for @HOME@, the data files, the maps and a Logs folder.
std::unique_ptr<test::TempHome> DefaultHome()
{
    auto home = std::make_unique<test::TempHome>(true);
    for (const fs::directory_entry& entry : fs::directory_iterator(kData)) {
        const fs::path& p = entry.path();
        if (entry.is_regular_file() && (p.extension() == ".wdf" || p.extension() == ".ini"))
            fs::copy_file(p, home->path() / p.filename());
    }
    fs::copy(kData / "maps", home->path() / "maps", fs::copy_options::recursive);
    std::string ini = home->Read("KORVAL.ini");
    for (std::size_t at; (at = ini.find("@HOME@")) != std::string::npos;) ini.replace(at, 6, home->path().string());
    home->Write("KORVAL.ini", ini);
    return home;
}

// A map's frame in thousandths of a degree, from the settings file.
struct Frame {
    double n, s, w, e;
    bool Holds(int lat, int lon) const { return lat <= n && lat >= s && lon >= w && lon <= e; }
};

Frame MapFrame(const IniDocument& ini, const char* section)
{
    auto edge = [&](const char* key) { return std::stod(std::string(ini.Get(section, key).value_or("nan"))) * 1000; };
    return {edge("N"), edge("S"), edge("W"), edge("E")};
}

// "51234/-1500" as two whole numbers; false for anything else.
bool PositionOf(const std::string& text, int& lat, int& lon)
{
    std::size_t slash = text.find('/');
    if (slash == std::string::npos) return false;
    try {
        lat = std::stoi(text.substr(0, slash));
        lon = std::stoi(text.substr(slash + 1));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<Json> JsonLines(const std::string& text)
{
    std::vector<Json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(Json::parse(line));
    return lines;
}

// Why a replay snapshot does not show what the expectation says; empty when it does.
std::string Mismatch(const Expectation& e, const Json& out)
{
    const Json& flags = out["flags"];
    const bool held = out["marker"] != "" || out["aircraft"] == "DECODE";
    switch (e.kind) {
        case Expectation::Kind::Plain:
            if (out["found"] == true || held || out["flight"] == "UPLINK") return "meant to give no position";
            return {};
        case Expectation::Kind::Uplink:
            return out["flight"] == "UPLINK" ? "" : "meant to be an uplink";
        case Expectation::Kind::Squitter:
            return out["marker"] == "SQ" ? "" : "meant to be held back as a squitter";
        case Expectation::Kind::DecodeError:
            return out["aircraft"] == "DECODE" && out["flight"] == "ERROR" ? "" : "meant to be a decode error";
        case Expectation::Kind::Repeat:
            return out["marker"] == "R" ? "" : "meant to be held back as a repeat";
        case Expectation::Kind::MediaAdvisory:
            return flags["SAExpanded"] == true ? "" : "meant to be expanded as an SA message";
        case Expectation::Kind::AtisRequest:
            return flags["B9Expanded"] == true ? "" : "meant to be expanded as a B9 message";
        case Expectation::Kind::Position:
            if (held || flags["OceanicMessage"] == true) return "meant to be an ordinary position report";
            break;
        case Expectation::Kind::Oceanic:
            if (flags["OceanicMessage"] != true) return "meant to be taken as an oceanic clearance";
            break;
        case Expectation::Kind::Request:
            if (flags["REQPWIMessage"] != true) return "meant to be a position/weather request";
            break;
        case Expectation::Kind::Sbs:
            if (flags["SBSMessage"] != true) return "meant to be an SBS-1 report";
            break;
    }
    if (out["found"] != true) return "meant to give a position";
    std::vector<std::string> entries;
    std::istringstream in(out["positions"].get<std::string>());
    for (std::string entry; std::getline(in, entry, ',');) entries.push_back(entry);
    if (entries.size() != e.positions.size()) return "reads " + std::to_string(entries.size()) + " positions";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        int lat = 0, lon = 0;
        // The notations keep tenths of a minute as they stand, so readings are within 0.02 degrees.
        if (!PositionOf(entries[i], lat, lon) || std::abs(lat - e.positions[i].lat * 1000) > 20 ||
            std::abs(lon - e.positions[i].lon * 1000) > 20)
            return "reads " + entries[i] + " for position " + std::to_string(i + 1);
    }
    return {};
}

struct DemoRun {
    Traffic traffic;
    std::vector<Json> out;  // one snapshot per traffic line, then the tracks
    std::string err;
    int demoStatus = 0, replayStatus = 0;
};

DemoRun RunTheDemo(const test::TempHome& home, const std::string& now)
{
    DemoRun run;
    std::ostringstream traffic, demoErr;
    run.demoStatus = demo::RunDemo(DemoOptions{kTemplate, now, "2026-12-05"}, traffic, demoErr);
    run.err = demoErr.str();
    std::ifstream file(kTemplate, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    run.traffic =
        RenderTraffic(text.str(), DemoTime{2026, 12, 5, std::stoi(now.substr(0, 2)) * 60 + std::stoi(now.substr(2))});

    ReplayOptions options;
    options.home = home.path().string();
    options.tracks = true;
    options.explain = true;
    if (!run.traffic.lines.empty()) options.utc = demo::Hhmm(run.traffic.lines.front().at);
    std::istringstream in(traffic.str());
    std::ostringstream out, replayErr;
    run.replayStatus = RunReplay(options, in, out, replayErr);
    run.err += replayErr.str();
    run.out = JsonLines(out.str());
    return run;
}

// Each message shows what its template line says, and nothing goes wrong on the way.
void CheckMessages(const test::TempHome& home, const DemoRun& run)
{
    ASSERT_EQ(run.demoStatus, 0) << run.err;
    ASSERT_EQ(run.replayStatus, 0) << run.err;
    EXPECT_EQ(run.err, "") << "no message box, no refused line";
    ASSERT_EQ(run.out.size(), run.traffic.lines.size() + 1);

    std::size_t messages = 0, positions = 0;
    std::set<std::string> sources;
    for (std::size_t i = 0; i < run.traffic.lines.size(); ++i) {
        const demo::TrafficLine& line = run.traffic.lines[i];
        ASSERT_FALSE(run.out[i].contains("error")) << run.out[i];
        if (line.tick) continue;
        ++messages;
        if (!line.expect.positions.empty()) ++positions;
        for (const Json& source : run.out[i]["sources"]) sources.insert(source.get<std::string>());
        std::string why = Mismatch(line.expect, run.out[i]);
        EXPECT_EQ(why, "") << "traffic.tmpl line " << line.templateLine << "\n" << run.out[i].dump();
    }
    EXPECT_GE(messages, 300u);
    EXPECT_GE(positions, 150u);
    // Decode Modern Formats is on in the bundled settings: the first run shows ADS-C and the
    // notations of the format table beside the rewrite rules.
    for (const char* source :
         {"ADS-C basic", "FMC position report", "POS report decimal", "FM3 flight report", "Event report LOC",
          "Airline POSRPT", "ICAO position report", "AGFSR position report", "HFDL", "SBS-1"})
        EXPECT_TRUE(sources.contains(source)) << source;
    EXPECT_FALSE(home.Exists("Logs/ErrorLog .txt")) << home.Read("Logs/ErrorLog .txt");
    bool logged = false;
    for (const fs::directory_entry& entry : fs::directory_iterator(home.path() / "Logs"))
        logged = logged || entry.path().filename().string().starts_with("KorvalLog ");
    EXPECT_TRUE(logged) << "the daily log is on";
}

// What is left at the end: some 40 aircraft, all inside the two maps shown, the oceanic ones on
// timed waypoints (some flying, some not yet at their entry point) and SBS-1 aircraft climbing,
// level and descending.
void CheckEndState(const test::TempHome& home, const DemoRun& run)
{
    ASSERT_FALSE(run.out.empty());
    const Json& tracks = run.out.back();
    IniDocument ini = IniDocument::Parse(home.Read("KORVAL.ini"));
    const Frame europe = MapFrame(ini, "Map1 Settings"), atlantic = MapFrame(ini, "Map2 Settings");
    auto onAMap = [&](const Json& text) {
        int lat = 0, lon = 0;
        return PositionOf(text.get<std::string>(), lat, lon) && (europe.Holds(lat, lon) || atlantic.Holds(lat, lon));
    };

    std::set<std::string> ids;
    int oceanic = 0, flying = 0, waiting = 0;
    for (const Json& a : tracks["aircraft"]) {
        ids.insert(a["ID"]);
        EXPECT_TRUE(onAMap(a["NewLocation"])) << a.dump();
        if (a["Oceanic"] != true) continue;
        ++oceanic;
        ASSERT_TRUE(a["WayList"].is_array()) << a.dump();
        EXPECT_GE(a["WayList"].size(), 5u) << a.dump();
        for (const Json& w : a["WayList"]) {
            const std::string text = w;
            EXPECT_EQ(text.size() - text.find(',') - 1, 4u) << "a time HHMM on every waypoint: " << text;
        }
        (a["Show"] == true ? flying : waiting)++;
    }
    for (const Json& r : tracks["routelines"]) EXPECT_TRUE(onAMap(r["NewPosition"])) << r.dump();
    std::set<int> trends;
    for (const Json& b : tracks["sbs"]) {
        ids.insert(b["ID"]);
        trends.insert(b["AltChange"].get<int>());
        int lat = 0, lon = 0;
        EXPECT_TRUE(PositionOf(b["NewPosition"], lat, lon) && europe.Holds(lat, lon)) << "SBS-1 shows on map 1 only";
    }
    EXPECT_GE(ids.size(), 40u);
    EXPECT_GE(oceanic, 10);
    EXPECT_GE(flying, 4);
    EXPECT_GE(waiting, 4);
    EXPECT_EQ(trends, (std::set<int>{0, 1, 2}));
}

class DemoTraffic : public ::testing::TestWithParam<const char*> {};

TEST_P(DemoTraffic, RunsAsItsTemplateSays)
{
    auto home = DefaultHome();
    DemoRun run = RunTheDemo(*home, GetParam());
    {
        SCOPED_TRACE("message by message");
        CheckMessages(*home, run);
    }
    SCOPED_TRACE("at the end");
    CheckEndState(*home, run);
}

// Midday, and both sides of midnight (the dates in the trailers change day).
INSTANTIATE_TEST_SUITE_P(Demo, DemoTraffic, ::testing::Values("1200", "0005", "2355"),
                         [](const auto& param) { return std::string("at") + param.param; });

struct BadLine {
    const char* name;
    const char* line;
    const char* why;
};

class DemoTemplateProblems : public ::testing::TestWithParam<BadLine> {};

TEST_P(DemoTemplateProblems, NameTheLineAndRenderTheRest)
{
    const std::string good = "airmaster G-EUPT H1 2 M01A BA0982 | REQ WX EGLL\n";
    Traffic t = RenderTraffic(good + GetParam().line + "\n" + good, DemoTime{2026, 12, 5, 720});
    ASSERT_EQ(t.problems.size(), 1u);
    EXPECT_EQ(t.problems[0].line, 2u);
    EXPECT_EQ(t.problems[0].why, GetParam().why);
    EXPECT_EQ(t.lines.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Demo, DemoTemplateProblems,
    ::testing::Values(BadLine{"unknownSource", "skyspy G-EUPT H1 2 M01A BA0982 | X",
                              "unknown source \"skyspy\" (airmaster, hfacars or hfdl)"},
                      BadLine{"noBar", "airmaster G-EUPT H1 2 M01A BA0982 X",
                              "no \"|\" between the header and the content"},
                      BadLine{"fiveFields", "airmaster G-EUPT H1 2 M01A | X",
                              "a message needs SOURCE REG LABEL BLOCK MSGNO FLIGHT before \"|\""},
                      BadLine{"unknownPlaceholder", "airmaster G-EUPT H1 2 M01A BA0982 | ETA {NOW}",
                              "unknown placeholder {NOW} ({T}, {T+N}, {T-N}, {HHMM}, {HMS}, {HHMMSS}, {DDHHMM})"},
                      BadLine{"unknownEscape", "airmaster G-EUPT H1 2 M01A BA0982 | A\\tB",
                              "unknown escape \"\\t\" (\\n, \\\\ or \\xHH)"},
                      BadLine{"latitudeTooFar", "airmaster G-EUPT H1 2 M01A BA0982 | X => pos 91 0",
                              "\"91 0\" is no latitude and longitude in degrees"},
                      BadLine{"positionsOnAnUplink", "airmaster G-EUPT H1 A ---- BA0982 | X => uplink 51 0",
                              "\"uplink\" takes no positions"}),
    test::CaseName());

TEST(Demo, TimeMayNotGoBack)
{
    Traffic t = RenderTraffic("at T-5\nat T-6\n", DemoTime{2026, 12, 5, 720});
    ASSERT_EQ(t.problems.size(), 1u);
    EXPECT_EQ(t.problems[0].why, "the time must not go back");
}

// The times of a run just after midnight on New Year's Day fall on the old year's last day.
TEST(Demo, TimesAreRelativeToTheRunAcrossMidnight)
{
    Traffic t = RenderTraffic("at T-20\nairmaster G-EUPT H1 2 M01A BA0982 | EPT {T+55} AT {DDHHMM} {HMS}\nat T\n",
                              DemoTime{2027, 1, 1, 10});
    ASSERT_TRUE(t.problems.empty());
    ASSERT_EQ(t.lines.size(), 21u);  // the message, then a tick for each minute up to the run's time
    EXPECT_NE(t.lines[0].text.find("EPT 0105 AT 312350 23:50:"), std::string::npos) << t.lines[0].text;
    EXPECT_NE(t.lines[0].text.find("[31/12/2026 23:50]"), std::string::npos) << t.lines[0].text;
    EXPECT_EQ(demo::ReplayLine(t.lines[1]), "{\"tick\": \"2351\"}");
    EXPECT_EQ(demo::ReplayLine(t.lines[20]), "{\"tick\": \"0010\"}");
}

struct UsageCase {
    const char* name;
    DemoOptions options;
    const char* err;
};

class DemoUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(DemoUsage, RefusesWithAReason)
{
    std::ostringstream out, err;
    EXPECT_EQ(demo::RunDemo(GetParam().options, out, err), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find(GetParam().err), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    Demo, DemoUsage,
    ::testing::Values(UsageCase{"noTemplate", {"", "1200", ""}, "--template is required"},
                      UsageCase{"badNow", {kTemplate, "2460", ""}, "--now must be HHMM (0000 to 2359), not \"2460\""},
                      UsageCase{"badDate", {kTemplate, "1200", "2026-02-30"}, "--date must be a date YYYY-MM-DD"}),
    test::CaseName());

TEST(Demo, BinaryTemplateIsRefusedLineByLine)
{
    test::TempHome home;
    home.Write("t.tmpl", std::string("\x00\xff\xfe|\x01\n\x80\x81 x\n", 11) +
                             "airmaster G-EUPT H1 2 M01A BA0982 | REQ WX EGLL\n");
    std::ostringstream out, err;
    EXPECT_EQ(demo::RunDemo({(home.path() / "t.tmpl").string(), "1200", "2026-12-05"}, out, err), 1);
    EXPECT_NE(err.str().find("t.tmpl:1: "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("t.tmpl:2: "), std::string::npos) << err.str();
    EXPECT_EQ(JsonLines(out.str()).size(), 1u) << "the good line is still written";
}

}  // namespace
}  // namespace korval
