#pragma once

#include <QtGui/QImage>
#include <QtWidgets/QLabel>
#include <QtWidgets/QScrollArea>
#include <QtWidgets/QWidget>

namespace korval::ui {

// frmMapView ("View Map"): shows one saved map picture (picMapView) at its own size. The window
// takes the picture's size plus its frame, never more than the screen's free area; a larger
// picture scrolls.
class MapViewWindow final : public QWidget {
public:
    explicit MapViewWindow(QWidget* parent = nullptr);

    // Puts the picture in and sizes the window to it. False (and nothing changed) for a null
    // picture.
    bool SetPicture(const QImage& picture);
    const QLabel& Picture() const { return *picture_; }

private:
    QScrollArea* scroll_;
    QLabel* picture_;
};

}  // namespace korval::ui
