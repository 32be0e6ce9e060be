#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "replay.h"

#ifdef KORVAL_WITH_MAP_CANVAS
#include <QtGui/QGuiApplication>

#include "snapshot.h"
#endif

namespace {

int Usage()
{
    std::cerr << "usage: korval-replay --home DIR [--input FILE] [--utc HHMM] [--tracks] [--live-all]\n"
                 "                     [--snapshot N=FILE.jpg]... [--geojson FILE] [--kml FILE]\n"
                 "       korval-replay --help\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    korval::ReplayOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << korval::ReplayHelp();
            return 0;
        }
        if (a == "--tracks") {
            options.tracks = true;
            continue;
        }
        if (a == "--live-all") {
            options.liveAll = true;
            continue;
        }
        if (a != "--home" && a != "--input" && a != "--utc" && a != "--snapshot" && a != "--geojson" && a != "--kml")
            return Usage();
        if (i + 1 >= argc) {
            std::cerr << "korval-replay: " << a << " needs a value\n";
            return Usage();
        }
        std::string value = argv[++i];
        if (a == "--home") {
            options.home = value;
        } else if (a == "--input") {
            options.input = value;
        } else if (a == "--utc") {
            options.utc = value;
        } else if (a == "--geojson") {
            options.geojson = value;
        } else if (a == "--kml") {
            options.kml = value;
        } else {
            std::pair<int, std::string> snapshot;
            if (!korval::ParseSnapshotOption(value, snapshot)) {
                std::cerr << "korval-replay: --snapshot takes N=FILE.jpg with N 1, 2 or 3\n";
                return Usage();
            }
            options.snapshots.push_back(snapshot);
        }
    }
    if (options.home.empty()) return Usage();

#ifdef KORVAL_WITH_MAP_CANVAS
    // Fonts and images need a GUI application; without a display it runs offscreen.
    std::unique_ptr<QGuiApplication> app;
    if (!options.snapshots.empty()) {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int qtArgc = 1;
        static char name[] = "korval-replay";
        static char* qtArgv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
        options.drawMap = korval::ui::WriteMapSnapshot;
    }
#endif

    std::ios::sync_with_stdio(false);
    if (!options.input.empty()) {
        std::ifstream in(options.input, std::ios::binary);
        if (!in) {
            std::cerr << "korval-replay: cannot read " << options.input << '\n';
            return 2;
        }
        return korval::RunReplay(options, in, std::cout, std::cerr);
    }
    return korval::RunReplay(options, std::cin, std::cout, std::cerr);
}
