#include "ui/map_canvas.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "maps/redraw.h"
#include "recording_canvas.h"
#include "test_images.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using ui::MapCanvas;
using ui::ToQColor;

const QColor kBackground(40, 80, 120);
// Windows colours with three different bytes, so a swapped byte order shows.
constexpr Colour kBack = 0xC0FFFF, kCircle = 0x3060F0, kLine = 0x20C040;
constexpr float kHuge = 1e30f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Map 1 over N 60, S 40, W -40, E 0 in a 400 x 300 pixel window (6000 x 4500 twips at 96
// dpi) on a plain background: 50000/-20000 lands on pixel (200, 150), a degree of longitude is
// 10 pixels.
struct CanvasScene : ::testing::Test {
    test::Rig rig;
    Station& s = rig.station;
    ui::CanvasMapView view{QSize(400, 300)};

    CanvasScene()
    {
        const auto image = test::WriteImage(rig.home.path() / "map.bmp", test::SolidImage(200, 150, kBackground));
        s.map[0] = test::Frame("60000", "40000", "000000", "-040000", image);
        s.map[0].ACIDBack = kBack;
        s.map[0].Circle = kCircle;
        s.map[0].Line = kLine;
        s.mapView[0] = &view;
        s.opt.mnuShowMap1 = true;
    }
    QColor At(int x, int y) { return view.canvas().Image().pixelColor(x, y); }
};

TEST_F(CanvasScene, AircraftMarkerIsFilledAndItsLabelStandsOnTheBackColour)
{
    auto a = std::make_shared<Aircraft>();
    a->ID = "G-ABCD";
    a->NewLocation = "50000/-20000";
    a->Show = true;
    s.AircraftCol.Add(a, a->ID);
    NewPlot1(s);
    EXPECT_TRUE(rig.notes.messages.empty());
    EXPECT_EQ(At(200, 150), ToQColor(kCircle)) << test::Describe(At(200, 150));
    EXPECT_EQ(At(10, 10), kBackground);
    // The label's box starts 70 twips right of and 150 above the centre: pixel (204.7, 140).
    EXPECT_EQ(At(206, 140), ToQColor(kBack)) << test::Describe(At(206, 140));
    int text = 0;
    for (int y = 140; y < 150; ++y)
        for (int x = 206; x < 230; ++x) text += At(x, y) != ToQColor(kBack) && At(x, y) != kBackground;
    EXPECT_GT(text, 5) << "no label printed";
}

TEST_F(CanvasScene, RouteLineInTheLineColourUnlessInvisible)
{
    for (std::int16_t style : {DrawSolid, DrawInvisible}) {
        s.RouteLineCol.Clear();  // from pixel 100 to 300 of row 150
        s.RouteLineCol.Add(std::make_shared<RouteLine>(RouteLine{"50000/-10000", "50000/-30000", "", "", style, "X"}));
        NewPlot1(s);
        EXPECT_EQ(At(200, 150), style == DrawSolid ? ToQColor(kLine) : kBackground) << style;
        EXPECT_EQ(At(100, 150), ToQColor(kLine)) << style << ": the end dot is always drawn";
    }
}

// A horizontal line along row 20 of a white 400 x 40 surface.
struct LineCase {
    const char* name;
    int style, width;
    double minShare, maxShare;  // share of row 20 in the line's colour
};

class LineStyles : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineStyles, DashesFollowTheStyleAndWidth)
{
    MapCanvas c(QSize(400, 40));
    c.SetDrawWidth(GetParam().width);
    c.SetDrawStyle(GetParam().style);
    c.Line(0, 300, 399 * 15, 300, 0xFF0000);
    int on = 0;
    for (int x = 0; x < 400; ++x) on += c.Image().pixelColor(x, 20) == QColor(Qt::blue);
    EXPECT_GE(on / 400.0, GetParam().minShare);
    EXPECT_LE(on / 400.0, GetParam().maxShare);
}

INSTANTIATE_TEST_SUITE_P(Styles, LineStyles,
                         ::testing::Values(LineCase{"dash", DrawDash, 1, 0.65, 0.85},  // 18 on, 6 off
                                           LineCase{"dot", DrawDot, 1, 0.4, 0.6},
                                           LineCase{"invisible", DrawInvisible, 1, 0, 0},
                                           LineCase{"wideDashIsSolid", DrawDash, 3, 0.99, 1}),
                         test::CaseName());

// Marks partly or wholly off a white 400 x 40 surface, at coordinates no surface could hold, or
// huge: the part on the surface is drawn, nothing else happens.
struct OffSurfaceCase {
    const char* name;
    std::function<void(MapCanvas&)> draw;
    int minPixels, maxPixels;  // pixels no longer white
};

class OffSurface : public ::testing::TestWithParam<OffSurfaceCase> {};

TEST_P(OffSurface, DrawsWhatLiesOnTheSurface)
{
    MapCanvas c(QSize(400, 40));
    c.SetFillStyle(FillStyle::Solid);
    GetParam().draw(c);
    int drawn = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 400; ++x) drawn += c.Image().pixelColor(x, y) != Qt::white;
    EXPECT_GE(drawn, GetParam().minPixels);
    EXPECT_LE(drawn, GetParam().maxPixels);
}

const std::string kBinary = [] {
    std::string text(100000, '\0');  // 100 000 bytes of anything, NULs included
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 7);
    return text;
}();

INSTANTIATE_TEST_SUITE_P(
    Marks, OffSurface,
    ::testing::Values(
        OffSurfaceCase{"farLine", [](MapCanvas& c) { c.Line(-1e9f, 300, 1e9f, 300, 0xFF); }, 400, 400},
        OffSurfaceCase{"farWideLine", [](MapCanvas& c) { c.SetDrawWidth(3), c.Line(-1e9f, 300, 1e9f, 300, 0); }, 1000,
                       1400},
        // Beyond where double precision can place the visible part: left out.
        OffSurfaceCase{"absurdLine", [](MapCanvas& c) { c.Line(-kHuge, 300, kHuge, 300, 0xFF); }, 0, 0},
        OffSurfaceCase{"lineNaN", [](MapCanvas& c) { c.Line(kNaN, 300, 6000, 300, 0xFF); }, 0, 0},
        OffSurfaceCase{"circleOnCorner", [](MapCanvas& c) { c.Circle(0, 0, 150, 0xFF); }, 70, 130},
        OffSurfaceCase{"circleHugeRadius", [](MapCanvas& c) { c.Circle(3000, 300, kHuge, 0xFF); }, 0, 16000},
        OffSurfaceCase{"circleNaN", [](MapCanvas& c) { c.Circle(kNaN, 300, 50, 0xFF); }, 0, 0},
        OffSurfaceCase{"labelFarAway", [](MapCanvas& c) { c.SetTextPosition(kHuge, 0), c.Print("G-ABCD"); }, 0, 0},
        OffSurfaceCase{"hugeBinaryLabel", [](MapCanvas& c) { c.Print(kBinary), c.Print(kBinary); }, 2000, 16000}),
    test::CaseName());

// A 7-point label is 9.3 pixels high at 96 dpi, twice that at 192.
TEST(MapCanvas, LabelBoxFollowsTheDpi)
{
    auto boxRows = [](double dpi) {
        MapCanvas c(QSize(200, 200), dpi);
        c.SetColours(0x000000, 0xFF0000);
        c.SetFontBold(true);
        c.SetFontSize(7);
        c.Print("G-ABCD");
        int rows = 0;  // rows where the blue box shows
        for (int y = 0; y < 200; ++y) {
            bool blue = false;
            for (int x = 0; x < 200; ++x) blue |= c.Image().pixelColor(x, y) == QColor(Qt::blue);
            rows += blue;
        }
        return rows;
    };
    const int at96 = boxRows(96);
    EXPECT_GE(at96, 8);
    EXPECT_LE(at96, 14);
    EXPECT_NEAR(boxRows(192), 2 * at96, 2);
}

TEST(MapCanvas, WindowsColoursAreBlueGreenRed)
{
    const std::pair<Colour, QColor> cases[] = {
        {0x123456, QColor(0x56, 0x34, 0x12)},
        {0x02123456, QColor(0x56, 0x34, 0x12)},  // palette-relative
        {0x80000005, QColor(255, 255, 255)},     // window
        {0x800000FF, QColor(0, 0, 0)},           // no such system colour
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(ToQColor(in), out) << std::hex << in;
}

TEST_F(CanvasScene, SurfaceTooLargeIsLowMemoryAndNoneIsNothing)
{
    view.SetClientSize(QSize(40000, 10));
    ASSERT_TRUE(view.canvas().Failed());
    EXPECT_NO_THROW(view.canvas().Image());
    EXPECT_THROW(view.canvas().Circle(0, 0, 50, 0), Fault);
    NewPlot1(s);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text.rfind("You appear to be low on memmory.", 0), 0u);

    view.SetClientSize(QSize(0, 0));
    NewPlot1(s);
    EXPECT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_TRUE(view.canvas().Image().isNull());
}

}  // namespace
}  // namespace korval
