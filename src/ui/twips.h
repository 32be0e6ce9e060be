#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QString>

class QWidget;

namespace korval::ui {

// Window coordinates of the system are twips: 1/1440 inch, so 15 twips to a pixel on a
// 96-dpi screen. The pixel size follows the logical dpi of the screen the widget is on.
double TwipsPerPixelX(const QWidget* w);
double TwipsPerPixelY(const QWidget* w);

// Whole pixels from twips, rounded to the nearest pixel; and back.
int PixelsX(const QWidget* w, double twips);
int PixelsY(const QWidget* w, double twips);
double TwipsX(const QWidget* w, int pixels);
double TwipsY(const QWidget* w, int pixels);

// A rectangle in twips.
struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
    double right() const { return left + width; }
    double bottom() const { return top + height; }
    bool operator==(const TwipsRect&) const = default;
};
QRect ToPixels(const QWidget* w, const TwipsRect& r);
TwipsRect ToTwips(const QWidget* w, const QRect& r);

// Places a window in the middle of its screen: left = (screen width - window width) / 2, top
// likewise with the heights.
void CentreOnScreen(QWidget* window);

// Windows colour values (0x00BBGGRR). A value with the top bit set names a system colour
// (0x80000008 is the window text colour), taken from the palette.
QColor FromWindowsColour(std::uint32_t value, const QPalette& palette = QPalette());
std::uint32_t ToWindowsColour(const QColor& colour);

// Message and settings texts are bytes (ASCII in practice), never decoded as UTF-8: each byte
// is one character.
QString FromBytes(std::string_view bytes);
std::string ToBytes(const QString& text);

}  // namespace korval::ui
