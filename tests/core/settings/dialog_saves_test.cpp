// The dialogs' Save buttons and the map windows' rules, without any window.
#include "settings/dialog_saves.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "maps/map_window_rules.h"
#include "station/station.h"
#include "test_support.h"
#include "text/convert.h"

namespace korval {
namespace {

using test::Rig;

// Each dialog writes its own section, as typed, into a file that had none.
TEST(DialogSaves, TypedValuesGoToFileAndStore)
{
    Rig rig;
    Station& s = rig.station;
    SaveWrongPlotSettings(s, "8", "10");
    EXPECT_TRUE(SaveDDEServerSettings(s, "Decoder", "ACARS", 2));
    SaveMapWideSettings(s, {3, "2330", "20", true});
    EXPECT_EQ(rig.home.Read("KORVAL.ini"),
              "[Filters]\r\nTooLat=8\r\nTooLong=10\r\n\r\n"
              "[Korval]\r\nNewServer=Decoder\r\nNewTopic=ACARS\r\nFormat=2\r\n\r\n"
              "[Menus]\r\nMaxPlots=3\r\nClearMapTime=2330\r\nSBSMins=20\r\nSBSOnly=1\r\n");
    // The stores hold the same, the wrong-plot limits with at least two digits.
    EXPECT_EQ(s.dlg.txtTooLat + " " + s.dlg.txtTooLong + " " + s.dlg.txtTopic + " " + std::to_string(s.dlg.DDEFormat) +
                  " " + s.dlg.txtClearMapTime + " " + std::to_string(s.dlg.comMaxPlot) + " " + BoolText(s.dlg.chkSBS),
              "08 10 ACARS 2 2330 3 True");
}

TEST(DialogSaves, OtherLinkIsNotTakenWhenTheFileCannotBeWritten)
{
    Rig blocked;
    std::filesystem::create_directory(blocked.home.path() / "KORVAL.ini");  // a folder where the file should be
    EXPECT_FALSE(SaveDDEServerSettings(blocked.station, "Decoder", "ACARS", 1));
    EXPECT_EQ(blocked.station.dlg.txtServer + " " + std::to_string(blocked.station.dlg.DDEFormat), "Set 3");
    ASSERT_FALSE(blocked.notes.messages.empty());
    EXPECT_EQ(blocked.notes.messages.back().text, "An error has occurred while calling the API function");
}

// A map with a picture is enabled, shown and takes its frame at once; one without is neither.
TEST(DialogSaves, MapIsEnabledAndShownOnlyWithAPicture)
{
    Rig rig;
    rig.home.Write("europe.jpg", "not decoded here");
    const std::string picture = (rig.home.path() / "europe.jpg").string();
    int shown = 0;
    SaveMapSettings(rig.station, 2, {"52.5", "10", "40", "-7.5", picture, 0xFFFFFF, 0, 255, 0xFF0000},
                    [&] { ++shown; });
    EXPECT_EQ(rig.station.map[1].W, "-007500");
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(rig.station.opt.mnuShowMap2 && rig.station.opt.mnuShowMapEnabled[1]);
    EXPECT_EQ(rig.home.Read("KORVAL.ini").rfind("[Map2 Settings]\r\nN=52.5\r\nE=10\r\nS=40\r\nW=-7.5\r\n", 0), 0u);

    SaveMapSettings(rig.station, 3, {"60", "10", "40", "-20", kNoMapChosen, 0, 0, 0, 0}, [&] { ++shown; });
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(rig.station.opt.mnuShowMap3 || rig.station.opt.mnuShowMapEnabled[2]);
}

TEST(MapWindowRules, OnlyAnExistingPictureFileIsShown)
{
    Rig rig;
    rig.home.Write("world.jpg", "x");
    const auto& home = rig.home.path();  // the folder itself is no picture
    const std::pair<std::filesystem::path, bool> cases[] = {
        {home / "missing.jpg", false}, {home, false}, {home / "world.jpg", true}};
    for (const auto& [path, shown] : cases) {
        rig.station.map[0].MapPath = path.string();
        EXPECT_EQ(MapPictureExists(rig.station, 1), shown) << path;
    }
}

TEST(MapWindowRules, UnloadUnchecksAndWritesThePlacementUnlessMinimised)
{
    Rig rig;
    rig.station.opt.mnuShowMap1 = true;
    EXPECT_TRUE(UnloadMapWindow(rig.station, 1, Placement{true, 1500, 750, 12000, 7500}));
    EXPECT_FALSE(rig.station.opt.mnuShowMap1);
    EXPECT_EQ(rig.home.Read("KORVAL.ini"), "[Map1]\r\nTop=750\r\nLeft=1500\r\nHeight=7500\r\nWidth=12000\r\n");

    Rig minimised;
    EXPECT_FALSE(UnloadMapWindow(minimised.station, 2, std::nullopt));
    EXPECT_FALSE(minimised.home.Exists("KORVAL.ini"));
}

}  // namespace
}  // namespace korval
