#pragma once

#include <QWidget>

#include "station/station.h"

class QLabel;

namespace korval::ui {

// frmSplash: the picture KorvalSplash.jpg from the program's folder with the program's
// version, shown while the main window starts. Any key closes it.
class SplashWindow final : public QWidget {
    Q_OBJECT

public:
    explicit SplashWindow(Station& s, QWidget* parent = nullptr);
    // "Version 1.0.0": major, minor, revision of this build.
    static QString VersionText();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel *Picture1_ = nullptr, *lblVersion_ = nullptr;
};

}  // namespace korval::ui
