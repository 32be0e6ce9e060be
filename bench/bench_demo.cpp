// The demo: rendering the traffic template for a run, and the whole demo traffic through a station
// on the default settings and data files (filters, waypoint files, correction table and the daily
// log all on), as the run command feeds it to the program.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "station/events.h"
#include "station/mainwindow.h"
#include "station/seams.h"
#include "station/station.h"

#include "demo_traffic.h"

namespace {

using namespace korval;
namespace fs = std::filesystem;

const fs::path kData = fs::path(KORVAL_BENCH_DATA) / ".." / ".." / "data";

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const demo::DemoTime kNow{2026, 12, 5, 12 * 60};

void BM_RenderDemoTraffic(benchmark::State& state)
{
    const std::string tmpl = ReadFile(kData / "demo" / "traffic.tmpl");
    std::size_t lines = 0;
    for (auto _ : state) {
        demo::Traffic t = demo::RenderTraffic(tmpl, kNow);
        lines = t.lines.size();
        benchmark::DoNotOptimize(t.lines.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines));
}
BENCHMARK(BM_RenderDemoTraffic);

// A program folder made from the defaults, as the run command makes one.
struct DefaultHome {
    DefaultHome() : path(fs::temp_directory_path() / ("korval-bench-demo-" + std::to_string(::getpid())))
    {
        fs::create_directories(path / "Logs");
        for (const fs::directory_entry& e : fs::directory_iterator(kData))
            if (e.path().extension() == ".wdf") fs::copy_file(e.path(), path / e.path().filename());
        std::string ini = ReadFile(kData / "KORVAL.ini");
        for (std::size_t at; (at = ini.find("@HOME@")) != std::string::npos;) ini.replace(at, 6, path.string());
        std::ofstream(path / "KORVAL.ini", std::ios::binary) << ini;
    }
    ~DefaultHome()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

LinkBox BoxOf(const std::string& source)
{
    if (source == "hfdl") return LinkBox::HFDL;
    if (source == "hfacars") return LinkBox::HFACARSData;
    return LinkBox::AirData;
}

// One pass of the demo traffic (337 messages and 45 timer ticks) through a fresh station.
void BM_DemoTrafficThroughStation(benchmark::State& state)
{
    DefaultHome home;
    const demo::Traffic traffic = demo::RenderTraffic(ReadFile(kData / "demo" / "traffic.tmpl"), kNow);
    std::size_t messages = 0;
    for (const demo::TrafficLine& line : traffic.lines) messages += line.tick ? 0 : 1;
    for (auto _ : state) {
        ManualClock clock(DateTime{2026, 12, 5, 11, 15, 0});
        NullNotifier notifier;
        Station s(home.path, clock, notifier);
        StartUp(s);
        for (const demo::TrafficLine& line : traffic.lines) {
            clock.SetUtcTime(line.at.minuteOfDay / 60, line.at.minuteOfDay % 60);
            Timer1_Timer(s);
            if (line.tick)
                Timer2_Timer(s);
            else
                OnLinkText(s, BoxOf(line.source), line.text);
        }
        benchmark::DoNotOptimize(s.AircraftCol.Count());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * messages));
}
BENCHMARK(BM_DemoTrafficThroughStation)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
