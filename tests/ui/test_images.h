#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QtGui/QColor>
#include <QtGui/QImage>

namespace korval::test {

// The plain background of the tests' maps.
inline const QColor kBackground(40, 80, 120);

inline QImage SolidImage(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Writes `image` as BMP; the file's path.
inline std::string WriteImage(const std::filesystem::path& file, const QImage& image)
{
    EXPECT_TRUE(image.save(QString::fromStdString(file.string()), "BMP")) << file;
    return file.string();
}

// Colours equal within `tolerance` in each channel (JPEG is lossy).
inline bool Near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

}  // namespace korval::test
