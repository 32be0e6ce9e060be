#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

namespace korval::ui {

// The splash picture: drawn here, written once as KorvalSplash.jpg by korval-splashgen.
QSize SplashArtSize();
QImage PaintSplashArt();
// Where the splash window puts its version text on a picture of `size` (bottom right).
QRect SplashVersionArea(QSize size);

}  // namespace korval::ui
