#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "settings/ini.h"
#include "settings/profile.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Rig;

// A text as read: one value, the lines that are no setting, and the text kept byte for byte.
struct ReadCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> value;
    std::vector<std::size_t> bad;
};

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, ReadsTheValueListsBadLinesAndKeepsTheText)
{
    const ReadCase& c = GetParam();
    IniDocument doc = IniDocument::Parse(c.text);
    EXPECT_EQ(doc.Get(c.section, c.key), c.value ? std::optional<std::string_view>(*c.value) : std::nullopt);
    EXPECT_EQ(doc.BadLines(), c.bad);
    EXPECT_EQ(doc.Text(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, IniRead,
    ::testing::Values(ReadCase{"nameCase", "[KORVAL]\r\nleft=1\r\n", "Korval", "Left", "1", {}},
                      ReadCase{"blanksAroundValue", "[A]\n  k =  v w \t\n", "A", "k", "v w", {}},
                      ReadCase{"repeatedSection", "[A]\nx=1\n[B]\n[a]\nk=3\n", "A", "k", "3", {}},
                      ReadCase{"commentedOut", "; c\n\n[A]\n;k=1\n#k=2\n", "A", "k", std::nullopt, {}},
                      ReadCase{"noFinalLineEnd", "[A]\nk=1", "A", "k", "1", {}},
                      ReadCase{"byteOrderMark", "\xEF\xBB\xBF[A]\nk=1\n", "A", "k", "1", {}},
                      ReadCase{"binaryLineIsNoKey", std::string("[A]\nk=1\0\n", 9), "A", "k", std::nullopt, {2}},
                      ReadCase{"noEquals", "[A]\nnot a setting\nk=1\n", "A", "k", "1", {2}},
                      ReadCase{"orphanKey", "k=1\n[A]\n", "A", "k", std::nullopt, {1}},
                      ReadCase{"unclosedHeader", "[A\nk=1\n", "A", "k", std::nullopt, {1, 2}},
                      ReadCase{"emptyKey", "[A]\n=v\n", "A", "", std::nullopt, {2}}),
    test::CaseName());

struct SetCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

class IniSet : public ::testing::TestWithParam<SetCase> {};

TEST_P(IniSet, ChangesOnlyWhatItMust)
{
    const SetCase& c = GetParam();
    IniDocument doc = IniDocument::Parse(c.before);
    ASSERT_TRUE(doc.Set(c.section, c.key, c.value));
    EXPECT_EQ(doc.Text(), c.after);
    EXPECT_EQ(doc.Get(c.section, c.key), std::string_view(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, IniSet,
    ::testing::Values(
        SetCase{"sectionSpellingKept", "[Korval]\nLeft=1\n", "KORVAL", "Top", "5", "[Korval]\nLeft=1\nTop=5\n"},
        SetCase{"afterLastKey", "[A]\nk=1\n\n; next\n[B]\nz=1\n", "A", "j", "2", "[A]\nk=1\nj=2\n\n; next\n[B]\nz=1\n"},
        SetCase{"newSectionAtEnd", "[A]\nk=1", "B", "z", "9", "[A]\nk=1\n\n[B]\nz=9\n"},
        SetCase{"badLinesKept", "\x01junk\n[A]\nk=1\n", "A", "k", "2", "\x01junk\n[A]\nk=2\n"},
        SetCase{"byteOrderMarkKept", "\xEF\xBB\xBF[A]\r\nk=1\r\n", "A", "k", "", "\xEF\xBB\xBF[A]\r\nk=\r\n"}),
    test::CaseName());

TEST(Settings, SetRefusesWhatALineCannotHold)
{
    const std::string text = "[A]\nk=1\n";
    const std::vector<std::vector<std::string>> refused = {
        {"", "k", "v"},     {"A", "", "v"},    {"A", "k", "a\nb"},
        {"A", "k", "a\rb"}, {"A", "k=x", "v"}, {"A]", "k", "v"},
        {"A", "[k", "v"},   {"A", ";k", "v"},  {"A", "k", std::string("a\0b", 3)}};
    for (const auto& r : refused) {
        IniDocument doc = IniDocument::Parse(text);
        EXPECT_FALSE(doc.Set(r[0], r[1], r[2])) << r[0] << "/" << r[1];
        EXPECT_EQ(doc.Text(), text);
    }
}

// A write goes through a temporary file that never stays behind.
TEST(Settings, AtomicWriteLeavesNoTemporaryFile)
{
    Rig rig;
    IniDocument doc = IniDocument::Parse("[A]\r\nk=1\r\n");
    std::string reason;
    ASSERT_TRUE(WriteIniFileAtomically(rig.home.path() / "KORVAL.ini", doc, reason)) << reason;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(rig.home.path()), {}), 2);  // Logs + file

    // Links, a file too large and a folder in its place: the settings tests of the damaged file.
    std::filesystem::create_directory(rig.home.path() / "dir.ini");
    EXPECT_FALSE(WriteIniFileAtomically(rig.home.path() / "dir.ini", doc, reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(std::filesystem::is_directory(rig.home.path() / "dir.ini"));
    EXPECT_FALSE(rig.home.Exists("dir.ini.tmp-" + std::to_string(::getpid())));
}

// An owner's read of an absent key gives the file's own full path. (An empty key's owner's
// message: the loaders' and dialogs' tests.)
TEST(Settings, AbsentKeyReadsAsTheFilesPath)
{
    Rig rig;
    rig.home.Write("KORVAL.ini", "[Filters]\r\nTooLat=\r\n");
    SettingsCursor cur{"filters", "Missing", "previous"};
    EXPECT_EQ(ReadSetting(rig.station, cur, SettingsOwner::Main), ReadResult::Absent);
    EXPECT_EQ(cur.Value, rig.station.SettingsFile().string());
}

}  // namespace
}  // namespace korval
