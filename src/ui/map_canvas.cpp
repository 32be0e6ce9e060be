#include "ui/map_canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include <QtCore/QList>
#include <QtCore/QString>

#include "text/fault.h"
#include "ui/raster.h"

namespace korval::ui {
using namespace raster;

namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kMetresPerInch = 0.0254;
constexpr int kInvalidPropertyValue = 380;
// The largest surface a map window can have, in pixels either way.
constexpr int kMaxSide = 32767;
// Labels kept laid out between redraws; the set starts again when it grows past this.
constexpr std::size_t kMaxLayouts = 8192;
// Longer texts (no ID or track name is) are laid out, drawn and dropped.
constexpr std::size_t kMaxKeptLabel = 64;

// A line wider than one pixel is solid whatever the style says (dashes need a 1-pixel pen).
int EffectiveStyle(int style, int width)
{
    if (width > 1 && style >= DrawDash && style <= DrawDashDotDot) return DrawSolid;
    return style;
}

QSize Sanitised(QSize pixels)
{
    return QSize(std::max(0, pixels.width()), std::max(0, pixels.height()));
}

}  // namespace

MapCanvas::MapCanvas(QSize pixels, double dpi, std::shared_ptr<BackgroundCache> cache)
    : dpi_(dpi > 0 ? dpi : 96),
      pixelsPerTwip_(dpi_ / kTwipsPerInch),
      cache_(cache ? std::move(cache) : std::make_shared<BackgroundCache>())
{
    Resize(pixels);
}

MapCanvas::~MapCanvas()
{
    EndPainting();
}

void MapCanvas::Resize(QSize pixels)
{
    EndPainting();
    size_ = Sanitised(pixels);
    surface_ = QImage();
    failed_ = false;
    loadPending_ = false;
    if (size_.isEmpty()) return;
    if (size_.width() > kMaxSide || size_.height() > kMaxSide) {
        failed_ = true;
        return;
    }
    try {
        surface_ = QImage(size_, QImage::Format_RGB32);
    } catch (const std::bad_alloc&) {
        surface_ = QImage();
    }
    if (surface_.isNull()) {
        failed_ = true;
        return;
    }
    const int dpm = static_cast<int>(std::lround(dpi_ / kMetresPerInch));
    surface_.setDotsPerMeterX(dpm);
    surface_.setDotsPerMeterY(dpm);
    surface_.fill(back_);
}

const QImage& MapCanvas::Image()
{
    if (loadPending_ && !failed_ && !surface_.isNull()) ApplyLoad();
    EndPainting();
    return surface_;
}

QPointF MapCanvas::ToPixels(float x, float y) const
{
    return QPointF((double(x) - originLeft_) * pixelsPerTwip_, (double(y) - originTop_) * pixelsPerTwip_);
}

QPainter& MapCanvas::Painter()
{
    if (!painter_.isActive()) {
        painter_.begin(&surface_);
        penSet_ = brushSet_ = painterFont_ = false;
    }
    return painter_;
}

void MapCanvas::EndPainting()
{
    if (painter_.isActive()) painter_.end();
}

bool MapCanvas::Ready()
{
    if (failed_) Raise(err::OutOfMemory);
    return !surface_.isNull();
}

void MapCanvas::ApplyLoad()
{
    loadPending_ = false;
    QPainter& p = Painter();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(surface_.rect(), back_);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage(QPointF(0, 0), picture_);
}

void MapCanvas::SetColours(Colour fore, Colour back)
{
    fore_ = ToQColor(fore);
    back_ = ToQColor(back);
}

ImageLoad MapCanvas::LoadImage(const std::string& path)
{
    if (failed_) {
        lastLoad_ = ImageLoad::OutOfResources;
        return *lastLoad_;
    }
    DecodedImage decoded = cache_->Load(path);
    lastLoad_ = decoded.status;
    if (decoded.status != ImageLoad::Ok) return decoded.status;  // the surface stays as it was
    picture_ = std::move(decoded.image);
    loadPending_ = true;
    return ImageLoad::Ok;
}

bool MapCanvas::PaintImage(float width, float height)
{
    if (picture_.isNull()) Raise(err::InvalidPicture);
    if (!Ready()) return true;
    try {
        const double w = std::round(double(width) * pixelsPerTwip_), h = std::round(double(height) * pixelsPerTwip_);
        if (!(std::abs(w) <= kMaxSide && std::abs(h) <= kMaxSide)) return false;  // no such picture fits
        const QSize target(static_cast<int>(w), static_cast<int>(h));
        if (target.width() < 1 || target.height() < 1) {
            if (loadPending_) ApplyLoad();
            return true;
        }
        if (scaled_.isNull() || scaledFrom_ != picture_.cacheKey() || scaled_.size() != target) {
            scaled_ = QImage();
            scaled_ = picture_.size() == target
                          ? picture_
                          : picture_.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            if (scaled_.isNull()) return false;
            scaledFrom_ = picture_.cacheKey();
        }
        const bool coversAll = target.width() >= size_.width() && target.height() >= size_.height();
        QPainter& p = Painter();
        if (coversAll && !scaled_.hasAlphaChannel()) {
            // Nothing of the unscaled picture would show: copy the scaled one over everything.
            loadPending_ = false;
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(QPoint(0, 0), scaled_);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        } else {
            if (loadPending_) ApplyLoad();
            p.drawImage(QPoint(0, 0), scaled_);
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void MapCanvas::SetOrigin(float left, float top)
{
    originLeft_ = left;
    originTop_ = top;
}

void MapCanvas::SetDrawWidth(int pixels)
{
    if (pixels < 1) Raise(kInvalidPropertyValue, "Invalid property value");
    drawWidth_ = pixels;
}

void MapCanvas::SetDrawStyle(int style)
{
    if (style < DrawSolid || style > DrawInsideSolid) Raise(kInvalidPropertyValue, "Invalid property value");
    drawStyle_ = style;
}

void MapCanvas::SetFillStyle(FillStyle style)
{
    fillStyle_ = style;
}

void MapCanvas::SetFillColour(Colour colour)
{
    fill_ = ToQColor(colour);
}

void MapCanvas::UsePen(QRgb colour)
{
    const int style = EffectiveStyle(drawStyle_, drawWidth_);
    if (penSet_ && penColour_ == colour && penWidth_ == drawWidth_ && penStyle_ == style) return;
    QPen pen;
    if (style == DrawInvisible) {
        pen = QPen(Qt::NoPen);
    } else {
        // Width 0 is Qt's 1-pixel pen, the fastest there is.
        pen = QPen(QColor(colour), drawWidth_ > 1 ? drawWidth_ : 0);
        if (style >= DrawDash && style <= DrawDashDotDot) pen.setDashPattern(DashPattern(style));
    }
    painter_.setPen(pen);
    penSet_ = true;
    penColour_ = colour;
    penWidth_ = drawWidth_;
    penStyle_ = style;
}

void MapCanvas::UseBrush()
{
    const bool solid = fillStyle_ == FillStyle::Solid;
    const QRgb colour = fill_.rgb();
    if (brushSet_ && brushSolid_ == solid && (!solid || brushColour_ == colour)) return;
    painter_.setBrush(solid ? QBrush(fill_) : QBrush(Qt::NoBrush));
    brushSet_ = true;
    brushSolid_ = solid;
    brushColour_ = colour;
}

void MapCanvas::Circle(float x, float y, float radius, Colour outline)
{
    if (!Ready()) return;
    if (loadPending_) ApplyLoad();
    Painter();
    const QPointF centre = ToPixels(x, y);
    double r = std::abs(double(radius)) * pixelsPerTwip_;
    const QRgb pen = ToQColor(outline).rgb();
    const bool filled = fillStyle_ == FillStyle::Solid;
    if (drawWidth_ == 1 && (drawStyle_ == DrawSolid || drawStyle_ == DrawInsideSolid || drawStyle_ == DrawInvisible)) {
        DrawThinCircle(DirectPixels(surface_), centre, r, drawStyle_ != DrawInvisible, pen, filled, fill_.rgb());
        return;
    }
    if (!(std::abs(centre.x()) <= kFarMark && std::abs(centre.y()) <= kFarMark && r <= kFarMark)) return;
    const QRectF bounds(centre.x() - r - drawWidth_, centre.y() - r - drawWidth_, 2 * (r + drawWidth_),
                        2 * (r + drawWidth_));
    if (!bounds.intersects(QRectF(surface_.rect()))) return;
    UsePen(pen);
    UseBrush();
    // An inside-solid outline lies within the circle's radius rather than across it.
    if (drawStyle_ == DrawInsideSolid) r = std::max(0.0, r - drawWidth_ / 2.0);
    painter_.drawEllipse(centre, r, r);
}

void MapCanvas::Line(float x1, float y1, float x2, float y2, Colour colour)
{
    if (!Ready()) return;
    if (loadPending_) ApplyLoad();
    Painter();
    const int style = EffectiveStyle(drawStyle_, drawWidth_);
    if (style == DrawInvisible) return;
    QPointF a = ToPixels(x1, y1), b = ToPixels(x2, y2);
    const QRgb rgb = ToQColor(colour).rgb();
    if (drawWidth_ == 1) {
        DrawThinLine(DirectPixels(surface_), a, b, rgb, DashMask(style));
        return;
    }
    // Wide lines: only the part near the surface goes to the rasteriser.
    const double margin = drawWidth_ + 1;
    if (!Drawable(a) || !Drawable(b) ||
        !ClipSegment(a, b, -margin, surface_.width() + margin, surface_.height() + margin))
        return;
    UsePen(rgb);
    painter_.drawLine(a, b);
}

void MapCanvas::SetTextPosition(float x, float y)
{
    textX_ = x;
    textY_ = y;
}

void MapCanvas::SetFontBold(bool bold)
{
    if (bold == bold_) return;
    bold_ = bold;
    fontDirty_ = true;
}

void MapCanvas::SetFontSize(float points)
{
    if (!(points > 0) || points > 2048) Raise(kInvalidPropertyValue, "Invalid property value");
    if (points == points_) return;
    points_ = points;
    fontDirty_ = true;
}

const MapCanvas::Label& MapCanvas::Layout(const std::string& text)
{
    auto it = layouts_.find(text);
    if (it != layouts_.end()) return it->second;
    // Labels are bytes (ASCII in practice), never decoded as UTF-8.
    const QString s = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    Label label{QStaticText(s), metrics_->horizontalAdvance(s)};
    label.text.setTextFormat(Qt::PlainText);
    label.text.setPerformanceHint(QStaticText::AggressiveCaching);
    label.text.prepare(QTransform(), font_);
    if (text.size() > kMaxKeptLabel) {
        oneOff_ = std::move(label);
        return oneOff_;
    }
    if (layouts_.size() >= kMaxLayouts) layouts_.clear();
    return layouts_.emplace(text, std::move(label)).first->second;
}

void MapCanvas::Print(const std::string& text)
{
    if (!Ready()) return;
    if (loadPending_) ApplyLoad();
    QPainter& p = Painter();
    if (fontDirty_) {
        font_ = QFont(QStringLiteral("Arial"));
        font_.setStyleHint(QFont::SansSerif);
        font_.setBold(bold_);
        font_.setPointSizeF(points_);
        metrics_.emplace(font_, &surface_);
        layouts_.clear();
        fontDirty_ = false;
        painterFont_ = false;
    }
    if (!painterFont_) {
        p.setFont(font_);
        painterFont_ = true;
    }
    const QPointF at = ToPixels(textX_, textY_);
    if (std::abs(at.x()) <= kFarMark && std::abs(at.y()) <= kFarMark) {
        const Label& label = Layout(text);
        // The text stands on an opaque box of the back colour, one line high.
        p.fillRect(QRectF(at, QSizeF(label.width, metrics_->height())), back_);
        penSet_ = false;
        p.setPen(fore_);
        p.drawStaticText(at, label.text);
    }
    // As after a printed line: the next one starts at the left edge, one line lower.
    textX_ = originLeft_;
    textY_ = static_cast<float>(textY_ + metrics_->height() / pixelsPerTwip_);
}

float MapCanvas::Width() const
{
    return static_cast<float>(size_.width() / pixelsPerTwip_);
}

float MapCanvas::Height() const
{
    return static_cast<float>(size_.height() / pixelsPerTwip_);
}

int CanvasMapView::ClientWidthTwips() const
{
    return static_cast<int>(std::lround(canvas_.PixelSize().width() * kTwipsPerInch / canvas_.Dpi()));
}

int CanvasMapView::ClientHeightTwips() const
{
    return static_cast<int>(std::lround(canvas_.PixelSize().height() * kTwipsPerInch / canvas_.Dpi()));
}

}  // namespace korval::ui
