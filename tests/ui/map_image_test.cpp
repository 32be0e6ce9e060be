#include "ui/map_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <QtCore/QFile>
#include <QtGui/QImageReader>

#include "test_images.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

namespace fs = std::filesystem;

QImage ReadBack(const fs::path& file)
{
    QImageReader reader(QFile::decodeName(QByteArray::fromStdString(file.string())));
    EXPECT_EQ(reader.format(), QByteArrayLiteral("jpeg")) << file;
    return reader.read();
}

TEST(CreateFromPicture, RowsAreBlueGreenRedAndPadded)
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(1, 2, 3));
    picture.setPixel(1, 0, qRgb(4, 5, 6));
    picture.setPixel(2, 0, qRgb(7, 8, 9));
    picture.setPixel(0, 1, qRgb(10, 11, 12));
    picture.setPixel(1, 1, qRgb(13, 14, 15));
    picture.setPixel(2, 1, qRgb(16, 17, 18));
    DibSection dib;
    ui::CreateFromPicture(dib, picture);
    ASSERT_EQ(dib.BytesPerScanLine(), 12);
    const std::uint8_t* bits = dib.DIBSectionBitsPtr();
    const std::uint8_t expected[24] = {3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0, 12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0};
    for (int i = 0; i < 24; ++i) EXPECT_EQ(bits[i], expected[i]) << "byte " << i;
}

// Widths around the 4-byte row rule: a sheared or mis-padded row would move the quadrants.
class SaveJpgWidth : public ::testing::TestWithParam<int> {};

TEST_P(SaveJpgWidth, ReadsBackWithItsSizeAndColours)
{
    const int width = GetParam(), height = 40;
    test::TempHome home;
    const fs::path file = home.path() / "map.jpg";
    DibSection dib;
    ui::CreateFromPicture(dib, test::Quadrants(width, height));
    ui::SaveJPG(dib, file.string(), 90);

    const QImage back = ReadBack(file);
    ASSERT_EQ(back.size(), QSize(width, height));
    if (width < 16) return;  // too small for the colours to survive 8 x 8 blocks
    struct Spot {
        int x, y;
        QColor colour;
    } spots[] = {{width / 4, height / 4, Qt::red},
                 {width * 3 / 4, height / 4, Qt::blue},
                 {width / 4, height * 3 / 4, Qt::green},
                 {width * 3 / 4, height * 3 / 4, Qt::yellow},
                 {width - 4, height - 4, Qt::yellow}};
    for (const Spot& p : spots)
        EXPECT_TRUE(test::Near(back.pixelColor(p.x, p.y), p.colour, 40))
            << "(" << p.x << "," << p.y << ") " << test::Describe(back.pixelColor(p.x, p.y));
}

INSTANTIATE_TEST_SUITE_P(Widths, SaveJpgWidth, ::testing::Values(1, 2, 3, 4, 5, 17, 1000, 1001));

TEST(SaveJpg, SectionOfAThousandAndOnePixelsHasRowsOf3004Bytes)
{
    DibSection dib;
    ui::CreateFromPicture(dib, test::SolidImage(1001, 2, Qt::black));
    EXPECT_EQ(dib.BytesPerScanLine(), 3004);
}

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
    home.Write("map.jpg", "earlier map");
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
    EXPECT_EQ(home.Read("map.jpg"), "earlier map");
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveJpgFails,
                         ::testing::Values(SaveFailure{"missingFolder", 10, 90, true, "Failed to save to JPG 1"},
                                           SaveFailure{"emptySection", 0, 90, false, "Failed to save to JPG 3"},
                                           SaveFailure{"qualityZero", 10, 0, false, "Failed to save to JPG 4"},
                                           SaveFailure{"qualityAbove100", 10, 101, false, "Failed to save to JPG 4"}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(SaveMapImage, ReplacesAnExistingFile)
{
    test::TempHome home;
    home.Write("map.jpg", "earlier map");
    const fs::path file = home.path() / "map.jpg";
    ui::SaveMapImage(test::SolidImage(30, 20, Qt::red), file.string());
    const QImage back = ReadBack(file);
    EXPECT_EQ(back.size(), QSize(30, 20));
    EXPECT_TRUE(test::Near(back.pixelColor(15, 10), Qt::red, 20)) << test::Describe(back.pixelColor(15, 10));
}

}  // namespace
}  // namespace korval
