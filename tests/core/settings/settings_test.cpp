#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "settings/ini.h"
#include "settings/settings.h"
#include "test_support.h"
#include "text/convert.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Rig;

const std::string kFull = test::ReadTestData("settings/full.ini");
constexpr const char* kReaderMain = "An error has occurred checking your Korval settings";

std::string FileValue(const Rig& rig, const char* section, const char* key)
{
    const IniDocument doc = IniDocument::Parse(rig.home.Read("KORVAL.ini"));
    auto v = doc.Get(section, key);
    return v ? std::string(*v) : "<absent>";
}

// ---- options behind a setting: off unless the file says otherwise, never added to a file unasked --
// Decode Modern Formats is written once used; Export Tracks... is offered only where the file asks
// for it and its key is never written.
TEST(Settings, LaterOptionsAreOffWhenAbsentAndNotAddedUnasked)
{
    Rig rig;
    rig.home.Write("KORVAL.ini", "[Menus]\r\nTag=True\r\n");
    LoadSettings(rig.station);
    EXPECT_FALSE(rig.station.opt.mnuExtendedDecoding);
    EXPECT_FALSE(rig.station.opt.mnuExportTracks);
    SaveSettings(rig.station);
    EXPECT_EQ(FileValue(rig, "Menus", "ExtendedDecoding"), "<absent>");
    rig.station.opt.mnuExtendedDecoding = true;
    rig.station.opt.mnuExportTracks = true;
    SaveSettings(rig.station);
    EXPECT_EQ(FileValue(rig, "Menus", "ExtendedDecoding"), "True");
    EXPECT_EQ(FileValue(rig, "Menus", "ExportTracks"), "<absent>");
    EXPECT_TRUE(rig.notes.messages.empty());
}

TEST(Settings, TheBundledSettingsTurnModernDecodingOn)
{
    Rig rig;
    rig.home.Write("KORVAL.ini", test::ReadTestData("../../data/KORVAL.ini"));
    LoadSettings(rig.station);
    EXPECT_TRUE(rig.station.opt.mnuExtendedDecoding);
    EXPECT_TRUE(rig.station.opt.mnuExportTracks);
}

// ---- a full file -------------------------------------------------------------------------------

TEST(Settings, FullFileLoadsAndSavesBackUnchanged)
{
    Rig rig;
    Station& s = rig.station;
    rig.home.Write("KORVAL.ini", kFull);
    LoadSettings(s);
    EXPECT_TRUE(rig.notes.messages.empty());
    EXPECT_TRUE(s.opt.mnuAir && s.opt.mnuSBS && s.opt.mnuMapSettings && s.opt.mnuWaypoints);
    EXPECT_FALSE(s.opt.mnuSky || s.opt.mnuRepeats || s.opt.mnuShowMap2 || s.mapPlacement[1].Present);
    // Map 3 has no section: its defaults.
    EXPECT_EQ(std::tuple(s.mainPlacement.Top, s.dlg.txtServer, s.dlg.DDEFormat, s.map[1].ACIDBack, s.map[1].S,
                         s.map[1].W, s.map[2].N, s.mapPlacement[0].Width),
              std::tuple(900.5f, "MyServer", 2, -1, "-43300", "-007500", "", 6000.0f));

    // Same states: not one byte differs, comments and unknown keys included. Every option is
    // written back under its key, so one read from another key shows here.
    SaveSettings(s);
    EXPECT_EQ(rig.home.Read("KORVAL.ini"), kFull);

    s.opt.mnuSBS = false;
    s.opt.mnuMapSettings = false;  // read, never written
    s.mainPlacement.Left = 1234.25f;
    SaveSettings(s);
    std::string expected = ReplaceAll(ReplaceAll(kFull, "SBS=True", "SBS=False"), "Left=1200", "Left=1234.25");
    EXPECT_EQ(rig.home.Read("KORVAL.ini"), expected);

    s.mainMinimised = true;  // a minimised window keeps the saved placement
    s.mainPlacement.Left = 1.0f;
    SaveSettings(s);
    EXPECT_EQ(FileValue(rig, "KORVAL", "Left"), "1234.25");
}

TEST(Settings, LaterKeysLoadAfterAnEmptyOrUnusableOne)
{
    Rig rig;
    rig.home.Write("KORVAL.ini",
                   "[filters]\r\nErrors=True\r\nRepeats=\r\nSQ=maybe\r\nTooFar=True\r\n"
                   "[MENUS]\r\nBeep=True\r\n");  // no SBS key: an older layout
    LoadSettings(rig.station);
    const Options& o = rig.station.opt;
    EXPECT_TRUE(o.mnuDecErr && o.mnuTooFar && o.mnuBeep);
    EXPECT_FALSE(o.mnuRepeats || o.mnuSQ || o.mnuSBS);
    ASSERT_EQ(rig.notes.messages.size(), 2u);
    EXPECT_EQ(rig.notes.messages[0].text, kReaderMain);
    EXPECT_NE(rig.notes.messages[1].text.find("[Filters] SQ=maybe"), std::string::npos);
}

// ---- one value at a time -----------------------------------------------------------------------

struct ValueCase {
    const char* name;
    const char* section;
    const char* key;
    std::string value;
    std::string (*get)(const Station&);
    std::string expected;
    std::size_t messages;
};

class SettingValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SettingValues, LoadAs)
{
    const ValueCase& c = GetParam();
    Rig rig;
    rig.home.Write("KORVAL.ini", std::string("[") + c.section + "]\r\n" + c.key + "=" + c.value + "\r\n");
    LoadSettings(rig.station);
    EXPECT_EQ(c.get(rig.station), c.expected);
    EXPECT_EQ(rig.notes.messages.size(), c.messages);
}

using Get = std::string (*)(const Station&);
const Get TooLat = [](const Station& s) { return s.dlg.txtTooLat; };
const Get ClearTime = [](const Station& s) { return s.dlg.txtClearMapTime; };
const Get MaxPlots = [](const Station& s) { return std::to_string(s.dlg.comMaxPlot); };
const Get DDEFormat = [](const Station& s) { return std::to_string(s.dlg.DDEFormat); };
const Get SBSOnly = [](const Station& s) { return BoolText(s.dlg.chkSBS); };
const Get Airmaster = [](const Station& s) { return BoolText(s.opt.mnuAir); };
const Get Back1 = [](const Station& s) { return std::to_string(s.map[0].ACIDBack) + "|" + s.map[0].ACIDBackText; };
const Get South3 = [](const Station& s) { return s.map[2].S; };
const Get Path2 = [](const Station& s) { return s.map[1].MapPath; };
const Get MainPlaced = [](const Station& s) { return BoolText(s.mainPlacement.Present); };

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingValues,
    ::testing::Values(ValueCase{"colonIsNoAbsentMarker", "Filters", "TooLat", "1:5", TooLat, "1:5", 0},
                      ValueCase{"clockTimePadded", "Menus", "ClearMapTime", "30", ClearTime, "0030", 0},
                      ValueCase{"plotIndexPastList", "Menus", "MaxPlots", "9", MaxPlots, "0", 1},
                      ValueCase{"formatNotANumber", "Korval", "Format", "x", DDEFormat, "3", 1},
                      ValueCase{"checkBoxWord", "Menus", "SBSOnly", "True", SBSOnly, "False", 1},
                      ValueCase{"boolAsNumber", "KORVAL", "Airmaster", "1", Airmaster, "True", 0},
                      ValueCase{"colourOverflow", "Map1 Settings", "ACIDBack", "4294967295", Back1, "16777215|", 1},
                      ValueCase{"edgeRoundedToThousandths", "Map3 Settings", "S", "52.12351", South3, "52124", 0},
                      ValueCase{"placementGarbage", "Korval", "Left", "wide", MainPlaced, "False", 1},
                      ValueCase{"longPathWhole", "Map2 Settings", "MapPath", "/" + std::string(400, 'p') + ".jpg",
                                Path2, "/" + std::string(400, 'p') + ".jpg", 0}),
    test::CaseName());

// ---- bad files: defaults, a message, never a crash, nothing lost ---------------------------------

enum class Damage { Missing, Garbage, Folder, TooLarge };

struct DamageCase {
    const char* name;
    Damage damage;
    std::size_t loadMessages;
    bool saveWorks;
};

class DamagedFile : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedFile, StartsWithDefaults)
{
    const DamageCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    rig.home.Write("KORVAL.ini", kFull);
    LoadSettings(s);  // every store away from its default first
    std::filesystem::remove(s.SettingsFile());
    switch (c.damage) {
        case Damage::Missing:
            break;
        case Damage::Garbage:
            rig.home.Write("KORVAL.ini", test::ReadTestData("settings/garbage.bin"));
            break;
        case Damage::Folder:
            std::filesystem::create_directory(s.SettingsFile());
            break;
        case Damage::TooLarge:
            rig.home.Write("KORVAL.ini", std::string(IniDocument::kMaxBytes + 10, ';'));
            break;
    }
    LoadSettings(s);
    EXPECT_EQ(rig.notes.messages.size(), c.loadMessages);

    // Every store the full file changed is back at a first start's value.
    EXPECT_EQ(std::tuple(s.dlg.txtServer, s.dlg.DDEFormat, s.dlg.comMaxPlot, s.map[1].MapPath, s.map[1].ACIDBack),
              std::tuple("Set", 3, 0, "", 0xFFFFFF));
    EXPECT_FALSE(s.opt.mnuAir || s.opt.mnuPCHFDL || s.opt.mnuSBS || s.opt.mnuTag || s.opt.mnuWaypoints);
    EXPECT_FALSE(s.mainPlacement.Present || s.mapPlacement[0].Present);

    // A file that could be read keeps every byte it had in place, the settings after them.
    const std::string before = rig.home.Read("KORVAL.ini");
    s.opt.mnuTag = true;
    SaveSettings(s);
    EXPECT_EQ(rig.notes.messages.size(), c.loadMessages + (c.saveWorks ? 0 : 1));
    const std::string after = rig.home.Read("KORVAL.ini");
    EXPECT_EQ(c.saveWorks ? after.substr(0, before.size()) : after, before);
    EXPECT_EQ(FileValue(rig, "Menus", "Tag"), c.saveWorks ? "True" : "<absent>");
}

INSTANTIATE_TEST_SUITE_P(Settings, DamagedFile,
                         ::testing::Values(DamageCase{"missing", Damage::Missing, 0, true},
                                           DamageCase{"garbageBytes", Damage::Garbage, 1, true},
                                           DamageCase{"unreadable", Damage::Folder, 1, false},
                                           DamageCase{"tooLarge", Damage::TooLarge, 1, false}),
                         test::CaseName());

// ---- the dialogs' and map windows' own readers ---------------------------------------------------

struct ReaderCase {
    const char* name;
    const char* file;
    void (*load)(Station&);
    const char* message;
};

class OwnReaders : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(OwnReaders, EmptyKeyGivesTheOwnersMessage)
{
    Rig rig;
    rig.home.Write("KORVAL.ini", GetParam().file);
    GetParam().load(rig.station);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, OwnReaders,
    ::testing::Values(ReaderCase{"ddeFormat", "[Korval]\nFormat=\n", LoadDDEServerSettings,
                                 "You have not set your DDE details"},
                      ReaderCase{"wrongPlot", "[Filters]\nTooLong=\n", LoadWrongPlotSettings, "No Settings"},
                      ReaderCase{"mapWide", "[Menus]\nSBSMins=\n", LoadMapWideSettings, "You have not selected a map"},
                      ReaderCase{"mapWindow", "[Map3]\nTop=\n", [](Station& s) { LoadMapWindowPlacement(s, 3); },
                                 "An error has occurred while calling the API function"}),
    test::CaseName());

TEST(Settings, MapWindowPlacementWrittenOnItsOwn)
{
    Rig rig;
    Station& s = rig.station;
    rig.home.Write("KORVAL.ini", kFull);
    s.mapPlacement[1] = Placement{false, 10.5f, 20, 3000, 2000};
    ASSERT_TRUE(SaveMapWindowPlacement(s, 2));
    EXPECT_EQ(rig.home.Read("KORVAL.ini"),
              kFull + "\r\n[Map2]\r\nTop=20\r\nLeft=10.5\r\nHeight=2000\r\nWidth=3000\r\n");

    Station fresh(rig.home.path(), rig.clock, rig.notes);
    LoadMapWindowPlacement(fresh, 2);
    EXPECT_TRUE(fresh.mapPlacement[1].Present);
    EXPECT_EQ(fresh.mapPlacement[1].Left, 10.5f);
    EXPECT_FALSE(fresh.mapPlacement[0].Present);  // only the window asked for
    EXPECT_FALSE(SaveMapWindowPlacement(s, 0));
    EXPECT_FALSE(SaveMapWindowPlacement(s, 4));
    EXPECT_TRUE(rig.notes.messages.empty());
}

}  // namespace
}  // namespace korval
