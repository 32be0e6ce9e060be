#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "fifo_guard.h"
#include "settings/ini.h"
#include "settings/settings.h"
#include "test_support.h"

namespace korval {
namespace {

namespace fs = std::filesystem;
using test::Rig;

constexpr const char* kSaveError = "An error has occurred saving your settings";

std::string FileValue(const fs::path& file, const char* section, const char* key)
{
    const IniFileRead read = ReadIniFile(file);
    auto v = read.doc.Get(section, key);
    return v ? std::string(*v) : "<absent>";
}

// ---- numbers are written back as the user wrote them ------------------------------------------

struct NumberCase {
    const char* name;
    const char* written;           // the Left value in the file
    std::optional<float> movedTo;  // the window moved before the save; nullopt when it stayed
    const char* saved;
};

class PlacementNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(PlacementNumbers, SavedAsWritten)
{
    const NumberCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    const std::string file = std::string("[KORVAL]\r\nLeft=") + c.written +
                             "\r\nTop=0120\r\nWidth=6000\r\nHeight=4500.50\r\n[Map1]\r\nTop=1\r\nLeft=" + c.written +
                             "\r\nHeight=1e3\r\nWidth=2000\r\n";
    rig.home.Write("KORVAL.ini", file);
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
    EXPECT_EQ(FileValue(s.SettingsFile(), "KORVAL", "Height"), "4500.50");
    EXPECT_EQ(FileValue(s.SettingsFile(), "Map1", "Height"), "1e3");
}

INSTANTIATE_TEST_SUITE_P(Settings, PlacementNumbers,
                         ::testing::Values(
                             // Single precision holds 99999999 as 1E8: the text is kept, not rewritten as "1e+08".
                             NumberCase{"eightNines", "99999999", std::nullopt, "99999999"},
                             NumberCase{"movedToAHugeValue", "99999999", 2e8f, "200000000"},
                             NumberCase{"movedToAFraction", "99999999", 1234.25f, "1234.25"},
                             // 99999999 again, but from the window: the same single as the file's text, so it stays.
                             NumberCase{"movedToTheSameSingle", "99999999", 99999999.0f, "99999999"}),
                         [](const auto& param) { return std::string(param.param.name); });

// ---- a settings file that is a link ------------------------------------------------------------

enum class Link {
    ToFileInside,
    ToFileInSubfolder,
    ThroughTwoLinksInside,
    DanglingInside,
    ToFolderInside,
    ToFileOutside,
    DanglingOutside,
    UpAndBackOut,
    ThroughAnInsideLinkToOutside,
};

struct LinkCase {
    const char* name;
    Link link;
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
    const fs::path home = rig.home.path();
    const std::string original = "[Menus]\r\nTag=False\r\n";
    fs::path target;  // the file the link finally names
    switch (c.link) {
        case Link::ToFileInside:
            target = home / "real.ini";
            fs::create_symlink("real.ini", s.SettingsFile());
            break;
        case Link::ToFileInSubfolder:
            target = home / "conf" / "real.ini";
            fs::create_directory(home / "conf");
            fs::create_symlink("conf/real.ini", s.SettingsFile());
            break;
        case Link::ThroughTwoLinksInside:
            target = home / "real.ini";
            fs::create_symlink("real.ini", home / "second.ini");
            fs::create_symlink(home / "second.ini", s.SettingsFile());
            break;
        case Link::DanglingInside:
            target = home / "absent.ini";
            fs::create_symlink("absent.ini", s.SettingsFile());
            break;
        case Link::ToFolderInside:
            fs::create_directory(home / "folder.ini");
            fs::create_symlink("folder.ini", s.SettingsFile());
            break;
        case Link::ToFileOutside:
            target = elsewhere.path() / "KORVAL.ini";
            fs::create_symlink(target, s.SettingsFile());
            break;
        case Link::DanglingOutside:
            target = elsewhere.path() / "absent.ini";
            fs::create_symlink(target, s.SettingsFile());
            break;
        case Link::UpAndBackOut:
            target = elsewhere.path() / "KORVAL.ini";
            fs::create_symlink(fs::path("..") / elsewhere.path().filename() / "KORVAL.ini", s.SettingsFile());
            break;
        case Link::ThroughAnInsideLinkToOutside:
            target = elsewhere.path() / "KORVAL.ini";
            fs::create_symlink(target, home / "second.ini");
            fs::create_symlink("second.ini", s.SettingsFile());
            break;
    }
    const bool targetExists =
        c.link != Link::DanglingInside && c.link != Link::DanglingOutside && c.link != Link::ToFolderInside;
    if (targetExists) {
        std::ofstream(target, std::ios::binary) << original;
    }

    s.opt.mnuTag = true;
    SaveSettings(s);

    EXPECT_TRUE(fs::is_symlink(s.SettingsFile()));  // never replaced by a file
    if (c.written) {
        EXPECT_TRUE(rig.notes.messages.empty());
        EXPECT_EQ(FileValue(target, "Menus", "Tag"), "True");
    } else {
        ASSERT_EQ(rig.notes.messages.size(), 1u);
        EXPECT_EQ(rig.notes.messages[0].text, kSaveError);
        if (targetExists) {
            std::ifstream in(target, std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), original);
        } else if (!target.empty()) {
            EXPECT_FALSE(fs::exists(target));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Settings, SettingsLink,
                         ::testing::Values(LinkCase{"toFileInside", Link::ToFileInside, true},
                                           LinkCase{"toFileInSubfolder", Link::ToFileInSubfolder, true},
                                           LinkCase{"throughTwoLinksInside", Link::ThroughTwoLinksInside, true},
                                           LinkCase{"danglingInside", Link::DanglingInside, false},
                                           LinkCase{"toFolderInside", Link::ToFolderInside, false},
                                           LinkCase{"toFileOutside", Link::ToFileOutside, false},
                                           LinkCase{"danglingOutside", Link::DanglingOutside, false},
                                           LinkCase{"upAndBackOut", Link::UpAndBackOut, false},
                                           LinkCase{"throughAnInsideLinkToOutside", Link::ThroughAnInsideLinkToOutside,
                                                    false}),
                         [](const auto& param) { return std::string(param.param.name); });

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
    EXPECT_EQ(rig.notes.messages[1].text, kSaveError);
    EXPECT_EQ(rig.notes.messages[2].text, "An error has occurred while calling the API function");
    EXPECT_EQ(s.dlg.txtTooLat, "8");
    EXPECT_EQ(s.dlg.txtSBSOldPlotLimit, "15");
    EXPECT_TRUE(fs::is_fifo(s.SettingsFile()));
}

}  // namespace
}  // namespace korval
