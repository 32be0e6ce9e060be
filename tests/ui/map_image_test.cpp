#include "ui/map_image.h"
#include "ui/snapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include <QtGui/QImageReader>
#include <QtGui/QPainter>

#include "recording_canvas.h"
#include "test_images.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::PrintTo;
namespace fs = std::filesystem;

// 19 pixels make 57 bytes a row, padded to 60: a sheared or mis-padded row would move the
// quadrants, red, blue / green, yellow, as swapped bytes and flips would.
TEST(SaveMapImage, ReadsBackWithItsSizeAndColours)
{
    const int w = 19, h = 40;
    test::TempHome home;
    home.Write("map.jpg", "an earlier map");  // replaced
    const fs::path file = home.path() / "map.jpg";
    QImage quadrants = test::SolidImage(w, h, Qt::yellow);
    QPainter paint(&quadrants);
    paint.fillRect(0, 0, w / 2, h / 2, Qt::red);
    paint.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::blue);
    paint.fillRect(0, h / 2, w / 2, h - h / 2, Qt::green);
    paint.end();
    ui::SaveMapImage(quadrants, file.string());

    QImageReader reader(QString::fromStdString(file.string()));
    EXPECT_EQ(reader.format(), QByteArrayLiteral("jpeg"));
    const QImage back = reader.read();
    ASSERT_EQ(back.size(), QSize(w, h));
    for (const auto& [x, y, colour] : {std::tuple{w / 4, h / 4, Qt::red},
                                       {w * 3 / 4, h / 4, Qt::blue},
                                       {w / 4, h * 3 / 4, Qt::green},
                                       {w - 4, h - 4, Qt::yellow}})
        EXPECT_TRUE(test::Near(back.pixelColor(x, y), colour, 40)) << x << "," << y;
}

struct SaveFailure {
    const char* name;
    const char* file;  // under the home folder
    int width;         // 0: a section never created
    int quality;
    std::string text;
};

class SaveJpgFails : public ::testing::TestWithParam<SaveFailure> {};

TEST_P(SaveJpgFails, RaisesAndLeavesAnExistingFile)
{
    const SaveFailure& k = GetParam();
    test::TempHome home;
    home.Write("map.jpg", "an earlier map");
    DibSection dib;
    if (k.width > 0) ui::CreateFromPicture(dib, test::SolidImage(k.width, 10, Qt::red));
    try {
        ui::SaveJPG(dib, (home.path() / k.file).string(), k.quality);
        ADD_FAILURE() << "saved";
    } catch (const Fault& f) {
        EXPECT_EQ(std::tuple(f.number(), f.description()), std::tuple(ui::kJpegFault, k.text));
    }
    EXPECT_EQ(home.Read("map.jpg"), "an earlier map");
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveJpgFails,
                         ::testing::Values(SaveFailure{"missingFolder", "no such folder/map.jpg", 10, 90,
                                                       "Failed to save to JPG 1"},
                                           SaveFailure{"emptySection", "map.jpg", 0, 90, "Failed to save to JPG 3"},
                                           SaveFailure{"quality101", "map.jpg", 10, 101, "Failed to save to JPG 4"}),
                         test::CaseName());

// ---- snapshots ---------------------------------------------------------------------------------

// Map 2 over N 60, S 40, W -40, E 0 with one aircraft in the middle, its Show item off and a
// window of its own that must not be drawn on.
struct Snapshot : ::testing::Test {
    test::Rig rig;
    Station& s = rig.station;
    test::RecordingView window;
    fs::path out = rig.home.path() / "snap.jpg";

    Snapshot()
    {
        const auto image = test::WriteImage(rig.home.path() / "map.bmp", test::SolidImage(100, 100, test::kBackground));
        s.map[1] = test::Frame("60000", "40000", "000000", "-040000", image);
        s.map[1].Circle = 0x0000FF;  // red
        s.mapView[1] = &window;
        test::AddAircraft(s, "G-ABCD", "50000/-20000");
    }
};

TEST_F(Snapshot, DrawsTheMapShownOrNotAndPutsEverythingBack)
{
    for (bool shown : {false, true}) {
        s.opt.mnuShowMap2 = shown;
        std::string error;
        ASSERT_TRUE(ui::WriteMapSnapshot(s, 2, out.string(), 320, 200, &error)) << error;
        const QImage picture(QString::fromStdString(out.string()));
        ASSERT_EQ(picture.size(), QSize(320, 200));
        EXPECT_TRUE(test::Near(picture.pixelColor(10, 10), test::kBackground, 12));
        EXPECT_TRUE(test::Near(picture.pixelColor(160, 100), Qt::red, 60));
        EXPECT_EQ(std::tuple(s.opt.mnuShowMap2, s.mapView[1], window.canvas.calls.size(), rig.notes.messages.size()),
                  std::tuple(shown, &window, 0u, 0u));
    }
}

struct Refusal {
    const char* name;
    int map, width, height;
    void (*spoil)(Station&, fs::path& out);
    const char* reason;  // the start of the error text
};

class SnapshotRefused : public Snapshot, public ::testing::WithParamInterface<Refusal> {};

TEST_P(SnapshotRefused, WritesNoFileAndSaysWhy)
{
    const Refusal& k = GetParam();
    if (k.spoil) k.spoil(s, out);
    std::string error;
    EXPECT_FALSE(ui::WriteMapSnapshot(s, k.map, out.string(), k.width, k.height, &error));
    EXPECT_EQ(error.rfind(k.reason, 0), 0u) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SnapshotRefused,
    ::testing::Values(Refusal{"mapFour", 4, 100, 100, nullptr, "map 4: there are maps"},
                      Refusal{"tooTall", 2, 100, 40000, nullptr, "map 2: a size of 100 x 40000"},
                      Refusal{"noImage", 2, 100, 100, [](Station& st, fs::path&) { st.map[1].MapPath.clear(); },
                              "map 2: no usable image"},
                      Refusal{"edgesNoNumbers", 2, 100, 100, [](Station& st, fs::path&) { st.map[1].N = "north"; },
                              "map 2: not drawn"},
                      Refusal{"unwritable", 2, 100, 100,
                              [](Station&, fs::path& o) { o = o.parent_path() / "none" / "snap.jpg"; },
                              "map 2: Failed to save to JPG 1"}),
    test::CaseName());

}  // namespace
}  // namespace korval
