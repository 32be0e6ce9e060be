#include "splash_art.h"

#include <cmath>

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace korval::ui {
namespace {

constexpr int kWidth = 480, kHeight = 300;

// An airliner seen from above, nose to the right, in a 100 x 100 box centred on 0,0.
QPainterPath Airliner()
{
    QPainterPath p;
    p.moveTo(48, 0);
    p.cubicTo(46, -4, 40, -5, 30, -5);
    p.lineTo(8, -5);
    p.lineTo(-8, -44);
    p.lineTo(-16, -44);
    p.lineTo(-6, -5);
    p.lineTo(-32, -5);
    p.lineTo(-42, -18);
    p.lineTo(-48, -18);
    p.lineTo(-42, 0);
    p.lineTo(-48, 18);
    p.lineTo(-42, 18);
    p.lineTo(-32, 5);
    p.lineTo(-6, 5);
    p.lineTo(-16, 44);
    p.lineTo(-8, 44);
    p.lineTo(8, 5);
    p.lineTo(30, 5);
    p.cubicTo(40, 5, 46, 4, 48, 0);
    p.closeSubpath();
    return p;
}

}  // namespace

QSize SplashArtSize()
{
    return {kWidth, kHeight};
}

QRect SplashVersionArea(QSize size)
{
    return {size.width() - 150, size.height() - 30, 140, 20};
}

QImage PaintSplashArt()
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // Night sky over the ocean.
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0.0, QColor(8, 20, 40));
    sky.setColorAt(0.65, QColor(20, 52, 86));
    sky.setColorAt(1.0, QColor(34, 84, 110));
    p.fillRect(img.rect(), sky);

    // A plate-carree graticule, as the maps are drawn.
    p.setPen(QPen(QColor(90, 140, 180, 70), 1));
    for (int x = -20; x < kWidth; x += 40) p.drawLine(x, 0, x + 30, kHeight);
    for (int y = 20; y < kHeight; y += 40) p.drawLine(0, y, kWidth, y);

    // Radio waves from the ground station in the lower left.
    const QPointF station(46, 262);
    for (int r = 1; r <= 5; ++r) {
        p.setPen(QPen(QColor(120, 220, 200, 200 - r * 30), 2));
        const double radius = 16.0 * r;
        p.drawArc(QRectF(station.x() - radius, station.y() - radius, 2 * radius, 2 * radius), 20 * 16, 60 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 220, 200));
    p.drawEllipse(station, 5, 5);

    // A route line with past position reports and the aircraft at its head.
    const QPointF track[] = {{40, 150}, {120, 128}, {200, 112}, {280, 104}, {350, 100}};
    p.setPen(QPen(QColor(255, 190, 60), 2, Qt::DashLine));
    for (std::size_t i = 1; i < std::size(track); ++i) p.drawLine(track[i - 1], track[i]);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 190, 60));
    for (const QPointF& pt : track) p.drawEllipse(pt, 3.5, 3.5);
    p.save();
    p.translate(396, 94);
    p.rotate(-6);
    p.scale(0.62, 0.62);
    p.setBrush(QColor(236, 242, 248));
    p.drawPath(Airliner());
    p.restore();

    // The name and what the program does.
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(64);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    p.setFont(title);
    p.setPen(QColor(236, 242, 248));
    p.drawText(QRect(0, 160, kWidth, 76), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("KORVAL"));
    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setPixelSize(14);
    p.setFont(sub);
    p.setPen(QColor(160, 205, 230));
    p.drawText(QRect(0, 232, kWidth, 22), Qt::AlignHCenter,
               QStringLiteral("ACARS  \u00b7  HFDL  \u00b7  SBS-1 datalink plotter"));
    p.end();
    return img;
}

}  // namespace korval::ui
