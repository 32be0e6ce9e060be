#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include <QtCore/QObject>
#include <QtCore/QString>

#include "ui/map_view_window.h"
#include "ui/map_window.h"

namespace korval {
class Station;
}

namespace korval::ui {

// What a file dialog of the Maps menu asks for. The filter is in Qt's form.
struct FileDialogRequest {
    QString title;
    QString filter;         // "JPEG Files (*.jpg *.jpe *.jpeg)"; choices apart by ";;"
    QString defaultSuffix;  // "jpg"
    QString initialPath;    // a file (save) or a folder (open)
    bool save = false;      // save dialogs ask before overwriting an existing file
};
// Returns the chosen file, or nothing when the user cancelled.
using FileDialog = std::function<std::optional<QString>(const FileDialogRequest&)>;

// The three map windows and the map viewer, as the main window's Maps menu drives them:
// Show Map1..3, Save Map 1..3 and View Map. Subscribes to the station's map changes and redraws
// each shown map once per turn of the event loop however many changes arrived, so a burst of
// messages costs one redraw per map; the picture is that of the final state.
class MapWindows {
public:
    explicit MapWindows(Station& s);
    ~MapWindows();
    MapWindows(const MapWindows&) = delete;
    MapWindows& operator=(const MapWindows&) = delete;

    // Called with (n, checked) whenever a Show Map item's check mark changes here, so that the
    // menu follows (closing a window unchecks it too).
    void SetShowChanged(std::function<void(int, bool)> f) { showChanged_ = std::move(f); }
    // The save and open dialogs (QFileDialog unless replaced; tests supply the answer).
    void SetFileDialogs(FileDialog save, FileDialog open);

    // mnuShowMap1_Click..mnuShowMap3_Click: show a hidden map (redrawn at once) or hide a shown
    // one. A map whose image file is missing is not shown and its item stays unchecked, without
    // a message.
    void ShowMapClicked(int n);
    // At start: shows every map whose Show item the settings left checked (as the menu would).
    void ShowCheckedMaps();
    // mnuMap1Save..mnuMap3Save: the map as now drawn, saved as JPEG (quality 90) to the file the
    // save dialog returns, proposed as KorvalMapNddmmyy,HHMMZ.jpg in the program folder.
    // False when cancelled or failed.
    bool SaveMap(int n);
    // mnuViewMap: the chosen JPEG in the viewer window. False when cancelled or unreadable.
    bool ViewMap();
    // The main window closes (after the settings were written): each loaded map window unloads,
    // writing its placement, and the viewer closes.
    void CloseAll();

    // Map window n (1..3), created (hidden, placed) on first use.
    MapWindow& Window(int n);
    MapWindow* Existing(int n) const;
    MapViewWindow* Viewer() const { return viewer_.get(); }
    // Redraws that ran since creation, per map (for the coalescing's users and tests).
    int Redraws(int n) const { return Existing(n) ? Existing(n)->RedrawCount() : 0; }
    // Runs the redraw waiting for the event loop now.
    void FlushRedraws();

private:
    void ScheduleRedraw();
    void ShowChanged(int n, bool checked);

    Station& s_;
    int subscription_ = 0;
    std::shared_ptr<BackgroundCache> cache_;
    std::array<std::unique_ptr<MapWindow>, 3> windows_;
    std::unique_ptr<MapViewWindow> viewer_;
    std::function<void(int, bool)> showChanged_;
    FileDialog saveDialog_, openDialog_;
    QObject context_;  // the queued redraw dies with this object
    bool redrawPending_ = false;
};

// The dialogs' defaults: modal QFileDialogs.
std::optional<QString> AskSaveFile(const FileDialogRequest& request);
std::optional<QString> AskOpenFile(const FileDialogRequest& request);

}  // namespace korval::ui
