#include <gtest/gtest.h>

#include <memory>
#include <string>
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
// all three shown, with an image file present.
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
            s.map[i].ACIDText = 0x000000;
            s.map[i].ACIDBack = 0xFFFFFF;
            s.map[i].Circle = 0x0000FF;
            s.map[i].Line = 0xFF0000;
            s.mapView[i] = &view[i];
        }
        s.opt.mnuShowMap1 = s.opt.mnuShowMap2 = s.opt.mnuShowMap3 = true;
    }

    std::shared_ptr<RouteLine> AddRoute(const std::string& from, const std::string& to, std::int16_t style = 0,
                                        const std::string& nat = "", const std::string& natPos = "")
    {
        auto r = std::make_shared<RouteLine>(RouteLine{to, from, nat, natPos, style, "G-ABCD"});
        s.RouteLineCol.Add(r);
        return r;
    }
    std::shared_ptr<Aircraft> AddAircraft(const std::string& id, const std::string& pos, bool show = true)
    {
        auto a = test::AddAircraft(s, id, pos);
        a->Show = show;
        return a;
    }
    std::shared_ptr<SBSAircraft> AddSBS(const std::string& id, const std::string& oldPos, const std::string& newPos,
                                        std::int16_t trend)
    {
        auto a = std::make_shared<SBSAircraft>();
        a->ID = id;
        a->OldPosition = oldPos;
        a->NewPosition = newPos;
        a->AltChange = trend;
        s.SBSAircraftCol.Add(a, id);
        return a;
    }
    Calls& Drawn(int n = 1) { return view[n - 1].canvas.calls; }
    std::string ErrorLog() { return rig.home.Read("Logs/ErrorLog .txt"); }
    Calls Background() const { return {"SetColours 000000 FFFFFF", "LoadImage " + image, "PaintImage 6000 4000"}; }
};

Calls Concat(std::initializer_list<Calls> parts)
{
    Calls all;
    for (const Calls& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

Calls SolidFill(const std::string& fill)
{
    return {"DrawWidth 1", "DrawStyle 0", "FillStyle 0", "FillColour " + fill};
}
Calls Origin()
{
    return {"SetOrigin -6000 -12000"};
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

    Calls expected = Concat({
        Background(),
        // route line: end dot, line in its style, then the NAT marker
        Origin(),
        SolidFill("FF0000"),
        {"Circle -3000 -10000 20 FF0000", "DrawStyle 0", "DrawWidth 1", "Line -3000 -10000 -1500 -10400 FF0000"},
        {"TextPosition -2750 -10240", "FontBold 1", "FontSize 7", "Print NAT A"},
        SolidFill("FF0000"),
        {"Circle -2250 -10200 20 FF0000"},
        // the shown aircraft
        Origin(),
        SolidFill("0000FF"),
        {"Circle -4500 -11000 50 FFFFFF", "TextPosition -4430 -11150", "FontBold 1", "FontSize 7", "Print G-ABCD"},
        // SBS-1: a descending aircraft with its track, then climbing and an unknown trend (drawn as level)
        Origin(),
        SolidFill("FF0000"),
        {"Circle -750 -9000 20 FF0000", "DrawStyle 0", "DrawWidth 1", "Line -750 -9000 -600 -9200 FF0000"},
        Origin(),
        SolidFill("00FFFF"),
        {"Circle -600 -9200 50 FFFFFF", "TextPosition -530 -9350", "FontBold 1", "FontSize 7", "Print DESC"},
        Origin(),
        SolidFill("FFFF00"),
        {"Circle -900 -9400 50 FFFFFF", "TextPosition -830 -9550", "FontBold 1", "FontSize 7", "Print CLIMB"},
        Origin(),
        SolidFill("0000FF"),
        {"Circle -300 -9800 50 FFFFFF", "TextPosition -230 -9950", "FontBold 1", "FontSize 7", "Print ODD"},
    });
    EXPECT_EQ(Drawn(), expected);
    EXPECT_EQ(ErrorLog(), "");
    // The loops leave their last object current.
    EXPECT_EQ(s.CurrentAircraft->ID, "G-ABCD");
    EXPECT_EQ(s.CurrentSBSAircraft->ID, "GONE");
    EXPECT_EQ(s.CurrentRouteLine->NATrack, "NAT A");
}

// What each map draws of a mixed scene under the SBS options.
struct ModeCase {
    const char* name;
    int map;
    bool sbsOnly, sbs;
    int routeLines, aircraft, sbsTracks, sbsMarkers;
};

class DrawingModes : public Scene, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(DrawingModes, DrawWhatTheOptionsSay)
{
    const ModeCase& c = GetParam();
    AddRoute("50000/-20000", "52000/-10000");
    AddRoute("52000/-10000", "53000/-9000");
    AddAircraft("G-ABCD", "53000/-9000");
    AddSBS("S1", "45000/-5000", "46000/-4000", 1);
    AddSBS("S2", "", "46000/-4000", 2);
    s.dlg.chkSBS = c.sbsOnly;
    s.opt.mnuSBS = c.sbs;
    RedrawShownMaps(s);
    const test::RecordingCanvas& canvas = view[c.map - 1].canvas;
    // Segments (route lines, SBS-1 tracks) have a line each; the ACARS marker alone is filled
    // in the map's Circle colour (the SBS-1 ones here are yellow and cyan).
    EXPECT_EQ(canvas.CountOf("Line"), c.routeLines + c.sbsTracks);
    EXPECT_EQ(canvas.CountOf("FillColour 0000FF"), c.aircraft);
    EXPECT_EQ(canvas.CountOf("Print"), c.aircraft + c.sbsMarkers);
    EXPECT_EQ(canvas.CountOf("PaintImage"), 1);
}

INSTANTIATE_TEST_SUITE_P(Maps, DrawingModes,
                         ::testing::Values(ModeCase{"map1SBSOnly", 1, true, true, 0, 0, 1, 2},
                                           ModeCase{"map2NeverSBS", 2, true, true, 2, 1, 0, 0}),
                         test::CaseName());

TEST_F(Scene, OnlyTheFirst2000OfEachKindAreConsidered)
{
    for (int i = 0; i < 2500; ++i) AddRoute("50000/-20000", "50000/-" + std::to_string(20000 + i));
    for (int i = 0; i < 2000; ++i) AddAircraft("H" + std::to_string(i), "50000/-20000", false);
    AddAircraft("LATE", "50000/-20000");  // the 2001st aircraft, shown: left out
    for (int i = 0; i < 2001; ++i) AddSBS("S" + std::to_string(i), "", "50000/-20000", 0);
    s.opt.mnuSBS = true;

    NewPlot1(s);
    const test::RecordingCanvas& c = view[0].canvas;
    EXPECT_EQ(c.CountOf("Line"), 2000);
    EXPECT_EQ(c.calls[c.calls.size() - 1], "Print S1999");
    EXPECT_EQ(c.CountOf("Print"), 2000);
    EXPECT_EQ(s.CurrentRouteLine->NewPosition, "50000/-21999");
}

// (A hidden map's frame is read too: see the bad frame among the bad records.)
TEST_F(Scene, MinimisedOrViewlessMapsOnlyComputeTheProjection)
{
    AddAircraft("G-ABCD", "55000/-30000");
    view[1].minimised = true;
    view[1].clientWidth = 12000;
    NewPlot2(s);
    EXPECT_FLOAT_EQ(s.LonScale, 0.3f);
    EXPECT_TRUE(Drawn(2).empty());

    s.mapView[2] = nullptr;
    s.LonScale = 7;
    NewPlot3(s);
    EXPECT_FLOAT_EQ(s.LonScale, 7);
    EXPECT_TRUE(Drawn(3).empty());
    EXPECT_TRUE(rig.notes.messages.empty());
}

// ---- failures ------------------------------------------------------------------------------

struct ImageFailure {
    const char* name;
    int map;
    const char* mapPath;  // replaces the image's path when not null
    std::optional<ImageLoad> load;
    bool paints;
    const char* message;
    std::size_t calls;  // drawing calls made before the redraw ended
};

class ImageFailures : public Scene, public ::testing::WithParamInterface<ImageFailure> {};

TEST_P(ImageFailures, ShowTheirMessageAndEndTheRedraw)
{
    const ImageFailure& c = GetParam();
    AddAircraft("G-ABCD", "55000/-30000");
    if (c.mapPath) s.map[c.map - 1].MapPath = c.mapPath;
    view[c.map - 1].canvas.loadResult = c.load;
    view[c.map - 1].canvas.paintResult = c.paints;
    RedrawShownMaps(s);  // the other two draw without a word
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, c.message);
    EXPECT_EQ(rig.notes.messages[0].title, "KORVAL");
    EXPECT_EQ(Drawn(c.map).size(), c.calls);
    EXPECT_EQ(ErrorLog(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Maps, ImageFailures,
    ::testing::Values(ImageFailure{"missingFile1", 1, "/no/such/map.jpg", {}, true, "You haven't selected a map1", 2},
                      ImageFailure{"noPath3", 3, "", {}, true, "You haven't selected a map3", 2},
                      ImageFailure{"noResourcesToLoad", 2, nullptr, ImageLoad::OutOfResources, true, kLowMemory, 2},
                      ImageFailure{"noResourcesToPaint", 1, nullptr, {}, false, kLowMemory, 3}),
    test::CaseName());

// A surface that fails during the marks. (Any other fault ends the redraw with one entry, as the
// bad records below do.)
struct SurfaceFault {
    const char* name;
    const char* call;
    int occurrence;
    int number;
    bool lowMemory;   // the message instead of an entry
    int printsAfter;  // aircraft IDs printed in the end (of three)
};

class SurfaceFaults : public Scene, public ::testing::WithParamInterface<SurfaceFault> {};

TEST_P(SurfaceFaults, EndOrSkipAsTheFaultSays)
{
    const SurfaceFault& c = GetParam();
    AddAircraft("A1", "55000/-30000");
    AddAircraft("A2", "54000/-30000");
    AddAircraft("A3", "53000/-30000");
    view[0].canvas.failCall = c.call;
    view[0].canvas.failNumber = c.number;
    view[0].canvas.failOccurrence = c.occurrence;
    NewPlot1(s);
    EXPECT_EQ(view[0].canvas.CountOf("Print"), c.printsAfter);
    EXPECT_EQ(rig.notes.messages.size(), c.lowMemory ? 1u : 0u);
    if (c.lowMemory) {
        EXPECT_EQ(rig.notes.messages.at(0).text, kLowMemory);
    }
    EXPECT_EQ(ErrorLog(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Maps, SurfaceFaults,
    ::testing::Values(SurfaceFault{"outOfMemoryMidway", "Circle", 2, err::OutOfMemory, true, 1},
                      SurfaceFault{"stackExhaustedSkipsOneCall", "Print", 2, err::OutOfStack, false, 3},
                      SurfaceFault{"stackExhaustedAtLoad", "LoadImage", 1, err::OutOfStack, false, 3}),
    test::CaseName());

// A record the redraw cannot draw ends it with one entry under the procedure that met it; the
// marks drawn before it stay.
struct BadRecord {
    const char* name;
    void (*add)(Scene&);
    const char* entry;  // the error and the procedure logged
    int lines, prints;  // what was drawn before the redraw ended
};

class BadRecords : public Scene, public ::testing::WithParamInterface<BadRecord> {};

TEST_P(BadRecords, EndTheRedrawWithOneEntry)
{
    AddRoute("50000/-20000", "52000/-10000");
    GetParam().add(*this);
    AddAircraft("G-ABCD", "55000/-30000");
    NewPlot1(s);
    EXPECT_EQ(view[0].canvas.CountOf("Line"), GetParam().lines);
    EXPECT_EQ(view[0].canvas.CountOf("Print"), GetParam().prints);
    EXPECT_NE(ErrorLog().find(GetParam().entry), std::string::npos) << ErrorLog();
    EXPECT_EQ(ErrorLog().find("Procedure:"), ErrorLog().rfind("Procedure:")) << "one fault, one entry";
    EXPECT_TRUE(rig.notes.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Maps, BadRecords,
    ::testing::Values(
        BadRecord{"unknownLineStyle", [](Scene& scene) { scene.AddRoute("50000/-20000", "40000/0", 9); },
                  "Error: 380 (Invalid property value)\r\nProcedure: NewPlot1 - Module: ProcessMess", 1, 0},
        BadRecord{"routeLineWithoutSlash", [](Scene& scene) { scene.AddRoute("50000-20000", "52000/-10000"); },
                  "Error: 13 (Type mismatch)\r\nProcedure: MapRouteline - Module: ProcessMess", 1, 0},
        BadRecord{"natPositionWithoutSlash",
                  [](Scene& scene) { scene.AddRoute("50000/-20000", "52000/-10000", 0, "NAT C", "51000"); },
                  "Procedure: MapNatPlot - Module: ProcessMess", 2, 0},
        // SBS-1 aircraft come after the ACARS ones: the aircraft is drawn.
        BadRecord{"sbsTrackWithoutSlash",
                  [](Scene& scene) {
                      scene.s.opt.mnuSBS = true;
                      scene.AddSBS("S1", "45000", "46000/-4000", 0);
                  },
                  "Procedure: MapSBSTrack - Module: ProcessMess", 1, 1},
        // Even a hidden map checks its frame.
        BadRecord{"badFrameWhenHidden",
                  [](Scene& scene) {
                      scene.s.map[0].N = "sixty";
                      scene.s.opt.mnuShowMap1 = false;
                  },
                  "Procedure: NewPlot1 - Module: ProcessMess", 0, 0}),
    test::CaseName());

}  // namespace
}  // namespace korval
