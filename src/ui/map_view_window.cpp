#include "ui/map_view_window.h"

#include <QtGui/QGuiApplication>
#include <QtGui/QPixmap>
#include <QtGui/QScreen>
#include <QtWidgets/QVBoxLayout>

namespace korval::ui {

MapViewWindow::MapViewWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), scroll_(new QScrollArea(this)), picture_(new QLabel)
{
    setWindowTitle(QStringLiteral("View Map"));
    setObjectName(QStringLiteral("frmMapView"));
    picture_->setObjectName(QStringLiteral("picMapView"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidget(picture_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);
}

bool MapViewWindow::SetPicture(const QImage& picture)
{
    if (picture.isNull()) return false;
    picture_->setPixmap(QPixmap::fromImage(picture));
    picture_->resize(picture.size());

    // The frame is known once the window manager has framed the window; before that, none.
    const QSize frame = isVisible() ? frameGeometry().size() - geometry().size() : QSize(0, 0);
    QSize wanted = picture.size();
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QSize room = screen->availableGeometry().size() - frame;
        wanted = wanted.boundedTo(room);
    }
    resize(wanted);
    return true;
}

}  // namespace korval::ui
