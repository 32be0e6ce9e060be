#include "ui/map_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <QtGui/QImageReader>

#include "test_images.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::PrintTo;
namespace fs = std::filesystem;

TEST(CreateFromPicture, RowsAreBlueGreenRedAndPadded)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i) picture.setPixel(i % 3, i / 3, qRgb(3 * i + 1, 3 * i + 2, 3 * i + 3));
    DibSection dib;
    ui::CreateFromPicture(dib, picture);
    ASSERT_EQ(dib.BytesPerScanLine(), 12);
    const std::uint8_t expected[24] = {3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0, 12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0};
    for (int i = 0; i < 24; ++i) EXPECT_EQ(dib.DIBSectionBitsPtr()[i], expected[i]) << "byte " << i;
}

// Widths around the 4-byte row rule: a sheared or mis-padded row would move the quadrants.
class SaveJpgWidth : public ::testing::TestWithParam<int> {};

TEST_P(SaveJpgWidth, ReadsBackWithItsSizeAndColours)
{
    const int width = GetParam(), height = 40;
    test::TempHome home;
    home.Write("map.jpg", "an earlier map");  // replaced
    const fs::path file = home.path() / "map.jpg";
    // Quadrants red, blue / green, yellow: swapped bytes, sheared rows and flips all show.
    QImage quadrants(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            quadrants.setPixelColor(
                x, y, y < height / 2 ? (x < width / 2 ? Qt::red : Qt::blue) : (x < width / 2 ? Qt::green : Qt::yellow));
    ui::SaveMapImage(quadrants, file.string());

    QImageReader reader(test::QtName(file));
    EXPECT_EQ(reader.format(), QByteArrayLiteral("jpeg"));
    const QImage back = reader.read();
    ASSERT_EQ(back.size(), QSize(width, height));
    if (width < 16) return;  // too small for the colours to survive 8 x 8 blocks
    const struct {
        int x, y;
        Qt::GlobalColor colour;
    } spots[] = {{width / 4, height / 4, Qt::red},
                 {width * 3 / 4, height / 4, Qt::blue},
                 {width / 4, height * 3 / 4, Qt::green},
                 {width - 4, height - 4, Qt::yellow}};
    for (const auto& p : spots)
        EXPECT_TRUE(test::Near(back.pixelColor(p.x, p.y), p.colour, 40))
            << "(" << p.x << "," << p.y << ") " << test::Describe(back.pixelColor(p.x, p.y));
}

INSTANTIATE_TEST_SUITE_P(Widths, SaveJpgWidth, ::testing::Values(1, 3, 17, 1001),
                         [](const auto& p) { return "width" + std::to_string(p.param); });

struct SaveFailure {
    const char* name;
    int width;  // 0: a section never created
    int quality;
    bool missingFolder;
    std::string text;
};

class SaveJpgFails : public ::testing::TestWithParam<SaveFailure> {};

TEST_P(SaveJpgFails, RaisesAndLeavesAnExistingFile)
{
    const SaveFailure& k = GetParam();
    test::TempHome home;
    home.Write("map.jpg", "an earlier map");
    const fs::path file = k.missingFolder ? home.path() / "no such folder" / "map.jpg" : home.path() / "map.jpg";
    DibSection dib;
    if (k.width > 0) ui::CreateFromPicture(dib, test::SolidImage(k.width, 10, Qt::red));
    try {
        ui::SaveJPG(dib, file.string(), k.quality);
        ADD_FAILURE() << "saved";
    } catch (const Fault& f) {
        EXPECT_EQ(f.number(), ui::kJpegFault);
        EXPECT_EQ(f.description(), k.text);
    }
    EXPECT_EQ(home.Read("map.jpg"), "an earlier map");
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveJpgFails,
                         ::testing::Values(SaveFailure{"missingFolder", 10, 90, true, "Failed to save to JPG 1"},
                                           SaveFailure{"emptySection", 0, 90, false, "Failed to save to JPG 3"},
                                           SaveFailure{"quality101", 10, 101, false, "Failed to save to JPG 4"}),
                         test::CaseName());

}  // namespace
}  // namespace korval
