#pragma once

#include <QDialog>

namespace korval::ui {

// frmSBSKey ("SBS-1 Key"): the colours of SBS-1 aircraft on map 1 by their vertical trend.
class SbsKeyDialog final : public QDialog {
    Q_OBJECT

public:
    explicit SbsKeyDialog(QWidget* parent = nullptr);
    void Open();  // centred on the screen, modeless

private:
    bool placed_ = false;
};

}  // namespace korval::ui
