#include "delete_aircraft_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "station/mainwindow.h"
#include "twips.h"

namespace korval::ui {

DeleteAircraftDialog::DeleteAircraftDialog(Station& s, QWidget* parent) : QDialog(parent), s_(s)
{
    setObjectName(QStringLiteral("frmDeleteAircraft"));
    setWindowTitle(QStringLiteral("Delete Aircraft"));
    setModal(false);

    auto* grid = new QGridLayout(this);
    auto* info = new QLabel(QStringLiteral("To delete an aircraft because you think it is wrongly positioned. Type in "
                                           "it's ID (what you see on your map) and press delete."),
                            this);
    info->setObjectName(QStringLiteral("labDeleteAircraft"));
    info->setWordWrap(true);
    info->setMinimumWidth(PixelsX(this, 4000));
    grid->addWidget(info, 0, 0, 1, 2);
    auto* lab = new QLabel(QStringLiteral("Aircraft ID"), this);
    lab->setObjectName(QStringLiteral("labDeleteACID"));
    grid->addWidget(lab, 1, 0);
    txtDeleteACID_ = new QLineEdit(this);
    txtDeleteACID_->setObjectName(QStringLiteral("txtDeleteACID"));
    txtDeleteACID_->setToolTip(QStringLiteral("Use Capital Letters"));
    grid->addWidget(txtDeleteACID_, 1, 1);

    auto* buttons = new QHBoxLayout();
    auto* del = new QPushButton(QStringLiteral("Delete"), this);
    del->setObjectName(QStringLiteral("cmdDelete"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdDeleteCancel"));
    buttons->addStretch();
    buttons->addWidget(del);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    connect(del, &QPushButton::clicked, this, &DeleteAircraftDialog::cmdDelete);
    connect(cancel, &QPushButton::clicked, this, &DeleteAircraftDialog::cmdDeleteCancel);
}

void DeleteAircraftDialog::Open()
{
    if (!placed_) {
        adjustSize();
        CentreOnScreen(this);
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

void DeleteAircraftDialog::cmdDelete()
{
    const std::string id = ToBytes(txtDeleteACID_->text());
    if (id.empty()) return;
    // Removes the aircraft and its route lines, or says there was none; the maps are redrawn.
    s_.Guard("cmdDelete_Click", "frmDeleteAircraft", [&] { korval::cmdDelete(s_, id); });
}

void DeleteAircraftDialog::cmdDeleteCancel()
{
    hide();
}

}  // namespace korval::ui
