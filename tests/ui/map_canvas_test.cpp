#include "ui/map_canvas.h"

#include <gtest/gtest.h>

#include <QtGui/QPainter>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>

#include "test_images.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using ui::MapCanvas;
using ui::ToQColor;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr float kHuge = 1e30f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// The pixels of `area` whose colour `match` accepts.
int Count(const QImage& image, QRect area, const std::function<bool(QColor)>& match)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) n += match(image.pixelColor(x, y));
    return n;
}

// A 7-point label is 9.3 pixels high at 96 dpi (a surface left at Qt's 72 dpi would make it 7):
// its box in the back colour (a Windows colour with three different bytes, so that a swapped byte
// order shows), its text on it.
TEST(MapCanvas, LabelStandsOnABoxOneLineHigh)
{
    MapCanvas c(QSize(100, 30));
    c.SetColours(0x102030, 0xC0FFFF);
    c.SetFontSize(7);
    c.SetTextPosition(150, 0);  // pixel (10, 0)
    c.Print("  G-ABCD");
    const QColor back(0xFF, 0xFF, 0xC0);
    const int boxRows = Count(c.Image(), QRect(11, 0, 1, 30), [&](QColor p) { return p == back; });
    EXPECT_GE(boxRows, 8);
    EXPECT_LE(boxRows, 14);
    EXPECT_EQ(c.Image().pixelColor(9, 2), QColor(Qt::white));
    EXPECT_GT(Count(c.Image(), QRect(0, 0, 100, 30), [&](QColor p) { return p != back && p != Qt::white; }), 5)
        << "no text printed";
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
    const double on = Count(c.Image(), QRect(0, 20, 400, 1), [](QColor p) { return p == Qt::blue; }) / 400.0;
    EXPECT_GE(on, GetParam().minShare);
    EXPECT_LE(on, GetParam().maxShare);
}

INSTANTIATE_TEST_SUITE_P(Styles, LineStyles,
                         ::testing::Values(LineCase{"dash", DrawDash, 1, 0.65, 0.85},  // 18 on, 6 off
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
    const int drawn = Count(c.Image(), QRect(0, 0, 400, 40), [](QColor p) { return p != Qt::white; });
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

TEST(MapCanvas, WindowsColoursAreBlueGreenRed)
{
    const std::pair<Colour, QColor> cases[] = {
        {0x02123456, QColor(0x56, 0x34, 0x12)},  // palette-relative
        {0x80000005, QColor(255, 255, 255)},     // window
        {0x800000FF, QColor(0, 0, 0)},           // no such system colour
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(ToQColor(in), out) << std::hex << in;
}

// A surface too large to have is out of resources (the redraw says low on memory); an empty one
// draws nothing.
TEST(MapCanvas, SurfaceTooLargeIsOutOfResourcesAndNoneIsNothing)
{
    MapCanvas big(QSize(40000, 10)), none(QSize(0, 0));
    ASSERT_TRUE(big.Failed());
    EXPECT_NO_THROW(big.Image());
    EXPECT_THROW(big.Circle(0, 0, 50, 0), Fault);
    EXPECT_EQ(big.LoadImage(""), ImageLoad::OutOfResources);
    EXPECT_NO_THROW(none.Circle(0, 0, 50, 0));
    EXPECT_TRUE(none.Image().isNull());
}

// ---- the background picture ------------------------------------------------------------------

struct LoadCase {
    const char* name;
    const char* file;     // in the home folder
    const char* fixture;  // its bytes, from tests/data/canvas; none: no file
    ImageLoad expected;
};

class LoadImageResult : public ::testing::TestWithParam<LoadCase> {};

// A file that holds no picture is no map (the user is sent to choose one); only a picture too
// large to hold is out of resources. A failed load leaves the surface as it was.
TEST_P(LoadImageResult, FromTheFileAndItsContent)
{
    const LoadCase& k = GetParam();
    test::TempHome home;
    const fs::path file = home.path() / k.file;
    if (k.fixture) std::ofstream(file, std::ios::binary) << test::ReadTestData(std::string("canvas/") + k.fixture);
    ui::MapCanvas c(QSize(40, 30));
    EXPECT_EQ(c.LoadImage(file.string()), k.expected);
    EXPECT_TRUE(k.expected != ImageLoad::Ok || c.PaintImage(c.Width(), c.Height()));
    const QColor centre = c.Image().pixelColor(20, 15);
    EXPECT_TRUE(test::Near(centre, k.expected == ImageLoad::Ok ? test::kBackground : QColor(Qt::white), 8))
        << centre.name().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, LoadImageResult,
                         ::testing::Values(LoadCase{"gifNamedBmp", "m.bmp", "solid.gif", ImageLoad::Ok},  // by content
                                           LoadCase{"missing", "m.jpg", nullptr, ImageLoad::MissingFile},
                                           LoadCase{"brokenJpeg", "m.jpg", "broken.jpg", ImageLoad::MissingFile},
                                           LoadCase{"hugeJpeg", "m.jpg", "huge.jpg", ImageLoad::OutOfResources}),
                         test::CaseName());

// A picture is decoded again only when its file's size or time changed.
TEST(BackgroundCache, DecodesAgainOnlyWhenSizeOrTimeChanged)
{
    test::TempHome home;
    const fs::path file = test::WriteImage(home.path() / "m.bmp", test::SolidImage(64, 48, test::kBackground));
    ui::BackgroundCache cache;
    // Braces: the load before the count.
    auto load = [&] { return std::pair{cache.Load(file.string()).status, cache.Decodes()}; };
    EXPECT_EQ(load(), std::pair(ImageLoad::Ok, 1));
    EXPECT_EQ(load(), std::pair(ImageLoad::Ok, 1));  // unchanged
    fs::last_write_time(file, fs::last_write_time(file) + 2s);
    EXPECT_EQ(load(), std::pair(ImageLoad::Ok, 2));  // newer
    const auto time = fs::last_write_time(file);
    test::WriteImage(file, test::SolidImage(65, 48, Qt::red));
    fs::last_write_time(file, time);
    EXPECT_EQ(load(), std::pair(ImageLoad::Ok, 3));  // another size at the same time
    fs::remove(file);
    EXPECT_EQ(load(), std::pair(ImageLoad::MissingFile, 3));
}

TEST(BackgroundCache, KeepsOnlyItsCapacity)
{
    test::TempHome home;
    const std::string a = test::WriteImage(home.path() / "a.bmp", test::SolidImage(8, 8, test::kBackground));
    const std::string b = test::WriteImage(home.path() / "b.bmp", test::SolidImage(8, 8, test::kBackground));
    for (auto [capacity, decodes] : {std::pair{0, 4}, {1, 4}, {2, 2}}) {
        ui::BackgroundCache cache(static_cast<std::size_t>(capacity));
        for (const std::string& p : {a, b, a, b}) ASSERT_EQ(cache.Load(p).status, ImageLoad::Ok);
        EXPECT_EQ(cache.Decodes(), decodes) << "capacity " << capacity;
    }
}

// The picture is scaled to the surface again after a resize and after its file changed.
TEST(MapCanvas, PictureFollowsTheFileAndTheSurfaceSize)
{
    test::TempHome home;
    const fs::path image = home.path() / "map.bmp";
    auto paint = [&](QColor left) {  // its left half in `left`, its right half white
        QImage halves = test::SolidImage(200, 150, Qt::white);
        QPainter(&halves).fillRect(0, 0, 100, 150, left);
        test::WriteImage(image, halves);
    };
    paint(test::kBackground);
    const auto written = fs::last_write_time(image);
    const QColor red(200, 10, 10);
    ui::MapCanvas c;
    for (const auto& [width, left] : {std::pair{400, test::kBackground}, {250, test::kBackground}, {250, red}}) {
        if (left == red) {
            paint(red);
            fs::last_write_time(image, written + 5s);  // the same size: only the time tells
        }
        c.Resize(QSize(width, 300));
        ASSERT_EQ(c.LoadImage(image.string()), ImageLoad::Ok);
        EXPECT_TRUE(c.PaintImage(c.Width(), c.Height()));
        EXPECT_EQ(c.Image().pixelColor(width / 2 - 3, 150), left) << width;
        EXPECT_EQ(c.Image().pixelColor(width / 2 + 3, 150), QColor(Qt::white)) << width;
    }
}

}  // namespace
}  // namespace korval
