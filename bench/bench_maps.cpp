// The core's share of one map redraw: projection, coordinate procedures and marks onto a
// canvas that paints nothing, so that a painting canvas's time can be split into core and paint.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench_map_fill.h"
#include "maps/canvas.h"
#include "maps/redraw.h"
#include "station/seams.h"
#include "station/station.h"

namespace {

using namespace korval;

class NoOpCanvas final : public Canvas {
public:
    void SetColours(Colour, Colour) override {}
    ImageLoad LoadImage(const std::string&) override { return ImageLoad::Ok; }
    bool PaintImage(float, float) override { return true; }
    void SetOrigin(float left, float top) override { sink_ += left + top; }
    void SetDrawWidth(int) override {}
    void SetDrawStyle(int) override {}
    void SetFillStyle(FillStyle) override {}
    void SetFillColour(Colour) override {}
    void Circle(float x, float y, float r, Colour) override { sink_ += x + y + r; }
    void Line(float x1, float y1, float x2, float y2, Colour) override { sink_ += x1 + y1 + x2 + y2; }
    void SetTextPosition(float x, float y) override { sink_ += x + y; }
    void SetFontBold(bool) override {}
    void SetFontSize(float) override {}
    void Print(const std::string& text) override { sink_ += static_cast<float>(text.size()); }
    float Width() const override { return 15000; }
    float Height() const override { return 10000; }
    float sink_ = 0;
};

class BenchView final : public MapView {
public:
    int ClientWidthTwips() const override { return 15000; }
    int ClientHeightTwips() const override { return 10000; }
    bool Minimised() const override { return false; }
    Canvas& Surface() override { return canvas; }
    NoOpCanvas canvas;
};

// Map 1 over the North Atlantic (N 70, S 30, W -80, E 10).
constexpr bench::Frame kNorthAtlantic{"70000", "30000", "-080000", "010000", 30000, -80000, 40000, 90000};

void BM_FullRedrawMap1(benchmark::State& state)
{
    ManualClock clock(DateTime{2026, 12, 5, 12, 0, 0});
    NullNotifier notifier;
    Station s(std::filesystem::temp_directory_path(), clock, notifier);
    BenchView view;
    s.mapView[0] = &view;
    bench::FillMap1(s, kNorthAtlantic, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                    static_cast<int>(state.range(2)));
    for (auto _ : state) {
        NewPlot1(s);
        benchmark::DoNotOptimize(view.canvas.sink_);
    }
    state.SetItemsProcessed(state.iterations() * (state.range(0) + state.range(1) + state.range(2)));
}
BENCHMARK(BM_FullRedrawMap1)->Args({2000, 200, 500})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
