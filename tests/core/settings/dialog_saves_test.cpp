// The dialogs' Save buttons and the map windows' rules, without any window.
#include "settings/dialog_saves.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "maps/map_window_rules.h"
#include "station/station.h"
#include "test_support.h"

namespace korval {
namespace {

using test::Rig;

bool Holds(const std::string& text, const std::string& line)
{
    return text.find(line + "\r\n") != std::string::npos;
}

TEST(DialogSaves, WrongPlotLimitsAreWrittenAsTypedAndStoredWithTwoDigits)
{
    Rig rig;
    SaveWrongPlotSettings(rig.station, "8", "10");
    const std::string ini = rig.home.Read("KORVAL.ini");
    EXPECT_TRUE(Holds(ini, "TooLat=8")) << ini;
    EXPECT_TRUE(Holds(ini, "TooLong=10")) << ini;
    EXPECT_EQ(rig.station.dlg.txtTooLat, "08");
    EXPECT_EQ(rig.station.dlg.txtTooLong, "10");
}

TEST(DialogSaves, OtherLinkIsTakenOnlyWhenTheFileWasWritten)
{
    Rig rig;
    EXPECT_TRUE(SaveDDEServerSettings(rig.station, "Decoder", "ACARS", 2));
    EXPECT_TRUE(Holds(rig.home.Read("KORVAL.ini"), "NewServer=Decoder"));
    EXPECT_EQ(rig.station.dlg.txtTopic, "ACARS");
    EXPECT_EQ(rig.station.dlg.DDEFormat, 2);

    Rig blocked;
    std::filesystem::create_directory(blocked.home.path() / "KORVAL.ini");  // a folder where the file should be
    EXPECT_FALSE(SaveDDEServerSettings(blocked.station, "Decoder", "ACARS", 1));
    EXPECT_EQ(blocked.station.dlg.txtServer, "Set");
    EXPECT_EQ(blocked.station.dlg.DDEFormat, 3);
    ASSERT_FALSE(blocked.notes.messages.empty());
    EXPECT_EQ(blocked.notes.messages.back().text, "An error has occurred while calling the API function");
}

TEST(DialogSaves, MapWideOptionsGoToFileAndStore)
{
    Rig rig;
    SaveMapWideSettings(rig.station, {3, "2330", "20", true});
    const std::string ini = rig.home.Read("KORVAL.ini");
    for (const char* line : {"MaxPlots=3", "ClearMapTime=2330", "SBSMins=20", "SBSOnly=1"})
        EXPECT_TRUE(Holds(ini, line)) << line;
    EXPECT_EQ(rig.station.dlg.comMaxPlot, 3);
    EXPECT_EQ(rig.station.dlg.txtClearMapTime, "2330");
    EXPECT_TRUE(rig.station.dlg.chkSBS);
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
    EXPECT_EQ(rig.station.map[1].CircleText, "255");
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(rig.station.opt.mnuShowMap2);
    EXPECT_TRUE(rig.station.opt.mnuShowMapEnabled[1]);
    const std::string ini = rig.home.Read("KORVAL.ini");
    EXPECT_TRUE(Holds(ini, "[Map2 Settings]")) << ini;
    EXPECT_TRUE(Holds(ini, "W=-7.5")) << ini;

    SaveMapSettings(rig.station, 3, {"60", "10", "40", "-20", kNoMapChosen, 0, 0, 0, 0}, [&] { ++shown; });
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(rig.station.opt.mnuShowMap3);
    EXPECT_FALSE(rig.station.opt.mnuShowMapEnabled[2]);
}

TEST(MapWindowRules, OnlyAnExistingPictureFileIsShown)
{
    Rig rig;
    rig.home.Write("world.jpg", "x");
    rig.station.map[0].MapPath = "";
    EXPECT_FALSE(MapPictureExists(rig.station, 1));
    rig.station.map[0].MapPath = (rig.home.path() / "missing.jpg").string();
    EXPECT_FALSE(MapPictureExists(rig.station, 1));
    rig.station.map[0].MapPath = rig.home.path().string();  // a folder is no picture
    EXPECT_FALSE(MapPictureExists(rig.station, 1));
    rig.station.map[0].MapPath = (rig.home.path() / "world.jpg").string();
    EXPECT_TRUE(MapPictureExists(rig.station, 1));
}

TEST(MapWindowRules, UnloadUnchecksAndWritesThePlacementUnlessMinimised)
{
    Rig rig;
    rig.station.opt.mnuShowMap1 = true;
    EXPECT_TRUE(UnloadMapWindow(rig.station, 1, Placement{true, 1500, 750, 12000, 7500}));
    EXPECT_FALSE(rig.station.opt.mnuShowMap1);
    const std::string ini = rig.home.Read("KORVAL.ini");
    for (const char* line : {"[Map1]", "Top=750", "Left=1500", "Height=7500", "Width=12000"})
        EXPECT_TRUE(Holds(ini, line)) << line << "\n" << ini;

    Rig minimised;
    EXPECT_FALSE(UnloadMapWindow(minimised.station, 2, std::nullopt));
    EXPECT_FALSE(minimised.home.Exists("KORVAL.ini"));
}

}  // namespace
}  // namespace korval
