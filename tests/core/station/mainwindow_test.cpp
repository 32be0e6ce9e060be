// The main window's handlers without a window: the source menu items and their links, the status
// line, counting a message, the minute timer and deleting an aircraft.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "maps/refresh.h"
#include "station/events.h"
#include "station/links.h"
#include "station/mainwindow.h"
#include "station/status.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

// A link layer where only the named topics have a running server. Each box's link (or the one
// kept for the source to come up) is recorded as its topic and item.
class FakePort final : public LinkPort {
public:
    std::set<std::string> running;
    std::map<LinkBox, std::string> linked, waiting;
    void Link(LinkBox box, const std::string& topic, const std::string& item) override
    {
        if (!running.count(topic)) Raise(err::DdeNoAnswer);
        linked[box] = topic + " " + item;
    }
    void LinkLater(LinkBox box, const std::string& topic, const std::string& item) override
    {
        waiting[box] = topic + " " + item;
    }
    void Unlink(LinkBox box) override
    {
        linked.erase(box);
        waiting.erase(box);
    }
};

// A menu item of a source: its handler, its boxes and their topics (linked in this order).
struct SourceCase {
    const char* name;
    void (*click)(Station&);
    bool Options::*item;
    std::vector<LinkBox> boxes;
    std::vector<std::string> topics;
    const char *procedure, *notRunning;
};

// The Other item's server and topic are " Mine " and "Feed ", taken trimmed.
// clang-format off
const SourceCase kSources[] = {
    {"Airmaster", mnuAir_Click, &Options::mnuAir, {LinkBox::AirData}, {"WinACARS|ACARS"}, "Link_Airmaster",
     "Airmaster must be running before selecting as DDE source"},
    {"PcHfdl", mnuPCHFDL_Click, &Options::mnuPCHFDL, {LinkBox::HFDL, LinkBox::HFACARSData},
     {"PCHFDL|HFDL", "PCHFDL|ACARS"}, "Link_PCHFDL", "PC-HFDL must be running before selecting as DDE source"},
    {"Other", mnuNew_Click, &Options::mnuNew, {LinkBox::txtNewData}, {"Mine|Feed"}, "Link_Other",
     "Your specified DDE must be running before selecting it as DDE source"},
};
// clang-format on

class Sources : public ::testing::TestWithParam<SourceCase> {};

// A source not up yet when the program starts (services start in any order) is told once,
// logged, kept checked and waited for: the saved choice stays the user's, and unchecking it ends
// the waiting. Checked while not running, it unchecks itself with the same message; once running,
// checking it links every box and unchecking it ends every link.
TEST_P(Sources, StartWaitsAndTheMenuLinksOnlyWhatRuns)
{
    const SourceCase& c = GetParam();
    Rig rig;
    FakePort port;
    Station& s = rig.station;
    s.links = &port;
    s.dlg.txtServer = " Mine ";
    s.dlg.txtTopic = "Feed ";
    s.opt.*c.item = true;
    RelinkSources(s);
    EXPECT_TRUE(s.opt.*c.item);
    std::map<LinkBox, std::string> boxes;
    std::string log;
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
        boxes[c.boxes[i]] = c.topics[i] + " LiveData";
        log += "Error: 282 (Link to " + c.topics[i] +
               " not answering at start; retrying every 10 seconds) at line 0 in procedure " + c.procedure +
               " of Module ACARS\r\n\r\n";
    }
    EXPECT_EQ(port.waiting, boxes);
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"), log);

    c.click(s);
    EXPECT_FALSE(s.opt.*c.item);
    EXPECT_TRUE(port.waiting.empty());
    c.click(s);
    EXPECT_FALSE(s.opt.*c.item);

    port.running.insert(c.topics.begin(), c.topics.end());
    c.click(s);
    EXPECT_TRUE(s.opt.*c.item);
    EXPECT_EQ(port.linked, boxes);
    c.click(s);
    EXPECT_FALSE(s.opt.*c.item);
    EXPECT_TRUE(port.linked.empty());
    ASSERT_EQ(rig.notes.messages.size(), 2u);  // at start and when checked while not running
    for (const auto& m : rig.notes.messages) EXPECT_EQ(m.text, c.notRunning);
    EXPECT_EQ(rig.notes.beeps, 2);
}

INSTANTIATE_TEST_SUITE_P(Station, Sources, ::testing::ValuesIn(kSources), test::CaseName());

TEST(Station, OtherWithUnsetServerKeepsItemCheckedAndSaysSo)
{
    test::Rig rig;
    FakePort port;
    rig.station.links = &port;
    mnuNew_Click(rig.station);
    EXPECT_TRUE(rig.station.opt.mnuNew);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "You must set your DDE Server and Topic");
}

TEST(Station, StartUpWithoutALinkLayerUnchecksAsBefore)
{
    test::Rig rig;
    rig.station.opt.mnuSky = true;
    RelinkSources(rig.station);
    EXPECT_FALSE(rig.station.opt.mnuSky);
    EXPECT_EQ(rig.notes.messages.size(), 1u);
}

// ---- what the status line says every interval -----------------------------------------------

// The station keeps the totals the status line is made of; the line says what changed since the
// last one, for every chosen source and every source that delivered.
TEST(Status, SaysWhatArrivedWhatWasCountedAndTheErrorsSinceTheLastLine)
{
    Rig rig;
    Station& s = rig.station;
    EXPECT_EQ(StatusLine(s, s.traffic), "last minute: no source chosen; 0 aircraft tracked, 0 SBS-1; 0 errors logged");
    s.opt.mnuAir = true;
    OnLinkText(s, LinkBox::AirData, Canonical(".D-ALCA", "5Z", '2', "M20A", "LH8400", "HELLO THERE\r\n"));
    s.LogFaultLine(Fault(13, "Type mismatch", 0), "Test", "Test");
    const TrafficCounts start = s.traffic;  // the last line
    OnLinkText(s, LinkBox::AirData, Canonical(".D-ALCB", "5Z", '2', "M22A", "LH8402", "HELLO\r\n"));
    OnLinkText(s, LinkBox::SkyData, Canonical(".D-ALCB", "5Z", '2', "M21A", "LH8401", "HELLO AGAIN\r\n"));
    s.PositionReformatted = true;  // as a rule would set it: the counting step counts it
    Fill_Boxes(s);
    s.LogFaultLine(Fault(13, "Type mismatch", 0), "Test", "Test");
    s.LogFaultLine(Fault(0, "Link to X restored", 0), "Test", "Test");  // no fault
    EXPECT_EQ(StatusLine(s, start),
              "last minute: Airmaster/JACARS 1 received, 0 counted, SkySpy/ACARSD 1 received, 1 counted; "
              "0 aircraft tracked, 0 SBS-1; 1 errors logged");
}

// ---- counting a message, the minute timer, deleting an aircraft ---------------------------------

struct CountCase {
    const char* name;
    bool oceanic, request, reformatted;
    const char *count, *oca;            // txtCount and txtOCA before
    const char *countAfter, *ocaAfter;  //  and after
    std::uint32_t liveBack;             // 0: unchanged, and the message neither counted nor logged
};

class Counting : public ::testing::TestWithParam<CountCase> {};

TEST_P(Counting, CountColourAndLogAgain)
{
    const CountCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuBeep = true;
    s.OceanicMessage = c.oceanic;
    s.REQPWIMessage = c.request;
    s.PositionReformatted = c.reformatted;
    s.box.txtCount.Text = c.count;
    s.box.txtOCA.Text = c.oca;
    s.CurrentMessage = Canonical(".N923UP", "H1", '2', "M76A", "UP0001", "POS N51234W010500\r\n");
    Fill_Boxes(s);
    EXPECT_EQ(s.box.txtCount.Text + " " + s.box.txtOCA.Text, std::string(c.countAfter) + " " + c.ocaAfter);
    const bool counted = c.liveBack != 0;
    EXPECT_EQ(std::tuple(s.box.LiveData.BackColor, s.box.Aircraft.BackColor, rig.notes.beeps),
              std::tuple(counted ? c.liveBack : colour::PaleYellow, counted ? colour::Red : colour::DarkRed,
                         counted ? 1 : 0));
    EXPECT_EQ(s.box.LiveData.Text, counted ? s.CurrentMessage : "");
}

INSTANTIATE_TEST_SUITE_P(
    Station, Counting,
    ::testing::Values(CountCase{"request", false, true, false, "4", "7", "5", "7", colour::Navy},
                      CountCase{"nothing", false, false, false, "4", "7", "4", "7", 0},
                      // 16-bit counters would overflow here and lose the message; an oceanic message
                      // counts only as oceanic, reformatted or not.
                      CountCase{"past16Bits", false, false, true, "32767", "0", "32768", "0", colour::Navy},
                      CountCase{"oceanicPast16Bits", true, false, true, "0", "32767", "0", "32768", colour::Green},
                      CountCase{"typedOver", false, false, true, "abc", "0", "1", "0", colour::Navy}),
    test::CaseName());

// MidWaypoint runs on every second tick (it always redraws); MinuteCount wraps at midnight even
// when a late timer missed 0000.
TEST(MainWindow, Timer2CountsMinutesAndRunsTheEstimateEverySecondTick)
{
    Rig rig;
    Station& s = rig.station;
    int redraws = 0;
    s.Subscribe([&](ChangeFlags what) { redraws += (what & ChangeMaps) ? 1 : 0; });
    s.box.labUTC = "UTC: 0001";
    s.MinuteCount = 1439;
    Timer2_Timer(s);
    EXPECT_EQ(std::tuple(redraws, s.MinuteCount), std::tuple(0, 0));
    Timer2_Timer(s);
    EXPECT_EQ(std::tuple(redraws, s.MinuteCount), std::tuple(1, 1));
}

struct DeleteCase {
    const char* name;
    const char* typed;
    std::size_t aircraftLeft, linesLeft;
    bool message;
    int redraws;
};

class DeleteAircraft : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteAircraft, ByTheIdInCapitals)
{
    const DeleteCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    const char* ids[] = {"G-ABCD", "N923UP", "G-ABCD", "g-lower"};  // two records of G-ABCD
    for (int i = 0; i < 4; ++i) {
        auto a = std::make_shared<Aircraft>();
        a->ID = ids[i];
        s.AircraftCol.Add(a, "K" + std::to_string(i));
        auto r = std::make_shared<RouteLine>();
        r->ID = ids[i];
        s.RouteLineCol.Add(r);
    }
    auto sbs = std::make_shared<SBSAircraft>();
    sbs->ID = "G-ABCD";
    s.SBSAircraftCol.Add(sbs, "G-ABCD");
    int redraws = 0;
    s.Subscribe([&](ChangeFlags what) { redraws += (what & ChangeMaps) ? 1 : 0; });
    EXPECT_EQ(cmdDelete(s, c.typed), c.aircraftLeft < 4);
    EXPECT_EQ(std::tuple(s.AircraftCol.Count(), s.RouteLineCol.Count(), s.SBSAircraftCol.Count(), redraws),
              std::tuple(c.aircraftLeft, c.linesLeft, std::size_t{1}, c.redraws));
    ASSERT_EQ(rig.notes.messages.size(), c.message ? 1u : 0u);
    for (const auto& m : rig.notes.messages)
        EXPECT_EQ(m.text, "No matching Aircraft. Check you have enterred it correctly");
}

INSTANTIATE_TEST_SUITE_P(Station, DeleteAircraft,
                         ::testing::Values(DeleteCase{"lowerCaseTyped", "g-abcd", 2, 2, false, 1},
                                           DeleteCase{"storedInLowerCase", "g-lower", 4, 4, true, 1},
                                           DeleteCase{"empty", "", 4, 4, false, 0}),
                         test::CaseName());

}  // namespace
}  // namespace korval
