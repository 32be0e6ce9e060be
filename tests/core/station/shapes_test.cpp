// Messages of the shapes that once cost time growing with the square of their length go through
// the whole chain. At about 4 KiB and at the largest size a link text may have, the chain must
// give the output derived by hand from the rules.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "golden.h"
#include "message_shapes.h"
#include "station/events.h"
#include "test_support.h"
#include "text/convert.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using shapes::Shape;
using test::EscapeBytes;

// The options the bundled settings turn on that change what the chain does to a message, with
// one waypoint in each waypoint file. (With them off, no rule does more.)
void Prepare(test::Rig& rig)
{
    Station& s = rig.station;
    s.opt.mnuRefOCA = true;
    s.opt.mnuWaypoints = true;
    s.opt.mnuTag = true;
    rig.home.Write("waypoints.wdf", "!route points\r\nBOBTU=N5000W05000\r\n");
    rig.home.Write("OCAwaypoints.wdf", "BOBTU=N5000W05000\r\n");
}

// What the chain left: the boxes, the position text and flags, the tracked records and what was
// written to the logs.
std::string Snapshot(const test::Rig& rig)
{
    const Station& s = rig.station;
    std::string out = "live:\n" + EscapeBytes(s.box.LiveData.Text) + "\n";
    out += "aircraft: " + EscapeBytes(s.box.Aircraft.Text) + "\n";
    out += "flight: " + EscapeBytes(s.box.Flight.Text) + "\n";
    out += "positions: " + EscapeBytes(s.PositionText) + "\n";
    out += "found: " + BoolText(s.PositionFound) + "\n";
    out += "count: " + s.box.txtCount.Text + "\n";
    out += "oca: " + s.box.txtOCA.Text + "\n";
    out += "marker: " + (s.box.txtRepeat.Visible ? s.box.txtRepeat.Text : std::string()) + "\n";
    out += "flags:";
    const std::pair<const char*, bool> flags[] = {{"PositionReformatted", s.PositionReformatted},
                                                  {"OceanicMessage", s.OceanicMessage},
                                                  {"REQPWIMessage", s.REQPWIMessage},
                                                  {"GanderMessage", s.GanderMessage},
                                                  {"SBSMessage", s.SBSMessage},
                                                  {"SAExpanded", s.SAExpanded},
                                                  {"B9Expanded", s.B9Expanded},
                                                  {"HFDLMessage", s.HFDLMessage},
                                                  {"RegFlightCorrected", s.RegFlightCorrected}};
    for (const auto& [name, set] : flags)
        if (set) out += std::string(" ") + name;
    out += "\n";
    for (const auto& [key, a] : s.AircraftCol.Entries()) {
        out += "aircraft record: key=" + EscapeBytes(key) + " new=" + a->NewLocation + " old=" + a->OldLocation +
               " oceanic=" + BoolText(a->Oceanic) + " reqpwi=" + BoolText(a->REQPWI) + " show=" + BoolText(a->Show) +
               " waylist=" + (a->WayList ? std::to_string(a->WayList->size()) : std::string("none")) +
               " level=" + a->Level + " mach=" + a->Mach + " last=" + a->LastTime + "\n";
    }
    out += "route lines: " + std::to_string(s.RouteLineCol.Count()) + "\n";
    out += "position log bytes: " + std::to_string(rig.home.Read("Logs/KorvalLog 051226.wdf").size()) + "\n";
    out += "error log:\n" + EscapeBytes(rig.home.Read("Logs/ErrorLog .txt"));
    return out;
}

std::string RunShape(const Shape& shape, std::size_t units)
{
    test::Rig rig;
    Prepare(rig);
    OnLinkText(rig.station, shape.box, shapes::Build(shape, units));
    return Snapshot(rig);
}

// ---- what the rules predict ---------------------------------------------------------------------
// Derived by hand from the rules: how the output of each shape grows with the number of units.

std::string Repeat(std::string_view unit, std::size_t times)
{
    std::string out;
    out.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += unit;
    return out;
}

// One position-log entry: header, CR LF, the message without its prefix character, CR LF.
std::size_t LogEntryBytes(std::string_view header, std::string_view live)
{
    return header.size() + 2 + live.size() - 1 + 2;
}

// The parts of a snapshot a prediction fills; the rest is the same for every shape.
struct Predicted {
    std::string live;
    std::string positions;
    bool found = false;
    std::string count = "0";
    std::string flags;
    std::string record;  // the aircraft record line, or empty
    std::size_t routeLines = 0;
    std::size_t logBytes = 0;
};

std::string Render(const Predicted& p)
{
    std::string out = "live:\n" + EscapeBytes(p.live) + "\n";
    out += "aircraft: N123UA\nflight: UA0123\n";
    out += "positions: " + p.positions + "\n";
    out += "found: " + BoolText(p.found) + "\n";
    out += "count: " + p.count + "\noca: 0\nmarker: \n";
    out += "flags:" + p.flags + "\n";
    out += p.record;
    out += "route lines: " + std::to_string(p.routeLines) + "\n";
    out += "position log bytes: " + std::to_string(p.logBytes) + "\n";
    out += "error log:\n";
    return out;
}

// Tracking reads the entries within the first 2000 characters of the position text (the
// runaway-loop guard), which for a long message are the first 142 entries of 14 characters and
// the one after them (its index, 142, is the count of commas read): one record at entry 142,
// coming from entry 141, and 142 route lines.
constexpr std::size_t kTrackedEntries = 143;

Predicted Predict(const Shape& shape, std::size_t k)
{
    const std::string header = shapes::Header(shape.flight6, shape.label);
    const std::string_view name = shape.name;
    Predicted p;
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
        p.logBytes = LogEntryBytes("--Position Reformatted--", p.live);
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
        p.logBytes = LogEntryBytes("--Oceanic Message--", p.live);
    }
    return p;
}

class Shapes : public ::testing::TestWithParam<Shape> {};

TEST_P(Shapes, ChainGivesThePredictedOutput)
{
    const Shape& shape = GetParam();
    // About 4 KiB, and the longest text a link delivers into the chain.
    for (const std::size_t bytes : {std::size_t{4096}, kLinkTextLimit}) {
        SCOPED_TRACE(bytes);
        const std::size_t units = shapes::UnitsWithin(shape, bytes);
        EXPECT_EQ(RunShape(shape, units), Render(Predict(shape, units)));
    }
}

INSTANTIATE_TEST_SUITE_P(Chain, Shapes, ::testing::ValuesIn(shapes::kShapes),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace korval
