#include "ui/raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "maps/canvas.h"

namespace korval::ui::raster {

// Dash patterns of the 1-pixel pens, in pixels on and off, as the maps' drawing layer drew them.
const QList<qreal>& DashPattern(int style)
{
    static const QList<qreal> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
    switch (style) {
        case DrawDash:
            return dash;
        case DrawDot:
            return dot;
        case DrawDashDot:
            return dashDot;
        default:
            return dashDotDot;
    }
}

void Pixels::Span(std::int64_t y, std::int64_t x0, std::int64_t x1, QRgb colour) const
{
    if (y < 0 || y >= height) return;
    x0 = std::max<std::int64_t>(x0, 0);
    x1 = std::min<std::int64_t>(x1, width - 1);
    QRgb* row = Row(static_cast<int>(y));
    for (std::int64_t x = x0; x <= x1; ++x) row[x] = colour;
}

// The pixels of a surface that a painter is active on (so it is not shared, and bits() does
// not copy it).
Pixels DirectPixels(QImage& surface)
{
    return Pixels{surface.bits(), surface.bytesPerLine(), surface.width(), surface.height()};
}

// Cuts the segment down to the rectangle [lo, hiX] x [lo, hiY] (Liang-Barsky); false when none
// of it lies inside or a coordinate is no finite number.
bool ClipSegment(QPointF& a, QPointF& b, double lo, double hiX, double hiY)
{
    const double x0 = a.x(), y0 = a.y(), dx = b.x() - x0, dy = b.y() - y0;
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(dx) || !std::isfinite(dy)) return false;
    double t0 = 0, t1 = 1;
    auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double t = q / p;
        if (p < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!edge(-dx, x0 - lo) || !edge(dx, hiX - x0) || !edge(-dy, y0 - lo) || !edge(dy, hiY - y0)) return false;
    b = QPointF(x0 + t1 * dx, y0 + t1 * dy);
    a = QPointF(x0 + t0 * dx, y0 + t0 * dy);
    return true;
}

bool Drawable(QPointF p)
{
    return std::abs(p.x()) <= kFar && std::abs(p.y()) <= kFar;  // false for NaN too
}

namespace {

// The pixel nearest to v, within 0..size-1.
int PixelIndex(double v, int size)
{
    return static_cast<int>(std::clamp(std::floor(v + 0.5), 0.0, double(size - 1)));
}

// Bresenham from (x, y) to (x1, y1), both on the surface; `plot` says whether the n-th pixel
// is drawn.
template <class Plot>
void Walk(const Pixels& px, int x, int y, int x1, int y1, QRgb colour, Plot plot)
{
    const int dx = std::abs(x1 - x), sx = x < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y), sy = y < y1 ? 1 : -1;
    const qsizetype step = sy * (px.stride / qsizetype(sizeof(QRgb)));
    QRgb* p = px.Row(y) + x;
    int err = dx + dy;
    for (;;) {
        if (plot()) *p = colour;
        if (x == x1 && y == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
            p += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
            p += step;
        }
    }
}

}  // namespace

// A 1-pixel line, both ends included, in the on/off pattern `mask` (one entry a pixel along
// the line's longer axis; empty for solid), the pattern starting at the line's first end.
void DrawThinLine(const Pixels& px, QPointF a, QPointF b, QRgb colour, const std::vector<bool>& mask)
{
    if (!Drawable(a) || !Drawable(b)) return;
    const bool xMajor = std::abs(b.x() - a.x()) >= std::abs(b.y() - a.y());
    const double start = xMajor ? a.x() : a.y();
    // Cut to the pixels' own area, so that every rounded point lies on the surface.
    constexpr double kInside = 0.499;
    if (px.width < 1 || px.height < 1 || !ClipSegment(a, b, -kInside, px.width - 1 + kInside, px.height - 1 + kInside))
        return;
    const int x = PixelIndex(a.x(), px.width), y = PixelIndex(a.y(), px.height);
    const int x1 = PixelIndex(b.x(), px.width), y1 = PixelIndex(b.y(), px.height);
    if (mask.empty()) {
        Walk(px, x, y, x1, y1, colour, [] { return true; });
        return;
    }
    const double skipped = std::abs((xMajor ? a.x() : a.y()) - start);
    auto phase = static_cast<std::size_t>(std::fmod(std::floor(skipped + 0.5), double(mask.size())));
    Walk(px, x, y, x1, y1, colour, [&] {
        const bool on = mask[phase];
        if (++phase == mask.size()) phase = 0;
        return on;
    });
}

// A circle of radius r pixels around the pixel nearest the centre: the pixels within r + 1/2
// of it; a 1-pixel ring of those beyond r - 1/2 in `outline` when `ring`, the rest in `fill`
// when `filled`.
void DrawThinCircle(const Pixels& px, QPointF centre, double r, bool ring, QRgb outline, bool filled, QRgb fill)
{
    const double reach = r + 0.5;
    if (!(std::abs(centre.x()) <= kFarMark && std::abs(centre.y()) <= kFarMark && reach <= kFarMark)) return;
    if (centre.x() + reach < -1 || centre.x() - reach > px.width + 1 || centre.y() + reach < -1 ||
        centre.y() - reach > px.height + 1)
        return;
    const std::int64_t cx = static_cast<std::int64_t>(std::floor(centre.x() + 0.5));
    const std::int64_t cy = static_cast<std::int64_t>(std::floor(centre.y() + 0.5));
    const double outer = reach * reach;
    const double inner = r >= 1 ? (r - 0.5) * (r - 0.5) : -1;
    const std::int64_t rows = static_cast<std::int64_t>(std::floor(reach));
    const std::int64_t first = std::max<std::int64_t>(-rows, -cy),
                       last = std::min<std::int64_t>(rows, px.height - 1 - cy);
    for (std::int64_t dy = first; dy <= last; ++dy) {
        const double d2 = double(dy) * double(dy);
        const auto out = static_cast<std::int64_t>(std::floor(std::sqrt(outer - d2)));
        const auto in = inner >= d2 ? static_cast<std::int64_t>(std::floor(std::sqrt(inner - d2))) : -1;
        if (!ring) {
            if (filled) px.Span(cy + dy, cx - out, cx + out, fill);
            continue;
        }
        if (filled && in >= 0) px.Span(cy + dy, cx - in, cx + in, fill);
        px.Span(cy + dy, cx - out, cx - in - 1, outline);
        px.Span(cy + dy, cx + in + 1, cx + out, outline);
    }
}

// The on/off mask of a dashed 1-pixel line, a pixel an entry.
const std::vector<bool>& DashMask(int style)
{
    static const std::vector<bool> solid;
    static const auto masks = [] {
        std::array<std::vector<bool>, DrawInsideSolid + 1> m;
        for (int st = DrawDash; st <= DrawDashDotDot; ++st) {
            const QList<qreal>& pattern = DashPattern(st);
            for (qsizetype i = 0; i < pattern.size(); ++i)
                m[st].insert(m[st].end(), std::size_t(pattern[i]), i % 2 == 0);
        }
        return m;
    }();
    return style >= DrawDash && style <= DrawDashDotDot ? masks[style] : solid;
}

}  // namespace korval::ui::raster
