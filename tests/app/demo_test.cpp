// The demo traffic and korval-demo: the traffic rendered for a time of day and run through
// korval-replay on the default program folder does, message by message, what its template line
// says; and the template language itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "demo_traffic.h"
#include "replay.h"
#include "test_support.h"

namespace korval {
namespace {

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

// The kinds of message a snapshot tells by one field, and what that field holds for them.
const std::tuple<Kind, const char*, Json, const char*> kShown[] = {
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
    for (const auto& [kind, field, value, meant] : kShown) {
        if (kind == e.kind && out.at(Json::json_pointer(field)) != value) return std::string("meant to be ") + meant;
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
    // The default program folder as the run command makes it: @HOME@ in the settings is its path.
    test::TempHome home;
    fs::copy(kData, home.path(), fs::copy_options::recursive);
    std::string ini = home.Read("KORVAL.ini");
    for (std::size_t at; (at = ini.find("@HOME@")) != std::string::npos;) ini.replace(at, 6, home.path().string());
    home.Write("KORVAL.ini", ini);
    // The traffic korval-demo writes for the time of day, through korval-replay on that folder.
    const int now = std::stoi(GetParam());
    std::ifstream file(kTemplate, std::ios::binary);
    std::ostringstream text, out, err;
    text << file.rdbuf();
    const Traffic t = RenderTraffic(text.str(), DemoTime{2026, 12, 5, now / 100 * 60 + now % 100});
    ASSERT_TRUE(t.problems.empty()) << t.problems[0].why;
    std::string traffic;
    for (const demo::TrafficLine& line : t.lines) traffic += demo::ReplayLine(line) + '\n';
    ReplayOptions options;
    options.home = home.path().string();
    options.tracks = true;
    options.utc = demo::Hhmm(t.lines.front().at);
    std::istringstream in(traffic);
    ASSERT_EQ(RunReplay(options, in, out, err), 0) << err.str();
    EXPECT_EQ(err.str(), "") << "no message box, no refused line";
    std::vector<Json> shown;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) shown.push_back(Json::parse(line));
    ASSERT_EQ(shown.size(), t.lines.size() + 1);  // one snapshot per traffic line, then the tracks

    for (std::size_t i = 0; i < t.lines.size(); ++i) {
        ASSERT_FALSE(shown[i].contains("error")) << shown[i];
        if (t.lines[i].tick) continue;
        EXPECT_EQ(Mismatch(t.lines[i].expect, shown[i]), "") << "traffic.tmpl line " << t.lines[i].templateLine << "\n"
                                                             << shown[i].dump();
    }
    EXPECT_FALSE(home.Exists("Logs/ErrorLog .txt")) << home.Read("Logs/ErrorLog .txt");

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

// korval-demo names each bad template line (a binary one too) and still writes the good ones, with
// the times of the run's date and time of day.
TEST(Demo, NamesEachBadTemplateLineAndWritesTheRest)
{
    const std::pair<std::string, const char*> bad[] = {
        {"skyspy G-EUPT H1 2 M01A BA0982 | X", "unknown source \"skyspy\" (airmaster, hfacars or hfdl)"},
        {"airmaster G-EUPT H1 2 M01A BA0982 X", "no \"|\" between the header and the content"},
        {"airmaster G-EUPT H1 2 M01A BA0982 | ETA {NOW}",
         "unknown placeholder {NOW} ({T}, {T+N}, {T-N}, {HHMM}, {HMS}, {HHMMSS}, {DDHHMM})"},
        {"airmaster G-EUPT H1 2 M01A BA0982 | X => pos 91 0", "\"91 0\" is no latitude and longitude in degrees"},
        {std::string("\x00\xff\xfe|\x01", 5), ""},
        {"at T-6", "the time must not go back"}};
    const std::string good = "airmaster G-EUPT H1 2 M01A BA0982 | REQ WX EGLL\n";
    std::string text = "at T-5\n" + good;
    for (const auto& [line, why] : bad) text += line + '\n';
    test::TempHome home;
    home.Write("t.tmpl", text + good);
    std::ostringstream out, err;
    EXPECT_EQ(demo::RunDemo(DemoOptions{(home.path() / "t.tmpl").string(), "1200", "2026-12-05"}, out, err), 1);
    for (std::size_t i = 0; i < std::size(bad); ++i) {
        const std::string said = "t.tmpl:" + std::to_string(i + 3) + ": " + bad[i].second;
        EXPECT_NE(err.str().find(said), std::string::npos) << said << '\n' << err.str();
    }
    EXPECT_EQ(std::ranges::count(out.str(), '\n'), 2);
    EXPECT_NE(out.str().find("[05/12/2026 11:55]"), std::string::npos) << out.str();
}

// The times of a run just after midnight on New Year's Day fall on the old year's last day.
TEST(Demo, TimesAreRelativeToTheRunAcrossMidnight)
{
    Traffic t = RenderTraffic("at T-20\nairmaster G-EUPT H1 2 M01A BA0982 | EPT {T+55} AT {DDHHMM} {HMS}\nat T\n",
                              DemoTime{2027, 1, 1, 10});
    ASSERT_EQ(t.lines.size(), 21u);  // the message, then a tick for each minute up to the run's time
    EXPECT_NE(t.lines[0].text.find("EPT 0105 AT 312350 23:50:"), std::string::npos) << t.lines[0].text;
    EXPECT_NE(t.lines[0].text.find("[31/12/2026 23:50]"), std::string::npos) << t.lines[0].text;
    EXPECT_EQ(demo::ReplayLine(t.lines[1]), "{\"tick\": \"2351\"}");
    EXPECT_EQ(demo::ReplayLine(t.lines[20]), "{\"tick\": \"0010\"}");
}

// korval-demo refuses a bad command line whole.
TEST(Demo, RefusesABadCommandLine)
{
    const std::pair<DemoOptions, const char*> runs[] = {
        {{"", "1200", ""}, "--template is required"},
        {{kTemplate, "2460", ""}, "--now must be HHMM (0000 to 2359), not \"2460\""},
        {{kTemplate, "1200", "2026-02-30"}, "--date must be a date YYYY-MM-DD"}};
    for (const auto& [options, said] : runs) {
        std::ostringstream out, err;
        EXPECT_EQ(demo::RunDemo(options, out, err), 2) << said;
        EXPECT_NE(err.str().find(said), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "") << said;
    }
}

}  // namespace
}  // namespace korval
