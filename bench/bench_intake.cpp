#include <benchmark/benchmark.h>

#include <string>

#include "intake/normalisers.h"
#include "station/seams.h"
#include "station/station.h"

namespace {

// A typical AirNav decoder message (about 300 bytes) before normalising.
const std::string& AnadMessage()
{
    static const std::string m =
        "\r\nACARS mode: 2  Aircraft reg: .G-EUPJ\r\nMessage label: 15  Block id: 4  Msg. no: M01A\r\n"
        "Flight id: BA12\r\nMessage content:-\r\n"
        "/BA12 POS N51281W000274,EGLL,1152,350,BEXET,1221,GUNSO,M52,27057,110\r\n"
        "FUEL 123 TEMP -52 WIND 270/057 ETA 1245 EGPH\r\n"
        "------------------------------------------------------[05/12/2026 11:59]\r\n";
    return m;
}

const std::string& HfdlRecord()
{
    static const std::string r = "UP6567,N923UP,11:59:30,8834,12,34,5,W,51,23,4,N;";
    return r;
}

struct Bench {
    korval::ManualClock clock{korval::DateTime{2026, 12, 5, 12, 0, 0}};
    korval::NullNotifier notes;
    korval::Station station{"/nonexistent-korval-bench", clock, notes};
};

void BM_ANAD_FIX(benchmark::State& state)
{
    Bench b;
    for (auto _ : state) {
        b.station.CurrentMessage = AnadMessage();
        korval::ANAD_FIX(b.station);
        benchmark::DoNotOptimize(b.station.CurrentMessage.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * AnadMessage().size()));
}
BENCHMARK(BM_ANAD_FIX);

void BM_Airmaster_FIX(benchmark::State& state)
{
    Bench b;
    for (auto _ : state) {
        b.station.CurrentMessage = AnadMessage().substr(1);
        korval::Airmaster_FIX(b.station);
        benchmark::DoNotOptimize(b.station.CurrentMessage.data());
    }
}
BENCHMARK(BM_Airmaster_FIX);

void BM_HFDL_FIX(benchmark::State& state)
{
    Bench b;
    for (auto _ : state) {
        b.station.CurrentMessage = HfdlRecord();
        benchmark::DoNotOptimize(korval::HFDL_FIX(b.station));
    }
}
BENCHMARK(BM_HFDL_FIX);

}  // namespace

BENCHMARK_MAIN();
