#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QtCore/QFile>
#include <QtGui/QColor>
#include <QtGui/QImage>

namespace korval::test {

inline QString QtName(const std::filesystem::path& file)
{
    return QFile::decodeName(QByteArray::fromStdString(file.string()));
}

inline QImage SolidImage(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Writes `image` as BMP or JPEG (by the name's suffix); the file's path.
inline std::string WriteImage(const std::filesystem::path& file, const QImage& image)
{
    EXPECT_TRUE(image.save(QtName(file), file.extension() == ".bmp" ? "BMP" : "JPG", 95)) << file;
    return file.string();
}

// Colours equal within `tolerance` in each channel (JPEG is lossy).
inline bool Near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

inline std::string Describe(QColor c)
{
    return "rgb(" + std::to_string(c.red()) + "," + std::to_string(c.green()) + "," + std::to_string(c.blue()) + ")";
}

}  // namespace korval::test
