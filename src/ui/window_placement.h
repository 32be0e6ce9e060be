#pragma once

#include <optional>

#include <QRect>

#include "station/station.h"

namespace korval::ui {

// A top-level window's stored placement, in pixels: the top-left corner of its frame (what
// QWidget::move() sets and pos() reports) and the size of its client area (what resize() sets
// and size() reports). Each value is stored in the kind it is restored in, so a window placed
// from its stored placement reports that same placement again, whatever frame the window
// manager draws round it and whether or not the frame is known yet when the window is placed.
// (Storing the frame's size and restoring it as the client size grows the window by its frame
// at every start.)
//
// `frame` and `client` are the window's frameGeometry() and geometry(); a maximised or
// full-screen window passes its normalGeometry() (client kind) as `normalClient`, and stores
// the placement it returns to.
QRect PlacementToStore(const QRect& frame, const QRect& client, const std::optional<QRect>& normalClient = {});

// The settings file's twips, given twips per pixel across and down; and back, to whole pixels.
Placement ToStoredTwips(const QRect& placement, double twipsPerPixelX, double twipsPerPixelY);
QRect FromStoredTwips(const Placement& stored, double twipsPerPixelX, double twipsPerPixelY);

}  // namespace korval::ui
