#pragma once

// The three maps for the web view: drawn by the map windows' redraw on the map canvas, at the
// size the page asks for, and encoded as JPEG; and the details a click on one of them shows.
// Drawing borrows the station's map view slot for the one redraw and puts back everything the
// redraw uses as scratch (current objects, projection, coordinates, error-handler fields), so the
// station is as it was; a redraw fault still writes its error-log entry, as a window's would.

#include <array>
#include <memory>
#include <optional>
#include <string>

#include <QByteArray>
#include <QPointF>
#include <QSize>
#include <QString>

#include "maps/details.h"
#include "station/station.h"

namespace korval::ui {
class BackgroundCache;
class CanvasMapView;
}  // namespace korval::ui

namespace korval::web {

// Sides of a map picture the page may ask for, in pixels.
inline constexpr int kMinSide = 16;
inline constexpr int kMaxSide = 2048;
inline constexpr int kJpegQuality = 80;

struct MapPicture {
    QByteArray jpeg;  // empty when not drawn
    QSize size;
    QString problem;       // why not drawn, for the page
    bool faulted = false;  // the redraw logged a fault (the picture may lack marks)
};

class MapPainter {
public:
    explicit MapPainter(Station& s);
    ~MapPainter();
    MapPainter(const MapPainter&) = delete;
    MapPainter& operator=(const MapPainter&) = delete;

    // Map n (1..3) over a client area of `pixels` (clamped to kMinSide..kMaxSide) at 96 dpi.
    MapPicture Draw(int n, QSize pixels);

    // What a mouse-down at `at` (pixels from the top-left corner) on map n drawn at `pixels`
    // shows: the core's hit test and caption, without removing unreadable aircraft. nullopt when
    // the map's frame cannot be projected.
    std::optional<Details> Click(int n, QSize pixels, QPointF at, MouseButton button);

    static QSize Clamped(QSize pixels);

private:
    Station& s_;
    std::shared_ptr<ui::BackgroundCache> cache_;
    std::array<std::unique_ptr<ui::CanvasMapView>, 3> views_;
};

}  // namespace korval::web
