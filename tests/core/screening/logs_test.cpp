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

struct HeaderCase {
    const char* name;
    bool reformatted, corrected, oceanic, uplink, hfdl;
    const char* header;
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
    EXPECT_EQ(LogHeader(s), c.header);

    s.opt.mnuTag = true;
    Log_Message(s);
    const std::string log = rig.home.Read("Logs/KorvalLog 051226.wdf");
    EXPECT_EQ(log.empty() ? std::string() : log.substr(0, log.find("\r\n")), c.header);
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
        HeaderCase{"oceanicCorrected", 0, 1, 1, 0, 0, "--Oceanic Message with RegFlight Corrected--"},
        HeaderCase{"nothing", 0, 0, 0, 0, 0, ""}),
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
    EXPECT_EQ(PositionLogName(rig.clock.Local()), GetParam().file);

    rig.station.opt.mnuTag = true;
    rig.station.PositionReformatted = true;
    rig.station.CurrentMessage = kDownlink;
    Log_Message(rig.station);
    EXPECT_TRUE(rig.home.Exists(std::string("Logs/") + GetParam().file));
}

INSTANTIATE_TEST_SUITE_P(
    Logs, DailyFile,
    ::testing::Values(NameCase{"lastSecondOfTheDay", {2026, 12, 5, 22, 59, 59}, 60, "KorvalLog 051226.wdf"},
                      NameCase{"halfAMinuteAfterMidnight", {2026, 12, 5, 23, 0, 30}, 60, "KorvalLog 061226.wdf"},
                      NameCase{"localBehindUtc", {2027, 1, 1, 0, 0, 30}, -60, "KorvalLog 311226.wdf"},
                      NameCase{"centuryYear", {2100, 2, 3, 4, 5, 6}, 0, "KorvalLog 030200.wdf"}),
    test::CaseName());

TEST(Logs, EntryBytesAppendedPerMessage)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuTag = true;
    s.PositionReformatted = true;
    s.CurrentMessage = "1ABC\r\n";
    Log_Message(s);
    s.CurrentMessage = "1";
    Log_Message(s);
    s.CurrentMessage = std::string("1\0\xFF", 3) + std::string(1 << 20, 'x');  // binary, a megabyte
    Log_Message(s);
    EXPECT_EQ(rig.home.Read("Logs/KorvalLog 051226.wdf"),
              "--Position Reformatted--\r\nABC\r\n\r\n"
              "--Position Reformatted--\r\n\r\n" +
                  ("--Position Reformatted--\r\n" + s.CurrentMessage.substr(1) + "\r\n"));
    EXPECT_EQ(s.box.LiveData.Text, s.CurrentMessage);
}

TEST(Logs, LiveDataShownWithTheLogOff)
{
    Rig rig;
    Station& s = rig.station;
    int told = 0;
    s.Subscribe([&](ChangeFlags f) { told += (f & ChangeLiveData) ? 1 : 0; });
    s.PositionReformatted = true;
    s.CurrentMessage = kDownlink;
    Log_Message(s);
    Clear_Flags(s);  // the next message, of the same text, is announced again
    s.PositionReformatted = true;
    Log_Message(s);
    EXPECT_EQ(s.box.LiveData.Text, kDownlink);
    EXPECT_EQ(told, 2);
    EXPECT_TRUE(std::filesystem::is_empty(rig.home.path() / "Logs"));
}

TEST(Logs, MissingLogsFolderToldOnceAndMessageStillShown)
{
    Rig rig(false);
    Station& s = rig.station;
    s.opt.mnuTag = true;
    s.PositionReformatted = true;
    const std::string first = kDownlink, second = kDownlink + "MORE\r\n";
    s.CurrentMessage = first;
    Log_Message(s);
    EXPECT_EQ(s.box.LiveData.Text, first);
    s.CurrentMessage = second;
    Log_Message(s);
    EXPECT_EQ(s.box.LiveData.Text, second);  // the parser reads this message, not the one before
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "Can't find  a Logs Folder in your Korval Folder!");
    EXPECT_EQ(rig.notes.messages[0].title, "KORVAL");
    EXPECT_EQ(rig.notes.messages[0].icon, Icon::Exclamation);

    // Each call below is a message of its own.
    auto next = [&s] {
        Clear_Flags(s);
        s.PositionReformatted = true;
        Log_Message(s);
    };
    std::filesystem::create_directory(s.LogsFolder());
    next();
    EXPECT_TRUE(rig.home.Exists("Logs/KorvalLog 051226.wdf"));
    std::filesystem::remove_all(s.LogsFolder());
    next();  // lost again after a good write: told again
    EXPECT_EQ(rig.notes.messages.size(), 2u);
}

struct RepeatCase {
    const char* name;
    bool loggedInHand;
    const char* lastHeader;
    const char* shown;
    const char* header;
    const char* text;
    bool repeats;
};

class LogRepeats : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(LogRepeats, OnlyTheSameEntryForTheSameMessageRepeats)
{
    const RepeatCase& c = GetParam();
    EXPECT_EQ(RepeatsLastEntry(c.loggedInHand, c.lastHeader, c.shown, c.header, c.text), c.repeats);
}

INSTANTIATE_TEST_SUITE_P(Logs, LogRepeats,
                         ::testing::Values(RepeatCase{"sameEntryAgain", true, "--Position Reformatted--", "1POS",
                                                      "--Position Reformatted--", "1POS", true},
                                           RepeatCase{"noHeaderTwice", true, "", "1POS", "", "1POS", true},
                                           RepeatCase{"newMessage", false, "--Position Reformatted--", "1POS",
                                                      "--Position Reformatted--", "1POS", false},
                                           RepeatCase{"headerChanged", true, "--Position Reformatted--", "1POS",
                                                      "--Position Reformatted & RegFlight Corrected--", "1POS", false},
                                           RepeatCase{"headerAppeared", true, "", "1POS", "--Oceanic Message--", "1POS",
                                                      false},
                                           RepeatCase{"textRewritten", true, "--Position Reformatted--", "1POS",
                                                      "--Position Reformatted--", "1POS2", false}),
                         [](const auto& p) { return std::string(p.param.name); });

// A counted position passes Log_Message twice (the chain's logging step and the counting step):
// one entry in the daily log and one LiveData value for the programs linked to the station.
TEST(Logs, ACountedPositionIsLoggedAndPublishedOnce)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuTag = true;
    int published = 0;
    s.Subscribe([&](ChangeFlags f) { published += (f & ChangeLiveData) ? 1 : 0; });
    auto message = [&s](bool corrected) {
        Clear_Flags(s);
        s.CurrentMessage = kDownlink;
        s.PositionReformatted = true;
        Log_Message(s);                    // the chain's logging step
        s.RegFlightCorrected = corrected;  // what happened on the way to the counting step
        Fill_Boxes(s);                     // counts, then Log_Message again
    };
    message(false);
    EXPECT_EQ(rig.home.Read("Logs/KorvalLog 051226.wdf"),
              "--Position Reformatted--\r\n" + kDownlink.substr(1) + "\r\n");
    EXPECT_EQ(published, 1);
    EXPECT_EQ(s.box.txtCount.Text, "1");

    // The same text as the next message: logged and published again.
    message(false);
    EXPECT_EQ(published, 2);
    // A header that changed on the way is a new entry.
    message(true);
    EXPECT_EQ(published, 4);
    const std::string entry = "--Position Reformatted--\r\n" + kDownlink.substr(1) + "\r\n";
    EXPECT_EQ(
        rig.home.Read("Logs/KorvalLog 051226.wdf"),
        entry + entry + entry + "--Position Reformatted & RegFlight Corrected--\r\n" + kDownlink.substr(1) + "\r\n");
    EXPECT_EQ(s.box.txtCount.Text, "3");
}

}  // namespace
}  // namespace korval
