// The main window's menus: one table of items with their captions, shortcuts, check marks and
// commands; the check marks always show the station's option states.
#include <string_view>

#include <QAction>
#include <QFile>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "delete_aircraft_dialog.h"
#include "dialog_parts.h"
#include "export/tracks_file.h"
#include "main_window.h"
#include "map_settings_dialog.h"
#include "maps/redraw.h"
#include "maps/refresh.h"
#include "other_dde_dialog.h"
#include "sbs_key_dialog.h"
#include "station/links.h"
#include "too_far_dialog.h"

namespace korval::ui {

struct MainWindow::ItemRow {
    const char* menu;  // the menu's name; a new name starts a new menu
    const char* menuCaption;
    const char* name;               // the item's name; null for an unnamed separator
    const char* caption;            // null: a separator
    const char* shortcut;           // portable text ("Ctrl+M"), or null
    bool Options::*option;          // its check mark, or null
    void (MainWindow::*command)();  // null: a toggle that flips `option`
};

const std::vector<MainWindow::ItemRow>& MainWindow::ItemRows()
{
    using W = MainWindow;
    static const std::vector<ItemRow> rows = {
        {"mnuDDE", "DDE", "mnuAir", "Airmaster/JACARS", nullptr, &Options::mnuAir, &W::DdeAir},
        {"mnuDDE", "DDE", "mnuSky", "SkySpy/ACARSD", nullptr, &Options::mnuSky, &W::DdeSky},
        {"mnuDDE", "DDE", "mnuANAD", "AirNav ACARS Decoder", nullptr, &Options::mnuANAD, &W::DdeAnad},
        {"mnuDDE", "DDE", "mnuPCHFDL", "PC-HFDL", nullptr, &Options::mnuPCHFDL, &W::DdePchfdl},
        {"mnuDDE", "DDE", "mnuOtherSep", nullptr, nullptr, nullptr, nullptr},
        {"mnuDDE", "DDE", "mnuNew", "Other", nullptr, &Options::mnuNew, &W::DdeNew},
        {"mnuDDE", "DDE", "mnuServerSettings", "Settings", nullptr, nullptr, &W::ShowServerSettings},
        {"mnuMap", "Maps", "mnuMapSettings", "&Map Settings", "Ctrl+M", &Options::mnuMapSettings, &W::ShowMapSettings},
        {"mnuMap", "Maps", "mnuShowMap1", "Show Map1", "F1", &Options::mnuShowMap1, &W::ShowMap1},
        {"mnuMap", "Maps", "mnuShowMap2", "Show Map2", "F2", &Options::mnuShowMap2, &W::ShowMap2},
        {"mnuMap", "Maps", "mnuShowMap3", "Show Map3", "F3", &Options::mnuShowMap3, &W::ShowMap3},
        {"mnuMap", "Maps", "mnuMap1Save", "Save Map 1", nullptr, nullptr, &W::SaveMap1},
        {"mnuMap", "Maps", "mnuMap2Save", "Save Map 2", nullptr, nullptr, &W::SaveMap2},
        {"mnuMap", "Maps", "mnuMap3Save", "Save Map 3", nullptr, nullptr, &W::SaveMap3},
        {"mnuMap", "Maps", "mnuViewMap", "View Map", nullptr, nullptr, &W::ViewMap},
        {"mnuMap", "Maps", "mnuExportTracks", "Export Tracks...", nullptr, nullptr, &W::ExportTracks},
        {"mnuMap", "Maps", "mnuClear", "&Clear Maps Now", "Ctrl+C", nullptr, &W::ClearNow},
        {"mnuMap", "Maps", "mnuUndoClear", "&Undo Clear Maps", "Ctrl+Z", nullptr, &W::UndoClear},
        {"mnuMap", "Maps", "mnuDailyClearMap", "Clear Maps Daily", nullptr, &Options::mnuDailyClearMap, nullptr},
        {"mnuMap", "Maps", "mnuDeletAircraft", "&Delete Aircraft", "Ctrl+X", nullptr, &W::ShowDeleteAircraft},
        {"mnuMap", "Maps", "mnuSBSKey", "SBS-1 Key", nullptr, nullptr, &W::ShowSbsKey},
        {"mnuOptions", "Options", "mnuTag", "LogFile", nullptr, &Options::mnuTag, nullptr},
        {"mnuOptions", "Options", "mnuRefOCA", "Reformat Oceanic", nullptr, &Options::mnuRefOCA, nullptr},
        {"mnuOptions", "Options", "mnuWaypoints", "Expand Waypoints", nullptr, &Options::mnuWaypoints, nullptr},
        {"mnuOptions", "Options", "mnuRegFlight", "Correct Reg.Flight", nullptr, &Options::mnuRegFlight, nullptr},
        {"mnuOptions", "Options", "mnuHF_FlNo", "HF Flight Nos.", nullptr, &Options::mnuHF_FlNo, nullptr},
        {"mnuOptions", "Options", "mnuBeep", "Beep", nullptr, &Options::mnuBeep, nullptr},
        {"mnuOptions", "Options", "mnuExtendedDecoding", "Decode Modern Formats", nullptr,
         &Options::mnuExtendedDecoding, nullptr},
        {"mnuFilters", "Filters", "mnuDecErr", "Decode Errors", nullptr, &Options::mnuDecErr, nullptr},
        {"mnuFilters", "Filters", "mnuRepeats", "Repeats", nullptr, &Options::mnuRepeats, nullptr},
        {"mnuFilters", "Filters", "mnuSQ", "SQ", nullptr, &Options::mnuSQ, nullptr},
        {"mnuFilters", "Filters", "mnuSBS", "SBS-1", nullptr, &Options::mnuSBS, nullptr},
        {"mnuFilters", "Filters", "mnuFiltSep", nullptr, nullptr, nullptr, nullptr},
        {"mnuFilters", "Filters", "mnuTooFar", "Limit Wrong Plots", nullptr, &Options::mnuTooFar, nullptr},
        {"mnuFilters", "Filters", "mnuTooFarSettings", "Settings", nullptr, nullptr, &W::ShowTooFarSettings},
    };
    return rows;
}

namespace {

// The captions of the link items name the Windows decoders the links were made for; on Linux
// the decoders reach them through korval-link bridge.
struct LinkTip {
    const char* item;
    const char* tip;
};
constexpr LinkTip kLinkTips[] = {
    {"mnuAir",
     "WinACARS|ACARS: acarsdec or dumpvdl2 (VDL2), and SBS-1 positions from dump1090 or readsb, "
     "through korval-link bridge"},
    {"mnuSky",
     "SkySpy|ACARS: SkySpy or ACARSD only; on Linux use Airmaster/JACARS with korval-link bridge "
     "(acarsdec or dumpvdl2)"},
    {"mnuANAD",
     "ANAD|ACARS: AirNav ACARS Decoder only; on Linux use Airmaster/JACARS with korval-link bridge "
     "(acarsdec or dumpvdl2)"},
    {"mnuPCHFDL", "PCHFDL|HFDL and PCHFDL|ACARS: dumphfdl through korval-link bridge"},
    {"mnuNew",
     "The server and topic of DDE > Settings, e.g. a second korval-link bridge started with "
     "--topic Bridge2|ACARS (format Airmaster)"},
};

}  // namespace

void MainWindow::BuildMenus()
{
    QMenu* menu = nullptr;
    for (const ItemRow& row : ItemRows()) {
        if (!menu || menu->objectName() != QLatin1String(row.menu)) {
            menu = menuBar()->addMenu(QLatin1String(row.menuCaption));
            menu->setObjectName(QLatin1String(row.menu));
        }
        if (!row.caption) {
            QAction* sep = menu->addSeparator();
            sep->setObjectName(QLatin1String(row.name));
            continue;
        }
        QAction* a = menu->addAction(QLatin1String(row.caption));
        a->setObjectName(QLatin1String(row.name));
        for (const LinkTip& t : kLinkTips) {
            if (std::string_view(t.item) != row.name) continue;
            a->setToolTip(QLatin1String(t.tip));
            a->setStatusTip(QLatin1String(t.tip));
            menu->setToolTipsVisible(true);
        }
        if (row.shortcut) {
            a->setShortcut(QKeySequence::fromString(QLatin1String(row.shortcut), QKeySequence::PortableText));
            a->setShortcutContext(Qt::WindowShortcut);
        }
        a->setCheckable(row.option != nullptr);
        const ItemRow* r = &row;
        connect(a, &QAction::triggered, this, [this, r] {
            const std::string procedure = std::string(r->name) + "_Click";
            if (r->command) {
                (this->*r->command)();
            } else {
                RunCommand(procedure.c_str(), [this, r] {
                    s_.opt.*r->option = !(s_.opt.*r->option);
                    s_.Notify(ChangeOptions);
                });
            }
            SyncMenus();  // a check mark shows the option state, whatever the click did to it
        });
        items_.emplace_back(a, r);
    }
}

void MainWindow::SyncMenus()
{
    for (const auto& [action, row] : items_) {
        if (row->option) {
            const bool on = s_.opt.*row->option;
            if (action->isChecked() != on) action->setChecked(on);
        }
    }
    for (int n = 1; n <= 3; ++n)
        if (QAction* show = Item(QStringLiteral("mnuShowMap%1").arg(n)))
            show->setEnabled(s_.opt.mnuShowMapEnabled[n - 1]);
    if (QAction* undo = Item(QStringLiteral("mnuUndoClear"))) undo->setEnabled(!s_.MapsCleared.Empty());
    if (QAction* exportItem = Item(QStringLiteral("mnuExportTracks"))) exportItem->setVisible(s_.opt.mnuExportTracks);
}

QAction* MainWindow::Item(const QString& name) const
{
    for (const auto& [action, row] : items_)
        if (action->objectName() == name) return action;
    return nullptr;
}

// ---- commands -------------------------------------------------------------------------------

void MainWindow::DdeAir()
{
    RunCommand("mnuAir_Click", [this] { mnuAir_Click(s_); });
}
void MainWindow::DdeSky()
{
    RunCommand("mnuSky_Click", [this] { mnuSky_Click(s_); });
}
void MainWindow::DdeAnad()
{
    RunCommand("mnuANAD_Click", [this] { mnuANAD_Click(s_); });
}
void MainWindow::DdePchfdl()
{
    RunCommand("mnuPCHFDL_Click", [this] { mnuPCHFDL_Click(s_); });
}
void MainWindow::DdeNew()
{
    RunCommand("mnuNew_Click", [this] { mnuNew_Click(s_); });
}

void MainWindow::ShowServerSettings()
{
    OtherDde()->Open();
}
void MainWindow::ShowTooFarSettings()
{
    TooFar()->Open();
}
void MainWindow::ShowDeleteAircraft()
{
    DeleteAircraft()->Open();
}
void MainWindow::ShowSbsKey()
{
    SbsKey()->Open();
}

void MainWindow::ShowMapSettings()
{
    // Shown modeless, then map 1's settings whatever map was being edited.
    MapSettingsDialog* d = MapSettings();
    const bool fresh = !d->IsLoaded();
    if (fresh) d->Load();  // reads everything, map 1 included
    Present(d);
    if (!fresh) d->SelectMap(1);
}

void MainWindow::ShowMap(int n)
{
    const std::string procedure = "mnuShowMap" + std::to_string(n) + "_Click";
    RunCommand(procedure.c_str(), [this, n] {
        if (mapHooks.showMapClick) {
            mapHooks.showMapClick(n);
            return;
        }
        bool& shown = s_.opt.ShowMap(n);
        shown = !shown;
        s_.Notify(ChangeOptions);
    });
}

void MainWindow::SaveMap(int n)
{
    const std::string procedure = "mnuMap" + std::to_string(n) + "Save_Click";
    RunCommand(procedure.c_str(), [this, n] {
        if (mapHooks.saveMap) mapHooks.saveMap(n);
    });
}

void MainWindow::ViewMap()
{
    RunCommand("mnuViewMap_Click", [this] {
        if (mapHooks.viewMap) mapHooks.viewMap();
    });
}

void MainWindow::ExportTracks()
{
    RunCommand("mnuExportTracks_Click", [this] {
        FileDialogRequest r;
        r.title = QStringLiteral("Export Tracks");
        r.filter = QStringLiteral("GeoJSON (*.geojson);;KML (*.kml)");
        r.defaultSuffix = QStringLiteral("geojson");
        r.initialPath = QString::fromStdString(DefaultTracksFileName(s_, ExportFormat::GeoJson).string());
        r.save = true;
        const std::optional<QString> file = exportDialog ? exportDialog(r) : std::nullopt;
        if (!file || file->isEmpty()) return;
        const TracksFileResult written = WriteTracksFile(s_, QFile::encodeName(*file).toStdString());
        for (const std::string& problem : written.problems)
            s_.notifier().Diagnostic("left out of the track export: " + problem);
        if (!written.written) s_.notifier().Message(written.error, "KORVAL", Icon::Critical);
    });
}

void MainWindow::ClearNow()
{
    RunCommand("mnuClear_Click", [this] { mnuClear_Click(s_); });
}

void MainWindow::UndoClear()
{
    RunCommand("mnuUndoClear_Click", [this] { UndoClearMap(s_); });
}

}  // namespace korval::ui
