#include "gui_main.h"

#include <memory>

#include <QApplication>
#include <QStyleFactory>

#include "main_window.h"
#include "map_windows.h"
#include "qt_notifier.h"
#include "station/station.h"

int RunKorvalGui(int argc, char** argv, korval::Station& station, korval::LinkPort* links)
{
    std::unique_ptr<QApplication> own;
    if (!QApplication::instance()) own = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KORVAL"));
    // The windows' colours are the station's: a style that honours the palette.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(fusion);

    station.links = links;
    korval::ui::MainWindow window(station);
    korval::ui::MapWindows maps(station);
    // The Maps menu drives the map windows; they keep the Show items in step and say so.
    maps.SetShowChanged([&station](int, bool) { station.Notify(korval::ChangeOptions); });
    window.mapHooks.showMapClick = [&maps](int n) { maps.ShowMapClicked(n); };
    window.mapHooks.showMap = [&maps, &station](int n) {
        bool& item = station.opt.ShowMap(n);
        item = false;  // shown afresh, exactly as a click on the unchecked item would
        maps.ShowMapClicked(n);
    };
    window.mapHooks.saveMap = [&maps](int n) { maps.SaveMap(n); };
    window.mapHooks.viewMap = [&maps] { maps.ViewMap(); };
    window.mapHooks.closeMaps = [&maps] { maps.CloseAll(); };
    if (auto* boxes = dynamic_cast<korval::ui::QtNotifier*>(&station.notifier())) boxes->SetParentWindow(&window);
    window.StartUp();
    window.show();
    const int code = QApplication::exec();
    station.links = nullptr;
    return code;
}
