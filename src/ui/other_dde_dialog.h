#pragma once

#include <QDialog>

#include "station/station.h"

class QLineEdit;
class QPushButton;
class QRadioButton;
class QButtonGroup;

namespace korval::ui {

// frmOtherDDE ("Other DDE Server Settings"): the user-defined source's server, topic and the
// normaliser its text goes through. Its settings are in section Korval: NewServer, NewTopic,
// Format ("1" Airmaster, "2" ANAD, "3" neither). Saving does not relink; unchecking and
// checking "Other" does.
class OtherDdeDialog final : public QDialog {
    Q_OBJECT

public:
    explicit OtherDdeDialog(Station& s, QWidget* parent = nullptr);

    // Load from the file, centre on the screen, show modeless.
    void Open();
    void Load();
    void cmdServerSave();
    void cmdServerCancel();

private:
    void SetFormat(int format);

    Station& s_;
    QLineEdit *txtServer_ = nullptr, *txtTopic_ = nullptr;
    QRadioButton *Option1_ = nullptr, *Option2_ = nullptr;
    QButtonGroup* formats_ = nullptr;
};

}  // namespace korval::ui
