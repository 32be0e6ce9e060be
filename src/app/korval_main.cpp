// korval: the program. With --headless it runs the station with its links, timers, logs and link
// server and no windows, until SIGINT or SIGTERM, which save the settings as closing the main
// window does.

#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include <QApplication>
#include <QCoreApplication>

#include "gui_main.h"
#include "link/quit_signals.h"
#include "settings/settings.h"
#include "station/seams.h"
#include "station/station.h"
#include "qt_notifier.h"
#include "station_host.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

constexpr const char* kHelp =
    "usage: korval [--headless] [--home DIR]\n"
    "       korval --version | --help\n"
    "\n"
    "Receives aircraft datalink messages from decoder programs over local links, reformats\n"
    "and tracks them, writes the daily log and offers every processed message to other\n"
    "programs as the item LiveData of KORVAL|ACARS (also Aircraft, Flight, txtCount, txtOCA).\n"
    "\n"
    "  --home DIR   the program folder: KORVAL.ini and the .wdf data files are read there,\n"
    "               the logs are written to its Logs folder (which must exist for logging).\n"
    "               Default: the current folder.\n"
    "  --headless   run without windows: the sources checked in KORVAL.ini are linked, the\n"
    "               timers run, message boxes become one line on standard error. SIGINT or\n"
    "               SIGTERM saves the settings and ends the program with status 0.\n"
    "  --version    print the version\n"
    "  --help       print this text\n"
    "\n"
    "A decoder that stops while linked is linked again every 10 seconds while its source\n"
    "stays checked; the error log records the loss and the restoring.\n"
    "\n"
    "Exit status: 0 ended by a signal or the main window, 2 usage error.\n";

struct Options {
    std::filesystem::path home = ".";
    bool headless = false;
};

int Usage(std::string_view problem)
{
    std::cerr << "korval: " << problem << '\n' << "usage: korval [--headless] [--home DIR] | --version | --help\n";
    return kExitUsage;
}

// SIGINT and SIGTERM close the program as closing the main window does: the settings are saved
// and the event loop ends with status 0.
void SaveSettingsOnSignals(korval::Station& s)
{
    korval::link::WhenQuitSignalled([&s] {
        korval::SaveSettings(s);
        QCoreApplication::exit(kExitOk);
    });
}

void ToStderr(const std::string& line)
{
    std::cerr << "KORVAL: " << line << '\n';
}

int RunHeadless(int argc, char** argv, const Options& options)
{
    QCoreApplication app(argc, argv);
    korval::SystemClock clock;
    korval::StderrNotifier notifier;
    korval::Station station(options.home, clock, notifier);
    korval::app::StationHost host(station, ToStderr);
    SaveSettingsOnSignals(station);
    host.StartHeadless();
    return QCoreApplication::exec();
}

}  // namespace

int main(int argc, char** argv)
{
    // From the first moment on, a signal waits for the event loop instead of ending the program.
    korval::link::CatchQuitSignals();
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kHelp;
            return kExitOk;
        }
        if (a == "--version") {
            std::cout << "korval " KORVAL_VERSION "\n";
            return kExitOk;
        }
        if (a == "--headless") {
            options.headless = true;
        } else if (a == "--home") {
            if (i + 1 >= argc) return Usage("--home needs a folder");
            options.home = argv[++i];
        } else {
            return Usage("unknown option " + std::string(a));
        }
    }
    std::error_code ec;
    if (options.home.empty() || !std::filesystem::is_directory(options.home, ec)) {
        return Usage("--home must name an existing folder, not \"" + options.home.string() + "\"");
    }
    options.home = std::filesystem::absolute(options.home, ec);

    if (!options.headless) {
        // The main window runs the start-up (settings, tables, relinking, map windows, timers)
        // and saves the settings when it closes; the host adds the links and the link server.
        QApplication app(argc, argv);
        korval::SystemClock clock;
        korval::ui::QtNotifier notifier;
        korval::Station station(options.home, clock, notifier);
        korval::app::StationHost host(station, ToStderr);
        SaveSettingsOnSignals(station);
        host.StartServer();
        return RunKorvalGui(argc, argv, station, &host.Port());
    }
    return RunHeadless(argc, argv, options);
}
