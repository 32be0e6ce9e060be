// One full redraw of map 1 painted by the Qt canvas: a 1600 x 1000 pixel window over Europe
// (N 64, S 34, W -16, E 34) with its JPEG background, 2000 route lines, 200 aircraft and 500
// SBS-1 aircraft, ending with the finished picture in hand as a window's paint would take it.
// Once with the decoded background kept, once decoding it from disk at every redraw.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include <QtGui/QGuiApplication>

#include "bench_map_fill.h"
#include "maps/redraw.h"
#include "station/seams.h"
#include "station/station.h"
#include "ui/map_canvas.h"

namespace {

using namespace korval;

constexpr int kWidthPx = 1600, kHeightPx = 1000;

// Europe: latitude 34000..64000, longitude -16000..34000 in thousandths of a degree.
constexpr bench::Frame kEurope{"64000", "34000", "-016000", "034000", 34000, -16000, 30000, 50000};

void Fill(Station& s, int routeLines, int aircraft, int sbs)
{
    bench::FillMap1(s, kEurope, routeLines, aircraft, sbs);
    s.map[0].MapPath = KORVAL_MAPS_DIR "/europe.jpg";
    s.map[0].ACIDBack = 0xC0FFFF;
    s.map[0].ACIDText = 0;
    s.map[0].Circle = 0xFF;
    s.map[0].Line = 0xFF0000;
}

void Redraw(benchmark::State& state, std::size_t cacheCapacity)
{
    ManualClock clock(DateTime{2026, 12, 5, 12, 0, 0});
    StderrNotifier notifier;
    Station s(std::filesystem::temp_directory_path(), clock, notifier);
    ui::CanvasMapView view(QSize(kWidthPx, kHeightPx), 96, std::make_shared<ui::BackgroundCache>(cacheCapacity));
    s.mapView[0] = &view;
    Fill(s, 2000, 200, 500);
    NewPlot1(s);  // fonts and label layouts as after the first message
    if (view.canvas().LastLoad() != ImageLoad::Ok) {
        state.SkipWithError("the background did not load");
        return;
    }
    for (auto _ : state) {
        NewPlot1(s);
        benchmark::DoNotOptimize(view.canvas().Image().constBits());
    }
    state.counters["decodes"] = view.canvas().Cache().Decodes();
}

void BM_RedrawBackgroundKept(benchmark::State& state)
{
    Redraw(state, 3);
}
BENCHMARK(BM_RedrawBackgroundKept)->Unit(benchmark::kMillisecond);

void BM_RedrawBackgroundReloaded(benchmark::State& state)
{
    Redraw(state, 0);
}
BENCHMARK(BM_RedrawBackgroundReloaded)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    // Painting needs fonts, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
