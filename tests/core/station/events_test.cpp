// Link texts through OnLinkText: each lands in its box and runs that box's chain; a text longer
// than a link box holds is refused whole, with one error-log entry and a count, and the next text
// is processed as usual. Then the files read at start: only as regular files, with a ceiling.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <tuple>

#include "fifo_guard.h"
#include "station/events.h"
#include "station/files.h"
#include "test_support.h"
#include "tracking/lookups.h"

namespace korval {
namespace {

namespace fs = std::filesystem;
using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

const std::string kDown = Canonical(".D-ALCA", "5Z", '2', "M20A", "LH8400", "HELLO THERE\r\n");

// A downlink of exactly `length` characters: canonical header, then blank content.
std::string DownlinkOf(std::size_t length)
{
    std::string m = Canonical(".D-ALCA", "5Z", '2', "M20A", "LH8400", "");
    m.resize(length, ' ');
    return m;
}

struct SourceCase {
    const char* name;
    LinkBox box;
    std::string Station::*store;
    const char* source;  // the box, as the error log names it
    bool chained;        // a canonical text passes its normaliser unchanged into the boxes
};

// HFACARS text gets CR before every LF, and an ACARS text is no HFDL record.
constexpr SourceCase kSources[] = {
    {"airmaster", LinkBox::AirData, &Station::AirData, "AirData", true},
    {"skyspy", LinkBox::SkyData, &Station::SkyData, "SkyData", true},
    {"anad", LinkBox::ANAData, &Station::ANAData, "ANAData", true},
    {"hfdl", LinkBox::HFDL, &Station::HFDL, "HFDL", false},
    {"hfacars", LinkBox::HFACARSData, &Station::HFACARSData, "HFACARSData", false},
    {"other", LinkBox::txtNewData, &Station::txtNewData, "txtNewData", true},
};

class Ceiling : public ::testing::TestWithParam<SourceCase> {};

TEST_P(Ceiling, OneMebibyteIsRefusedWithOneEntryAndTheNextTextGoesOn)
{
    const SourceCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    int counters = 0;
    s.Subscribe([&](ChangeFlags what) { counters += (what & ChangeCounters) ? 1 : 0; });
    s.*c.store = "before";

    OnLinkText(s, c.box, std::string(1 << 20, 'X'));

    EXPECT_EQ(s.*c.store, "before");                                    // the box keeps what it had
    EXPECT_EQ(std::tuple(s.RefusedTexts, counters), std::tuple(1, 1));  // counted, and the counters told once
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"),
              "Error: 6 (Text of 1048576 characters from " + std::string(c.source) +
                  " refused; a link text holds at most 65535) at line 0 in procedure " + c.source +
                  "_Change of Module ACARS\r\n\r\n");

    OnLinkText(s, c.box, kDown);  // lands in its box and runs that box's chain
    EXPECT_EQ(s.*c.store, kDown);
    EXPECT_EQ(s.box.LiveData.Text == kDown, c.chained);
}

INSTANTIATE_TEST_SUITE_P(Events, Ceiling, ::testing::ValuesIn(kSources), test::CaseName());

TEST(Ceiling, TextsUpToTheLimitEvenBinaryAreProcessedAndEveryRefusalIsCounted)
{
    Rig rig;
    Station& s = rig.station;
    const std::string atLimit = DownlinkOf(65535);
    OnLinkText(s, LinkBox::SkyData, atLimit);
    EXPECT_EQ(s.box.LiveData.Text, atLimit);
    EXPECT_FALSE(rig.home.Exists("Logs/ErrorLog .txt"));
    for (int i = 0; i < 3; ++i) OnLinkText(s, LinkBox::SkyData, DownlinkOf(65536));
    EXPECT_EQ(s.RefusedTexts, 3);
    EXPECT_EQ(s.box.LiveData.Text, atLimit);  // a refused text reaches nothing

    // Binary bytes within the limit reach the chain, which goes on with the next text.
    std::string junk(65535, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    OnLinkText(s, LinkBox::AirData, junk);
    OnLinkText(s, LinkBox::AirData, kDown);
    EXPECT_EQ(s.box.LiveData.Text, kDown);
    EXPECT_EQ(s.RefusedTexts, 3);
}

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
    EXPECT_EQ(std::tuple(s.box.txtRepeat.Visible, s.box.Aircraft.BackColor, s.box.LiveData.BackColor, s.PositionFound,
                         s.txtMessCheck),
              std::tuple(false, colour::DarkRed, colour::PaleYellow, false, "\r\nkept"));
}

// A registration of dots only and a blank flight id leave both boxes empty, so the tracking key
// and the SBS-1 identity are the empty text. Such an aircraft is still one aircraft: its second
// position moves the record its first one made, and a route line joins them.

// A message of no identity: the register of dots, a blank flight id.
std::string NoIdentity(const char* label, const char* msgNo, const std::string& content)
{
    return Canonical(".......", label, '3', msgNo, "      ", content);
}

TEST(EmptyIdentity, AcarsPositionsMoveOneAircraftAndDrawItsRoute)
{
    Rig rig;
    Station& s = rig.station;
    OnLinkText(s, LinkBox::AirData, NoIdentity("H1", "S01A", "N 51.000,W001.000, N 51.500,W001.500,\r\n"));
    ASSERT_EQ(s.AircraftCol.Count(), 1u);
    EXPECT_EQ(s.AircraftCol.Item("")->NewLocation, "51500/-001500");
    EXPECT_EQ(s.RouteLineCol.Count(), 1u);

    // Another message keeps moving the same aircraft.
    OnLinkText(s, LinkBox::AirData, NoIdentity("H1", "S02A", "N 52.000,W002.000,\r\n"));
    ASSERT_EQ(s.AircraftCol.Count(), 1u);
    EXPECT_EQ(s.AircraftCol.Item("")->OldLocation + " " + s.AircraftCol.Item("")->NewLocation,
              "51500/-001500 52000/-002000");
    ASSERT_EQ(s.RouteLineCol.Count(), 2u);
    const RouteLine& line = *s.RouteLineCol.Item(std::size_t{2});
    EXPECT_EQ(line.OldPosition + " " + line.NewPosition, "51500/-001500 52000/-002000");
}

// An SBS-1 report: the expander rewrites "N51.50000E-1.50000" into the decimal notation.
TEST(EmptyIdentity, SbsReportsMoveOneRecord)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuSBS = true;
    OnLinkText(s, LinkBox::AirData,
               NoIdentity("_ ", "S01A", "SBS-1 position report N51.00000E-1.00000 FL35000 ft\r\n"));
    OnLinkText(s, LinkBox::AirData,
               NoIdentity("_ ", "S02A", "SBS-1 position report N51.50000E-1.50000 FL34000 ft\r\n"));
    EXPECT_EQ(s.CurrentID, "");
    EXPECT_TRUE(s.AircraftCol.Empty());
    ASSERT_EQ(s.SBSAircraftCol.Count(), 1u);
    ASSERT_TRUE(s.SBSAircraftCol.HasKey(""));
    const SBSAircraft& a = *s.SBSAircraftCol.Item("");
    EXPECT_EQ(a.OldPosition + " " + a.NewPosition, "51000/-001000 51500/-001500");
    EXPECT_EQ(a.AltChange, 1);  // 1000 ft lower: descending
}

// ---- files read at start ------------------------------------------------------------------------

// What stands at the path of a file read. (The ceiling: the data files' case below.)
enum class Kind { Nothing, Folder, Fifo, LinkToFile, DanglingLink };

struct ReadCase {
    const char* name;
    Kind kind;
    FileStatus status;
    const char* text;
};

class RegularFiles : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RegularFiles, OnlyARegularFileIsRead)
{
    const ReadCase& c = GetParam();
    test::TempHome home;
    const fs::path file = home.path() / "data.wdf";
    if (c.kind == Kind::Folder) fs::create_directory(file);
    if (c.kind == Kind::Fifo) test::MakeFifo(file);
    home.Write("real.wdf", "A=1\r\n");
    if (c.kind == Kind::LinkToFile) fs::create_symlink("real.wdf", file);
    if (c.kind == Kind::DanglingLink) fs::create_symlink("absent.wdf", file);
    FileRead read;
    EXPECT_TRUE(test::FinishesWithin(std::chrono::seconds(20), {file}, [&] { read = ReadRegularFile(file, 10); }));
    EXPECT_EQ(std::tuple(read.status, read.text, read.reason.empty()),
              std::tuple(c.status, c.text, c.status == FileStatus::Read));
}

INSTANTIATE_TEST_SUITE_P(Station, RegularFiles,
                         ::testing::Values(ReadCase{"missing", Kind::Nothing, FileStatus::Missing, ""},
                                           ReadCase{"folder", Kind::Folder, FileStatus::NotRegular, ""},
                                           ReadCase{"fifo", Kind::Fifo, FileStatus::NotRegular, ""},
                                           ReadCase{"linkToFile", Kind::LinkToFile, FileStatus::Read, "A=1\r\n"},
                                           ReadCase{"danglingLink", Kind::DanglingLink, FileStatus::Missing, ""}),
                         test::CaseName());

// A data file beyond the ceiling is an unreadable one (error 75), not a table of millions of lines.
TEST(DataFiles, BeyondTheCeilingIsUnreadable)
{
    Rig rig;
    rig.home.Write("routes.wdf", std::string(kMaxDataFileBytes + 1, 'x'));
    EXPECT_FAULT((void)ReadDataFileLines(rig.station, "routes.wdf"), 75);
    rig.home.Write("routes.wdf", std::string(kMaxDataFileBytes - 2, 'x') + "\r\n");
    EXPECT_EQ(ReadDataFileLines(rig.station, "routes.wdf").size(), 2u);
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
    fs::remove(fifo);
    test::MakeFifo(fifo);
    EXPECT_TRUE(test::FinishesWithin(std::chrono::seconds(20), {fifo}, [&] { StartUp(rig.station); }));
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    const std::string& text = rig.notes.messages[0].text;
    EXPECT_EQ(text.rfind(c.message, 0), 0u) << text;
    if (c.routes == 0 || c.regFlight == 0) {
        EXPECT_NE(text.find(" in procedure Form_Load of Form ACARS"), std::string::npos) << text;
    }
    const Station& s = rig.station;
    EXPECT_EQ(std::tuple(s.RoutesFileLines.size(), s.AircraftFileLines.size(), s.RegFlightLines.size()),
              std::tuple(c.routes, c.aircraft, c.regFlight));
    EXPECT_TRUE(fs::is_fifo(fifo));
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
    Rig rig;
    rig.clock.SetUtcTime(23, 59, 30);
    StartUp(rig.station);
    EXPECT_EQ(rig.station.MinuteCount, 23 * 60 + 59);
}

}  // namespace
}  // namespace korval
