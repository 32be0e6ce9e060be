#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>

#include "maps/redraw.h"
#include "recording_canvas.h"
#include "test_images.h"
#include "test_support.h"
#include "ui/map_canvas.h"
#include "ui/map_image.h"

namespace korval {
namespace {

using korval::test::PrintTo;
namespace fs = std::filesystem;
using Maker = std::function<std::string(const fs::path& home)>;  // writes a file, gives its path

const QColor kBackground(40, 80, 120);

std::string Write(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
}

std::string Picture(const fs::path& file)
{
    return test::WriteImage(file, test::SolidImage(64, 48, kBackground));
}

struct LoadCase {
    const char* name;
    Maker make;
    ImageLoad expected;
};

class LoadImageResult : public ::testing::TestWithParam<LoadCase> {};

// A file that holds no picture is no map (the user is sent to choose one); only a picture too
// large to hold is out of resources. A failed load leaves the surface as it was.
TEST_P(LoadImageResult, FromTheFileAndItsContent)
{
    test::TempHome home;
    ui::MapCanvas c(QSize(40, 30));
    EXPECT_EQ(c.LoadImage(GetParam().make(home.path())), GetParam().expected);
    EXPECT_EQ(c.LastLoad(), GetParam().expected);
    const bool ok = GetParam().expected == ImageLoad::Ok;
    if (ok) {
        EXPECT_TRUE(c.PaintImage(c.Width(), c.Height()));
    }
    const QColor centre = c.Image().pixelColor(20, 15);
    EXPECT_TRUE(test::Near(centre, ok ? kBackground : QColor(Qt::white), 8)) << test::Describe(centre);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadImageResult,
    ::testing::Values(
        // A picture is known by its content, not its name.
        LoadCase{"gifNamedBmp",
                 [](const fs::path& h) { return Write(h / "m.bmp", test::ReadTestData("canvas/solid.gif")); },
                 ImageLoad::Ok},
        LoadCase{"missing", [](const fs::path& h) { return (h / "m.jpg").string(); }, ImageLoad::MissingFile},
        LoadCase{"brokenJpeg",
                 [](const fs::path& h) { return Write(h / "m.jpg", test::ReadTestData("canvas/broken.jpg")); },
                 ImageLoad::MissingFile},
        LoadCase{"hugeJpeg",
                 [](const fs::path& h) { return Write(h / "m.jpg", test::ReadTestData("canvas/huge.jpg")); },
                 ImageLoad::OutOfResources}),
    test::CaseName());

// The second load after a change to the file.
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
    const fs::path file = Picture(home.path() / "m.bmp");
    fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(1));
    ui::BackgroundCache cache;
    ASSERT_EQ(cache.Load(file.string()).status, ImageLoad::Ok);
    GetParam().change(file);
    EXPECT_EQ(cache.Load(file.string()).status, GetParam().second);
    EXPECT_EQ(cache.Decodes(), GetParam().decodes);
}

void Rewrite(const fs::path& file, int width)  // keeping the time
{
    const auto t = fs::last_write_time(file);
    test::WriteImage(file, test::SolidImage(width, 48, Qt::red));
    fs::last_write_time(file, t);
}

void Touch(const fs::path& file, int seconds)
{
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(seconds));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, BackgroundCacheReload,
    ::testing::Values(CacheCase{"unchanged", [](const fs::path&) {}, 1, ImageLoad::Ok},
                      CacheCase{"newer", [](const fs::path& f) { Touch(f, 2); }, 2, ImageLoad::Ok},
                      CacheCase{"otherSizeSameTime", [](const fs::path& f) { Rewrite(f, 65); }, 2, ImageLoad::Ok},
                      CacheCase{"removed", [](const fs::path& f) { fs::remove(f); }, 1, ImageLoad::MissingFile},
                      CacheCase{"corrupted", [](const fs::path& f) { Write(f, "no"); }, 2, ImageLoad::MissingFile}),
    test::CaseName());

TEST(BackgroundCache, KeepsOnlyItsCapacity)
{
    test::TempHome home;
    const std::string a = Picture(home.path() / "a.bmp"), b = Picture(home.path() / "b.bmp");
    for (auto [capacity, decodes] : {std::pair{0, 4}, {1, 4}, {2, 2}}) {
        ui::BackgroundCache cache(static_cast<std::size_t>(capacity));
        for (const std::string& p : {a, b, a, b}) ASSERT_EQ(cache.Load(p).status, ImageLoad::Ok);
        EXPECT_EQ(cache.Decodes(), decodes) << "capacity " << capacity;
    }
}

// Map 1 in a window whose size and then background file change between redraws: the picture is
// scaled to the window, decoded again only when its file changed, and a corrupt file is no map.
TEST(MapCanvas, RedrawFollowsTheFileAndTheWindowSize)
{
    test::Rig rig;
    Station& s = rig.station;
    ui::CanvasMapView view(QSize(400, 300));
    const fs::path image = rig.home.path() / "map.bmp";
    s.map[0] = test::Frame("60000", "40000", "000000", "-040000", image.string());
    s.mapView[0] = &view;
    s.opt.mnuShowMap1 = true;
    // Its left half in `left`, its right half white, so the seam follows the width.
    auto paint = [&](QColor left) {
        QImage halves = test::SolidImage(200, 150, Qt::white);
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 100; ++x) halves.setPixelColor(x, y, left);
        const auto before = fs::exists(image) ? fs::last_write_time(image) : fs::file_time_type::clock::now();
        test::WriteImage(image, halves);
        fs::last_write_time(image, before + std::chrono::seconds(5));
    };
    const QColor red(200, 10, 10);
    paint(kBackground);
    for (const auto& [width, left, repaint, decodes] :
         {std::tuple{400, kBackground, false, 1}, {250, kBackground, false, 1}, {250, red, true, 2}}) {
        if (repaint) paint(left);
        view.SetClientSize(QSize(width, 300));
        NewPlot1(s);
        const QImage& drawn = view.canvas().Image();
        EXPECT_EQ(drawn.size(), QSize(width, 300));
        EXPECT_EQ(drawn.pixelColor(width / 2 - 3, 150), left) << width;
        EXPECT_EQ(drawn.pixelColor(width / 2 + 3, 150), QColor(Qt::white)) << width;
        EXPECT_EQ(view.canvas().Cache().Decodes(), decodes) << width;
    }
    Write(image, std::string(4000, '\x07'));
    NewPlot1(s);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "You haven't selected a map1") << "a corrupt file is no map";
}

}  // namespace
}  // namespace korval
