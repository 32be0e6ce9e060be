#include "map_settings_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialog_parts.h"
#include "main_window.h"
#include "maps/redraw.h"
#include "settings/dialog_saves.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "text/convert.h"
#include "twips.h"

namespace korval::ui {
namespace {

constexpr const char* kLatitudeFormat = "00.000;-00.000";
constexpr const char* kLongitudeFormat = "000.000;-000.000";
constexpr const char* kMaxPlotItems[] = {"All", "20", "40", "60", "80", "100", "125", "150", "200"};
constexpr double kPreviewWidth = 2700, kPreviewHeight = 1800;  // twips
constexpr double kSwatchSize = 360;

std::string MapSection(int n)
{
    return "Map" + std::to_string(n) + " Settings";
}

QGroupBox* Frame(QWidget* parent, const char* name, const char* caption)
{
    return Named(new QGroupBox(QLatin1String(caption), parent), name);
}

QLineEdit* Edit(QWidget* parent, const char* name, const char* tip, double widthTwips)
{
    auto* e = Named(new QLineEdit(parent), name);
    if (tip) e->setToolTip(QLatin1String(tip));
    if (widthTwips > 0) e->setFixedWidth(PixelsX(parent, widthTwips));
    return e;
}

}  // namespace

// ---- the colour swatch ----------------------------------------------------------------------

ColourSwatch::ColourSwatch(QWidget* parent) : QLabel(parent)
{
    setAutoFillBackground(true);
    setFrameShape(QFrame::Box);
    setToolTip(QStringLiteral("Double Click to change Colour"));
    setFixedSize(PixelsX(this, kSwatchSize), PixelsY(this, kSwatchSize));
    SetColour(0);
}

void ColourSwatch::SetColour(std::uint32_t colour)
{
    colour_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::Window, FromWindowsColour(colour));
    setPalette(p);
}

void ColourSwatch::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    Q_EMIT doubleClicked();
}

// ---- the dialog ---------------------------------------------------------------------------

MapSettingsDialog::MapSettingsDialog(Station& s, MapHooks& hooks, QWidget* parent)
    : QDialog(parent), s_(s), hooks_(hooks)
{
    setObjectName(QStringLiteral("frmMapSettings"));
    setWindowTitle(QStringLiteral("KORVAL Map Settings"));
    setModal(false);
    auto* top = new QGridLayout(this);

    // Which map.
    QGroupBox* frMap = Frame(this, "frMap", "Map");
    auto* mapRow = new QVBoxLayout(frMap);
    const char* optNames[] = {"optMap1", "optMap2", "OptMap3"};
    for (int i = 0; i < 3; ++i) {
        optMap_[i] = Named(new QRadioButton(QStringLiteral("Map%1").arg(i + 1), frMap), optNames[i]);
        mapRow->addWidget(optMap_[i]);
        connect(optMap_[i], &QRadioButton::clicked, this, [this, i] { SelectMap(i + 1); });
    }
    top->addWidget(frMap, 0, 0);

    // The frame of the map.
    QGroupBox* frSettings = Frame(this, "frSettings", "Map Settings");
    auto* edges = new QGridLayout(frSettings);
    txtN_ = Edit(frSettings, "txtN", "Northern edge of map Format: 52.5 or -43.3", 1100);
    txtS_ = Edit(frSettings, "txtS", "Southern edge of map Format: 52.5 or -43.3", 1100);
    txtE_ = Edit(frSettings, "txtE", "Eastern edge of map Format: 157.5 or -7.5", 1100);
    txtW_ = Edit(frSettings, "txtW", "Western edge of map Format: 157.5 or -7.5", 1100);
    edges->addWidget(Caption(frSettings, "labNorth", "North"), 0, 1, Qt::AlignHCenter);
    edges->addWidget(txtN_, 1, 1);
    edges->addWidget(Caption(frSettings, "labWest", "West"), 2, 0);
    edges->addWidget(txtW_, 3, 0);
    edges->addWidget(Caption(frSettings, "labEast", "East"), 2, 2);
    edges->addWidget(txtE_, 3, 2);
    edges->addWidget(txtS_, 4, 1);
    edges->addWidget(Caption(frSettings, "labSouth", "South"), 5, 1, Qt::AlignHCenter);
    top->addWidget(frSettings, 0, 1);

    // The image.
    QGroupBox* frPicture = Frame(this, "frPicture", "Map File");
    auto* pic = new QGridLayout(frPicture);
    txtFilePath_ = Edit(frPicture, "txtFilePath", "Path to your map", 0);
    auto* browse = Named(new QPushButton(QStringLiteral("Browse"), frPicture), "cmdBrowse");
    browse->setToolTip(QStringLiteral("Look for your Map"));
    iPreview_ = Named(new QLabel(frPicture), "iPreview");
    iPreview_->setToolTip(QStringLiteral("Map Preview"));
    iPreview_->setFixedSize(PixelsX(this, kPreviewWidth), PixelsY(this, kPreviewHeight));
    iPreview_->setFrameShape(QFrame::StyledPanel);
    iPreview_->setScaledContents(true);
    pic->addWidget(txtFilePath_, 0, 0);
    pic->addWidget(browse, 0, 1);
    pic->addWidget(iPreview_, 1, 0, 1, 2, Qt::AlignHCenter);
    connect(browse, &QPushButton::clicked, this, &MapSettingsDialog::cmdBrowse);
    top->addWidget(frPicture, 1, 0, 1, 2);

    // The map's colours.
    QGroupBox* frColours = Frame(this, "frColours", "Map Colours");
    auto* colours = new QGridLayout(frColours);
    struct SwatchRow {
        ColourSwatch** swatch;
        const char* name;
        const char* label;
        const char* caption;
    };
    const SwatchRow swatches[] = {
        {&pctCircleCol_, "pctCircleCol", "labCircleCol", "Current Position"},
        {&pctLineCol_, "pctLineCol", "labLine", "Line"},
        {&pctACIDTextCol_, "pctACIDTextCol", "labACIDText", "Aircraft ID Text"},
        {&pctACIDBackCol_, "pctACIDBackCol", "labACIDBack", "Aircraft ID Background"},
    };
    int row = 0;
    for (const SwatchRow& r : swatches) {
        ColourSwatch* sw = Named(new ColourSwatch(frColours), r.name);
        *r.swatch = sw;
        colours->addWidget(sw, row, 0);
        colours->addWidget(Caption(frColours, r.label, r.caption), row, 1);
        connect(sw, &ColourSwatch::doubleClicked, this, [this, sw] {
            auto* dlg = new QColorDialog(FromWindowsColour(sw->Colour()), this);
            dlg->setObjectName(QStringLiteral("CommonDialog1"));
            dlg->setOption(QColorDialog::DontUseNativeDialog);
            dlg->setAttribute(Qt::WA_DeleteOnClose);
            connect(dlg, &QColorDialog::colorSelected, this, [this, sw](const QColor& c) { ColourChosen(sw, c); });
            dlg->open();
        });
        ++row;
    }
    colours->setRowStretch(row, 1);
    top->addWidget(frColours, 0, 2, 2, 1);

    // SBS-1 plots on map 1.
    frmSBS_ = Frame(this, "frmSBS", "SBS-1 Plots");
    auto* sbs = new QGridLayout(frmSBS_);
    chkSBS_ = Named(new QCheckBox(frmSBS_), "chkSBS");
    labOnlySBS_ = Caption(frmSBS_, "labOnlySBS", "Only show SBS-1 plots");
    labSBSTimeLimit_ = Caption(frmSBS_, "labSBSTimeLimit", "Clear old plots after");
    txtSBSOldPlotLimit_ = Edit(frmSBS_, "txtSBSOldPlotLimit", nullptr, 600);
    labSBSMins_ = Caption(frmSBS_, "labSBSMins", "mins");
    sbs->addWidget(chkSBS_, 0, 0);
    sbs->addWidget(labOnlySBS_, 0, 1, 1, 3, Qt::AlignLeft);
    sbs->addWidget(labSBSTimeLimit_, 1, 0, 1, 2);
    sbs->addWidget(txtSBSOldPlotLimit_, 1, 2);
    sbs->addWidget(labSBSMins_, 1, 3);
    sbs->setColumnStretch(4, 1);
    top->addWidget(frmSBS_, 2, 0, 1, 2);

    // The plot limit and the daily clearing.
    QGroupBox* frmMaxPlots = Frame(this, "frmMaxPlots", "Max Plots");
    auto* limits = new QGridLayout(frmMaxPlots);
    comMaxPlot_ = Named(new QComboBox(frmMaxPlots), "comMaxPlot");
    for (const char* item : kMaxPlotItems) comMaxPlot_->addItem(QLatin1String(item));
    txtClearMapTime_ = Edit(frmMaxPlots, "txtClearMapTime", nullptr, 700);
    limits->addWidget(Caption(frmMaxPlots, "labMaxPlot", "Limit plots to"), 0, 0);
    limits->addWidget(comMaxPlot_, 0, 1);
    limits->addWidget(Caption(frmMaxPlots, "labAir", "Aircraft"), 0, 2);
    limits->addWidget(Caption(frmMaxPlots, "labClearPlotTime", "Clear map at"), 1, 0);
    limits->addWidget(txtClearMapTime_, 1, 1);
    limits->addWidget(Caption(frmMaxPlots, "labHrsUTC", "hrs UTC"), 1, 2);
    top->addWidget(frmMaxPlots, 2, 2);

    // The buttons.
    QWidget* frOKCancel = Named(new QWidget(this), "frOKCancel");
    auto* save = Button(frOKCancel, "cmdSave", "Save Settings");
    save->setToolTip(QStringLiteral("Click to save current map settings"));
    auto* close = Button(frOKCancel, "cmdClose", "Close");
    auto* cancel = Button(frOKCancel, "cmdCancel", "Cancel");
    frOKCancel->setLayout(ButtonRow({save, close, cancel}));
    connect(save, &QPushButton::clicked, this, &MapSettingsDialog::cmdSave);
    connect(close, &QPushButton::clicked, this, &MapSettingsDialog::cmdClose);
    connect(cancel, &QPushButton::clicked, this, &MapSettingsDialog::cmdCancel);
    top->addWidget(frOKCancel, 3, 0, 1, 3);

    txtFilePath_->setText(QLatin1String(kNoMapChosen));
}

// ---- loading ----------------------------------------------------------------------------------

void MapSettingsDialog::ShowMapWide()
{
    chkSBS_->setChecked(s_.dlg.chkSBS);
    txtSBSOldPlotLimit_->setText(FromBytes(s_.dlg.txtSBSOldPlotLimit));
    comMaxPlot_->setCurrentIndex(s_.dlg.comMaxPlot >= 0 && s_.dlg.comMaxPlot < comMaxPlot_->count() ? s_.dlg.comMaxPlot
                                                                                                    : -1);
    txtClearMapTime_->setText(FromBytes(s_.dlg.txtClearMapTime));
}

void MapSettingsDialog::LoadFromStore()
{
    ShowMapWide();
    loaded_ = true;
}

void MapSettingsDialog::EnsureLoaded()
{
    if (!loaded_) Load();
}

void MapSettingsDialog::Load()
{
    adjustSize();
    CentreOnScreen(this);
    // SBSOnly, SBSMins (15 when absent), MaxPlots, ClearMapTime ("0000" when absent, four digits).
    LoadMapWideSettings(s_);
    ShowMapWide();
    SelectMap(1);
    loaded_ = true;
}

void MapSettingsDialog::SelectMap(int n)
{
    if (n < 1 || n > 3) return;
    selected_ = n;
    if (!optMap_[n - 1]->isChecked()) optMap_[n - 1]->setChecked(true);

    // The SBS-1 options belong to map 1.
    const bool sbs = n == 1;
    for (QWidget* w : std::initializer_list<QWidget*>{frmSBS_, labSBSTimeLimit_, labSBSMins_, labOnlySBS_,
                                                      txtSBSOldPlotLimit_, chkSBS_})
        w->setEnabled(sbs);

    s_.Guard("optMap" + std::to_string(n) + "_Click", "frmMapSettings", [&] {
        const IniDocument doc = ReadIniFile(s_.SettingsFile()).doc;
        const std::string section = MapSection(n);
        // The value of a key; nullopt when it is present but empty (the reader's message was
        // shown and the control keeps what it had); `absent` for a key that is not there.
        auto read = [&](const char* key, const std::string& absent) -> std::optional<std::string> {
            SettingsCursor c{section, key, {}};
            switch (ReadSetting(s_, doc, c, SettingsOwner::MapSettings)) {
                case ReadResult::Value:
                    return c.Value;
                case ReadResult::Absent:
                    return absent;
                case ReadResult::Empty:
                    break;
            }
            return std::nullopt;
        };
        const std::pair<QLineEdit*, const char*> edges[] = {{txtN_, "N"}, {txtS_, "S"}, {txtE_, "E"}, {txtW_, "W"}};
        for (const auto& [box, key] : edges) {
            const char* format = box == txtN_ || box == txtS_ ? kLatitudeFormat : kLongitudeFormat;
            if (auto v = read(key, "")) box->setText(FromBytes(Format(*v, format)));
        }
        if (auto path = read("MapPath", kNoMapChosen)) txtFilePath_->setText(FromBytes(*path));
        const QString path = txtFilePath_->text();
        if (path == QLatin1String(kNoMapChosen))
            iPreview_->clear();
        else
            LoadPreview(path);

        const MapConfig defaults;
        const std::tuple<ColourSwatch*, const char*, std::int32_t> colours[] = {
            {pctACIDBackCol_, "ACIDBack", defaults.ACIDBack},
            {pctACIDTextCol_, "ACIDText", defaults.ACIDText},
            {pctCircleCol_, "Circle", defaults.Circle},
            {pctLineCol_, "Line", defaults.Line}};
        for (const auto& [swatch, key, fallback] : colours) {
            auto v = read(key, std::to_string(fallback));
            if (!v) continue;
            // A colour that is no number shows the map's default colour.
            const std::int32_t c = IsNumeric(*v) ? CLng(*v) : fallback;
            swatch->SetColour(static_cast<std::uint32_t>(c));
        }
    });
}

void MapSettingsDialog::LoadPreview(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage img = reader.read();
    if (img.isNull()) return;  // the preview stays as it was
    iPreview_->setPixmap(
        QPixmap::fromImage(img.scaled(iPreview_->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

// ---- choosing -------------------------------------------------------------------------------

void MapSettingsDialog::cmdBrowse()
{
    auto* dlg = new QFileDialog(this, QStringLiteral("Select your map"), QString::fromStdString(s_.Home().string()),
                                QStringLiteral("Map images (*.jpg *.jpeg *.bmp *.gif);;All files (*)"));
    dlg->setObjectName(QStringLiteral("CommonDialog1"));
    dlg->setOption(QFileDialog::DontUseNativeDialog);
    dlg->setFileMode(QFileDialog::ExistingFile);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    connect(dlg, &QFileDialog::fileSelected, this, &MapSettingsDialog::FileChosen);
    dlg->open();
}

void MapSettingsDialog::FileChosen(const QString& path)
{
    if (path.isEmpty()) return;
    LoadPreview(path);
    txtFilePath_->setText(QDir::toNativeSeparators(path));
}

void MapSettingsDialog::ColourChosen(ColourSwatch* swatch, const QColor& colour)
{
    if (colour.isValid()) swatch->SetColour(ToWindowsColour(colour));
}

// ---- saving and leaving ---------------------------------------------------------------------

void MapSettingsDialog::WriteMapWide()
{
    SaveMapWideSettings(s_, {comMaxPlot_->currentIndex(), ToBytes(txtClearMapTime_->text()),
                             ToBytes(txtSBSOldPlotLimit_->text()), chkSBS_->isChecked()});
}

void MapSettingsDialog::SaveMap(int n)
{
    auto colour = [](const ColourSwatch* sw) { return static_cast<std::int32_t>(sw->Colour()); };
    const MapValues values{ToBytes(txtN_->text()),  ToBytes(txtE_->text()),        ToBytes(txtS_->text()),
                           ToBytes(txtW_->text()),  ToBytes(txtFilePath_->text()), colour(pctACIDBackCol_),
                           colour(pctACIDTextCol_), colour(pctCircleCol_),         colour(pctLineCol_)};
    SaveMapSettings(s_, n, values, [&] {
        if (hooks_.showMap) hooks_.showMap(n);
    });
}

void MapSettingsDialog::cmdSave()
{
    WriteMapWide();
    SaveMap(selected_);
    mapWideWritten_ = true;
    accept();
}

void MapSettingsDialog::cmdClose()
{
    reject();
}
void MapSettingsDialog::cmdCancel()
{
    reject();
}

void MapSettingsDialog::done(int result)
{
    // Unload: however the dialog is left, the four map-wide keys are written. The next opening
    // loads everything from the file again.
    if (!mapWideWritten_) WriteMapWide();
    mapWideWritten_ = false;
    loaded_ = false;
    QDialog::done(result);
}

}  // namespace korval::ui
