#include "too_far_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialog_parts.h"
#include "settings/dialog_saves.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "text/convert.h"
#include "twips.h"

namespace korval::ui {

TooFarDialog::TooFarDialog(Station& s, QWidget* parent) : QDialog(parent), s_(s)
{
    setObjectName(QStringLiteral("frmTooFarSettings"));
    setWindowTitle(QStringLiteral("Wrong Plot Settings"));
    setModal(false);

    auto* grid = new QGridLayout(this);
    QLabel* cap = Caption(this, "labTooFarCap", "Enter the maximum number of degrees between position plots");
    cap->setWordWrap(true);
    grid->addWidget(cap, 0, 0, 1, 2);
    grid->addWidget(Caption(this, "labTooLat", "Max. degrees Latitude"), 1, 0);
    txtTooLat_ = Named(new QLineEdit(this), "txtTooLat");
    grid->addWidget(txtTooLat_, 1, 1);
    grid->addWidget(Caption(this, "labTooLong", "Max. degrees Longitude"), 2, 0);
    txtTooLong_ = Named(new QLineEdit(this), "txtTooLong");
    grid->addWidget(txtTooLong_, 2, 1);
    for (QLineEdit* e : {txtTooLat_, txtTooLong_}) e->setMaximumWidth(PixelsX(this, 900));

    auto* save = Button(this, "cmdTooFarSave", "Save");
    auto* cancel = Button(this, "cmdTooFarCancel", "Cancel");
    grid->addLayout(ButtonRow({save, cancel}), 3, 0, 1, 2);
    connect(save, &QPushButton::clicked, this, &TooFarDialog::cmdTooFarSave);
    connect(cancel, &QPushButton::clicked, this, &TooFarDialog::cmdTooFarCancel);
}

void TooFarDialog::Load()
{
    LoadWrongPlotSettings(s_);
    txtTooLat_->setText(FromBytes(s_.dlg.txtTooLat));
    txtTooLong_->setText(FromBytes(s_.dlg.txtTooLong));
}

void TooFarDialog::Open()
{
    Load();
    adjustSize();
    CentreOnScreen(this);
    Present(this);
}

void TooFarDialog::cmdTooFarSave()
{
    SaveWrongPlotSettings(s_, ToBytes(txtTooLat_->text()), ToBytes(txtTooLong_->text()));
    txtTooLat_->setText(FromBytes(s_.dlg.txtTooLat));
    txtTooLong_->setText(FromBytes(s_.dlg.txtTooLong));
    hide();
}

void TooFarDialog::cmdTooFarCancel()
{
    // Unsaved edits are dropped; the next opening reads the file again.
    hide();
}

}  // namespace korval::ui
