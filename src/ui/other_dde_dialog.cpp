#include "other_dde_dialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "dialog_parts.h"
#include "settings/dialog_saves.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "text/convert.h"
#include "twips.h"

namespace korval::ui {
namespace {

constexpr const char* kNotSet = "Set";

}  // namespace

OtherDdeDialog::OtherDdeDialog(Station& s, QWidget* parent) : QDialog(parent), s_(s)
{
    setObjectName(QStringLiteral("frmOtherDDE"));
    setWindowTitle(QStringLiteral("Other DDE Server Settings"));
    setModal(false);

    auto* grid = new QGridLayout(this);
    txtServer_ = Named(new QLineEdit(this), "txtServer");
    txtTopic_ = Named(new QLineEdit(this), "txtTopic");
    grid->addWidget(Caption(this, "labServer", "Server"), 0, 0);
    grid->addWidget(txtServer_, 0, 1);
    grid->addWidget(Caption(this, "labTopic", "Topic"), 1, 0);
    grid->addWidget(txtTopic_, 1, 1);

    auto* frame = new QGroupBox(QStringLiteral("DDE Format"), this);
    frame->setObjectName(QStringLiteral("fraFormat"));
    auto* frameRow = new QHBoxLayout(frame);
    Option1_ = new QRadioButton(QStringLiteral("Airmaster"), frame);
    Option1_->setObjectName(QStringLiteral("Option1"));
    Option2_ = new QRadioButton(QStringLiteral("ANAD"), frame);
    Option2_->setObjectName(QStringLiteral("Option2"));
    frameRow->addWidget(Option1_);
    frameRow->addWidget(Option2_);
    formats_ = new QButtonGroup(this);
    formats_->addButton(Option1_, 1);
    formats_->addButton(Option2_, 2);
    grid->addWidget(frame, 2, 0, 1, 2);

    auto* save = Button(this, "cmdServerSave", "Save");
    auto* cancel = Button(this, "cmdServerCancel", "Cancel");
    grid->addLayout(ButtonRow({save, cancel}), 3, 0, 1, 2);
    connect(save, &QPushButton::clicked, this, &OtherDdeDialog::cmdServerSave);
    connect(cancel, &QPushButton::clicked, this, &OtherDdeDialog::cmdServerCancel);
    txtServer_->setMinimumWidth(PixelsX(this, 3000));
    txtServer_->setPlaceholderText(QStringLiteral("not set (e.g. Bridge2)"));
    txtTopic_->setPlaceholderText(QStringLiteral("not set (e.g. ACARS)"));
    const QString tip = QStringLiteral(
        "A second korval-link bridge started with --topic Bridge2|ACARS is linked here with\n"
        "server Bridge2, topic ACARS and the Airmaster format.");
    txtServer_->setToolTip(tip);
    txtTopic_->setToolTip(tip);
}

namespace {

// "Set" is what the settings hold for a server or topic never given; the box then shows
// nothing (its placeholder says so), and an empty box is saved as "Set" again.
QString Shown(const std::string& stored)
{
    return Trim(stored) == kNotSet ? QString() : FromBytes(stored);
}

std::string Stored(const QString& shown)
{
    const std::string text = ToBytes(shown);
    return Trim(text).empty() ? std::string(kNotSet) : text;
}

}  // namespace

void OtherDdeDialog::SetFormat(int format)
{
    // Neither button selected is a valid state ("3"): lift the exclusivity to clear both.
    formats_->setExclusive(false);
    Option1_->setChecked(format == 1);
    Option2_->setChecked(format == 2);
    formats_->setExclusive(true);
}

void OtherDdeDialog::Load()
{
    LoadDDEServerSettings(s_);
    txtServer_->setText(Shown(s_.dlg.txtServer));
    txtTopic_->setText(Shown(s_.dlg.txtTopic));
    SetFormat(s_.dlg.DDEFormat);
}

void OtherDdeDialog::Open()
{
    Load();
    adjustSize();
    CentreOnScreen(this);
    Present(this);
}

void OtherDdeDialog::cmdServerSave()
{
    const int format = Option1_->isChecked() ? 1 : Option2_->isChecked() ? 2 : 3;
    SaveDDEServerSettings(s_, Stored(txtServer_->text()), Stored(txtTopic_->text()), format);
    hide();
}

void OtherDdeDialog::cmdServerCancel()
{
    hide();
}

}  // namespace korval::ui
