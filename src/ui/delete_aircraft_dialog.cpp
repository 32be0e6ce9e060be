#include "delete_aircraft_dialog.h"

#include <utility>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialog_parts.h"
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
    grid->addWidget(Caption(this, "labDeleteACID", "Aircraft ID"), 1, 0);
    txtDeleteACID_ = Named(new QLineEdit(this), "txtDeleteACID");
    txtDeleteACID_->setToolTip(QStringLiteral("Use Capital Letters"));
    grid->addWidget(txtDeleteACID_, 1, 1);

    auto* del = Button(this, "cmdDelete", "Delete");
    auto* cancel = Button(this, "cmdDeleteCancel", "Cancel");
    grid->addLayout(ButtonRow({del, cancel}), 2, 0, 1, 2);
    connect(del, &QPushButton::clicked, this, &DeleteAircraftDialog::cmdDelete);
    connect(cancel, &QPushButton::clicked, this, &DeleteAircraftDialog::cmdDeleteCancel);
}

void DeleteAircraftDialog::Open()
{
    // Centred the first time only: after that it stays where the user put it.
    if (!std::exchange(placed_, true)) {
        adjustSize();
        CentreOnScreen(this);
    }
    Present(this);
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
