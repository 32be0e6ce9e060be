#pragma once

#include <QDialog>

#include "station/station.h"

class QLineEdit;

namespace korval::ui {

// frmDeleteAircraft ("Delete Aircraft"): removes a wrongly placed ACARS aircraft, with its
// route lines, by the ID shown on the map (typed in any letter case). Loaded hidden at start
// and kept; it stays open and keeps its text after a deletion.
class DeleteAircraftDialog final : public QDialog {
    Q_OBJECT

public:
    explicit DeleteAircraftDialog(Station& s, QWidget* parent = nullptr);

    void Open();
    void cmdDelete();
    void cmdDeleteCancel();

private:
    Station& s_;
    QLineEdit* txtDeleteACID_ = nullptr;
    bool placed_ = false;
};

}  // namespace korval::ui
