#pragma once

#include <functional>
#include <memory>

#include <QtGui/QImage>
#include <QtWidgets/QLabel>
#include <QtWidgets/QWidget>

#include "maps/canvas.h"
#include "maps/details.h"
#include "ui/map_canvas.h"

namespace korval {
class Station;
}

namespace korval::ui {

class MapWindow;

// The drawing surface (pic1..pic3): paints the last rendered map image and nothing else, and
// hands mouse buttons to its window.
class MapSurface final : public QWidget {
public:
    MapSurface(MapWindow& owner, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    MapWindow& owner_;
};

// The map view the redraw draws through: a CanvasMapView that asks its widget to repaint
// whenever a redraw takes its surface, so a redraw started from anywhere reaches the screen.
class WindowMapView final : public MapView {
public:
    WindowMapView(QWidget& widget, std::shared_ptr<BackgroundCache> cache)
        : widget_(widget), inner_({}, 96, std::move(cache))
    {
    }
    CanvasMapView& inner() { return inner_; }

    int ClientWidthTwips() const override { return inner_.ClientWidthTwips(); }
    int ClientHeightTwips() const override { return inner_.ClientHeightTwips(); }
    bool Minimised() const override { return inner_.Minimised(); }
    Canvas& Surface() override;

private:
    QWidget& widget_;
    CanvasMapView inner_;
};

// frmMap1..frmMap3 ("KORVAL Map1".."KORVAL Map3"): a top-level frame around one map surface.
// It registers itself as the station's view of map n, redraws when resized or restored, shows
// the details label (labACID1..labACID3) while a mouse button is down on the map, and keeps its
// placement under section Map1..Map3 in twips. Closing it unchecks the map's Show item.
class MapWindow final : public QWidget {
public:
    // `showChanged(n, checked)` hears every change this window makes to the Show item.
    MapWindow(Station& s, int n, std::shared_ptr<BackgroundCache> cache, std::function<void(int, bool)> showChanged,
              QWidget* parent = nullptr);
    ~MapWindow() override;
    MapWindow(const MapWindow&) = delete;
    MapWindow& operator=(const MapWindow&) = delete;

    int MapNumber() const { return n_; }
    // Applies the placement stored under Map n; a window without a stored (or with an unusable)
    // placement opens at a default size. Done once per load: after Unload, again.
    void Load();
    bool Loaded() const { return loaded_; }
    // What closing does: uncheck the Show item, write the placement unless minimised, hide.
    void Unload();
    // NewPlot of this map (it draws only while the Show item is checked and not minimised).
    void Redraw();
    // Redraws this window ran since it was created.
    int RedrawCount() const { return redraws_; }

    // The map as last drawn.
    const QImage& SurfaceImage() { return view_.inner().canvas().Image(); }
    MapSurface& Surface() { return *surface_; }
    QLabel& DetailsLabel() { return *label_; }
    // Twips per pixel of the surface (15 at 96 dpi).
    double TwipsPerPixel() const;

    // The details label for a mouse-down at pixel `at` of the surface; hidden again on release.
    void MouseDown(MouseButton button, QPoint at);
    void MouseUp();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FitSurface();

    Station& s_;
    int n_;
    std::function<void(int, bool)> showChanged_;
    MapSurface* surface_;
    QLabel* label_;
    WindowMapView view_;
    bool loaded_ = false;
    int redraws_ = 0;
};

}  // namespace korval::ui
