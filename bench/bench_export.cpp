// Track export at the sizes a station keeps: the 2000 records of each collection a redraw (and
// an export) takes at most, each aircraft with a route of five segments.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "export/tracks.h"
#include "station/seams.h"
#include "station/station.h"
#include "tracking/postext.h"

namespace {

using namespace korval;

struct BenchStation {
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    NullNotifier notifier;
    Station s{std::filesystem::temp_directory_path() / "korval-bench-export", clock, notifier};
};

// `n` aircraft with five joined route segments each and `n` SBS-1 aircraft with a last step.
// Texts are built with append: GCC 12 misreports "literal" + std::string under -Wrestrict.
void Populate(Station& s, int n)
{
    for (int i = 0; i < n; ++i) {
        const std::string id = std::string("N").append(std::to_string(10000 + i));
        const std::int32_t lat = 40000 + (i % 200) * 100, lon = -60000 + (i / 200) * 1000;
        auto a = std::make_shared<Aircraft>();
        a->ID = id;
        a->FNo = std::string("UA").append(std::to_string(1000 + i));
        a->Route = "KJFK-EGLL";
        a->ACDetails = "Boeing 767-322ER \r\n[United]";
        a->NewLocation = PositionTextOf(lat, lon + 5 * 250);
        a->Show = true;
        s.AircraftCol.Add(a, id + a->FNo);
        for (int k = 0; k < 5; ++k) {
            auto r = std::make_shared<RouteLine>();
            r->ID = id;
            r->OldPosition = PositionTextOf(lat, lon + k * 250);
            r->NewPosition = PositionTextOf(lat, lon + (k + 1) * 250);
            s.RouteLineCol.Add(r);
        }
        auto b = std::make_shared<SBSAircraft>();
        b->ID = std::string("4CA").append(std::to_string(100 + i));
        b->FNo = std::string("EI").append(std::to_string(100 + i));
        b->Level = "Ht: 35000 ft ";
        b->OldPosition = PositionTextOf(lat, lon);
        b->NewPosition = PositionTextOf(lat + 10, lon + 10);
        s.SBSAircraftCol.Add(b, b->ID);
    }
}

template <std::string (*Export)(const Station&, const ExportOptions&)>
void BM_Export(benchmark::State& state)
{
    BenchStation b;
    Populate(b.s, static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = Export(b.s, {});
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

BENCHMARK(BM_Export<ExportGeoJson>)->Name("BM_ExportGeoJson")->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export<ExportKml>)->Name("BM_ExportKml")->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
