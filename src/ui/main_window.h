#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QPointer>

#include "main_window_layout.h"
#include "station/station.h"
#include "ui/map_windows.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTimer;

namespace korval::ui {

class DeleteAircraftDialog;
class MapSettingsDialog;
class OtherDdeDialog;
class SbsKeyDialog;
class SplashWindow;
class TooFarDialog;

// What the map windows provide to the main window. Each hook is optional; the map-window code
// sets them before StartUp(). Map numbers are 1 to 3.
struct MapHooks {
    // mnuShowMapN_Click: show or hide window n and keep s.opt.mnuShowMapN in step. Without it
    // the item only flips its check mark.
    std::function<void(int n)> showMapClick;
    // Show window n (start-up for a checked Show item; the map settings dialog's Save).
    std::function<void(int n)> showMap;
    // Save Map n as a JPEG file; View Map.
    std::function<void(int n)> saveMap;
    std::function<void()> viewMap;
    // The main window is closing: close the three map windows (they save their placement).
    std::function<void()> closeMaps;
};

// The main window `ACARS` ("KORVAL SBS - Messages"): the output box, the status row, the
// menus with their check marks bound to the station's option states, and the two timers. It
// repaints from the station's state whenever the station says what changed.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(Station& s, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Form_Load: the splash, the settings and tables, the dialogs kept hidden for the run, the
    // links of the checked sources, the checked map windows, the first clock tick, the timers.
    void StartUp();

    MapHooks mapHooks;
    // The save dialog of Export Tracks... (a modal QFileDialog unless replaced; tests answer it).
    FileDialog exportDialog = AskSaveFile;
    // Closing ends the program (QCoreApplication::quit); tests turn it off.
    void SetQuitOnClose(bool quit) { quitOnClose_ = quit; }

    Station& station() { return s_; }
    // A menu item by its name (`mnuAir`, ...); null when there is none.
    QAction* Item(const QString& name) const;
    // The layout in twips that Form_Resize applied last, and the design it applied.
    const MainLayout& Layout() const { return layout_; }
    const MainDesign& Design() const { return design_; }
    // Inner (client) area below the menu bar, in twips.
    double InnerWidthTwips() const;
    double InnerHeightTwips() const;

    // The dialogs: single instances, created on first use and kept for the whole run.
    OtherDdeDialog* OtherDde();
    TooFarDialog* TooFar();
    DeleteAircraftDialog* DeleteAircraft();
    SbsKeyDialog* SbsKey();
    MapSettingsDialog* MapSettings();
    SplashWindow* Splash() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct ItemRow;
    static const std::vector<ItemRow>& ItemRows();

    void BuildControls();
    void BuildMenus();
    void Form_Resize();
    void Refresh(ChangeFlags what);
    void RefreshBoxes();
    void RefreshCountTip();
    void SyncMenus();
    void ApplyPlacement();
    void RecordPlacement();
    void RunCommand(const char* procedure, const std::function<void()>& body);

    // Menu commands.
    void DdeAir();
    void DdeSky();
    void DdeAnad();
    void DdePchfdl();
    void DdeNew();
    void ShowServerSettings();
    void ShowMapSettings();
    void ShowMap(int n);
    void ShowMap1() { ShowMap(1); }
    void ShowMap2() { ShowMap(2); }
    void ShowMap3() { ShowMap(3); }
    void SaveMap(int n);
    void SaveMap1() { SaveMap(1); }
    void SaveMap2() { SaveMap(2); }
    void SaveMap3() { SaveMap(3); }
    void ViewMap();
    void ExportTracks();
    void ClearNow();
    void UndoClear();
    // Ctrl+C (the platform's Copy keys) with text selected in LiveData copies it and does nothing
    // else; without a selection the keys stay "Clear Maps Now".
    bool CopiesSelection(const QKeyEvent* key) const;
    void ShowDeleteAircraft();
    void ShowSbsKey();
    void ShowTooFarSettings();

    Station& s_;
    int listener_ = 0;
    bool quitOnClose_ = true;

    // Controls.
    QPlainTextEdit* LiveData_ = nullptr;
    QLineEdit *Aircraft_ = nullptr, *Flight_ = nullptr, *txtCount_ = nullptr, *txtOCA_ = nullptr, *txtRepeat_ = nullptr;
    QLabel *labAircraft_ = nullptr, *labFlight_ = nullptr, *labCount_ = nullptr, *labUTC_ = nullptr;
    std::vector<QLineEdit*> linkBoxes_;  // the eight hidden DDE input boxes
    QTimer *Timer1_ = nullptr, *Timer2_ = nullptr;
    std::vector<std::pair<QAction*, const ItemRow*>> items_;

    MainDesign design_;
    MainLayout layout_;
    // What the boxes show, to repaint only what changed.
    struct Shown {
        std::string text;
        std::uint32_t fore = 0, back = 0;
        bool visible = true, painted = false;
        int width = 0;
    };
    Shown shownLive_, shownAircraft_, shownFlight_, shownCount_, shownOCA_, shownRepeat_;
    std::string shownUTC_;
    std::string shownCountTip_ = "Number of reformatted messages";

    QPointer<OtherDdeDialog> otherDde_;
    QPointer<TooFarDialog> tooFar_;
    QPointer<DeleteAircraftDialog> deleteAircraft_;
    QPointer<SbsKeyDialog> sbsKey_;
    QPointer<MapSettingsDialog> mapSettings_;
    QPointer<SplashWindow> splash_;
};

}  // namespace korval::ui
