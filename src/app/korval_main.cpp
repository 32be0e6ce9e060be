// korval: the program. With --headless it runs the station with its links, timers, logs and link
// server and no windows, until SIGINT or SIGTERM, which save the settings as closing the main
// window does.

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>

#include "gui_main.h"
#include "link/quit_signals.h"
#include "settings/settings.h"
#include "station/seams.h"
#include "station/station.h"
#include "qt_notifier.h"
#include "station_host.h"
#include "web/web_config.h"
#include "web/web_view.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

constexpr const char* kHelp =
    "usage: korval [--headless] [--home DIR] [--http ADDRESS:PORT]\n"
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
    "  --http ADDRESS:PORT\n"
    "               serve the web view there: the maps, the messages, the counts and the\n"
    "               aircraft on one page, read-only (\"127.0.0.1:8080\", \"[::1]:8080\",\n"
    "               \"0.0.0.0:8080\" for every network). Without this option [Web] Listen in\n"
    "               KORVAL.ini says where; without either there is no web view. A bare port\n"
    "               listens on the loopback address only.\n"
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
    std::optional<korval::web::ListenAddress> http;
};

int Usage(std::string_view problem)
{
    std::cerr << "korval: " << problem << '\n'
              << "usage: korval [--headless] [--home DIR] [--http ADDRESS:PORT] | --version | --help\n";
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

// Where the web view listens: the command line, else the settings file; nothing when neither.
std::optional<korval::web::ListenAddress> WebAddress(const Options& options)
{
    if (options.http) return options.http;
    std::string reason;
    auto where = korval::web::ListenFromSettings(options.home / "KORVAL.ini", &reason);
    if (!reason.empty()) ToStderr(reason + "; no web view");
    return where;
}

std::unique_ptr<korval::web::WebView> StartWebView(korval::Station& s,
                                                   const std::optional<korval::web::ListenAddress>& where)
{
    if (!where) return nullptr;
    auto view = std::make_unique<korval::web::WebView>(s, ToStderr);
    view->Start(*where);  // a failure is logged; the station runs on without the view
    return view;
}

int RunHeadless(int argc, char** argv, const Options& options)
{
    // The web view draws maps, which needs fonts and so a GUI application; without windows it
    // runs on the offscreen platform whatever display there is.
    const auto where = WebAddress(options);
    std::unique_ptr<QCoreApplication> app;
    if (where) {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    korval::SystemClock clock;
    korval::StderrNotifier notifier;
    korval::Station station(options.home, clock, notifier);
    korval::app::StationHost host(station, ToStderr);
    SaveSettingsOnSignals(station);
    host.StartHeadless();
    const auto view = StartWebView(station, where);
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
        } else if (a == "--http") {
            if (i + 1 >= argc) return Usage("--http needs ADDRESS:PORT");
            std::string reason;
            options.http = korval::web::ParseListen(argv[++i], &reason);
            if (!options.http) return Usage("--http: " + reason);
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
        const auto view = StartWebView(station, WebAddress(options));
        return RunKorvalGui(argc, argv, station, &host.Port());
    }
    return RunHeadless(argc, argv, options);
}
