#include "sbs_key_dialog.h"

#include <utility>

#include <QGridLayout>
#include <QLabel>

#include "dialog_parts.h"
#include "twips.h"

namespace korval::ui {
namespace {

constexpr double kSwatchTwips = 150;

struct KeyRow {
    const char* swatch;
    std::uint32_t colour;  // 0x00BBGGRR
    const char* label;
    const char* caption;
};
constexpr KeyRow kRows[] = {
    {"Label1", 0x00FFFF80, "Label4", "Aircraft Climbing"},
    {"Label2", 0x000000FF, "Label5", "Aircraft In Level Flight"},
    {"Label3", 0x0000FFFF, "Label6", "Aircraft Descending"},
};

}  // namespace

SbsKeyDialog::SbsKeyDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSBSKey"));
    setWindowTitle(QStringLiteral("SBS-1 Key"));
    setModal(false);
    auto* grid = new QGridLayout(this);
    int row = 0;
    for (const KeyRow& r : kRows) {
        auto* swatch = new QLabel(this);
        swatch->setObjectName(QLatin1String(r.swatch));
        swatch->setFixedSize(PixelsX(this, kSwatchTwips), PixelsY(this, kSwatchTwips));
        swatch->setAutoFillBackground(true);
        QPalette p = swatch->palette();
        p.setColor(QPalette::Window, FromWindowsColour(r.colour));
        swatch->setPalette(p);
        auto* text = new QLabel(QLatin1String(r.caption), this);
        text->setObjectName(QLatin1String(r.label));
        grid->addWidget(swatch, row, 0, Qt::AlignVCenter);
        grid->addWidget(text, row, 1, Qt::AlignVCenter);
        ++row;
    }
}

void SbsKeyDialog::Open()
{
    // Centred the first time only: after that it stays where the user put it.
    if (!std::exchange(placed_, true)) {
        adjustSize();
        CentreOnScreen(this);
    }
    Present(this);
}

}  // namespace korval::ui
