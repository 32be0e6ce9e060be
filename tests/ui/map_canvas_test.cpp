#include "ui/map_canvas.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

namespace fs = std::filesystem;
using ui::CanvasMapView;
using ui::MapCanvas;
using ui::ToQColor;

constexpr const char* kLowMemory =
    "You appear to be low on memmory.  The map cannot refresh. Close down other applications then restart Korval.";

const QColor kBackground(40, 80, 120);
// Windows colours with three different bytes, so a swapped byte order shows.
constexpr Colour kBack = 0xC0FFFF;  // rgb(255,255,192)
constexpr Colour kText = 0x000000;
constexpr Colour kCircle = 0x3060F0;  // rgb(240,96,48)
constexpr Colour kLine = 0x20C040;    // rgb(64,192,32)

// Map 1 over N 60, S 40, W -40, E 0 in a 400 x 300 pixel window (6000 x 4500 twips at 96
// dpi) on a plain background: 50000/-20000 lands on pixel (200, 150), and a degree of
// longitude is 10 pixels.
struct CanvasScene : ::testing::Test {
    test::Rig rig;
    Station& s = rig.station;
    CanvasMapView view{QSize(400, 300)};
    std::string image;

    CanvasScene()
    {
        image = (rig.home.path() / "map.bmp").string();
        test::WriteImage(image, test::SolidImage(200, 150, kBackground));
        s.map[0] = test::Frame("60000", "40000", "000000", "-040000", image);
        s.map[0].ACIDText = kText;
        s.map[0].ACIDBack = kBack;
        s.map[0].Circle = kCircle;
        s.map[0].Line = kLine;
        s.mapView[0] = &view;
        s.opt.mnuShowMap1 = true;
    }
    void AddAircraft(const std::string& id, const std::string& pos)
    {
        auto a = std::make_shared<Aircraft>();
        a->ID = id;
        a->NewLocation = pos;
        a->Show = true;
        s.AircraftCol.Add(a, id);
    }
    void AddRoute(const std::string& from, const std::string& to, std::int16_t style)
    {
        s.RouteLineCol.Add(std::make_shared<RouteLine>(RouteLine{to, from, "", "", style, "G-ABCD"}));
    }
    QColor At(int x, int y) { return view.canvas().Image().pixelColor(x, y); }
};

TEST_F(CanvasScene, AircraftMarkerIsFilledAndItsLabelStandsOnTheBackColour)
{
    AddAircraft("G-ABCD", "50000/-20000");
    NewPlot1(s);
    ASSERT_TRUE(rig.notes.messages.empty());

    EXPECT_EQ(At(200, 150), ToQColor(kCircle)) << test::Describe(At(200, 150));
    EXPECT_EQ(At(10, 10), kBackground);
    // The label's box starts 70 twips right of and 150 above the centre: pixel (204.7, 140).
    EXPECT_EQ(At(206, 140), ToQColor(kBack)) << test::Describe(At(206, 140));
    int text = 0;
    for (int y = 140; y < 150; ++y)
        for (int x = 206; x < 230; ++x) text += At(x, y) != ToQColor(kBack) && At(x, y) != kBackground ? 1 : 0;
    EXPECT_GT(text, 5) << "no label printed";
}

struct RouteCase {
    const char* name;
    std::int16_t style;
    bool lineShows;
};

class RouteStyle : public CanvasScene, public ::testing::WithParamInterface<RouteCase> {};

TEST_P(RouteStyle, LineInTheMapsLineColourUnlessInvisible)
{
    AddRoute("50000/-30000", "50000/-10000", GetParam().style);  // pixels 100 to 300 on row 150
    NewPlot1(s);
    const QColor mid = At(200, 150);
    if (GetParam().lineShows) {
        EXPECT_EQ(mid, ToQColor(kLine)) << test::Describe(mid);
    } else {
        EXPECT_EQ(mid, kBackground) << test::Describe(mid);
    }
    EXPECT_EQ(At(100, 150), ToQColor(kLine)) << "the end dot is always drawn";
}

INSTANTIATE_TEST_SUITE_P(Styles, RouteStyle,
                         ::testing::Values(RouteCase{"solid", DrawSolid, true},
                                           RouteCase{"invisible", DrawInvisible, false},
                                           RouteCase{"insideSolid", DrawInsideSolid, true}),
                         [](const auto& p) { return std::string(p.param.name); });

// A 400 x 40 pixel surface, white, with a horizontal line along row 20.
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
    const QImage& image = c.Image();
    int on = 0;
    for (int x = 0; x < 400; ++x) on += image.pixelColor(x, 20) == QColor(0, 0, 255) ? 1 : 0;
    const double share = on / 400.0;
    EXPECT_GE(share, GetParam().minShare);
    EXPECT_LE(share, GetParam().maxShare);
}

INSTANTIATE_TEST_SUITE_P(Styles, LineStyles,
                         ::testing::Values(LineCase{"solid", DrawSolid, 1, 0.99, 1},
                                           LineCase{"dash", DrawDash, 1, 0.65, 0.85},
                                           LineCase{"dot", DrawDot, 1, 0.4, 0.6},
                                           LineCase{"dashDot", DrawDashDot, 1, 0.4, 0.6},
                                           LineCase{"dashDotDot", DrawDashDotDot, 1, 0.55, 0.7},
                                           LineCase{"invisible", DrawInvisible, 1, 0, 0},
                                           LineCase{"insideSolid", DrawInsideSolid, 1, 0.99, 1},
                                           LineCase{"wideDashIsSolid", DrawDash, 3, 0.99, 1},
                                           LineCase{"wideDotIsSolid", DrawDot, 2, 0.99, 1}),
                         [](const auto& p) { return std::string(p.param.name); });

// Marks partly or wholly off the surface, or at coordinates no surface could hold: the part on
// the surface is drawn, nothing else happens.
struct OffSurfaceCase {
    const char* name;
    std::function<void(MapCanvas&)> draw;
    int minPixels, maxPixels;  // pixels of the 400 x 40 surface no longer white
};

class OffSurface : public ::testing::TestWithParam<OffSurfaceCase> {};

TEST_P(OffSurface, DrawsWhatLiesOnTheSurface)
{
    MapCanvas c(QSize(400, 40));
    c.SetFillStyle(FillStyle::Solid);
    GetParam().draw(c);
    const QImage& image = c.Image();
    int drawn = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 400; ++x) drawn += image.pixelColor(x, y) != Qt::white ? 1 : 0;
    EXPECT_GE(drawn, GetParam().minPixels);
    EXPECT_LE(drawn, GetParam().maxPixels);
}

constexpr float kHuge = 1e30f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Marks, OffSurface,
    ::testing::Values(
        OffSurfaceCase{"farLineAcross", [](MapCanvas& c) { c.Line(-1e9f, 300, 1e9f, 300, 0xFF); }, 400, 400},
        OffSurfaceCase{"farSlopedLine", [](MapCanvas& c) { c.Line(-1e9f, -1e8f, 1e9f, 1e8f + 600, 0xFF); }, 1, 400},
        // Beyond where double precision can place the visible part: left out.
        OffSurfaceCase{"absurdLineAcross", [](MapCanvas& c) { c.Line(-kHuge, 300, kHuge, 300, 0xFF); }, 0, 0},
        OffSurfaceCase{"hugeDashedLineAcross",
                       [](MapCanvas& c) {
                           c.SetDrawStyle(DrawDash);
                           c.Line(-1e9f, 300, 1e9f, 300, 0xFF);
                       },
                       250, 350},
        OffSurfaceCase{"hugeWideLineAcross",
                       [](MapCanvas& c) {
                           c.SetDrawWidth(3);
                           c.Line(-1e9f, 300, 1e9f, 300, 0xFF);
                       },
                       1000, 1400},
        OffSurfaceCase{"lineAbove", [](MapCanvas& c) { c.Line(0, -3000, 6000, -3000, 0xFF); }, 0, 0},
        OffSurfaceCase{"lineNaN", [](MapCanvas& c) { c.Line(kNaN, 300, 6000, 300, 0xFF); }, 0, 0},
        OffSurfaceCase{"lineInfinite", [](MapCanvas& c) { c.Line(-kInf, 300, kInf, 300, 0xFF); }, 0, 0},
        OffSurfaceCase{"circleOnCorner", [](MapCanvas& c) { c.Circle(0, 0, 150, 0xFF); }, 70, 130},
        OffSurfaceCase{"circleFarAway", [](MapCanvas& c) { c.Circle(kHuge, kHuge, 50, 0xFF); }, 0, 0},
        OffSurfaceCase{"circleNaN", [](MapCanvas& c) { c.Circle(kNaN, 300, 50, 0xFF); }, 0, 0},
        OffSurfaceCase{"circleHugeRadius", [](MapCanvas& c) { c.Circle(3000, 300, kHuge, 0xFF); }, 0, 16000},
        OffSurfaceCase{"labelFarAway",
                       [](MapCanvas& c) {
                           c.SetTextPosition(kHuge, 0);
                           c.Print("G-ABCD");
                       },
                       0, 0},
        // 100 000 bytes of anything, NULs included: drawn as far as the surface reaches.
        OffSurfaceCase{"hugeBinaryLabel",
                       [](MapCanvas& c) {
                           std::string text(100000, '\0');
                           for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 7);
                           c.Print(text);
                           c.Print(text);
                       },
                       2000, 16000},
        OffSurfaceCase{"wideCircleFarAway",
                       [](MapCanvas& c) {
                           c.SetDrawWidth(2);
                           c.Circle(-kHuge, 300, 50, 0xFF);
                       },
                       0, 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(MapCanvas, CircleFillFollowsTheFillStyle)
{
    struct Case {
        const char* name;
        FillStyle fill;
        QColor centre;
    } cases[] = {{"solid", FillStyle::Solid, QColor(0, 255, 0)}, {"transparent", FillStyle::Transparent, Qt::white}};
    for (const Case& k : cases) {
        MapCanvas c(QSize(100, 100));
        c.SetFillStyle(k.fill);
        c.SetFillColour(0x00FF00);
        c.Circle(750, 750, 300, 0xFF0000);  // centre (50, 50), radius 20 pixels, red outline
        const QImage& image = c.Image();
        EXPECT_EQ(image.pixelColor(50, 50), k.centre) << k.name;
        EXPECT_EQ(image.pixelColor(70, 50), QColor(0, 0, 255)) << k.name << ": outline";
        EXPECT_EQ(image.pixelColor(75, 50), Qt::white) << k.name << ": outside";
    }
}

TEST(MapCanvas, OriginShiftsEveryMark)
{
    MapCanvas c(QSize(100, 100));
    c.SetOrigin(-1500, 3000);  // the corner is 100 pixels left of and 200 below (0, 0)
    c.SetFillStyle(FillStyle::Solid);
    c.SetFillColour(0x0000FF);
    c.Circle(-1500 + 10 * 15, 3000 + 20 * 15, 45, 0x0000FF);
    EXPECT_EQ(c.Image().pixelColor(10, 20), QColor(255, 0, 0));
    EXPECT_EQ(c.ToPixels(0, 0), QPointF(100, -200));
}

TEST(MapCanvas, LabelBoxGrowsWithTheDpi)
{
    // The box's size in pixels: the rows and the columns with any of the back colour; and
    // whether any of the text lies outside it.
    struct Box {
        int width, height;
        bool spills;
    };
    auto measure = [](double dpi) {
        MapCanvas c(QSize(200, 200), dpi);
        c.SetColours(0x000000, 0xFF0000);
        c.SetFontBold(true);
        c.SetFontSize(7);
        c.SetTextPosition(0, 0);
        c.Print("G-ABCD");
        const QImage& image = c.Image();
        Box box{0, 0, false};
        for (int y = 0; y < 200; ++y) {
            bool back = false;
            for (int x = 0; x < 200 && !back; ++x) back = image.pixelColor(x, y) == QColor(0, 0, 255);
            box.height += back ? 1 : 0;
        }
        for (int x = 0; x < 200; ++x) {
            bool back = false;
            for (int y = 0; y < 200 && !back; ++y) back = image.pixelColor(x, y) == QColor(0, 0, 255);
            box.width += back ? 1 : 0;
        }
        for (int y = 0; y < 200; ++y)
            for (int x = box.width; x < 200; ++x) box.spills |= image.pixelColor(x, y) != Qt::white;
        return box;
    };
    const Box at96 = measure(96), at192 = measure(192);
    EXPECT_GE(at96.height, 8);  // 7 points are 9.3 pixels at 96 dpi
    EXPECT_LE(at96.height, 14);
    EXPECT_NEAR(at192.height, 2 * at96.height, 2);
    EXPECT_NEAR(at192.width, 2 * at96.width, 4);
    EXPECT_FALSE(at96.spills);
    EXPECT_FALSE(at192.spills);
}

TEST(MapCanvas, WindowsColoursAreBlueGreenRed)
{
    struct Case {
        Colour in;
        QColor out;
    } cases[] = {
        {0x0000FF, QColor(255, 0, 0)},        {0xFF0000, QColor(0, 0, 255)},
        {0x123456, QColor(0x56, 0x34, 0x12)}, {0x02123456, QColor(0x56, 0x34, 0x12)},  // palette-relative
        {0x80000008, QColor(0, 0, 0)},                                                 // window text
        {0x80000005, QColor(255, 255, 255)},                                           // window
        {0x800000FF, QColor(0, 0, 0)},                                                 // no such system colour
    };
    for (const Case& k : cases) EXPECT_EQ(ToQColor(k.in), k.out) << std::hex << k.in;
}

// ---- background images -------------------------------------------------------------------

struct LoadCase {
    const char* name;
    std::function<std::string(const fs::path& home)> make;  // writes the file, gives its path
    ImageLoad expected;
};

std::string WriteBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
}

// The headers of a JPEG that promises 40000 x 40000 pixels (6 GB decoded) and holds no data.
std::string HugeJpegHeader()
{
    const unsigned char h[] = {0xFF, 0xD8,                                                       // start
                               0xFF, 0xC0, 0, 17, 8,    0x9C, 0x40, 0x9C, 0x40, 3,               // frame
                               1,    0x11, 0, 2,  0x11, 0,    3,    0x11, 0,                     // components
                               0xFF, 0xDA, 0, 12, 3,    1,    0,    2,    0,    3, 0, 0, 63, 0,  // scan
                               1,    2,    3, 4,  0xFF, 0xD9};
    return std::string(reinterpret_cast<const char*>(h), sizeof h);
}

class LoadImageResult : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadImageResult, FromTheFileAndItsContent)
{
    test::TempHome home;
    const std::string path = GetParam().make(home.path());
    MapCanvas c(QSize(40, 30));
    c.SetColours(0, 0xFFFFFF);
    EXPECT_EQ(c.LoadImage(path), GetParam().expected);
    EXPECT_EQ(c.LastLoad(), GetParam().expected);
    if (GetParam().expected != ImageLoad::Ok) {
        EXPECT_EQ(c.Image().pixelColor(20, 15), Qt::white) << "a failed load leaves the surface as it was";
        return;
    }
    ASSERT_TRUE(c.PaintImage(c.Width(), c.Height()));
    EXPECT_TRUE(test::Near(c.Image().pixelColor(20, 15), kBackground, 8))
        << test::Describe(c.Image().pixelColor(20, 15));
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadImageResult,
    ::testing::Values(
        LoadCase{"jpeg",
                 [](const fs::path& h) {
                     test::WriteImage(h / "m.jpg", test::SolidImage(64, 48, kBackground));
                     return (h / "m.jpg").string();
                 },
                 ImageLoad::Ok},
        LoadCase{"bmp",
                 [](const fs::path& h) {
                     test::WriteImage(h / "m.bmp", test::SolidImage(64, 48, kBackground));
                     return (h / "m.bmp").string();
                 },
                 ImageLoad::Ok},
        LoadCase{"gif",
                 [](const fs::path& h) {
                     test::WriteSolidGif(h / "m.gif", 20, 10, kBackground);
                     return (h / "m.gif").string();
                 },
                 ImageLoad::Ok},
        LoadCase{"jpegNamedBmp",
                 [](const fs::path& h) {
                     test::WriteImage(h / "m.jpg", test::SolidImage(64, 48, kBackground));
                     fs::rename(h / "m.jpg", h / "m.bmp");
                     return (h / "m.bmp").string();
                 },
                 ImageLoad::Ok},
        LoadCase{"missing", [](const fs::path& h) { return (h / "none.jpg").string(); }, ImageLoad::MissingFile},
        LoadCase{"emptyPath", [](const fs::path&) { return std::string(); }, ImageLoad::MissingFile},
        LoadCase{"folder", [](const fs::path& h) { return h.string(); }, ImageLoad::MissingFile},
        LoadCase{"emptyFile", [](const fs::path& h) { return WriteBytes(h / "m.jpg", ""); }, ImageLoad::MissingFile},
        LoadCase{"text", [](const fs::path& h) { return WriteBytes(h / "m.jpg", std::string(5000, 'x')); },
                 ImageLoad::MissingFile},
        LoadCase{"brokenJpeg",
                 [](const fs::path& h) {
                     return WriteBytes(h / "m.jpg", std::string("\xFF\xD8\xFF\xE0", 4) + std::string(300, '\x01'));
                 },
                 ImageLoad::MissingFile},
        LoadCase{"hugeJpeg", [](const fs::path& h) { return WriteBytes(h / "m.jpg", HugeJpegHeader()); },
                 ImageLoad::OutOfResources}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(MapCanvas, PaintImageSizes)
{
    test::TempHome home;
    const std::string file = (home.path() / "m.bmp").string();
    test::WriteImage(file, test::SolidImage(10, 10, kBackground));
    struct Case {
        const char* name;
        float width, height;  // twips
        bool painted;         // PaintImage's answer
        bool covers;          // the picture lies under pixel (50, 50)
    } cases[] = {
        {"surface", 1500, 1500, true, true},
        {"larger", 3000, 3000, true, true},
        {"half", 750, 750, true, false},
        {"none", 0, 0, true, false},
        {"negative", -1500, 1500, true, false},
        {"tooLarge", 1e9f, 1500, false, false},
        {"notANumber", std::numeric_limits<float>::quiet_NaN(), 1500, false, false},
    };
    for (const Case& k : cases) {
        MapCanvas c(QSize(100, 100));
        ASSERT_EQ(c.LoadImage(file), ImageLoad::Ok);
        EXPECT_EQ(c.PaintImage(k.width, k.height), k.painted) << k.name;
        EXPECT_EQ(c.Image().pixelColor(50, 50) == kBackground, k.covers) << k.name;
        EXPECT_EQ(c.Image().pixelColor(5, 5), kBackground) << k.name << ": the loaded picture shows unscaled";
    }
}

TEST_F(CanvasScene, CorruptImageIsReportedAsNoMap)
{
    rig.home.Write("map.bmp", std::string(4000, '\x07'));
    NewPlot1(s);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "You haven't selected a map1");
}

TEST_F(CanvasScene, SurfaceTooLargeIsLowMemory)
{
    view.SetClientSize(QSize(40000, 10));
    ASSERT_TRUE(view.canvas().Failed());
    EXPECT_NO_THROW(view.canvas().Image());
    NewPlot1(s);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, kLowMemory);
    try {
        view.canvas().Circle(0, 0, 50, 0);
        ADD_FAILURE() << "drawing on a surface that could not be had";
    } catch (const Fault& f) {
        EXPECT_EQ(f.number(), err::OutOfMemory);
    }
}

TEST_F(CanvasScene, EmptyClientAreaDrawsNothingAndFailsNothing)
{
    view.SetClientSize(QSize(0, 0));
    AddAircraft("G-ABCD", "50000/-20000");
    NewPlot1(s);
    EXPECT_TRUE(rig.notes.messages.empty());
    EXPECT_TRUE(view.canvas().Image().isNull());
}

// What the cache does on the second load after a change to the file.
struct CacheCase {
    const char* name;
    std::function<void(const fs::path& file)> change;
    int decodes;  // after both loads
    ImageLoad second;
};

class BackgroundCacheReload : public ::testing::TestWithParam<CacheCase> {};

TEST_P(BackgroundCacheReload, OnlyWhenSizeOrTimeChanged)
{
    test::TempHome home;
    const fs::path file = home.path() / "m.bmp";
    test::WriteImage(file, test::SolidImage(64, 48, kBackground));
    fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(1));
    ui::BackgroundCache cache;
    ASSERT_EQ(cache.Load(file.string()).status, ImageLoad::Ok);
    GetParam().change(file);
    EXPECT_EQ(cache.Load(file.string()).status, GetParam().second);
    EXPECT_EQ(cache.Decodes(), GetParam().decodes);
}

void KeepTime(const fs::path& file, const std::function<void()>& write)
{
    const auto t = fs::last_write_time(file);
    write();
    fs::last_write_time(file, t);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, BackgroundCacheReload,
    ::testing::Values(
        CacheCase{"unchanged", [](const fs::path&) {}, 1, ImageLoad::Ok},
        CacheCase{"newerTime",
                  [](const fs::path& f) { fs::last_write_time(f, fs::last_write_time(f) + std::chrono::seconds(2)); },
                  2, ImageLoad::Ok},
        CacheCase{"olderTime",
                  [](const fs::path& f) { fs::last_write_time(f, fs::last_write_time(f) - std::chrono::seconds(2)); },
                  2, ImageLoad::Ok},
        CacheCase{
            "otherSizeSameTime",
            [](const fs::path& f) { KeepTime(f, [&] { test::WriteImage(f, test::SolidImage(65, 48, Qt::red)); }); }, 2,
            ImageLoad::Ok},
        // Size and time are the key: a rewrite that keeps both is not noticed.
        CacheCase{
            "sameSizeSameTime",
            [](const fs::path& f) { KeepTime(f, [&] { test::WriteImage(f, test::SolidImage(64, 48, Qt::red)); }); }, 1,
            ImageLoad::Ok},
        CacheCase{"removed", [](const fs::path& f) { fs::remove(f); }, 1, ImageLoad::MissingFile},
        CacheCase{"corrupted",
                  [](const fs::path& f) { std::ofstream(f, std::ios::binary | std::ios::trunc) << "not a picture"; }, 2,
                  ImageLoad::MissingFile}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(BackgroundCache, KeepsOnlyItsCapacity)
{
    test::TempHome home;
    const std::string a = (home.path() / "a.bmp").string(), b = (home.path() / "b.bmp").string();
    test::WriteImage(a, test::SolidImage(8, 8, Qt::red));
    test::WriteImage(b, test::SolidImage(8, 8, Qt::blue));
    struct Case {
        std::size_t capacity;
        int decodes;  // after loading a, b, a, b
    } cases[] = {{0, 4}, {1, 4}, {2, 2}};
    for (const Case& k : cases) {
        ui::BackgroundCache cache(k.capacity);
        for (const std::string& p : {a, b, a, b}) ASSERT_EQ(cache.Load(p).status, ImageLoad::Ok);
        EXPECT_EQ(cache.Decodes(), k.decodes) << "capacity " << k.capacity;
    }
}

TEST_F(CanvasScene, RedrawShowsTheBackgroundFileAsItIsNow)
{
    NewPlot1(s);
    EXPECT_EQ(At(10, 10), kBackground);
    const auto before = fs::last_write_time(image);
    test::WriteImage(image, test::SolidImage(200, 150, QColor(200, 10, 10)));
    fs::last_write_time(image, before + std::chrono::seconds(5));
    NewPlot1(s);
    EXPECT_EQ(At(10, 10), QColor(200, 10, 10));
    NewPlot1(s);
    EXPECT_EQ(view.canvas().Cache().Decodes(), 2);
}

TEST_F(CanvasScene, RedrawAfterResizeScalesTheBackgroundAgain)
{
    // Left half one colour, right half another: the seam must follow the window's width.
    QImage halves = test::SolidImage(200, 150, kBackground);
    for (int y = 0; y < 150; ++y)
        for (int x = 100; x < 200; ++x) halves.setPixelColor(x, y, Qt::white);
    test::WriteImage(image, halves);
    for (int width : {400, 250}) {
        view.SetClientSize(QSize(width, 300));
        NewPlot1(s);
        EXPECT_EQ(At(width / 2 - 3, 150), kBackground) << width;
        EXPECT_EQ(At(width / 2 + 3, 150), Qt::white) << width;
        EXPECT_EQ(view.canvas().Image().size(), QSize(width, 300));
    }
}

}  // namespace
}  // namespace korval
