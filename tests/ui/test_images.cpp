#include "test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <vector>

#include <QtCore/QByteArray>
#include <QtCore/QFile>

namespace korval::test {

QImage SolidImage(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage Quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            const QRgb c =
                bottom ? (right ? qRgb(255, 255, 0) : qRgb(0, 255, 0)) : (right ? qRgb(0, 0, 255) : qRgb(255, 0, 0));
            image.setPixel(x, y, c);
        }
    }
    return image;
}

void WriteImage(const std::filesystem::path& file, const QImage& image)
{
    const QString name = QFile::decodeName(QByteArray::fromStdString(file.string()));
    const char* format = file.extension() == ".bmp" ? "BMP" : "JPG";
    ASSERT_TRUE(image.save(name, format, 95)) << file;
}

void WriteSolidGif(const std::filesystem::path& file, int width, int height, QColor colour)
{
    // Two-colour palette, LZW with 2-bit codes sent as 3-bit codes, a clear code after every two
    // pixels so that the code width never grows: simple, valid, uncompressed.
    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    auto word = [&](int v) {
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    word(width);
    word(height);
    out.insert(out.end(), {0x80, 0, 0});  // global table of 2 entries
    out.insert(out.end(), {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
                           static_cast<std::uint8_t>(colour.blue()), 0, 0, 0});
    out.push_back(0x2C);
    word(0);
    word(0);
    word(width);
    word(height);
    out.push_back(0);
    out.push_back(2);  // minimum code size

    std::vector<std::uint8_t> data;
    std::uint32_t bits = 0;
    int count = 0;
    auto code = [&](int c) {
        bits |= static_cast<std::uint32_t>(c) << count;
        count += 3;
        while (count >= 8) {
            data.push_back(static_cast<std::uint8_t>(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    };
    const int pixels = width * height;
    for (int i = 0; i < pixels; ++i) {
        if (i % 2 == 0) code(4);  // clear
        code(0);
    }
    code(5);  // end
    if (count > 0) data.push_back(static_cast<std::uint8_t>(bits & 0xFF));
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, data.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                   data.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
    out.push_back(0x3B);
    std::ofstream f(file, std::ios::binary);
    f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    ASSERT_TRUE(f.good()) << file;
}

bool Near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

std::string Describe(QColor c)
{
    return "rgb(" + std::to_string(c.red()) + "," + std::to_string(c.green()) + "," + std::to_string(c.blue()) + ")";
}

}  // namespace korval::test
