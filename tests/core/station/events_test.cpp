// Link texts through OnLinkText: each lands in its box and runs that box's chain; a text longer
// than a link box holds is refused whole, with one error-log entry and a count, and the next text
// is processed as usual. Then the files read at start: only as regular files, with a ceiling. Then
// messages of slow shapes, through the whole chain.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <tuple>

#include "fifo_guard.h"
#include "golden.h"
#include "message_shapes.h"
#include "station/events.h"
#include "station/files.h"
#include "test_support.h"
#include "text/convert.h"
#include "tracking/lookups.h"

namespace korval {
namespace {

namespace fs = std::filesystem;
using korval::test::PrintTo;
using shapes::Shape;
using test::Canonical;
using test::EscapeBytes;
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
    s.txtMessCheck = "\r\nkept";
    // Too few fields for an HFDL record: refused by the normaliser (or, with no flight id, by the
    // HFDL path); either way nothing is screened, stored or shown.
    OnLinkText(s, LinkBox::HFDL, "not,a,record");
    // The display is reset as for every message (the dispatch tests check every part of it).
    EXPECT_EQ(std::tuple(s.box.txtRepeat.Visible, s.box.Aircraft.BackColor, s.txtMessCheck),
              std::tuple(false, colour::DarkRed, "\r\nkept"));
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
    // Another message keeps moving the same aircraft, from where the first left it.
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
    ASSERT_EQ(s.SBSAircraftCol.Count(), 1u);
    ASSERT_TRUE(s.SBSAircraftCol.HasKey(""));
    const SBSAircraft& a = *s.SBSAircraftCol.Item("");
    // 1000 ft lower: descending.
    EXPECT_EQ(std::tuple(a.OldPosition, a.NewPosition, a.AltChange, s.CurrentID, s.AircraftCol.Count()),
              std::tuple("51000/-001000", "51500/-001500", 1, "", 0u));
}

// ---- files read at start ------------------------------------------------------------------------

// What stands at the path of a file read. (The ceiling: the data files' case below.)
enum class Kind { Nothing, Fifo, LinkToFile, DanglingLink };

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
    const char *message, *end;                // start and end of the one message
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
    EXPECT_TRUE(text.starts_with(c.message) && text.ends_with(c.end)) << text;
    const Station& s = rig.station;
    EXPECT_EQ(std::tuple(s.RoutesFileLines.size(), s.AircraftFileLines.size(), s.RegFlightLines.size()),
              std::tuple(c.routes, c.aircraft, c.regFlight));
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// The first unreadable table ends the start-up's loading, as a folder in its place does.
constexpr const char* kError75 = "Error 75 (Path/File access error) at line ";
constexpr const char* kFormLoad = " in procedure Form_Load of Form ACARS";
INSTANTIATE_TEST_SUITE_P(Events, StartUpFifo,
                         ::testing::Values(FifoCase{"settings", "KORVAL.ini", "Can't read your Korval settings file ",
                                                    "settings are used", 2, 2, 2},
                                           FifoCase{"routes", "routes.wdf", kError75, kFormLoad, 0, 0, 0},
                                           FifoCase{"regFlight", "RegFlight.wdf", kError75, kFormLoad, 2, 2, 0}),
                         test::CaseName());

TEST(StartUp, MinuteCountIsTheMinuteOfTheUtcDay)
{
    Rig rig;
    rig.clock.SetUtcTime(23, 59, 30);
    StartUp(rig.station);
    EXPECT_EQ(rig.station.MinuteCount, 23 * 60 + 59);
}

// ---- messages of slow shapes ---------------------------------------------------------------------
// Messages of the shapes that once cost time growing with the square of their length go through
// the whole chain. At about 4 KiB and at the largest size a link text may have, the chain must
// give the output derived by hand from the rules.

// What the chain left: the boxes, the position text and flags, the tracked records and what was
// written to the logs. `other`: the aircraft, flight, OCA and repeat-marker boxes, then the error
// log; every shape leaves the same there.
struct Out {
    std::string live, positions;
    bool found = false;
    std::string count = "0", flags, record;  // the aircraft record line, or empty
    std::size_t routeLines = 0, logBytes = 0;
    std::string other = "N123UA UA0123 0 ";
};

std::string Render(const Out& o)
{
    return "live:\n" + EscapeBytes(o.live) + "\npositions: " + EscapeBytes(o.positions) +
           "\nfound: " + BoolText(o.found) + "\ncount: " + o.count + "\nflags:" + o.flags + "\n" + o.record +
           "route lines: " + std::to_string(o.routeLines) + "\nposition log bytes: " + std::to_string(o.logBytes) +
           "\nother: " + EscapeBytes(o.other) + "\n";
}

Out Snapshot(const test::Rig& rig)
{
    const Station& s = rig.station;
    std::string set, records;
    // The flags a shape may set; any other one would change the texts or the log.
    const std::pair<const char*, bool> flags[] = {
        {"PositionReformatted", s.PositionReformatted},
        {"OceanicMessage", s.OceanicMessage},
        {"REQPWIMessage", s.REQPWIMessage},
    };
    for (const auto& [name, on] : flags)
        if (on) set += std::string(" ") + name;
    for (const auto& [key, a] : s.AircraftCol.Entries()) {
        records += "aircraft record: key=" + EscapeBytes(key) + " new=" + a->NewLocation + " old=" + a->OldLocation +
                   " oceanic=" + BoolText(a->Oceanic) + " reqpwi=" + BoolText(a->REQPWI) +
                   " show=" + BoolText(a->Show) +
                   " waylist=" + (a->WayList ? std::to_string(a->WayList->size()) : "none") + " level=" + a->Level +
                   " mach=" + a->Mach + " last=" + a->LastTime + "\n";
    }
    return Out{s.box.LiveData.Text,
               s.PositionText,
               s.PositionFound,
               s.box.txtCount.Text,
               set,
               records,
               s.RouteLineCol.Count(),
               rig.home.Read("Logs/KorvalLog 051226.wdf").size(),
               s.box.Aircraft.Text + " " + s.box.Flight.Text + " " + s.box.txtOCA.Text + " " +
                   (s.box.txtRepeat.Visible ? s.box.txtRepeat.Text : "") + rig.home.Read("Logs/ErrorLog .txt")};
}

// ---- what the rules predict ---------------------------------------------------------------------
// Derived by hand from the rules: how the output of each shape grows with the number of units.

std::string Repeat(std::string_view unit, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += unit;
    return out;
}

// Tracking reads the entries within the first 2000 characters of the position text (the
// runaway-loop guard), which for a long message are the first 142 entries of 14 characters and
// the one after them (its index, 142, is the count of commas read): one record at entry 142,
// coming from entry 141, and 142 route lines.
constexpr std::size_t kTrackedEntries = 143;

Out Predict(const Shape& shape, std::size_t k)
{
    const std::string header = shapes::Header(shape.flight6, shape.label);
    const std::string_view name = shape.name;
    Out p;
    if (name == "PirepBlanks" || name == "PirepKeywords" || name == "SignedDigits" || name == "MediaAdvisory") {
        // No rule finds a position after the keyword or letter, no coded part follows the media
        // advisory's state: nothing changes.
        p.live = shapes::Build(shape, k);
    } else if (name == "PositionLines") {
        // Rule 69 puts a comma before the line end of every line ending in "N" after the
        // content label, one line per pass from the last one back.
        p.live = header + Repeat("POS 5130N,\r\n", k);
    } else if (name == "DecimalRun") {
        // Rule 69 again: the decimals after "W12." run on over every line end, and each pass puts
        // a comma before the last line end of the run that has none.
        p.live = header + "POS W12." + Repeat(",\r\n", k);
    } else if (name == "FlightLabels") {
        // Only the last label stands before the line end: it alone is widened to ten blanks.
        p.live = header + Repeat("Flight id:  ", k - 1) + "Flight id:          \r\n";
    } else if (name == "PirepNumbers") {
        // Rule 32 rewrites each " -1234567" from the last one back, one per pass, each pass
        // putting one blank in front of the keyword.
        p.live = header + Repeat(" ", k) + "PIREP " + Repeat("NW1234567 ", k) + "\r\n";
        p.flags = " PositionReformatted";
        p.logBytes = 24 + 2 + p.live.size() - 1 + 2;  // header, CR LF, the message without its prefix, CR LF
    } else if (name == "RequestLines") {
        // The request is flattened; rule 7 rewrites every point, its greedy run keeping each
        // point's own dot. Three positions a line.
        p.live = header + Repeat("REQPWI/WQ350:.N55000W020000..N55000W030000..N54000W040000/DC", k);
        p.positions = Repeat("55000/-020000,55000/-030000,54000/-040000,", k);
        p.found = true;
        p.count = "1";
        p.flags = " REQPWIMessage";
        // Entry 142 is the second of its line (142 = 3 * 47 + 1), entry 141 the first.
        p.record =
            "aircraft record: key=n123uaua0123reqpwi new=55000/-030000 old=55000/-020000 oceanic=False "
            "reqpwi=True show=True waylist=none level= mach= last=\n";
        p.routeLines = kTrackedEntries - 1;
    } else if (name == "ClearanceRoute") {
        // Rule 5 rewrites every point and takes the blank after it; the oceanic waypoint
        // file names BOBTU. The clearance has no entry time, so its points become plain
        // reports of a record keyed as oceanic.
        p.live = header + "CLX 1234 051226 EGGX CLRD TO KJFK VIA " + Repeat("N5500W02000N5400W03000N5000W05000 ", k) +
                 "\r\nFL350 M080 END";
        p.positions = Repeat("55000/-020000,54000/-030000,50000/-050000,", k);
        p.found = true;
        // Entry 142 is the second of its route unit, entry 141 the first.
        p.record =
            "aircraft record: key=n123uaua0123oca new=54000/-030000 old=55000/-020000 oceanic=False "
            "reqpwi=False show=False waylist=none level= mach=M080 last=0\n";
        p.routeLines = kTrackedEntries - 1;
        p.logBytes = 19 + 2 + p.live.size() - 1 + 2;  // "--Oceanic Message--" and the message
    }
    return p;
}

class Shapes : public ::testing::TestWithParam<Shape> {};

// With the options the bundled settings turn on that change what the chain does to a message,
// and one waypoint in each waypoint file. (With them off, no rule does more.)
TEST_P(Shapes, ChainGivesThePredictedOutput)
{
    const Shape& shape = GetParam();
    // About 4 KiB, and the longest text a link delivers into the chain.
    for (const std::size_t bytes : {std::size_t{4096}, kLinkTextLimit}) {
        SCOPED_TRACE(bytes);
        const std::size_t units = shapes::UnitsWithin(shape, bytes);
        test::Rig rig;
        rig.station.opt.mnuRefOCA = true;
        rig.station.opt.mnuWaypoints = true;
        rig.station.opt.mnuTag = true;
        rig.home.Write("waypoints.wdf", "!route points\r\nBOBTU=N5000W05000\r\n");
        rig.home.Write("OCAwaypoints.wdf", "BOBTU=N5000W05000\r\n");
        OnLinkText(rig.station, shape.box, shapes::Build(shape, units));
        EXPECT_EQ(Render(Snapshot(rig)), Render(Predict(shape, units)));
    }
}

INSTANTIATE_TEST_SUITE_P(Chain, Shapes, ::testing::ValuesIn(shapes::kShapes),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace korval
