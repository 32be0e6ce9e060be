#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "screening/dispatch.h"
#include "screening/logs.h"
#include "station/mainwindow.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

const std::string kDownlink = Canonical(".G-ABCD", "H1", '2', " M01A", "BA0123", "POSN52500W020000\r\n");
const std::string kUplink = Canonical(".G-ABCD", "H1", 'A', " M01A", "BA0123", "REQPOS\r\n");

// A message of its own through the logging step, with a header to write.
void LogOne(Station& s, const std::string& text)
{
    Clear_Flags(s);
    s.PositionReformatted = true;
    s.CurrentMessage = text;
    Log_Message(s);
}

struct HeaderCase {
    const char* name;
    bool reformatted, corrected, oceanic, uplink, hfdl;
    const char* header;  // the first line written ("" for none)
};

class LogHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(LogHeaders, FirstRuleThatHolds)
{
    const HeaderCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.CurrentMessage = c.uplink ? kUplink : kDownlink;
    s.PositionReformatted = c.reformatted;
    s.RegFlightCorrected = c.corrected;
    s.OceanicMessage = c.oceanic;
    s.HFDLMessage = c.hfdl;
    s.opt.mnuTag = true;
    Log_Message(s);
    const std::string log = rig.home.Read("Logs/KorvalLog 051226.wdf");
    EXPECT_EQ(log.substr(0, log.find("\r\n")), c.header);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, LogHeaders,
    ::testing::Values(
        //          name                     P  R  O  U  HF
        HeaderCase{"reformattedCorrected", 1, 1, 0, 0, 0, "--Position Reformatted & RegFlight Corrected--"},
        HeaderCase{"uplinkReformatted", 1, 0, 0, 1, 0, ""},
        HeaderCase{"oceanicReformatted", 1, 0, 1, 0, 0, "--Position Reformatted--"},
        HeaderCase{"uplinkOceanic", 0, 0, 1, 1, 0, "--Oceanic Message--"},
        HeaderCase{"hfdl", 0, 0, 0, 0, 1, "--HF ACARS Position Reformatted--"},
        HeaderCase{"oceanicCorrected", 0, 1, 1, 0, 0, "--Oceanic Message with RegFlight Corrected--"}),
    test::CaseName());

struct NameCase {
    const char* name;
    DateTime utc;
    int offsetMinutes;
    const char* file;
};

class DailyFile : public ::testing::TestWithParam<NameCase> {};

TEST_P(DailyFile, FollowsTheLocalDate)
{
    Rig rig;
    rig.clock.Set(GetParam().utc);
    rig.clock.SetLocalOffsetMinutes(GetParam().offsetMinutes);
    rig.station.opt.mnuTag = true;
    LogOne(rig.station, kDownlink);
    EXPECT_TRUE(rig.home.Exists(std::string("Logs/") + GetParam().file));
}

INSTANTIATE_TEST_SUITE_P(
    Logs, DailyFile,
    ::testing::Values(NameCase{"halfAMinuteAfterMidnight", {2026, 12, 5, 23, 0, 30}, 60, "KorvalLog 061226.wdf"},
                      NameCase{"localBehindUtc", {2027, 1, 1, 0, 0, 30}, -60, "KorvalLog 311226.wdf"},
                      NameCase{"centuryYear", {2100, 2, 3, 4, 5, 6}, 0, "KorvalLog 030200.wdf"}),
    test::CaseName());

// With the log off every message is still shown and announced, the same text again too; with it
// on each message appends its entry, byte for byte.
TEST(Logs, LiveDataShownWithTheLogOffAndEntryBytesAppendedPerMessage)
{
    Rig rig;
    Station& s = rig.station;
    int told = 0;
    s.Subscribe([&](ChangeFlags f) { told += (f & ChangeLiveData) ? 1 : 0; });
    LogOne(s, kDownlink);
    LogOne(s, kDownlink);
    EXPECT_EQ(s.box.LiveData.Text, kDownlink);
    EXPECT_EQ(told, 2);
    EXPECT_TRUE(std::filesystem::is_empty(rig.home.path() / "Logs"));
    s.opt.mnuTag = true;
    LogOne(s, "1ABC\r\n");
    LogOne(s, "1");
    LogOne(s, std::string("1\0\xFF", 3) + std::string(1 << 20, 'x'));  // binary, a megabyte
    EXPECT_EQ(rig.home.Read("Logs/KorvalLog 051226.wdf"),
              "--Position Reformatted--\r\nABC\r\n\r\n"
              "--Position Reformatted--\r\n\r\n" +
                  ("--Position Reformatted--\r\n" + s.CurrentMessage.substr(1) + "\r\n"));
    EXPECT_EQ(s.box.LiveData.Text, s.CurrentMessage);
}

TEST(Logs, MissingLogsFolderToldOnceAndMessageStillShown)
{
    Rig rig(false);
    Station& s = rig.station;
    s.opt.mnuTag = true;
    LogOne(s, kDownlink);
    LogOne(s, kDownlink + "MORE\r\n");
    EXPECT_EQ(s.box.LiveData.Text, kDownlink + "MORE\r\n");  // the parser reads this message, not the one before
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    const auto& told = rig.notes.messages[0];
    EXPECT_EQ(std::tie(told.text, told.title, told.icon),
              std::tuple("Can't find  a Logs Folder in your Korval Folder!", "KORVAL", Icon::Exclamation));
    std::filesystem::create_directory(s.LogsFolder());
    LogOne(s, kDownlink);
    EXPECT_TRUE(rig.home.Exists("Logs/KorvalLog 051226.wdf"));
    std::filesystem::remove_all(s.LogsFolder());
    LogOne(s, kDownlink);  // lost again after a good write: told again
    EXPECT_EQ(rig.notes.messages.size(), 2u);
}

struct RepeatCase {
    const char* name;
    bool loggedInHand;
    const char *lastHeader, *shown, *header, *text;
    bool repeats;
};

class LogRepeats : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(LogRepeats, OnlyTheSameEntryForTheSameMessageRepeats)
{
    const RepeatCase& c = GetParam();
    EXPECT_EQ(RepeatsLastEntry(c.loggedInHand, c.lastHeader, c.shown, c.header, c.text), c.repeats);
}

// (a new message and a changed header are the counted position's case below)
INSTANTIATE_TEST_SUITE_P(Logs, LogRepeats,
                         ::testing::Values(RepeatCase{"sameEntryAgain", true, "--H--", "1POS", "--H--", "1POS", true},
                                           RepeatCase{"noHeaderTwice", true, "", "1POS", "", "1POS", true},

                                           RepeatCase{"textRewritten", true, "--H--", "1POS", "--H--", "1POS2", false}),
                         test::CaseName());

// A counted position passes Log_Message twice (the chain's logging step and the counting step):
// one entry in the daily log and one LiveData value for the programs linked to the station.
TEST(Logs, ACountedPositionIsLoggedAndPublishedOnce)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuTag = true;
    int told = 0;
    s.Subscribe([&](ChangeFlags f) { told += (f & ChangeLiveData) ? 1 : 0; });
    std::string published;
    // The same text as the next message is logged and published again; a header that changed
    // on the way is a new entry.
    for (bool corrected : {false, false, true}) {
        LogOne(s, kDownlink);              // the chain's logging step
        s.RegFlightCorrected = corrected;  // what happened on the way to the counting step
        Fill_Boxes(s);                     // counts, then Log_Message again
        published += std::to_string(told) + " ";
    }
    EXPECT_EQ(published, "1 2 4 ");
    const std::string entry = "--Position Reformatted--\r\n" + kDownlink.substr(1) + "\r\n";
    EXPECT_EQ(
        rig.home.Read("Logs/KorvalLog 051226.wdf"),
        entry + entry + entry + "--Position Reformatted & RegFlight Corrected--\r\n" + kDownlink.substr(1) + "\r\n");
    EXPECT_EQ(s.box.txtCount.Text, "3");
}

}  // namespace
}  // namespace korval
