#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
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

std::string FileValue(const fs::path& file, const char* section, const char* key)
{
    const IniFileRead read = ReadIniFile(file);
    auto v = read.doc.Get(section, key);
    return v ? std::string(*v) : "<absent>";
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
    EXPECT_TRUE(rig.notes.messages.empty());
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
    Station& s = rig.station;
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

    s.opt.mnuTag = true;
    SaveSettings(s);

    EXPECT_TRUE(fs::is_symlink(s.SettingsFile()));  // never replaced by a file
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
    const bool inTime = test::FinishesWithin(std::chrono::seconds(20), {s.SettingsFile()}, [&] {
        LoadSettings(s);
        LoadDDEServerSettings(s);
        LoadWrongPlotSettings(s);
        LoadMapWideSettings(s);
        LoadMapWindowPlacement(s, 1);
        SaveSettings(s);
        SaveMapWindowPlacement(s, 1);
    });
    EXPECT_TRUE(inTime);
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
