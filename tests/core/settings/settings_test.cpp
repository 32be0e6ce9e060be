#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fifo_guard.h"
#include "settings/ini.h"
#include "settings/settings.h"
#include "test_support.h"
#include "text/convert.h"

namespace korval {
namespace {

namespace fs = std::filesystem;
using korval::test::PrintTo;
using test::Rig;

const std::string kFull = test::ReadTestData("settings/full.ini");

std::string FileValue(const fs::path& file, const char* section, const char* key)
{
    const IniFileRead read = ReadIniFile(file);
    auto v = read.doc.Get(section, key);
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
    EXPECT_FALSE(rig.station.opt.mnuExtendedDecoding || rig.station.opt.mnuExportTracks);
    SaveSettings(rig.station);
    EXPECT_EQ(FileValue(rig.station.SettingsFile(), "Menus", "ExtendedDecoding"), "<absent>");
    rig.station.opt.mnuExtendedDecoding = true;
    rig.station.opt.mnuExportTracks = true;
    SaveSettings(rig.station);
    EXPECT_EQ(FileValue(rig.station.SettingsFile(), "Menus", "ExtendedDecoding"), "True");
    EXPECT_EQ(FileValue(rig.station.SettingsFile(), "Menus", "ExportTracks"), "<absent>");

    Rig bundled;  // the bundled settings turn both on
    bundled.home.Write("KORVAL.ini", test::ReadTestData("../../data/KORVAL.ini"));
    LoadSettings(bundled.station);
    EXPECT_TRUE(bundled.station.opt.mnuExtendedDecoding && bundled.station.opt.mnuExportTracks);
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
    EXPECT_EQ(FileValue(rig.station.SettingsFile(), "KORVAL", "Left"), "1234.25");
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
    EXPECT_EQ(rig.notes.messages[0].text, "An error has occurred checking your Korval settings");
    EXPECT_NE(rig.notes.messages[1].text.find("[Filters] SQ=maybe"), std::string::npos);
}

// ---- one value at a time -----------------------------------------------------------------------

// The stores a value of the table below goes to, as "key=value" texts between blanks.
std::string Stores(const Station& s)
{
    return " TooLat=" + s.dlg.txtTooLat + " ClearMapTime=" + s.dlg.txtClearMapTime +
           " MaxPlots=" + std::to_string(s.dlg.comMaxPlot) + " Format=" + std::to_string(s.dlg.DDEFormat) +
           " SBSOnly=" + BoolText(s.dlg.chkSBS) + " Airmaster=" + BoolText(s.opt.mnuAir) +
           " Back1=" + std::to_string(s.map[0].ACIDBack) + "|" + s.map[0].ACIDBackText + " S3=" + s.map[2].S +
           " Path2=" + s.map[1].MapPath + " MainPlaced=" + BoolText(s.mainPlacement.Present) +
           " Map3Placed=" + BoolText(s.mapPlacement[2].Present) + " ";
}

// A file of one key read by one owner: the store it leaves, and a part of the one message.
struct ValueCase {
    const char* name;
    std::string file;
    std::string store;
    const char* message;  // nullptr: none
    void (*load)(Station&) = LoadSettings;
};

class SettingValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(SettingValues, LoadAs)
{
    const ValueCase& c = GetParam();
    Rig rig;
    rig.home.Write("KORVAL.ini", c.file);
    c.load(rig.station);
    EXPECT_NE(Stores(rig.station).find(" " + c.store + " "), std::string::npos) << Stores(rig.station);
    ASSERT_EQ(rig.notes.messages.size(), c.message ? 1u : 0u);
    for (const auto& m : rig.notes.messages) EXPECT_NE(m.text.find(c.message), std::string::npos) << m.text;
}

const std::string kLongPath = "/" + std::string(400, 'p') + ".jpg";

// A value that does not convert keeps its default and is named in the load's one message; an
// empty one gives its owner's message.
INSTANTIATE_TEST_SUITE_P(
    Settings, SettingValues,
    ::testing::Values(
        ValueCase{"colonIsNoAbsentMarker", "[Filters]\nTooLat=1:5\n", "TooLat=1:5", nullptr},
        ValueCase{"clockTimePadded", "[Menus]\nClearMapTime=30\n", "ClearMapTime=0030", nullptr},
        ValueCase{"plotIndexPastList", "[Menus]\nMaxPlots=9\n", "MaxPlots=0", "MaxPlots=9"},
        ValueCase{"formatNotANumber", "[Korval]\nFormat=x\n", "Format=3", "Format=x"},
        ValueCase{"checkBoxWord", "[Menus]\nSBSOnly=True\n", "SBSOnly=False", "SBSOnly=True"},
        ValueCase{"boolAsNumber", "[KORVAL]\nAirmaster=1\n", "Airmaster=True", nullptr},
        ValueCase{"colourOverflow", "[Map1 Settings]\nACIDBack=4294967295\n", "Back1=16777215|", "ACIDBack=4294967295"},
        ValueCase{"edgeRoundedToThousandths", "[Map3 Settings]\nS=52.12351\n", "S3=52124", nullptr},
        ValueCase{"placementGarbage", "[Korval]\nLeft=wide\n", "MainPlaced=False", "Left=wide"},
        ValueCase{"longPathWhole", "[Map2 Settings]\nMapPath=" + kLongPath + "\n", "Path2=" + kLongPath, nullptr},
        ValueCase{"ddeFormatEmpty", "[Korval]\nFormat=\n", "Format=3", "You have not set your DDE details",
                  LoadDDEServerSettings},
        ValueCase{"wrongPlotEmpty", "[Filters]\nTooLat=\n", "TooLat=8", "No Settings", LoadWrongPlotSettings},
        ValueCase{"mapWideEmpty", "[Menus]\nMaxPlots=\n", "MaxPlots=0", "You have not selected a map",
                  LoadMapWideSettings},
        ValueCase{"mapWindowEmpty", "[Map3]\nTop=\n", "Map3Placed=False",
                  "An error has occurred while calling the API function",
                  [](Station& s) { LoadMapWindowPlacement(s, 3); }}),
    test::CaseName());

// ---- bad files: defaults, a message, never a crash, nothing lost ---------------------------------

// The settings file's content; none when it is absent. (A file that cannot be read at all: the
// FIFO case of the saving tests.)
struct DamageCase {
    const char* name;
    std::optional<std::string> content;
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
    fs::remove(s.SettingsFile());
    if (c.content) rig.home.Write("KORVAL.ini", *c.content);
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
    EXPECT_EQ(FileValue(rig.station.SettingsFile(), "Menus", "Tag"), c.saveWorks ? "True" : "<absent>");
}

INSTANTIATE_TEST_SUITE_P(
    Settings, DamagedFile,
    ::testing::Values(DamageCase{"missing", std::nullopt, 0, true},
                      DamageCase{"garbageBytes", test::ReadTestData("settings/garbage.bin"), 1, true},
                      DamageCase{"tooLarge", std::string(IniDocument::kMaxBytes + 10, ';'), 1, false}),
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
    // Only the window asked for.
    EXPECT_EQ(std::tuple(fresh.mapPlacement[1].Present, fresh.mapPlacement[1].Left, fresh.mapPlacement[0].Present),
              std::tuple(true, 10.5f, false));
    EXPECT_FALSE(SaveMapWindowPlacement(s, 0) || SaveMapWindowPlacement(s, 4));
    EXPECT_TRUE(rig.notes.messages.empty());
}

// ---- numbers are written back as the user wrote them ------------------------------------------

struct NumberCase {
    const char* name;
    std::optional<float> movedTo;  // the window moved before the save; nullopt when it stayed
    const char* saved;
};

class PlacementNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(PlacementNumbers, SavedAsWritten)
{
    const NumberCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    // Single precision holds 99999999 as 1E8.
    rig.home.Write("KORVAL.ini",
                   "[KORVAL]\r\nLeft=99999999\r\nTop=0120\r\nWidth=6000\r\nHeight=4500.50\r\n"
                   "[Map1]\r\nTop=1\r\nLeft=99999999\r\nHeight=1e3\r\nWidth=2000\r\n");
    LoadSettings(s);
    ASSERT_TRUE(s.mainPlacement.Present);
    if (c.movedTo) {
        s.mainPlacement.Left = *c.movedTo;
        s.mapPlacement[0].Left = *c.movedTo;
    }
    SaveSettings(s);
    ASSERT_TRUE(SaveMapWindowPlacement(s, 1));
    EXPECT_EQ(FileValue(s.SettingsFile(), "KORVAL", "Left"), c.saved);
    EXPECT_EQ(FileValue(s.SettingsFile(), "Map1", "Left"), c.saved);
    // The keys that stayed keep their text too.
    EXPECT_EQ(FileValue(s.SettingsFile(), "KORVAL", "Top"), "0120");
    EXPECT_EQ(FileValue(s.SettingsFile(), "Map1", "Height"), "1e3");
}

INSTANTIATE_TEST_SUITE_P(Settings, PlacementNumbers,
                         ::testing::Values(
                             // The text is kept, not rewritten as "1e+08".
                             NumberCase{"eightNines", std::nullopt, "99999999"},
                             NumberCase{"movedToAHugeValue", 2e8f, "200000000"},
                             // 99999999 again, but from the window: the same single as the file's text, so it stays.
                             NumberCase{"movedToTheSameSingle", 99999999.0f, "99999999"}),
                         test::CaseName());

// ---- a settings file that is a link ------------------------------------------------------------

// A chain of links to the settings file's target: each names the next, relative to where it
// stands; "@" starts an absolute name in another folder, "/" one in the program folder, and "^"
// stands for the other folder's name. `exists`: the target is a file.
struct LinkCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> links;  // link, what it names
    const char* target;
    bool exists;
    bool written;
};

class SettingsLink : public ::testing::TestWithParam<LinkCase> {};

// Written through only to a file that exists inside the program folder; otherwise the save
// refuses with its message and creates or changes nothing anywhere.
TEST_P(SettingsLink, WrittenThroughOnlyToAFileInsideTheFolder)
{
    const LinkCase& c = GetParam();
    Rig rig;
    test::TempHome elsewhere;
    const auto place = [&](const std::string& name) {
        return name[0] == '@' ? elsewhere.path() / name.substr(1) : rig.home.path() / name;
    };
    const auto text = [&](const std::string& name) {  // what a link says
        if (name[0] == '@' || name[0] == '/') return place(name[0] == '/' ? name.substr(1) : name);
        return fs::path(ReplaceAll(name, "^", elsewhere.path().filename().string()));
    };
    fs::create_directory(rig.home.path() / "conf");
    fs::create_directory(rig.home.path() / "folder.ini");
    for (const auto& [link, names] : c.links) fs::create_symlink(text(names), place(link));
    const fs::path target = place(c.target);
    if (c.exists) std::ofstream(target, std::ios::binary) << "[Menus]\r\nTag=False\r\n";

    rig.station.opt.mnuTag = true;
    SaveSettings(rig.station);

    EXPECT_TRUE(fs::is_symlink(rig.station.SettingsFile()));  // never replaced by a file
    EXPECT_EQ(rig.notes.messages.size(), c.written ? 0u : 1u);
    EXPECT_EQ(FileValue(target, "Menus", "Tag"), c.written ? "True" : c.exists ? "False" : "<absent>");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Settings, SettingsLink, ::testing::Values(
    LinkCase{"toFileInside", {{"KORVAL.ini", "real.ini"}}, "real.ini", true, true},
    LinkCase{"toFileInSubfolder", {{"KORVAL.ini", "conf/real.ini"}}, "conf/real.ini", true, true},
    LinkCase{"throughTwoLinksInside", {{"second.ini", "real.ini"}, {"KORVAL.ini", "/second.ini"}}, "real.ini", true, true},
    LinkCase{"danglingInside", {{"KORVAL.ini", "absent.ini"}}, "absent.ini", false, false},
    LinkCase{"toFolderInside", {{"KORVAL.ini", "folder.ini"}}, "folder.ini", false, false},
    LinkCase{"toFileOutside", {{"KORVAL.ini", "@KORVAL.ini"}}, "@KORVAL.ini", true, false},
    LinkCase{"upAndBackOut", {{"KORVAL.ini", "../^/KORVAL.ini"}}, "@KORVAL.ini", true, false},
    LinkCase{"throughAnInsideLinkToOutside", {{"second.ini", "@KORVAL.ini"}, {"KORVAL.ini", "second.ini"}},
             "@KORVAL.ini", true, false}
), test::CaseName());
// clang-format on

// ---- a FIFO in place of the settings file ------------------------------------------------------

// Nothing waits for a writer: every reader takes the FIFO as an unreadable file (defaults, the
// load's one message) and every writer refuses it with its message, leaving it a FIFO.
TEST(Settings, FifoIsAnUnreadableFileAndNothingWaits)
{
    Rig rig;
    Station& s = rig.station;
    test::MakeFifo(s.SettingsFile());
    s.mainPlacement = Placement{true, 1, 2, 3, 4};
    s.mapPlacement[0] = Placement{true, 1, 2, 3, 4};
    EXPECT_TRUE(test::FinishesWithin(std::chrono::seconds(20), {s.SettingsFile()}, [&] {
        LoadSettings(s);
        LoadDDEServerSettings(s);
        LoadWrongPlotSettings(s);
        LoadMapWideSettings(s);
        LoadMapWindowPlacement(s, 1);
        SaveSettings(s);
        SaveMapWindowPlacement(s, 1);
    }));
    ASSERT_EQ(rig.notes.messages.size(), 3u);
    EXPECT_EQ(rig.notes.messages[0].text, "Can't read your Korval settings file " + s.SettingsFile().string() +
                                              " (it is not a regular file); the default settings are used");
    EXPECT_EQ(rig.notes.messages[1].text, "An error has occurred saving your settings");
    EXPECT_EQ(rig.notes.messages[2].text, "An error has occurred while calling the API function");
    EXPECT_EQ(s.dlg.txtTooLat, "8");
    EXPECT_EQ(s.dlg.txtSBSOldPlotLimit, "15");
    EXPECT_TRUE(fs::is_fifo(s.SettingsFile()));
}

}  // namespace
}  // namespace korval
