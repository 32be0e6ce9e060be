#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "station/links.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
// A link layer where only the named topics have a running server.
class FakePort final : public LinkPort {
public:
    std::set<std::string> running;
    std::map<LinkBox, std::string> linked;
    std::vector<std::string> calls;
    void Link(LinkBox box, const std::string& topic, const std::string& item) override
    {
        calls.push_back("link " + topic + " " + item);
        if (!running.count(topic)) Raise(err::DdeNoAnswer);
        linked[box] = topic;
    }
    void Unlink(LinkBox box) override { linked.erase(box); }
};

struct MenuCase {
    const char* name;
    void (*click)(Station&);
    bool Options::*item;
    const char* topic;
    const char* notRunning;
};

class DdeMenu : public ::testing::TestWithParam<MenuCase> {};

TEST_P(DdeMenu, LinksWhenRunningAndUnchecksWithMessageWhenNot)
{
    const MenuCase& c = GetParam();
    {
        test::Rig rig;
        FakePort port;
        rig.station.links = &port;
        port.running.insert(c.topic);
        c.click(rig.station);
        EXPECT_TRUE(rig.station.opt.*c.item);
        EXPECT_TRUE(rig.notes.messages.empty());
        c.click(rig.station);  // unchecking ends every link of the item
        EXPECT_FALSE(rig.station.opt.*c.item);
        EXPECT_TRUE(port.linked.empty());
    }
    {
        test::Rig rig;
        FakePort port;
        rig.station.links = &port;
        c.click(rig.station);
        EXPECT_FALSE(rig.station.opt.*c.item);
        ASSERT_EQ(rig.notes.messages.size(), 1u);
        EXPECT_EQ(rig.notes.messages[0].text, c.notRunning);
        EXPECT_EQ(rig.notes.messages[0].title, "KORVAL");
        EXPECT_EQ(rig.notes.beeps, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Station, DdeMenu,
                         ::testing::Values(MenuCase{"Airmaster", mnuAir_Click, &Options::mnuAir, "WinACARS|ACARS",
                                                    "Airmaster must be running before selecting as DDE source"},
                                           MenuCase{"SkySpy", mnuSky_Click, &Options::mnuSky, "SkySpy|ACARS",
                                                    "SkySpy must be running before selecting as DDE source"},
                                           MenuCase{
                                               "ANAD", mnuANAD_Click, &Options::mnuANAD, "ANAD|ACARS",
                                               "AirNav ACARS Decoder must be running before selecting as DDE source"}),
                         test::CaseName());

TEST(Station, PcHfdlLinksBothBoxesHfdlFirst)
{
    test::Rig rig;
    FakePort port;
    rig.station.links = &port;
    port.running = {"PCHFDL|HFDL", "PCHFDL|ACARS"};
    mnuPCHFDL_Click(rig.station);
    EXPECT_TRUE(rig.station.opt.mnuPCHFDL);
    EXPECT_EQ(port.calls, (std::vector<std::string>{"link PCHFDL|HFDL LiveData", "link PCHFDL|ACARS LiveData"}));
    EXPECT_EQ(port.linked.size(), 2u);
}

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

TEST(Station, OtherLinksToTrimmedServerAndTopic)
{
    test::Rig rig;
    FakePort port;
    rig.station.links = &port;
    rig.station.dlg.txtServer = " Mine ";
    rig.station.dlg.txtTopic = "Feed ";
    mnuNew_Click(rig.station);
    EXPECT_FALSE(rig.station.opt.mnuNew);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "Your specified DDE must be running before selecting it as DDE source");
    EXPECT_EQ(port.calls.back(), "link Mine|Feed LiveData");
}

TEST(Station, StartUpRelinksCheckedSourcesInMenuOrder)
{
    test::Rig rig;
    FakePort port;
    rig.station.links = &port;
    port.running = {"SkySpy|ACARS"};
    rig.station.opt.mnuAir = rig.station.opt.mnuSky = true;
    RelinkSources(rig.station);
    EXPECT_FALSE(rig.station.opt.mnuAir);  // not running: message and unchecked
    EXPECT_TRUE(rig.station.opt.mnuSky);
    EXPECT_EQ(port.calls, (std::vector<std::string>{"link WinACARS|ACARS LiveData", "link SkySpy|ACARS LiveData"}));
    EXPECT_EQ(rig.notes.messages.size(), 1u);
}

TEST(Station, LostLinkIsWrittenToTheErrorLogNotShown)
{
    test::Rig rig;
    LinkLost(rig.station, LinkBox::AirData);
    EXPECT_TRUE(rig.notes.messages.empty());
    EXPECT_NE(rig.home.Read("Logs/ErrorLog .txt").find("Link to WinACARS|ACARS lost; retrying every 10 seconds"),
              std::string::npos);
}

}  // namespace
}  // namespace korval
