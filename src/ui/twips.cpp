#include "twips.h"

#include <cmath>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace korval::ui {
namespace {

constexpr double kTwipsPerInch = 1440.0;

double DpiX(const QWidget* w)
{
    return w && w->logicalDpiX() > 0 ? w->logicalDpiX() : 96.0;
}
double DpiY(const QWidget* w)
{
    return w && w->logicalDpiY() > 0 ? w->logicalDpiY() : 96.0;
}

int Round(double v)
{
    return static_cast<int>(std::lround(v));
}

}  // namespace

double TwipsPerPixelX(const QWidget* w)
{
    return kTwipsPerInch / DpiX(w);
}
double TwipsPerPixelY(const QWidget* w)
{
    return kTwipsPerInch / DpiY(w);
}

int PixelsX(const QWidget* w, double twips)
{
    return Round(twips / TwipsPerPixelX(w));
}
int PixelsY(const QWidget* w, double twips)
{
    return Round(twips / TwipsPerPixelY(w));
}
double TwipsX(const QWidget* w, int pixels)
{
    return pixels * TwipsPerPixelX(w);
}
double TwipsY(const QWidget* w, int pixels)
{
    return pixels * TwipsPerPixelY(w);
}

QRect ToPixels(const QWidget* w, const TwipsRect& r)
{
    // Both edges are rounded, so neighbours that touch in twips touch in pixels.
    const int left = PixelsX(w, r.left);
    const int top = PixelsY(w, r.top);
    return QRect(left, top, std::max(0, PixelsX(w, r.right()) - left), std::max(0, PixelsY(w, r.bottom()) - top));
}

TwipsRect ToTwips(const QWidget* w, const QRect& r)
{
    return {TwipsX(w, r.x()), TwipsY(w, r.y()), TwipsX(w, r.width()), TwipsY(w, r.height())};
}

void CentreOnScreen(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

QColor FromWindowsColour(std::uint32_t value, const QPalette& palette)
{
    if (value & 0x80000000u) {
        // The system colours the windows use, by their Windows index.
        switch (value & 0xFFu) {
            case 5:
                return palette.color(QPalette::Base);  // window background
            case 8:
                return palette.color(QPalette::Text);  // window text
            case 15:
                return palette.color(QPalette::Button);  // button face
            case 18:
                return palette.color(QPalette::ButtonText);  // button text
            case 13:
                return palette.color(QPalette::Highlight);  // highlight
            case 14:
                return palette.color(QPalette::HighlightedText);  // highlighted text
            default:
                return palette.color(QPalette::WindowText);
        }
    }
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

std::uint32_t ToWindowsColour(const QColor& colour)
{
    const QColor c = colour.toRgb();
    return static_cast<std::uint32_t>(c.red()) | static_cast<std::uint32_t>(c.green()) << 8 |
           static_cast<std::uint32_t>(c.blue()) << 16;
}

QString FromBytes(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text)
{
    const QByteArray b = text.toLatin1();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

}  // namespace korval::ui
