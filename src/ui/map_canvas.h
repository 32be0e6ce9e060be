#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include <QtGui/QColor>
#include <QtGui/QFont>
#include <QtGui/QFontMetricsF>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPen>
#include <QtGui/QStaticText>

#include "maps/canvas.h"
#include "ui/map_image.h"

namespace korval::ui {

// A map surface painted into a QImage of the map window's client size. Coordinates arrive in
// twips and land on pixels at `dpi` dots per inch (1440 twips an inch: 15 twips a pixel at 96
// dpi, the screen's logical dpi in the windows, 96 off screen); label sizes are points at the
// same dpi. Drawing is aliased, as the maps always were, and fast enough to repaint a full map
// for every message.
//
// The background is decoded through a BackgroundCache and kept scaled to the last size it was
// painted at, so a redraw of an unchanged map costs one copy of the surface for its background.
// Text needs a QGuiApplication (fonts); everything else does not.
class MapCanvas final : public Canvas {
public:
    // `cache` may be shared between the map windows; a canvas without one keeps its own.
    explicit MapCanvas(QSize pixels = {}, double dpi = 96, std::shared_ptr<BackgroundCache> cache = {});
    MapCanvas(const MapCanvas&) = delete;
    MapCanvas& operator=(const MapCanvas&) = delete;
    ~MapCanvas() override;

    // A new, blank surface; drawing attributes and the loaded picture stay.
    void Resize(QSize pixels);
    QSize PixelSize() const { return size_; }
    double Dpi() const { return dpi_; }
    // True when a surface of a non-empty size could not be had (out of memory).
    bool Failed() const { return failed_; }

    // The surface as drawn so far (finishes any painting in progress).
    const QImage& Image();
    // What the last LoadImage came to; empty before the first.
    std::optional<ImageLoad> LastLoad() const { return lastLoad_; }
    BackgroundCache& Cache() { return *cache_; }

    // Where a point in twips lands on the surface, in pixels from its top-left corner.
    QPointF ToPixels(float x, float y) const;

    // Canvas
    void SetColours(Colour fore, Colour back) override;
    ImageLoad LoadImage(const std::string& path) override;
    bool PaintImage(float width, float height) override;
    void SetOrigin(float left, float top) override;
    void SetDrawWidth(int pixels) override;
    void SetDrawStyle(int style) override;
    void SetFillStyle(FillStyle style) override;
    void SetFillColour(Colour colour) override;
    void Circle(float x, float y, float radius, Colour outline) override;
    void Line(float x1, float y1, float x2, float y2, Colour colour) override;
    void SetTextPosition(float x, float y) override;
    void SetFontBold(bool bold) override;
    void SetFontSize(float points) override;
    void Print(const std::string& text) override;
    float Width() const override;
    float Height() const override;

private:
    QPainter& Painter();
    void EndPainting();
    // Makes a LoadImage that nothing has covered yet visible: back colour, then the picture
    // unscaled in the top-left corner.
    void ApplyLoad();
    // False when there is no surface to draw on (empty client area).
    bool Ready();
    void UsePen(QRgb colour);
    void UseBrush();
    struct Label {
        QStaticText text;
        qreal width = 0;  // pixels at the surface's dpi (a static text measures at the screen's)
    };
    const Label& Layout(const std::string& text);

    QSize size_;
    double dpi_;
    double pixelsPerTwip_;
    std::shared_ptr<BackgroundCache> cache_;
    QImage surface_;
    QPainter painter_;
    bool failed_ = false;

    // Drawing attributes, as a picture box keeps them.
    QColor fore_{0, 0, 0}, back_{255, 255, 255};
    float originLeft_ = 0, originTop_ = 0;
    int drawWidth_ = 1;
    int drawStyle_ = DrawSolid;
    FillStyle fillStyle_ = FillStyle::Transparent;
    QColor fill_{0, 0, 0};
    float textX_ = 0, textY_ = 0;
    bool bold_ = false;
    float points_ = 8.25f;

    // The painter's pen and brush as last set, to skip needless changes.
    bool penSet_ = false, brushSet_ = false;
    QRgb penColour_ = 0;
    int penWidth_ = 0, penStyle_ = 0;
    bool brushSolid_ = false;
    QRgb brushColour_ = 0;

    // The font and its text layouts (labels repeat from one redraw to the next).
    bool fontDirty_ = true;     // font attributes changed since the font was made
    bool painterFont_ = false;  // the painter has the font
    QFont font_;
    std::optional<QFontMetricsF> metrics_;
    std::unordered_map<std::string, Label> layouts_;
    Label oneOff_;  // the last label too long to keep

    // The loaded picture, a copy of it scaled to the size it was last painted at, and whether a
    // load is waiting to be made visible.
    std::optional<ImageLoad> lastLoad_;
    QImage picture_;
    QImage scaled_;
    qint64 scaledFrom_ = 0;
    bool loadPending_ = false;
};

// A map window as the redraw sees it, around a MapCanvas: the client area in pixels (the
// surface's size) and whether the window is minimised.
class CanvasMapView final : public MapView {
public:
    explicit CanvasMapView(QSize pixels = {}, double dpi = 96, std::shared_ptr<BackgroundCache> cache = {})
        : canvas_(pixels, dpi, std::move(cache))
    {
    }
    void SetClientSize(QSize pixels) { canvas_.Resize(pixels); }
    void SetMinimised(bool minimised) { minimised_ = minimised; }
    MapCanvas& canvas() { return canvas_; }

    int ClientWidthTwips() const override;
    int ClientHeightTwips() const override;
    bool Minimised() const override { return minimised_; }
    Canvas& Surface() override { return canvas_; }

private:
    MapCanvas canvas_;
    bool minimised_ = false;
};

}  // namespace korval::ui
