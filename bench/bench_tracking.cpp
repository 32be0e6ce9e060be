// Tracking at scale: a position for an aircraft already tracked among many, and the plot limit
// trimming thousands of aircraft.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "maps/refresh.h"
#include "station/seams.h"
#include "station/station.h"
#include "tracking/process.h"

namespace {

using namespace korval;

// A station over a folder without Logs (nothing is written) and a fixed clock.
struct BenchStation {
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    NullNotifier notifier;
    Station s{std::filesystem::temp_directory_path() / "korval-bench-tracking", clock, notifier};
};

std::string Reg(int i)
{
    return std::string("N").append(std::to_string(10000 + i));
}
std::string Flight(int i)
{
    return std::string("UA").append(std::to_string(1000 + i));
}

// `aircraft` records keyed as the position update keys them, with `linesEach` route lines each.
void Populate(Station& s, int aircraft, int linesEach)
{
    for (int i = 0; i < aircraft; ++i) {
        auto a = std::make_shared<Aircraft>();
        a->ID = Reg(i);
        a->FNo = Flight(i);
        a->NewLocation = "51234/-010500";
        a->Show = true;
        s.AircraftCol.Add(a, Reg(i) + Flight(i));
        for (int k = 0; k < linesEach; ++k) {
            auto r = std::make_shared<RouteLine>();
            r->ID = a->ID;
            r->OldPosition = "51234/-010500";
            r->NewPosition = "51300/-010600";
            s.RouteLineCol.Add(r);
        }
    }
}

// One position report of a known aircraft with 10,000 aircraft and 50,000 route lines tracked.
void BM_ProcessMessageKnownAircraft(benchmark::State& state)
{
    BenchStation b;
    Station& s = b.s;
    Populate(s, 10000, 5);
    s.opt.mnuTooFar = true;
    s.box.Aircraft.Text = Reg(5000);
    s.box.Flight.Text = Flight(5000);
    s.CurrentID = Reg(5000);
    s.CurrentFlight = Flight(5000);
    s.CurrentMessage = std::string(124, ' ') + "POS N51234W010500,1234,350,N52000W011000,1300,M45\r\n";
    const std::string positions[2] = {"51234/-010500,", "51300/-010600,"};
    int n = 0;
    for (auto _ : state) {
        s.PositionText = positions[n++ & 1];
        s.PositionReformatted = true;
        Process_Message(s, s.CurrentID);
    }
    benchmark::DoNotOptimize(s.RouteLineCol.Count());
    state.SetItemsProcessed(state.iterations());
}
// Each call adds a route line: a fixed count keeps the collection near the size measured.
BENCHMARK(BM_ProcessMessageKnownAircraft)->Iterations(200000);

// The plot limit trimming 10,000 aircraft (50,000 route lines) to 200.
void BM_LimitPlots10000To200(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto b = std::make_unique<BenchStation>();
        Populate(b->s, 10000, 5);
        b->s.dlg.comMaxPlot = 8;  // 200
        state.ResumeTiming();
        Limit_Plots(b->s);
        state.PauseTiming();
        if (b->s.AircraftCol.Count() != 200) state.SkipWithError("the limit did not trim to 200");
        b.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LimitPlots10000To200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
