// The demo traffic and korval-demo: the traffic rendered for a time of day and run through
// korval-replay on the default program folder does, message by message, what its template line
// says; and the template language itself.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
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
using Kind = Expectation::Kind;

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

std::vector<Json> JsonLines(const std::string& text)
{
    std::vector<Json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(Json::parse(line));
    return lines;
}

// The kinds of message a snapshot tells by one field, and what that field holds for them.
struct KindShown {
    Kind kind;
    const char* field;
    Json value;
    const char* meant;
};

const KindShown kShown[] = {
    {Kind::Uplink, "/flight", "UPLINK", "an uplink"},
    {Kind::Squitter, "/marker", "SQ", "held back as a squitter"},
    {Kind::DecodeError, "/aircraft", "DECODE", "a decode error"},
    {Kind::Repeat, "/marker", "R", "held back as a repeat"},
    {Kind::MediaAdvisory, "/flags/SAExpanded", true, "expanded as an SA message"},
    {Kind::AtisRequest, "/flags/B9Expanded", true, "expanded as a B9 message"},
    {Kind::Oceanic, "/flags/OceanicMessage", true, "taken as an oceanic clearance"},
    {Kind::Request, "/flags/REQPWIMessage", true, "a position/weather request"},
    {Kind::Sbs, "/flags/SBSMessage", true, "an SBS-1 report"},
};

// Why a replay snapshot does not show what the expectation says; empty when it does.
std::string Mismatch(const Expectation& e, const Json& out)
{
    const bool held = out["marker"] != "" || out["aircraft"] == "DECODE";
    if (e.kind == Kind::Plain)
        return out["found"] == true || held || out["flight"] == "UPLINK" ? "meant to give no position" : "";
    if (e.kind == Kind::Position && (held || out["flags"]["OceanicMessage"] == true))
        return "meant to be an ordinary position report";
    for (const KindShown& k : kShown) {
        if (k.kind == e.kind && out.at(Json::json_pointer(k.field)) != k.value)
            return std::string("meant to be ") + k.meant;
    }
    if (e.positions.empty()) return {};  // screened or expanded: nothing to read
    if (out["found"] != true) return "meant to give a position";
    std::istringstream in(out["positions"].get<std::string>());
    std::size_t i = 0;
    for (std::string entry; std::getline(in, entry, ','); ++i) {
        int lat = 0, lon = 0;
        // The notations keep tenths of a minute as they stand, so readings are within 0.02 degrees.
        if (i >= e.positions.size() || std::sscanf(entry.c_str(), "%d/%d", &lat, &lon) != 2 ||
            std::abs(lat - e.positions[i].lat * 1000) > 20 || std::abs(lon - e.positions[i].lon * 1000) > 20)
            return "reads " + entry + " for position " + std::to_string(i + 1);
    }
    return i == e.positions.size() ? "" : "reads " + std::to_string(i) + " positions";
}

class DemoTraffic : public ::testing::TestWithParam<const char*> {};

TEST_P(DemoTraffic, RunsAsItsTemplateSays)
{
    // What korval-demo writes, through korval-replay on the default program folder.
    auto home = DefaultHome();
    const std::string now = GetParam();
    std::ostringstream traffic, err, out;
    ASSERT_EQ(demo::RunDemo(DemoOptions{kTemplate, now, "2026-12-05"}, traffic, err), 0) << err.str();
    std::ifstream file(kTemplate, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    const Traffic t =
        RenderTraffic(text.str(), DemoTime{2026, 12, 5, std::stoi(now.substr(0, 2)) * 60 + std::stoi(now.substr(2))});
    ReplayOptions options;
    options.home = home->path().string();
    options.tracks = options.explain = true;
    options.utc = demo::Hhmm(t.lines.front().at);
    std::istringstream in(traffic.str());
    ASSERT_EQ(RunReplay(options, in, out, err), 0) << err.str();
    EXPECT_EQ(err.str(), "") << "no message box, no refused line";
    const std::vector<Json> shown = JsonLines(out.str());
    ASSERT_EQ(shown.size(), t.lines.size() + 1);  // one snapshot per traffic line, then the tracks

    std::set<std::string> sources;
    for (std::size_t i = 0; i < t.lines.size(); ++i) {
        ASSERT_FALSE(shown[i].contains("error")) << shown[i];
        if (t.lines[i].tick) continue;
        for (const Json& source : shown[i]["sources"]) sources.insert(source.get<std::string>());
        EXPECT_EQ(Mismatch(t.lines[i].expect, shown[i]), "") << "traffic.tmpl line " << t.lines[i].templateLine << "\n"
                                                             << shown[i].dump();
    }
    // Decode Modern Formats is on in the bundled settings: the first run shows ADS-C and the
    // notations of the format table beside the rewrite rules.
    for (const char* source :
         {"ADS-C basic", "FMC position report", "POS report decimal", "FM3 flight report", "Event report LOC",
          "Airline POSRPT", "ICAO position report", "AGFSR position report", "HFDL", "SBS-1"})
        EXPECT_TRUE(sources.contains(source)) << source;
    EXPECT_FALSE(home->Exists("Logs/ErrorLog .txt")) << home->Read("Logs/ErrorLog .txt");

    // At the end the oceanic aircraft are on timed waypoints relative to the run: some flying,
    // some not yet at their entry point.
    int oceanic = 0, flying = 0;
    for (const Json& a : shown.back()["aircraft"]) {
        oceanic += a["Oceanic"] == true ? 1 : 0;
        flying += a["Oceanic"] == true && a["Show"] == true ? 1 : 0;
    }
    EXPECT_GE(flying, 4);
    EXPECT_GE(oceanic - flying, 4);
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
    Traffic t = RenderTraffic("at T-5\n" + good + GetParam().line + "\n" + good, DemoTime{2026, 12, 5, 720});
    ASSERT_EQ(t.problems.size(), 1u);
    EXPECT_EQ(t.problems[0].line, 3u);
    EXPECT_EQ(t.problems[0].why, GetParam().why);
    EXPECT_EQ(t.lines.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Demo, DemoTemplateProblems,
    ::testing::Values(BadLine{"unknownSource", "skyspy G-EUPT H1 2 M01A BA0982 | X",
                              "unknown source \"skyspy\" (airmaster, hfacars or hfdl)"},
                      BadLine{"noBar", "airmaster G-EUPT H1 2 M01A BA0982 X",
                              "no \"|\" between the header and the content"},
                      BadLine{"unknownPlaceholder", "airmaster G-EUPT H1 2 M01A BA0982 | ETA {NOW}",
                              "unknown placeholder {NOW} ({T}, {T+N}, {T-N}, {HHMM}, {HMS}, {HHMMSS}, {DDHHMM})"},
                      BadLine{"latitudeTooFar", "airmaster G-EUPT H1 2 M01A BA0982 | X => pos 91 0",
                              "\"91 0\" is no latitude and longitude in degrees"},
                      BadLine{"timeGoesBack", "at T-6", "the time must not go back"}),
    test::CaseName());

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

// korval-demo refuses a bad command line whole, and a template's bad lines one by one (a binary
// one here) while still writing the good ones.
TEST(Demo, RefusesWithAReason)
{
    test::TempHome home;
    home.Write("t.tmpl", std::string("\x00\xff\xfe|\x01\n\x80\x81 x\n", 11) +
                             "airmaster G-EUPT H1 2 M01A BA0982 | REQ WX EGLL\n");
    const struct {
        DemoOptions options;
        int status;
        const char* err;
        std::size_t lines;
    } cases[] = {
        {{"", "1200", ""}, 2, "--template is required", 0},
        {{kTemplate, "2460", ""}, 2, "--now must be HHMM (0000 to 2359), not \"2460\"", 0},
        {{kTemplate, "1200", "2026-02-30"}, 2, "--date must be a date YYYY-MM-DD", 0},
        {{(home.path() / "t.tmpl").string(), "1200", "2026-12-05"}, 1, "t.tmpl:1: ", 1},
        {{(home.path() / "t.tmpl").string(), "1200", "2026-12-05"}, 1, "t.tmpl:2: ", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        std::ostringstream out, err;
        EXPECT_EQ(demo::RunDemo(c.options, out, err), c.status);
        EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
        EXPECT_EQ(JsonLines(out.str()).size(), c.lines);
    }
}

}  // namespace
}  // namespace korval
