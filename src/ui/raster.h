#pragma once

#include <cstdint>
#include <vector>

#include <QtCore/QList>
#include <QtCore/QPointF>
#include <QtGui/QImage>
#include <QtGui/QRgb>

// Aliased 1-pixel drawing straight into a map surface. The maps draw thousands of dots, markers
// and route lines per redraw; writing their pixels directly costs a fraction of a general
// rasteriser's per-span work. Coordinates are pixels from the surface's top-left corner; pixel
// (i, j) is the one whose top-left corner is (i, j).
namespace korval::ui::raster {

// Pixel coordinates beyond this many pixels from the surface's corner are not drawn: double
// precision then no longer places a clipped end within a pixel. Far beyond any map's reach.
inline constexpr double kFar = 1e12;
// Circles and labels reaching further than this are not drawn (marks span a few pixels).
inline constexpr double kFarMark = 1 << 24;

struct Pixels {
    uchar* bits;
    qsizetype stride;
    int width, height;

    QRgb* Row(int y) const { return reinterpret_cast<QRgb*>(bits + y * stride); }
    // Pixels x0..x1 of row y, both included, as far as they lie on the surface.
    void Span(std::int64_t y, std::int64_t x0, std::int64_t x1, QRgb colour) const;
};

// The pixels of a 32-bit surface that a painter is active on (so it is not shared, and bits()
// does not copy it).
Pixels DirectPixels(QImage& surface);

// Dash patterns of the 1-pixel pens, in pixels on and off, as the maps' drawing layer drew them
// (styles DrawDash..DrawDashDotDot; any other style gives dash-dot-dot).
const QList<qreal>& DashPattern(int style);
// The on/off mask of a dashed 1-pixel line, a pixel an entry; empty for every other style.
const std::vector<bool>& DashMask(int style);

// Cuts the segment down to the rectangle [lo, hiX] x [lo, hiY] (Liang-Barsky); false when none
// of it lies inside or a coordinate is no finite number.
bool ClipSegment(QPointF& a, QPointF& b, double lo, double hiX, double hiY);
// Both coordinates within kFar pixels (false for NaN too).
bool Drawable(QPointF p);

// A 1-pixel line, both ends included, in the on/off pattern `mask` (one entry a pixel along
// the line's longer axis; empty for solid), the pattern starting at the line's first end.
void DrawThinLine(const Pixels& px, QPointF a, QPointF b, QRgb colour, const std::vector<bool>& mask);

// A circle of radius r pixels around the pixel nearest the centre: the pixels within r + 1/2
// of it; a 1-pixel ring of those beyond r - 1/2 in `outline` when `ring`, the rest in `fill`
// when `filled`.
void DrawThinCircle(const Pixels& px, QPointF centre, double r, bool ring, QRgb outline, bool filled, QRgb fill);

}  // namespace korval::ui::raster
