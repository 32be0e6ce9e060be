#include <benchmark/benchmark.h>

#include <string>

#include "text/regexp.h"

namespace {

// A typical 300-byte position report in canonical form.
std::string TypicalMessage()
{
    std::string m =
        "1ACARS mode: 2  Aircraft reg: .N923UP\r\nMessage label: 30  Block id: 1  Msg. no: M76A\r\n"
        "Flight id: UP6567\r\nMessage content:-\r\n"
        "292208 29 EDI  CGN  P540250P0020756////255052////////05230086////0085\r\n"
        "/POS N52300W007300,DIKAS,1152,350,BEXET,1221,GUNSO,M52,27057,110,05/12/2026 11:58\r\n"
        "------------------------------------------------------[05/12/2026 11:59]\r\n";
    m.resize(300, ' ');
    return m;
}

// The normalisers' date rewrite: one match, first only.
void BM_ReplaceSlashDateTime(benchmark::State& state)
{
    const korval::RegExp re(R"((\d{2})/(\d{2})/(\d{4}) (\d{2}):(\d{2}))", false);
    const std::string message = TypicalMessage();
    for (auto _ : state) {
        std::string out = re.Replace(message, "$1.$2.$3 $4:$5");
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_ReplaceSlashDateTime);

// The same rewrite in place on a copy of the message (what the normalisers do).
void BM_ReplaceInTrailerCut(benchmark::State& state)
{
    const korval::RegExp re(R"((---\[\d{2}.\d{2}.\d{4} \d{2}:\d{2}\])([\S\s]*))", false);
    const std::string message = TypicalMessage();
    std::string work;
    for (auto _ : state) {
        work = message;
        benchmark::DoNotOptimize(re.ReplaceIn(work, "$1"));
    }
}
BENCHMARK(BM_ReplaceInTrailerCut);

// A test that fails: the whole text is scanned.
void BM_TestFails(benchmark::State& state)
{
    const korval::RegExp re(R"((Flight id: )([A-Z]{3}\d{2})(\r\n))", false);
    const std::string message = TypicalMessage();
    for (auto _ : state) benchmark::DoNotOptimize(re.Test(message));
}
BENCHMARK(BM_TestFails);

// A failing test whose pattern starts with a class (no literal to skip ahead to).
void BM_TestFailsClassLed(benchmark::State& state)
{
    const korval::RegExp re(R"((\d{4})/(\d{2})/(\d{2}))", false);
    const std::string message = TypicalMessage();
    for (auto _ : state) benchmark::DoNotOptimize(re.Test(message));
}
BENCHMARK(BM_TestFailsClassLed);

}  // namespace

BENCHMARK_MAIN();
