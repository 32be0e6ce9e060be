// The station without a window. Link texts through OnLinkText: each lands in its box and runs that
// box's chain; a text longer than a link box holds is refused whole, with one error-log entry and
// a count, and the next text is processed as usual. Then the files read at start: only as regular
// files, with a ceiling; messages of slow shapes through the whole chain; and the main window's
// handlers.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fifo_guard.h"
#include "golden.h"
#include "maps/refresh.h"
#include "message_shapes.h"
#include "station/events.h"
#include "station/files.h"
#include "station/links.h"
#include "station/mainwindow.h"
#include "station/status.h"
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

// A station over a temporary folder for every case.
template <class Base>
struct WithRig : Base {
    Rig rig;
    Station& s = rig.station;
};
using LinkText = WithRig<::testing::Test>;
using Start = WithRig<::testing::Test>;
using MainWindow = WithRig<::testing::Test>;

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

class Ceiling : public WithRig<::testing::TestWithParam<SourceCase>> {};

TEST_P(Ceiling, OneMebibyteIsRefusedWithOneEntryAndTheNextTextGoesOn)
{
    const SourceCase& c = GetParam();
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

TEST_F(Ceiling, TextsUpToTheLimitEvenBinaryAreProcessedAndEveryRefusalIsCounted)
{
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

TEST_F(LinkText, OtherServerWithoutFormatPassesTheTextUnnormalised)
{
    s.dlg.DDEFormat = 3;
    const std::string raw = kDown.substr(1);  // no prefix character: Airmaster_FIX would add one
    OnLinkText(s, LinkBox::txtNewData, raw);
    EXPECT_EQ(s.box.LiveData.Text, raw);
}

TEST_F(LinkText, HFDLTextTakesTheHFDLPathWithNormalColours)
{
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

TEST_F(LinkText, EmptyIdentityAcarsPositionsMoveOneAircraftAndDrawItsRoute)
{
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
TEST_F(LinkText, EmptyIdentitySbsReportsMoveOneRecord)
{
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
TEST_F(Start, DataFileBeyondTheCeilingIsUnreadable)
{
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

class StartUpFifo : public WithRig<::testing::TestWithParam<FifoCase>> {};

TEST_P(StartUpFifo, IsAnUnreadableFileAndStartUpCompletes)
{
    const FifoCase& c = GetParam();
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

TEST_F(Start, MinuteCountIsTheMinuteOfTheUtcDay)
{
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

// ---- the main window's handlers: source menu items and links, status line, counting, timer, delete

// A link layer where only the named topics have a running server. Each box's link (or the one
// kept for the source to come up) is recorded as its topic and item.
class FakePort final : public LinkPort {
public:
    std::set<std::string> running;
    std::map<LinkBox, std::string> linked, waiting;
    void Link(LinkBox box, const std::string& topic, const std::string& item) override
    {
        if (!running.count(topic)) Raise(err::DdeNoAnswer);
        linked[box] = topic + " " + item;
    }
    void LinkLater(LinkBox box, const std::string& topic, const std::string& item) override
    {
        waiting[box] = topic + " " + item;
    }
    void Unlink(LinkBox box) override
    {
        linked.erase(box);
        waiting.erase(box);
    }
};

// A menu item of a source: its handler, its boxes and their topics, box by box.
struct MenuCase {
    const char* name;
    void (*click)(Station&);
    bool Options::*item;
    std::vector<LinkBox> boxes;
    std::vector<std::string> topics;
    const char *procedure, *notRunning;
};

// The Other item's server and topic are " Mine " and "Feed ", taken trimmed.
// clang-format off
const MenuCase kMenus[] = {
    {"Airmaster", mnuAir_Click, &Options::mnuAir, {LinkBox::AirData}, {"WinACARS|ACARS"}, "Link_Airmaster",
     "Airmaster must be running before selecting as DDE source"},
    {"PcHfdl", mnuPCHFDL_Click, &Options::mnuPCHFDL, {LinkBox::HFDL, LinkBox::HFACARSData},
     {"PCHFDL|HFDL", "PCHFDL|ACARS"}, "Link_PCHFDL", "PC-HFDL must be running before selecting as DDE source"},
    {"Other", mnuNew_Click, &Options::mnuNew, {LinkBox::txtNewData}, {"Mine|Feed"}, "Link_Other",
     "Your specified DDE must be running before selecting it as DDE source"},
};
// clang-format on

class Sources : public WithRig<::testing::TestWithParam<MenuCase>> {};

// A source not up yet when the program starts (services start in any order) is told once,
// logged, kept checked and waited for: the saved choice stays the user's, and unchecking it ends
// the waiting. Checked while not running, it unchecks itself with the same message; once running,
// checking it links every box and unchecking it ends every link.
TEST_P(Sources, StartWaitsAndTheMenuLinksOnlyWhatRuns)
{
    const MenuCase& c = GetParam();
    FakePort port;
    s.links = &port;
    s.dlg.txtServer = " Mine ";
    s.dlg.txtTopic = "Feed ";
    s.opt.*c.item = true;
    RelinkSources(s);
    EXPECT_TRUE(s.opt.*c.item);
    std::map<LinkBox, std::string> boxes;
    std::string log;
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
        boxes[c.boxes[i]] = c.topics[i] + " LiveData";
        log += "Error: 282 (Link to " + c.topics[i] +
               " not answering at start; retrying every 10 seconds) at line 0 in procedure " + c.procedure +
               " of Module ACARS\r\n\r\n";
    }
    EXPECT_EQ(port.waiting, boxes);
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"), log);

    c.click(s);
    EXPECT_FALSE(s.opt.*c.item);
    EXPECT_TRUE(port.waiting.empty());
    c.click(s);
    EXPECT_FALSE(s.opt.*c.item);

    port.running.insert(c.topics.begin(), c.topics.end());
    c.click(s);
    EXPECT_TRUE(s.opt.*c.item);
    EXPECT_EQ(port.linked, boxes);
    c.click(s);
    EXPECT_FALSE(s.opt.*c.item);
    EXPECT_TRUE(port.linked.empty());
    ASSERT_EQ(rig.notes.messages.size(), 2u);  // at start and when checked while not running
    for (const auto& m : rig.notes.messages) EXPECT_EQ(m.text, c.notRunning);
    EXPECT_EQ(rig.notes.beeps, 2);
}

INSTANTIATE_TEST_SUITE_P(Station, Sources, ::testing::ValuesIn(kMenus), test::CaseName());

TEST_F(MainWindow, OtherWithUnsetServerKeepsItemCheckedAndSaysSo)
{
    FakePort port;
    rig.station.links = &port;
    mnuNew_Click(rig.station);
    EXPECT_TRUE(rig.station.opt.mnuNew);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "You must set your DDE Server and Topic");
}

TEST_F(MainWindow, StartUpWithoutALinkLayerUnchecksAsBefore)
{
    rig.station.opt.mnuSky = true;
    RelinkSources(rig.station);
    EXPECT_FALSE(rig.station.opt.mnuSky);
    EXPECT_EQ(rig.notes.messages.size(), 1u);
}

// ---- what the status line says every interval -----------------------------------------------

// The station keeps the totals the status line is made of; the line says what changed since the
// last one, for every chosen source and every source that delivered.
TEST_F(MainWindow, StatusLineSaysWhatArrivedWhatWasCountedAndTheErrorsSinceTheLastLine)
{
    EXPECT_EQ(StatusLine(s, s.traffic), "last minute: no source chosen; 0 aircraft tracked, 0 SBS-1; 0 errors logged");
    s.opt.mnuAir = true;
    OnLinkText(s, LinkBox::AirData, Canonical(".D-ALCA", "5Z", '2', "M20A", "LH8400", "HELLO THERE\r\n"));
    s.LogFaultLine(Fault(13, "Type mismatch", 0), "Test", "Test");
    const TrafficCounts start = s.traffic;  // the last line
    OnLinkText(s, LinkBox::AirData, Canonical(".D-ALCB", "5Z", '2', "M22A", "LH8402", "HELLO\r\n"));
    OnLinkText(s, LinkBox::SkyData, Canonical(".D-ALCB", "5Z", '2', "M21A", "LH8401", "HELLO AGAIN\r\n"));
    s.PositionReformatted = true;  // as a rule would set it: the counting step counts it
    Fill_Boxes(s);
    s.LogFaultLine(Fault(13, "Type mismatch", 0), "Test", "Test");
    s.LogFaultLine(Fault(0, "Link to X restored", 0), "Test", "Test");  // no fault
    EXPECT_EQ(StatusLine(s, start),
              "last minute: Airmaster/JACARS 1 received, 0 counted, SkySpy/ACARSD 1 received, 1 counted; "
              "0 aircraft tracked, 0 SBS-1; 1 errors logged");
}

// ---- counting a message, the minute timer, deleting an aircraft ---------------------------------

struct CountCase {
    const char* name;
    bool oceanic, request, reformatted;
    const char *count, *oca;            // txtCount and txtOCA before
    const char *countAfter, *ocaAfter;  //  and after
    std::uint32_t liveBack;             // 0: unchanged, and the message neither counted nor logged
};

class Counting : public WithRig<::testing::TestWithParam<CountCase>> {};

TEST_P(Counting, CountColourAndLogAgain)
{
    const CountCase& c = GetParam();
    s.opt.mnuBeep = true;
    s.OceanicMessage = c.oceanic;
    s.REQPWIMessage = c.request;
    s.PositionReformatted = c.reformatted;
    s.box.txtCount.Text = c.count;
    s.box.txtOCA.Text = c.oca;
    s.CurrentMessage = Canonical(".N923UP", "H1", '2', "M76A", "UP0001", "POS N51234W010500\r\n");
    Fill_Boxes(s);
    EXPECT_EQ(s.box.txtCount.Text + " " + s.box.txtOCA.Text, std::string(c.countAfter) + " " + c.ocaAfter);
    const bool counted = c.liveBack != 0;
    EXPECT_EQ(std::tuple(s.box.LiveData.BackColor, s.box.Aircraft.BackColor, rig.notes.beeps),
              std::tuple(counted ? c.liveBack : colour::PaleYellow, counted ? colour::Red : colour::DarkRed,
                         counted ? 1 : 0));
    EXPECT_EQ(s.box.LiveData.Text, counted ? s.CurrentMessage : "");
}

INSTANTIATE_TEST_SUITE_P(
    Station, Counting,
    ::testing::Values(CountCase{"request", false, true, false, "4", "7", "5", "7", colour::Navy},
                      CountCase{"nothing", false, false, false, "4", "7", "4", "7", 0},
                      // 16-bit counters would overflow here and lose the message; an oceanic message
                      // counts only as oceanic, reformatted or not.
                      CountCase{"past16Bits", false, false, true, "32767", "0", "32768", "0", colour::Navy},
                      CountCase{"oceanicPast16Bits", true, false, true, "0", "32767", "0", "32768", colour::Green},
                      CountCase{"typedOver", false, false, true, "abc", "0", "1", "0", colour::Navy}),
    test::CaseName());

// MidWaypoint runs on every second tick (it always redraws); MinuteCount wraps at midnight even
// when a late timer missed 0000.
TEST_F(MainWindow, Timer2CountsMinutesAndRunsTheEstimateEverySecondTick)
{
    int redraws = 0;
    s.Subscribe([&](ChangeFlags what) { redraws += (what & ChangeMaps) ? 1 : 0; });
    s.box.labUTC = "UTC: 0001";
    s.MinuteCount = 1439;
    Timer2_Timer(s);
    EXPECT_EQ(std::tuple(redraws, s.MinuteCount), std::tuple(0, 0));
    Timer2_Timer(s);
    EXPECT_EQ(std::tuple(redraws, s.MinuteCount), std::tuple(1, 1));
}

struct DeleteCase {
    const char* name;
    const char* typed;
    std::size_t aircraftLeft, linesLeft;
    bool message;
    int redraws;
};

class DeleteAircraft : public WithRig<::testing::TestWithParam<DeleteCase>> {};

TEST_P(DeleteAircraft, ByTheIdInCapitals)
{
    const DeleteCase& c = GetParam();
    const char* ids[] = {"G-ABCD", "N923UP", "G-ABCD", "g-lower"};  // two records of G-ABCD
    for (int i = 0; i < 4; ++i) {
        auto a = std::make_shared<Aircraft>();
        a->ID = ids[i];
        s.AircraftCol.Add(a, "K" + std::to_string(i));
        auto r = std::make_shared<RouteLine>();
        r->ID = ids[i];
        s.RouteLineCol.Add(r);
    }
    auto sbs = std::make_shared<SBSAircraft>();
    sbs->ID = "G-ABCD";
    s.SBSAircraftCol.Add(sbs, "G-ABCD");
    int redraws = 0;
    s.Subscribe([&](ChangeFlags what) { redraws += (what & ChangeMaps) ? 1 : 0; });
    EXPECT_EQ(cmdDelete(s, c.typed), c.aircraftLeft < 4);
    EXPECT_EQ(std::tuple(s.AircraftCol.Count(), s.RouteLineCol.Count(), s.SBSAircraftCol.Count(), redraws),
              std::tuple(c.aircraftLeft, c.linesLeft, std::size_t{1}, c.redraws));
    ASSERT_EQ(rig.notes.messages.size(), c.message ? 1u : 0u);
    for (const auto& m : rig.notes.messages)
        EXPECT_EQ(m.text, "No matching Aircraft. Check you have enterred it correctly");
}

INSTANTIATE_TEST_SUITE_P(Station, DeleteAircraft,
                         ::testing::Values(DeleteCase{"lowerCaseTyped", "g-abcd", 2, 2, false, 1},
                                           DeleteCase{"storedInLowerCase", "g-lower", 4, 4, true, 1},
                                           DeleteCase{"empty", "", 4, 4, false, 0}),
                         test::CaseName());

}  // namespace
}  // namespace korval
