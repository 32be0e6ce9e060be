#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <QDialog>
#include <QLabel>

#include "station/station.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korval::ui {

struct MapHooks;

// A picture box used as a colour swatch: shows a Windows colour value; a double click asks for
// another.
class ColourSwatch final : public QLabel {
    Q_OBJECT

public:
    explicit ColourSwatch(QWidget* parent = nullptr);
    std::uint32_t Colour() const { return colour_; }
    void SetColour(std::uint32_t colour);

Q_SIGNALS:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::uint32_t colour_ = 0;
};

// frmMapSettings ("KORVAL Map Settings"): each map's image, edges and colours (sections
// "Map1 Settings".."Map3 Settings") and the four map-wide options of section Menus (SBSOnly,
// SBSMins, MaxPlots, ClearMapTime). The four map-wide controls are the live store the redraws,
// SBS-1 ageing, plot limit and daily clearing read, so the dialog is kept for the whole run;
// leaving it any way writes those four keys. Save also writes the selected map's keys, takes
// them into the running maps at once and redraws that map.
class MapSettingsDialog final : public QDialog {
    Q_OBJECT

public:
    // The text of txtFilePath while a map has no image.

    MapSettingsDialog(Station& s, MapHooks& hooks, QWidget* parent = nullptr);

    // Created hidden at start-up: the map-wide controls from the settings just loaded.
    void LoadFromStore();
    // Load (from the file) unless the dialog is loaded; the menu item runs this before showing.
    void EnsureLoaded();
    bool IsLoaded() const { return loaded_; }
    void Load();
    // optMap1_Click, optMap2_Click, OptMap3_Click: select map n and read its settings.
    void SelectMap(int n);
    int SelectedMap() const { return selected_; }

    void cmdBrowse();
    void cmdSave();
    void cmdClose();
    void cmdCancel();
    void done(int result) override;

    // The file chosen in the file dialog; the colour chosen for a swatch.
    void FileChosen(const QString& path);
    void ColourChosen(ColourSwatch* swatch, const QColor& colour);

private:
    void WriteMapWide();
    void SaveMap(int n);
    void LoadPreview(const QString& path);
    void ShowMapWide();

    Station& s_;
    MapHooks& hooks_;
    bool loaded_ = false;
    bool mapWideWritten_ = false;  // cmdSave wrote them already
    int selected_ = 1;

    QRadioButton* optMap_[3] = {};
    QLineEdit *txtN_ = nullptr, *txtS_ = nullptr, *txtE_ = nullptr, *txtW_ = nullptr, *txtFilePath_ = nullptr;
    QLabel* iPreview_ = nullptr;
    ColourSwatch *pctCircleCol_ = nullptr, *pctLineCol_ = nullptr, *pctACIDTextCol_ = nullptr,
                 *pctACIDBackCol_ = nullptr;
    QGroupBox* frmSBS_ = nullptr;
    QCheckBox* chkSBS_ = nullptr;
    QLineEdit* txtSBSOldPlotLimit_ = nullptr;
    QLabel *labOnlySBS_ = nullptr, *labSBSTimeLimit_ = nullptr, *labSBSMins_ = nullptr;
    QComboBox* comMaxPlot_ = nullptr;
    QLineEdit* txtClearMapTime_ = nullptr;
};

}  // namespace korval::ui
