#include "ui/snapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include <QtGui/QImage>

#include "recording_canvas.h"
#include "test_images.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
namespace fs = std::filesystem;

const QColor kBackground(40, 80, 120);

// Map 2 over N 60, S 40, W -40, E 0 with one aircraft in the middle, its Show item off and a
// window of its own that must not be drawn on.
struct Snapshot : ::testing::Test {
    test::Rig rig;
    Station& s = rig.station;
    test::RecordingView window;
    fs::path out = rig.home.path() / "snap.jpg";

    Snapshot()
    {
        const auto image = test::WriteImage(rig.home.path() / "map.bmp", test::SolidImage(100, 100, kBackground));
        s.map[1] = test::Frame("60000", "40000", "000000", "-040000", image);
        s.map[1].Circle = 0x0000FF;  // red
        s.mapView[1] = &window;
        auto a = std::make_shared<Aircraft>();
        a->ID = "G-ABCD";
        a->NewLocation = "50000/-20000";
        a->Show = true;
        s.AircraftCol.Add(a, a->ID);
    }
    QImage Written() const { return QImage(test::QtName(out)); }
};

TEST_F(Snapshot, DrawsTheMapShownOrNotAndPutsEverythingBack)
{
    for (bool shown : {false, true}) {
        s.opt.mnuShowMap2 = shown;
        std::string error;
        ASSERT_TRUE(ui::WriteMapSnapshot(s, 2, out.string(), 320, 200, &error)) << error;
        const QImage picture = Written();
        ASSERT_EQ(picture.size(), QSize(320, 200));
        EXPECT_TRUE(test::Near(picture.pixelColor(10, 10), kBackground, 12))
            << test::Describe(picture.pixelColor(10, 10));
        EXPECT_TRUE(test::Near(picture.pixelColor(160, 100), Qt::red, 60))
            << test::Describe(picture.pixelColor(160, 100));
        EXPECT_EQ(s.opt.mnuShowMap2, shown);
        EXPECT_EQ(s.mapView[1], &window);
        EXPECT_TRUE(window.canvas.calls.empty());
        EXPECT_TRUE(rig.notes.messages.empty());
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
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(s.opt.mnuShowMap2);
    EXPECT_EQ(s.mapView[1], &window);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SnapshotRefused,
    ::testing::Values(Refusal{"mapFour", 4, 100, 100, nullptr, "map 4: there are maps"},
                      Refusal{"noWidth", 2, 0, 100, nullptr, "map 2: a size of 0 x 100"},
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
