#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "decode/adsc.h"
#include "decode/format_table.h"

namespace {

// ADS-C texts as a decoder prints them. The check sums were computed apart from the decoder.
// A periodic basic report near Auckland alone (tag 7: 10 bytes).
const std::string kBasicOnly = "/AKLCDYA.ADS.ZK-OKC07E5CBABE230C8CA181C9D95D0";
// A whole periodic report: acknowledgement, basic report, flight id, predicted route, earth
// reference and meteorological groups (50 bytes).
const std::string kFullReport =
    "/AKLCDYA.ADS.ZK-OKC030107E5CBABE230C8CA181C9D0C04E6B18208200DE6C173E93E88CA0258E7D283F49F48CA000E1000F00000"
    "101E301E4826F6";

std::string InContent(const std::string& adsc)
{
    return adsc + "\r\n" + std::string(58, '-') + "[05.12.2026 12:00]\r\n";
}

void DecodeEach(benchmark::State& state, const std::string& content)
{
    const auto check = korval::DecodeAdsc(content);
    if (!check || check->status != korval::AdscStatus::Decoded) {
        state.SkipWithError("fixture does not decode");
        return;
    }
    for (auto _ : state) {
        auto report = korval::DecodeAdsc(content);
        benchmark::DoNotOptimize(report);
        auto positions = korval::AdscPositions(*report);
        benchmark::DoNotOptimize(positions);
    }
    state.SetItemsProcessed(state.iterations());
}

// Decode time per report, text to positions: read the median of the repetitions.
void BM_AdscBasicReport(benchmark::State& state)
{
    DecodeEach(state, InContent(kBasicOnly));
}
BENCHMARK(BM_AdscBasicReport)->Repetitions(15)->ReportAggregatesOnly(true);

void BM_AdscFullPeriodicReport(benchmark::State& state)
{
    DecodeEach(state, InContent(kFullReport));
}
BENCHMARK(BM_AdscFullPeriodicReport)->Repetitions(15)->ReportAggregatesOnly(true);

// The cost for a message that is not ADS-C: one scan for ".ADS".
void BM_AdscNotPresent(benchmark::State& state)
{
    const std::string content = InContent("POSN51286W000270,BIG,101512,350,LAM,103012,BNN,M47,27060,230/TS101512");
    for (auto _ : state) {
        auto report = korval::DecodeAdsc(content);
        benchmark::DoNotOptimize(report);
    }
}
BENCHMARK(BM_AdscNotPresent)->Repetitions(15)->ReportAggregatesOnly(true);

// The bundled format table over a message its first format reads, and over one no format reads
// (every format of the label tried).
const korval::FormatTable& Bundled()
{
    static const korval::FormatTable table = [] {
        std::vector<std::string> errors;
        return korval::FormatTable::Load(
            std::filesystem::path(KORVAL_BENCH_DATA) / ".." / ".." / "data" / "formats.wdf", errors);
    }();
    return table;
}

void BM_FormatTableFirstLineReads(benchmark::State& state)
{
    const std::string content = InContent("#M1BPOSN51286W000270,BIG,101512,350,LAM,103012,BNN,M47,27060,230");
    if (Bundled().Match("H1", content).empty()) state.SkipWithError("bundled table not found");
    for (auto _ : state) {
        auto positions = Bundled().Match("H1", content);
        benchmark::DoNotOptimize(positions);
    }
}
BENCHMARK(BM_FormatTableFirstLineReads)->Repetitions(15)->ReportAggregatesOnly(true);

void BM_FormatTableNothingReads(benchmark::State& state)
{
    const std::string content = InContent("#DFBA32/1883/FUEL 120 OIL 14 OAT -52 WIND 270/085 TAT -28");
    for (auto _ : state) {
        auto positions = Bundled().Match("H1", content);
        benchmark::DoNotOptimize(positions);
    }
}
BENCHMARK(BM_FormatTableNothingReads)->Repetitions(15)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
