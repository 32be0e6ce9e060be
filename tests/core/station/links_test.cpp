#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

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
// A link layer where only the named topics have a running server.
class FakePort final : public LinkPort {
public:
    std::set<std::string> running;
    std::map<LinkBox, std::string> linked;
    std::map<LinkBox, std::string> waiting;  // kept for the source to come up
    std::vector<std::string> calls;
    void Link(LinkBox box, const std::string& topic, const std::string& item) override
    {
        calls.push_back("link " + topic + " " + item);
        if (!running.count(topic)) Raise(err::DdeNoAnswer);
        linked[box] = topic;
    }
    void LinkLater(LinkBox box, const std::string& topic, const std::string& item) override
    {
        calls.push_back("later " + topic + " " + item);
        waiting[box] = topic;
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
    const char* procedure;
    const char* notRunning;
};

// The Other item's server and topic are " Mine " and "Feed ", taken trimmed.
// clang-format off
const SourceCase kSources[] = {
    {"Airmaster", mnuAir_Click, &Options::mnuAir, {LinkBox::AirData}, {"WinACARS|ACARS"}, "Link_Airmaster",
     "Airmaster must be running before selecting as DDE source"},
    {"ANAD", mnuANAD_Click, &Options::mnuANAD, {LinkBox::ANAData}, {"ANAD|ACARS"}, "Link_ANAD",
     "AirNav ACARS Decoder must be running before selecting as DDE source"},
    {"PcHfdl", mnuPCHFDL_Click, &Options::mnuPCHFDL, {LinkBox::HFDL, LinkBox::HFACARSData},
     {"PCHFDL|HFDL", "PCHFDL|ACARS"}, "Link_PCHFDL", "PC-HFDL must be running before selecting as DDE source"},
    {"Other", mnuNew_Click, &Options::mnuNew, {LinkBox::txtNewData}, {"Mine|Feed"}, "Link_Other",
     "Your specified DDE must be running before selecting it as DDE source"},
};
// clang-format on

// A station whose links go to a FakePort, with the Other item's server set.
struct Linked : test::Rig {
    Linked()
    {
        station.links = &port;
        station.dlg.txtServer = " Mine ";
        station.dlg.txtTopic = "Feed ";
    }
    FakePort port;
};

class Sources : public ::testing::TestWithParam<SourceCase> {};

// A source not up yet when the program starts (services start in any order) is told once,
// logged, kept checked and waited for: the saved choice stays the user's, and unchecking it ends
// the waiting. Checked while not running, it unchecks itself with the same message; once running,
// checking it links every box and unchecking it ends every link.
TEST_P(Sources, StartWaitsAndTheMenuLinksOnlyWhatRuns)
{
    const SourceCase& c = GetParam();
    Linked rig;
    Station& s = rig.station;
    s.opt.*c.item = true;
    RelinkSources(s);
    EXPECT_TRUE(s.opt.*c.item);
    EXPECT_TRUE(rig.port.linked.empty());
    ASSERT_EQ(rig.port.waiting.size(), c.boxes.size());
    std::string log;
    std::vector<std::string> calls;
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
        EXPECT_EQ(rig.port.waiting[c.boxes[i]], c.topics[i]);
        log += "Error: 282 (Link to " + c.topics[i] +
               " not answering at start; retrying every 10 seconds) at line 0 in procedure " + c.procedure +
               " of Module ACARS\r\n\r\n";
        calls.push_back("link " + c.topics[i] + " LiveData");
    }
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"), log);

    c.click(s);
    EXPECT_FALSE(s.opt.*c.item);
    EXPECT_TRUE(rig.port.waiting.empty());
    c.click(s);
    EXPECT_FALSE(s.opt.*c.item);

    rig.port.calls.clear();
    rig.port.running.insert(c.topics.begin(), c.topics.end());
    c.click(s);
    EXPECT_TRUE(s.opt.*c.item);
    EXPECT_EQ(rig.port.calls, calls);
    c.click(s);
    EXPECT_FALSE(s.opt.*c.item);
    EXPECT_TRUE(rig.port.linked.empty());
    ASSERT_EQ(rig.notes.messages.size(), 2u);  // at start and when checked while not running
    for (const auto& m : rig.notes.messages) EXPECT_EQ(m.text, c.notRunning);
    EXPECT_EQ(rig.notes.messages[0].icon, Icon::Exclamation);
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

}  // namespace
}  // namespace korval
