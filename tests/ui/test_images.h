#pragma once

#include <filesystem>
#include <string>

#include <QtGui/QColor>
#include <QtGui/QImage>

namespace korval::test {

// A picture of one colour.
QImage SolidImage(int width, int height, QColor colour);
// A picture in four colours: top-left red, top-right blue, bottom-left green, bottom-right
// yellow, so that swapped bytes, sheared rows and flips all show.
QImage Quadrants(int width, int height);

// Writes `image` as BMP or JPG (by the name's suffix); fails the test when it cannot.
void WriteImage(const std::filesystem::path& file, const QImage& image);
// Writes a GIF of one colour (Qt reads GIF but does not write it).
void WriteSolidGif(const std::filesystem::path& file, int width, int height, QColor colour);

// Colours equal within `tolerance` in each channel (JPEG is lossy).
bool Near(QColor a, QColor b, int tolerance);
std::string Describe(QColor c);

}  // namespace korval::test
