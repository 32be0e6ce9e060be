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
    const std::pair<const char*, bool> flags[] = {{"PositionReformatted", s.PositionReformatted},
                                                  {"OceanicMessage", s.OceanicMessage},
                                                  {"REQPWIMessage", s.REQPWIMessage},
                                                  {"GanderMessage", s.GanderMessage},
                                                  {"SBSMessage", s.SBSMessage},
                                                  {"SAExpanded", s.SAExpanded},
                                                  {"B9Expanded", s.B9Expanded},
                                                  {"HFDLMessage", s.HFDLMessage},
                                                  {"RegFlightCorrected", s.RegFlightCorrected}};
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
    out.reserve(unit.size() * times);
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
