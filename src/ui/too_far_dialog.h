#pragma once

#include <QDialog>

#include "station/station.h"

class QLineEdit;

namespace korval::ui {

// frmTooFarSettings ("Wrong Plot Settings"): the largest believable jump between two position
// plots, whole degrees of latitude and of longitude (Filters/TooLat, TooLong; 8 and 10 when
// absent). The position update reads the limits from this dialog's store, so Save hides the
// dialog and keeps its values.
class TooFarDialog final : public QDialog {
    Q_OBJECT

public:
    explicit TooFarDialog(Station& s, QWidget* parent = nullptr);

    void Open();  // reads the file again, centres, shows modeless
    void Load();
    void cmdTooFarSave();
    void cmdTooFarCancel();

private:
    Station& s_;
    QLineEdit *txtTooLat_ = nullptr, *txtTooLong_ = nullptr;
};

}  // namespace korval::ui
