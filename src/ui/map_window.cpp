#include "ui/map_window.h"

#include <algorithm>
#include <cmath>

#include <QtGui/QCloseEvent>
#include <QtGui/QFont>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QResizeEvent>
#include <QtGui/QScreen>

#include "maps/map_window_rules.h"
#include "maps/redraw.h"
#include "settings/settings.h"
#include "station/station.h"

namespace korval::ui {
namespace {

constexpr double kTwipsPerInch = 1440;
constexpr double kDpi = 96;              // the surface's, as the maps were always drawn
constexpr QSize kDefaultSize{800, 500};  // pixels, for a window without a stored placement
constexpr QSize kSmallest{160, 120};     // a stored size below this is taken as unusable
constexpr QSize kLargest{8000, 8000};    // nor above this (an absurd number in the file)
constexpr float kLabelPoints = 7;

void (*const kNewPlot[3])(Station&) = {NewPlot1, NewPlot2, NewPlot3};

bool Usable(float v)
{
    return std::isfinite(v) && std::fabs(v) < 1e7f;
}

MouseButton ButtonOf(Qt::MouseButton b)
{
    switch (b) {
        case Qt::LeftButton:
            return MouseButton::Left;
        case Qt::RightButton:
            return MouseButton::Right;
        case Qt::MiddleButton:
            return MouseButton::Middle;
        default:
            return MouseButton::Other;
    }
}

}  // namespace

MapSurface::MapSurface(MapWindow& owner, QWidget* parent) : QWidget(parent), owner_(owner)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapSurface::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QImage& image = owner_.SurfaceImage();
    if (image.isNull()) {
        p.fillRect(rect(), palette().window());
        return;
    }
    p.drawImage(0, 0, image);
    if (image.width() < width() || image.height() < height()) {
        p.fillRect(image.width(), 0, width() - image.width(), height(), palette().window());
        p.fillRect(0, image.height(), image.width(), height() - image.height(), palette().window());
    }
}

void MapSurface::mousePressEvent(QMouseEvent* event)
{
    owner_.MouseDown(ButtonOf(event->button()), event->position().toPoint());
}

void MapSurface::mouseReleaseEvent(QMouseEvent*)
{
    owner_.MouseUp();
}

Canvas& WindowMapView::Surface()
{
    widget_.update();
    return inner_.Surface();
}

MapWindow::MapWindow(Station& s, int n, std::shared_ptr<BackgroundCache> cache,
                     std::function<void(int, bool)> showChanged, QWidget* parent)
    : QWidget(parent, Qt::Window),
      s_(s),
      n_(std::clamp(n, 1, 3)),
      showChanged_(std::move(showChanged)),
      surface_(new MapSurface(*this, this)),
      label_(new QLabel(surface_)),
      view_(*surface_, std::move(cache))
{
    setWindowTitle(QStringLiteral("KORVAL Map%1").arg(n_));
    setObjectName(QStringLiteral("frmMap%1").arg(n_));
    surface_->setObjectName(QStringLiteral("pic%1").arg(n_));
    label_->setObjectName(QStringLiteral("labACID%1").arg(n_));
    label_->setAutoFillBackground(true);
    label_->setTextFormat(Qt::PlainText);
    label_->hide();
    s_.mapView[n_ - 1] = &view_;
}

MapWindow::~MapWindow()
{
    if (s_.mapView[n_ - 1] == &view_) s_.mapView[n_ - 1] = nullptr;
}

double MapWindow::TwipsPerPixel() const
{
    return kTwipsPerInch / kDpi;
}

void MapWindow::Load()
{
    LoadMapWindowPlacement(s_, n_);
    const Placement& p = s_.mapPlacement[n_ - 1];
    const double tpp = TwipsPerPixel();
    QSize size = kDefaultSize;
    if (p.Present && Usable(p.Width) && Usable(p.Height)) {
        QSize stored(static_cast<int>(std::lround(p.Width / tpp)), static_cast<int>(std::lround(p.Height / tpp)));
        if (stored.width() >= kSmallest.width() && stored.height() >= kSmallest.height())
            size = stored.boundedTo(kLargest);
    }
    resize(size);
    if (p.Present && Usable(p.Left) && Usable(p.Top))
        move(static_cast<int>(std::lround(p.Left / tpp)), static_cast<int>(std::lround(p.Top / tpp)));
    loaded_ = true;
}

void MapWindow::Unload()
{
    std::optional<Placement> placement;
    if (loaded_ && !isMinimized()) {
        const double tpp = TwipsPerPixel();
        placement = Placement{true, static_cast<float>(x() * tpp), static_cast<float>(y() * tpp),
                              static_cast<float>(width() * tpp), static_cast<float>(height() * tpp)};
    }
    if (UnloadMapWindow(s_, n_, placement) && showChanged_) showChanged_(n_, false);
    loaded_ = false;
    label_->hide();
    hide();
}

void MapWindow::Redraw()
{
    ++redraws_;
    kNewPlot[n_ - 1](s_);
    surface_->update();
}

void MapWindow::FitSurface()
{
    surface_->setGeometry(rect());
    view_.inner().SetClientSize(size());
}

void MapWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FitSurface();
    if (isMinimized()) return;
    if (s_.map[n_ - 1].MapPath.empty()) {
        s_.notifier().Message("Select A Map", "KORVAL", Icon::Exclamation);
        return;
    }
    Redraw();
}

void MapWindow::closeEvent(QCloseEvent* event)
{
    Unload();
    event->accept();
}

void MapWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    const bool minimised = isMinimized();
    const bool wasMinimised = view_.Minimised();
    view_.inner().SetMinimised(minimised);
    // Restoring is a resize: the map was not drawn while minimised.
    if (wasMinimised && !minimised) Redraw();
}

void MapWindow::MouseDown(MouseButton button, QPoint at)
{
    const int widthTwips = view_.ClientWidthTwips(), heightTwips = view_.ClientHeightTwips();
    WindowProjection p;
    try {
        p = ComputeWindowProjection(s_, n_, widthTwips, heightTwips);
    } catch (...) {
        return;  // a frame that cannot be projected has nothing to click on
    }
    const double tpp = TwipsPerPixel();
    const float left = p.OriginLeft(), top = p.OriginTop();
    const float x = static_cast<float>(left + at.x() * tpp), y = static_cast<float>(top + at.y() * tpp);
    const Details d = BuildDetails(s_, n_, p, button, x, y);
    if (!d.Shown()) return;

    QFont font = label_->font();
    font.setBold(true);
    font.setPointSizeF(kLabelPoints);
    label_->setFont(font);
    label_->setText(QString::fromStdString(CaptionLines(d.Caption)));
    QPalette pal = label_->palette();
    pal.setColor(QPalette::Window, ToQColor(d.BackColour));
    pal.setColor(QPalette::WindowText, Qt::black);
    label_->setPalette(pal);
    label_->adjustSize();

    const float w = static_cast<float>(label_->width() * tpp), h = static_cast<float>(label_->height() * tpp);
    const LabelPlace place =
        PlaceDetailsLabel(n_, x, y, w, h, left, top, static_cast<float>(widthTwips), static_cast<float>(heightTwips));
    label_->move(static_cast<int>(std::lround((place.Left - left) / tpp)),
                 static_cast<int>(std::lround((place.Top - top) / tpp)));
    label_->show();
    label_->raise();
}

void MapWindow::MouseUp()
{
    label_->hide();
}

}  // namespace korval::ui
