// Time from a message's arrival to its plot on a shown 1600 x 1000 map, and the longest stall
// of the event loop, at a steady message rate with the recorded traffic. Off screen:
//   QT_QPA_PLATFORM=offscreen measure_mapwin [rate-per-second ...]   (default 10 100)
// Each rate runs for 10 seconds of wall time.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <QtCore/QElapsedTimer>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>

#include "station/events.h"
#include "station/seams.h"
#include "station/station.h"
#include "ui/map_windows.h"

using namespace korval;

namespace {

std::vector<std::pair<LinkBox, std::string>> Traffic()
{
    const std::pair<const char*, LinkBox> boxes[] = {{"airmaster", LinkBox::AirData}, {"skyspy", LinkBox::SkyData},
                                                     {"anad", LinkBox::ANAData},      {"hfacars", LinkBox::HFACARSData},
                                                     {"hfdl", LinkBox::HFDL},         {"other", LinkBox::txtNewData}};
    std::vector<std::pair<LinkBox, std::string>> out;
    std::ifstream in(KORVAL_BENCH_DATA "/messages.jsonl");
    for (std::string line; std::getline(in, line);) {
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        const std::string source = o.value(QStringLiteral("source")).toString().toStdString();
        for (const auto& [name, box] : boxes)
            if (source == name) out.emplace_back(box, o.value(QStringLiteral("text")).toString().toStdString());
    }
    return out;
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5))];
}

void Run(int rate, const std::vector<std::pair<LinkBox, std::string>>& traffic)
{
    const auto home = std::filesystem::temp_directory_path() / ("korval-measure-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home / "Logs");
    {
        ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
        NullNotifier notifier;
        Station s(home, clock, notifier);
        MapConfig& world = s.map[0];
        world.N = "90000";
        world.S = "-90000";
        world.E = "180000";
        world.W = "-180000";
        world.MapPath = KORVAL_MAPS_DIR "/world.jpg";
        s.opt.mnuSBS = true;
        ui::MapWindows windows(s);
        windows.ShowMapClicked(1);
        windows.Window(1).resize(1600, 1000);
        QCoreApplication::processEvents();

        QObject ctx;
        QElapsedTimer clockNs;
        clockNs.start();
        std::vector<double> latencyMs;
        double longestStallMs = 0;
        qint64 lastTick = clockNs.nsecsElapsed();
        std::size_t next = 0;
        int sent = 0;

        QTimer stallProbe;  // a 1 ms tick: any longer gap is the loop being busy
        stallProbe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&stallProbe, &QTimer::timeout, &ctx, [&] {
            const qint64 now = clockNs.nsecsElapsed();
            longestStallMs = std::max(longestStallMs, (now - lastTick) / 1e6 - 1.0);
            lastTick = now;
        });
        QTimer feed;
        feed.setTimerType(Qt::PreciseTimer);
        QObject::connect(&feed, &QTimer::timeout, &ctx, [&] {
            const qint64 arrival = clockNs.nsecsElapsed();
            const int before = windows.Redraws(1);
            const auto& [box, text] = traffic[next];
            next = (next + 1) % traffic.size();
            ++sent;
            OnLinkText(s, box, text);
            // Queued after the map's own redraw, so it runs once the plot is on the surface.
            QMetaObject::invokeMethod(
                &ctx,
                [&, arrival, before] {
                    if (windows.Redraws(1) != before) latencyMs.push_back((clockNs.nsecsElapsed() - arrival) / 1e6);
                },
                Qt::QueuedConnection);
        });
        stallProbe.start(1);
        feed.start(1000 / rate);
        QTimer::singleShot(10000, &ctx, [] { QCoreApplication::quit(); });
        QCoreApplication::exec();
        feed.stop();
        stallProbe.stop();
        std::printf(
            "%4d msg/s: %d messages, %zu plotted; arrival to plot median %.2f ms, p99 %.2f ms; "
            "longest event-loop stall %.2f ms; %zu aircraft\n",
            rate, sent, latencyMs.size(), Percentile(latencyMs, 0.5), Percentile(latencyMs, 0.99), longestStallMs,
            s.AircraftCol.Count());
        windows.CloseAll();
    }
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const auto traffic = Traffic();
    if (traffic.empty()) {
        std::fprintf(stderr, "no traffic in %s\n", KORVAL_BENCH_DATA "/messages.jsonl");
        return 1;
    }
    std::vector<int> rates;
    for (int i = 1; i < argc; ++i) rates.push_back(std::max(1, std::atoi(argv[i])));
    if (rates.empty()) rates = {10, 100};
    for (int rate : rates) Run(rate, traffic);
    return 0;
}
