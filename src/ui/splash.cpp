#include "splash.h"

#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>

#include "splash_art.h"
#include "twips.h"

namespace korval::ui {

QString SplashWindow::VersionText()
{
    return QStringLiteral("Version %1.%2.%3")
        .arg(KORVAL_VERSION_MAJOR)
        .arg(KORVAL_VERSION_MINOR)
        .arg(KORVAL_VERSION_PATCH);
}

SplashWindow::SplashWindow(Station& s, QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    Picture1_ = new QLabel(this);
    Picture1_->setObjectName(QStringLiteral("Picture1"));
    lblVersion_ = new QLabel(VersionText(), this);
    lblVersion_->setObjectName(QStringLiteral("lblVersion"));
    lblVersion_->setStyleSheet(QStringLiteral("color: #f2f5f8; background: transparent;"));

    const std::filesystem::path file = s.Home() / "KorvalSplash.jpg";
    QImageReader reader(QString::fromStdString(file.string()));
    const QImage image = reader.read();
    QSize size = SplashArtSize();
    if (image.isNull()) {
        // The start goes on without the picture; the reason is in the error log.
        const int number = reader.error() == QImageReader::FileNotFoundError ? err::FileNotFound : err::InvalidPicture;
        s.LogFaultLine(Fault(number, ErrorDescription(number) + ": " + file.string(), 0), "Form_Load", "frmSplash");
        setStyleSheet(QStringLiteral("#frmSplash { background: #14304a; }"));
        setAutoFillBackground(true);
    } else {
        Picture1_->setPixmap(QPixmap::fromImage(image));
        size = image.size();
    }
    setFixedSize(size);
    Picture1_->setGeometry(0, 0, size.width(), size.height());
    lblVersion_->adjustSize();
    const QRect v = SplashVersionArea(size);
    lblVersion_->move(v.left(), v.top());
    CentreOnScreen(this);
}

void SplashWindow::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    close();
}

}  // namespace korval::ui
