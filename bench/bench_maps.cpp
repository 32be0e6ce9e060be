// The core's share of one map redraw: projection, coordinate procedures and marks onto a
// canvas that paints nothing, so that a painting canvas's time can be split into core and paint.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

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

std::string Pos(int lat, int lon)
{
    return std::to_string(lat) + "/" + std::to_string(lon);
}

std::string Name(const char* prefix, int i)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%d", prefix, i);
    return buf;
}

// Map 1 over the North Atlantic (N 70, S 30, W -80, E 10) with the given numbers of objects.
void Fill(Station& s, int routeLines, int aircraft, int sbs)
{
    s.map[0].N = "70000";
    s.map[0].S = "30000";
    s.map[0].W = "-080000";
    s.map[0].E = "010000";
    s.opt.mnuShowMap1 = true;
    s.opt.mnuSBS = true;
    for (int i = 0; i < routeLines; ++i) {
        auto r = std::make_shared<RouteLine>();
        r->OldPosition = Pos(30000 + (i * 37) % 40000, -80000 + (i * 53) % 90000);
        r->NewPosition = Pos(30000 + (i * 41) % 40000, -80000 + (i * 59) % 90000);
        if (i % 10 == 0) {
            r->NATrack = Name("NAT ", i % 26);
            r->NATPos = r->NewPosition;
        }
        r->Style = i % 7 == 0 ? 2 : 0;
        s.RouteLineCol.Add(r);
    }
    for (int i = 0; i < aircraft; ++i) {
        auto a = std::make_shared<Aircraft>();
        a->ID = Name("G-", 1000 + i);
        a->NewLocation = Pos(30000 + (i * 97) % 40000, -80000 + (i * 89) % 90000);
        a->Show = true;
        s.AircraftCol.Add(a, a->ID);
    }
    for (int i = 0; i < sbs; ++i) {
        auto a = std::make_shared<SBSAircraft>();
        a->ID = Name("S", i);
        a->NewPosition = Pos(50000 + (i * 13) % 8000, -5000 + (i * 17) % 8000);
        if (i % 2 == 0) a->OldPosition = Pos(50000 + (i * 11) % 8000, -5000 + (i * 19) % 8000);
        a->AltChange = static_cast<std::int16_t>(i % 3);
        s.SBSAircraftCol.Add(a, a->ID);
    }
}

void BM_FullRedrawMap1(benchmark::State& state)
{
    ManualClock clock(DateTime{2026, 12, 5, 12, 0, 0});
    NullNotifier notifier;
    Station s(std::filesystem::temp_directory_path(), clock, notifier);
    BenchView view;
    s.mapView[0] = &view;
    Fill(s, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    for (auto _ : state) {
        NewPlot1(s);
        benchmark::DoNotOptimize(view.canvas.sink_);
    }
    state.SetItemsProcessed(state.iterations() * (state.range(0) + state.range(1) + state.range(2)));
}
BENCHMARK(BM_FullRedrawMap1)->Args({2000, 200, 500})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
