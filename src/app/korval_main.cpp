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
#include "qt_notifier.h"
#include "settings/settings.h"
#include "station/seams.h"
#include "station/station.h"
#include "station_host.h"
#include "web/web_config.h"
#include "web/web_view.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

constexpr const char* kHelp =
    "usage: korval [--headless [--quiet]] [--home DIR] [--http ADDRESS:PORT]\n"
    "       korval --version | --help\n"
    "\n"
    "Receives aircraft datalink messages from decoder programs over local links, reformats\n"
    "and tracks them, writes the daily log and offers every processed message to other\n"
    "programs as the item LiveData of KORVAL|ACARS (also Aircraft, Flight, txtCount, txtOCA).\n"
    "\n"
    "  --home DIR   the program folder: KORVAL.ini and the .wdf data files are read there,\n"
    "               the logs are written to its Logs folder (which must exist for logging).\n"
    "               Default: $KORVAL_HOME, else ~/.local/share/korval (made when missing).\n"
    "  --headless   run without windows: the sources checked in KORVAL.ini are linked, the\n"
    "               timers run, message boxes become one line on standard error. Standard\n"
    "               output gets a line for each link made, lost or restored and a status\n"
    "               line every minute (messages received and counted per source, aircraft\n"
    "               tracked, errors logged). SIGINT or SIGTERM saves the settings and ends\n"
    "               the program with status 0.\n"
    "  --quiet      with --headless: no status line every minute\n"
    "  --http ADDRESS:PORT\n"
    "               serve the web view there: the maps, the messages, the counts and the\n"
    "               aircraft on one page, read-only (\"127.0.0.1:8080\", \"[::1]:8080\",\n"
    "               \"0.0.0.0:8080\" for every network). Without this option [Web] Listen in\n"
    "               KORVAL.ini says where; without either there is no web view. A bare port\n"
    "               listens on the loopback address only.\n"
    "  --version    print the version\n"
    "  --help       print this text\n"
    "\n"
    "A decoder that is not running at start, or stops while linked, is linked again every\n"
    "10 seconds while its source stays checked; the error log records the waiting, the loss\n"
    "and the restoring.\n"
    "\n"
    "Exit status: 0 ended by a signal or the main window, 2 usage error.\n";

struct Options {
    std::filesystem::path home;
    bool homeGiven = false;  // otherwise the default folder
    bool headless = false;
    std::optional<korval::web::ListenAddress> http;
    bool quiet = false;
};

int Usage(std::string_view problem)
{
    std::cerr << "korval: " << problem << '\n'
              << "usage: korval [--headless [--quiet]] [--home DIR] [--http ADDRESS:PORT] | --version | --help\n";
    return kExitUsage;
}

// The program folder when --home is not given: $KORVAL_HOME, which must exist like a folder
// given with --home; else ~/.local/share/korval, which is made when missing (the folder the run
// command fills with the defaults). Empty, with the reason in `problem`, when there is none.
std::filesystem::path DefaultHome(std::string& problem)
{
    std::error_code ec;
    if (const char* named = std::getenv("KORVAL_HOME"); named && *named) {
        if (std::filesystem::is_directory(named, ec)) return named;
        problem = "KORVAL_HOME must name an existing folder, not \"" + std::string(named) + "\"";
        return {};
    }
    const char* user = std::getenv("HOME");
    if (!user || !*user) {
        problem = "no --home given, and neither KORVAL_HOME nor HOME is set";
        return {};
    }
    const std::filesystem::path folder = std::filesystem::path(user) / ".local" / "share" / "korval";
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec)) {
        problem = "cannot make the program folder " + folder.string() + ": " + ec.message();
        return {};
    }
    return folder;
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

// Lines for the operator go out at once, whoever reads them (a terminal, a pipe, a journal).
void ToStdout(const std::string& line)
{
    std::cout << line << std::endl;
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
    host.ReportTo(ToStdout, !options.quiet);
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
        } else if (a == "--quiet") {
            options.quiet = true;
        } else if (a == "--home") {
            if (i + 1 >= argc) return Usage("--home needs a folder");
            options.home = argv[++i];
            options.homeGiven = true;
        } else if (a == "--http") {
            if (i + 1 >= argc) return Usage("--http needs ADDRESS:PORT");
            std::string reason;
            options.http = korval::web::ParseListen(argv[++i], &reason);
            if (!options.http) return Usage("--http: " + reason);
        } else {
            return Usage("unknown option " + std::string(a));
        }
    }
    if (options.quiet && !options.headless) return Usage("--quiet is for --headless");
    std::error_code ec;
    if (!options.homeGiven) {
        std::string problem;
        options.home = DefaultHome(problem);
        if (options.home.empty()) return Usage(problem);
    } else if (options.home.empty() || !std::filesystem::is_directory(options.home, ec)) {
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
