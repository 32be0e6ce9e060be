#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "fifo_guard.h"
#include "station/events.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

const std::string kDown = Canonical(".D-ALCA", "5Z", '2', "M20A", "LH8400", "HELLO THERE\r\n");

TEST(LinkText, OtherServerWithoutFormatPassesTheTextUnnormalised)
{
    Rig rig;
    Station& s = rig.station;
    s.dlg.DDEFormat = 3;
    const std::string raw = kDown.substr(1);  // no prefix character: Airmaster_FIX would add one
    OnLinkText(s, LinkBox::txtNewData, raw);
    EXPECT_EQ(s.box.LiveData.Text, raw);
}

TEST(LinkText, HFDLTextTakesTheHFDLPathWithNormalColours)
{
    Rig rig;
    Station& s = rig.station;
    s.box.txtRepeat.Visible = true;
    s.box.Aircraft.BackColor = colour::Yellow;
    s.box.LiveData.BackColor = colour::Navy;
    s.PositionFound = true;
    s.txtMessCheck = "\r\nkept";
    // Too few fields for an HFDL record: refused by the normaliser (or, with no flight id, by the
    // HFDL path); either way nothing is screened, stored or shown.
    OnLinkText(s, LinkBox::HFDL, "not,a,record");
    EXPECT_EQ(s.HFDL, "not,a,record");
    EXPECT_FALSE(s.box.txtRepeat.Visible);
    EXPECT_EQ(s.box.Aircraft.BackColor, colour::DarkRed);
    EXPECT_EQ(s.box.LiveData.BackColor, colour::PaleYellow);
    EXPECT_FALSE(s.PositionFound);
    EXPECT_EQ(s.box.LiveData.Text, "");
    EXPECT_EQ(s.txtMessCheck, "\r\nkept");
}

TEST(LinkText, BinaryTextIsHandledAndTheNextOneProcessed)
{
    Rig rig;
    Station& s = rig.station;
    std::string junk(kLinkTextLimit, '\0');  // the longest a link box takes, so it reaches the chain
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    OnLinkText(s, LinkBox::AirData, junk);
    OnLinkText(s, LinkBox::AirData, kDown);
    EXPECT_EQ(s.box.LiveData.Text, kDown);
    EXPECT_EQ(s.box.Aircraft.Text, "D-ALCA");
}

TEST(StartUp, MissingTablesAreEmpty)
{
    Rig rig;
    rig.home.Write("KORVAL.ini", test::ReadTestData("chain/KORVAL.ini"));
    StartUp(rig.station);
    EXPECT_TRUE(rig.notes.messages.empty());
    EXPECT_TRUE(rig.station.RoutesFileLines.empty());
    EXPECT_TRUE(rig.station.AircraftFileLines.empty());
    EXPECT_TRUE(rig.station.RegFlightLines.empty());
}

// A FIFO in place of a file read at start is an unreadable file, taken as one at once: nothing
// waits for a writer, and start-up ends with that file's usual message.
struct FifoCase {
    const char* name;
    const char* file;
    const char* message;                      // start of the one message
    std::size_t routes, aircraft, regFlight;  // lines loaded
};

class StartUpFifo : public ::testing::TestWithParam<FifoCase> {};

TEST_P(StartUpFifo, IsAnUnreadableFileAndStartUpCompletes)
{
    const FifoCase& c = GetParam();
    Rig rig;
    rig.home.Write("KORVAL.ini", test::ReadTestData("chain/KORVAL.ini"));
    rig.home.Write("routes.wdf", "UP6567=CGN-EMA-SDF\r\n");
    rig.home.Write("aircraft.wdf", "N923UP=B767\r\n");
    rig.home.Write("RegFlight.wdf", ".N923UP;.N923UX;;\r\n");
    const auto fifo = rig.home.path() / c.file;
    std::filesystem::remove(fifo);
    test::MakeFifo(fifo);
    EXPECT_TRUE(test::FinishesWithin(std::chrono::seconds(20), {fifo}, [&] { StartUp(rig.station); }));
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    const std::string& text = rig.notes.messages[0].text;
    EXPECT_EQ(text.rfind(c.message, 0), 0u) << text;
    if (c.routes == 0 || c.regFlight == 0) {
        EXPECT_NE(text.find(" in procedure Form_Load of Form ACARS"), std::string::npos) << text;
    }
    EXPECT_EQ(rig.station.RoutesFileLines.size(), c.routes);
    EXPECT_EQ(rig.station.AircraftFileLines.size(), c.aircraft);
    EXPECT_EQ(rig.station.RegFlightLines.size(), c.regFlight);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// The first unreadable table ends the start-up's loading, as a folder in its place does.
INSTANTIATE_TEST_SUITE_P(
    Events, StartUpFifo,
    ::testing::Values(FifoCase{"settings", "KORVAL.ini", "Can't read your Korval settings file ", 2, 2, 2},
                      FifoCase{"routes", "routes.wdf", "Error 75 (Path/File access error) at line ", 0, 0, 0},
                      FifoCase{"regFlight", "RegFlight.wdf", "Error 75 (Path/File access error) at line ", 2, 2, 0}),
    test::CaseName());

TEST(StartUp, MinuteCountIsTheMinuteOfTheUtcDay)
{
    test::Rig rig;
    rig.clock.SetUtcTime(23, 59, 30);
    StartUp(rig.station);
    EXPECT_EQ(rig.station.MinuteCount, 23 * 60 + 59);
}

}  // namespace
}  // namespace korval
