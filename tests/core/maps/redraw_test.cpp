#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "maps/redraw.h"
#include "recording_canvas.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using Calls = std::vector<std::string>;

constexpr const char* kLowMemory =
    "You appear to be low on memmory.  The map cannot refresh. Close down other applications then restart Korval.";

// The worked-example frame (N 60, S 40, W -40, E 0) on a 6000 x 4000 twip window for every map,
// all three shown, with an image file present and the default colours: text black on white,
// circles red (0000FF as BBGGRR) and lines blue (FF0000).
struct Scene : ::testing::Test {
    test::Rig rig;
    Station& s = rig.station;
    test::RecordingView view[3];
    std::string image;

    Scene()
    {
        rig.home.Write("map.jpg", "not really a picture");
        image = (rig.home.path() / "map.jpg").string();
        for (int i = 0; i < 3; ++i) {
            s.map[i] = test::Frame("60000", "40000", "000000", "-040000", image);
            s.mapView[i] = &view[i];
        }
        s.opt.mnuShowMap1 = s.opt.mnuShowMap2 = s.opt.mnuShowMap3 = true;
    }

    void AddRoute(const std::string& from, const std::string& to, std::int16_t style = 0, const std::string& nat = "",
                  const std::string& natPos = "")
    {
        s.RouteLineCol.Add(std::make_shared<RouteLine>(RouteLine{to, from, nat, natPos, style, "G-ABCD"}));
    }
    void AddAircraft(const std::string& id, const std::string& pos, bool show = true)
    {
        test::AddAircraft(s, id, pos)->Show = show;
    }
    void AddSBS(const std::string& id, const std::string& oldPos, const std::string& newPos, std::int16_t trend)
    {
        s.SBSAircraftCol.Add(
            std::make_shared<SBSAircraft>(SBSAircraft{trend, newPos, oldPos, id, "", "", "", "", 0, ""}), id);
    }
    // Raise fault `number` at the `occurrence`-th call named `call` on map 1.
    void FailAt(const char* call, int occurrence, int number)
    {
        view[0].canvas.failCall = call;
        view[0].canvas.failOccurrence = occurrence;
        view[0].canvas.failNumber = number;
    }
    Calls& Drawn(int n = 1) { return view[n - 1].canvas.calls; }
    std::string ErrorLog() { return rig.home.Read("Logs/ErrorLog .txt"); }
};

// The calls as text, "; " between them, each mark from its SetOrigin on a line of its own.
std::string Text(const Calls& calls)
{
    std::string out;
    for (const std::string& c : calls) out += (c.rfind("SetOrigin", 0) == 0 ? "\n" : out.empty() ? "" : "; ") + c;
    return out;
}

TEST_F(Scene, SmallSceneIsDrawnMarkByMark)
{
    AddRoute("50000/-20000", "52000/-10000", 0, "NAT A", "51000/-15000");
    AddAircraft("HIDDEN", "52000/-5000", false);
    AddAircraft("G-ABCD", "55000/-30000");
    AddAircraft("NOWHERE", "");
    AddSBS("DESC", "45000/-5000", "46000/-4000", 1);
    AddSBS("CLIMB", "", "47000/-6000", 2);
    AddSBS("ODD", "", "49000/-2000", 7);
    AddSBS("GONE", "", "", 1);
    s.opt.mnuSBS = true;

    NewPlot1(s);

    // The background; the route line (end dot, line in its style, then the NAT marker); the shown
    // aircraft; the SBS-1 track of the descending aircraft, then the descending, climbing and
    // unknown-trend (drawn as level) SBS-1 aircraft. Every mark at the frame's origin, filled solid.
    const std::string expected =
        "SetColours 000000 FFFFFF; LoadImage " + image + "; PaintImage 6000 4000\n" +
        "SetOrigin -6000 -12000; DrawWidth 1; DrawStyle 0; FillStyle 0; FillColour FF0000; "
        "Circle -3000 -10000 20 FF0000; DrawStyle 0; DrawWidth 1; Line -3000 -10000 -1500 -10400 FF0000; "
        "TextPosition -2750 -10240; FontBold 1; FontSize 7; Print NAT A; "
        "DrawWidth 1; DrawStyle 0; FillStyle 0; FillColour FF0000; Circle -2250 -10200 20 FF0000\n"
        "SetOrigin -6000 -12000; DrawWidth 1; DrawStyle 0; FillStyle 0; FillColour 0000FF; "
        "Circle -4500 -11000 50 FFFFFF; TextPosition -4430 -11150; FontBold 1; FontSize 7; Print G-ABCD\n"
        "SetOrigin -6000 -12000; DrawWidth 1; DrawStyle 0; FillStyle 0; FillColour FF0000; "
        "Circle -750 -9000 20 FF0000; DrawStyle 0; DrawWidth 1; Line -750 -9000 -600 -9200 FF0000\n"
        "SetOrigin -6000 -12000; DrawWidth 1; DrawStyle 0; FillStyle 0; FillColour 00FFFF; "
        "Circle -600 -9200 50 FFFFFF; TextPosition -530 -9350; FontBold 1; FontSize 7; Print DESC\n"
        "SetOrigin -6000 -12000; DrawWidth 1; DrawStyle 0; FillStyle 0; FillColour FFFF00; "
        "Circle -900 -9400 50 FFFFFF; TextPosition -830 -9550; FontBold 1; FontSize 7; Print CLIMB\n"
        "SetOrigin -6000 -12000; DrawWidth 1; DrawStyle 0; FillStyle 0; FillColour 0000FF; "
        "Circle -300 -9800 50 FFFFFF; TextPosition -230 -9950; FontBold 1; FontSize 7; Print ODD";
    EXPECT_EQ(Text(Drawn()), expected);
    EXPECT_EQ(ErrorLog(), "");
    // The loops leave their last object current.
    EXPECT_EQ(std::tie(s.CurrentAircraft->ID, s.CurrentSBSAircraft->ID, s.CurrentRouteLine->NATrack),
              std::tuple("G-ABCD", "GONE", "NAT A"));
}

// With "SBS-1 only" map 1 draws the SBS-1 marks alone; map 2 never draws them. Lines are route
// lines and SBS-1 tracks; the ACARS marker alone is filled in the map's Circle colour.
TEST_F(Scene, SBSOnlyOnMapOneAndNeverOnMapTwo)
{
    AddRoute("50000/-20000", "52000/-10000");
    AddRoute("52000/-10000", "53000/-9000");
    AddAircraft("G-ABCD", "53000/-9000");
    AddSBS("S1", "45000/-5000", "46000/-4000", 1);
    AddSBS("S2", "", "46000/-4000", 2);
    s.dlg.chkSBS = s.opt.mnuSBS = true;
    RedrawShownMaps(s);
    auto counts = [&](int n) {
        const test::RecordingCanvas& c = view[n - 1].canvas;
        return std::tuple(c.CountOf("Line"), c.CountOf("FillColour 0000FF"), c.CountOf("Print"),
                          c.CountOf("PaintImage"));
    };
    EXPECT_EQ(counts(1), std::tuple(1, 0, 2, 1));
    EXPECT_EQ(counts(2), std::tuple(2, 1, 1, 1));
}

TEST_F(Scene, OnlyTheFirst2000OfEachKindAreConsidered)
{
    for (int i = 0; i < 2500; ++i) AddRoute("50000/-20000", "50000/-" + std::to_string(20000 + i));
    for (int i = 0; i < 2000; ++i) AddAircraft("H" + std::to_string(i), "50000/-20000", false);
    AddAircraft("LATE", "50000/-20000");  // the 2001st aircraft, shown: left out
    for (int i = 0; i < 2001; ++i) AddSBS("S" + std::to_string(i), "", "50000/-20000", 0);
    s.opt.mnuSBS = true;
    NewPlot1(s);
    const test::RecordingCanvas& c = view[0].canvas;
    EXPECT_EQ(std::tuple(c.CountOf("Line"), c.CountOf("Print"), c.calls.back(), s.CurrentRouteLine->NewPosition),
              std::tuple(2000, 2000, "Print S1999", "50000/-21999"));
}

// (A hidden map's frame is read too: see the bad frame among the bad records.)
TEST_F(Scene, MinimisedOrViewlessMapsOnlyComputeTheProjection)
{
    AddAircraft("G-ABCD", "55000/-30000");
    view[1].minimised = true;
    view[1].clientWidth = 12000;
    NewPlot2(s);
    EXPECT_FLOAT_EQ(s.LonScale, 0.3f);
    s.mapView[2] = nullptr;
    s.LonScale = 7;
    NewPlot3(s);
    EXPECT_FLOAT_EQ(s.LonScale, 7);
    EXPECT_TRUE(Drawn(2).empty() && Drawn(3).empty() && rig.notes.messages.empty());
}

// ---- failures ------------------------------------------------------------------------------

// A picture that cannot be found, loaded or painted shows its message and ends the redraw. A
// surface call that raises out of memory does the same midway; one that raises a stack exhausted
// skips that call. A record the redraw cannot draw ends it with one entry under the procedure
// that met it. The marks drawn before stay. Each map's scene: a route line, then what the row
// adds, then three aircraft.
struct Failure {
    const char* name;
    int map;
    void (*arrange)(Scene&);
    const char *message, *entry;  // "" for none
    int lines, prints, paints;    // drawn in the end
};

class Failures : public Scene, public ::testing::WithParamInterface<Failure> {};

TEST_P(Failures, EndTheRedrawWithAMessageOrOneEntry)
{
    const Failure& c = GetParam();
    AddRoute("50000/-20000", "52000/-10000");
    s.opt.mnuSBS = true;
    c.arrange(*this);
    AddAircraft("A1", "55000/-30000");
    AddAircraft("A2", "54000/-30000");
    AddAircraft("A3", "53000/-30000");
    void (*const plot[])(Station&) = {NewPlot1, NewPlot2, NewPlot3};
    plot[c.map - 1](s);
    std::vector<std::string> messages;
    for (const auto& m : rig.notes.messages) messages.push_back(m.text);
    EXPECT_EQ(messages, *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    const test::RecordingCanvas& drawn = view[c.map - 1].canvas;
    EXPECT_EQ(std::tuple(drawn.CountOf("Line"), drawn.CountOf("Print"), drawn.CountOf("PaintImage")),
              std::tuple(c.lines, c.prints, c.paints));
    EXPECT_TRUE(*c.entry ? ErrorLog().find(c.entry) != std::string::npos : ErrorLog().empty()) << ErrorLog();
    EXPECT_EQ(ErrorLog().find("Procedure:"), ErrorLog().rfind("Procedure:")) << "one fault, one entry";
}

INSTANTIATE_TEST_SUITE_P(
    Maps, Failures,
    ::testing::Values(
        Failure{"missingFile1", 1, [](Scene& sc) { sc.s.map[0].MapPath = "/no/such/map.jpg"; },
                "You haven't selected a map1", "", 0, 0, 0},
        Failure{"noPath3", 3, [](Scene& sc) { sc.s.map[2].MapPath = ""; }, "You haven't selected a map3", "", 0, 0, 0},
        Failure{"noResourcesToLoad", 2, [](Scene& sc) { sc.view[1].canvas.loadResult = ImageLoad::OutOfResources; },
                kLowMemory, "", 0, 0, 0},
        Failure{"noResourcesToPaint", 1, [](Scene& sc) { sc.view[0].canvas.paintResult = false; }, kLowMemory, "", 0, 0,
                1},
        // The route line's end dot is the first circle.
        Failure{"outOfMemoryMidway", 1, [](Scene& sc) { sc.FailAt("Circle", 3, err::OutOfMemory); }, kLowMemory, "", 1,
                1, 1},
        Failure{"stackExhaustedSkipsOneCall", 1, [](Scene& sc) { sc.FailAt("Print", 2, err::OutOfStack); }, "", "", 1,
                3, 1},
        Failure{"stackExhaustedAtLoad", 1, [](Scene& sc) { sc.FailAt("LoadImage", 1, err::OutOfStack); }, "", "", 1, 3,
                1},
        Failure{"unknownLineStyle", 1, [](Scene& sc) { sc.AddRoute("50000/-20000", "40000/0", 9); }, "",
                "Error: 380 (Invalid property value)\r\nProcedure: NewPlot1 - Module: ProcessMess", 1, 0, 1},
        Failure{"routeLineWithoutSlash", 1, [](Scene& sc) { sc.AddRoute("50000-20000", "52000/-10000"); }, "",
                "Error: 13 (Type mismatch)\r\nProcedure: MapRouteline - Module: ProcessMess", 1, 0, 1},
        Failure{"natPositionWithoutSlash", 1,
                [](Scene& sc) { sc.AddRoute("50000/-20000", "52000/-10000", 0, "NAT C", "51000"); }, "",
                "Procedure: MapNatPlot - Module: ProcessMess", 2, 0, 1},
        // SBS-1 aircraft come after the ACARS ones: the aircraft are drawn.
        Failure{"sbsTrackWithoutSlash", 1, [](Scene& sc) { sc.AddSBS("S1", "45000", "46000/-4000", 0); }, "",
                "Procedure: MapSBSTrack - Module: ProcessMess", 1, 3, 1},
        // Even a hidden map checks its frame.
        Failure{"badFrameWhenHidden", 1,
                [](Scene& sc) {
                    sc.s.map[0].N = "sixty";
                    sc.s.opt.mnuShowMap1 = false;
                },
                "", "Procedure: NewPlot1 - Module: ProcessMess", 0, 0, 0}),
    test::CaseName());

}  // namespace
}  // namespace korval
