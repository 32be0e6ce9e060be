// ReformatData and GetPos: one message where no rule matches, and the realistic mix of
// bench/data/messages.jsonl (every message as the rule engine and the parser see it).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "bench_corpus.h"
#include "reformat/getpos.h"
#include "reformat/reformat.h"
#include "station/seams.h"
#include "station/station.h"

namespace {

using namespace korval;
using korval::bench::JsonString;

// Canonical text: four header lines, then the content.
std::string Message(std::string_view flight6, std::string_view content)
{
    std::string m = "1ACARS mode: 2  Aircraft reg: .G-EUPJ\r\nMessage label: H1  Block id: 5  Msg. no: M41A\r\n";
    m += "Flight id: ";
    m += flight6;
    m += "\r\nMessage content:-\r\n";
    m += content;
    return m;
}

// A 300-byte free-text message in which no rule matches.
std::string NoMatchMessage()
{
    std::string m = Message("BA0117",
                            "OPS FROM CAPT PLEASE ARRANGE WHEELCHAIR FOR 2 PAX AT GATE ON ARRIVAL AND "
                            "CATERING SHORT BY 5 MEALS\r\n");
    m.append(58, '-');
    m += "[05.12.2026 12:00]";
    return m;
}

struct Corpus {
    std::vector<std::string> texts;  // every message that the rule engine sees (HFDL records do not)
    std::size_t hfdl = 0;
};

const Corpus& LoadCorpus()
{
    static const Corpus corpus = [] {
        Corpus c;
        std::ifstream in(std::string(KORVAL_BENCH_DATA) + "/messages.jsonl", std::ios::binary);
        std::string line, source, text;
        while (std::getline(in, line)) {
            if (!JsonString(line, "source", source) || !JsonString(line, "text", text)) continue;
            if (source == "hfdl") {
                ++c.hfdl;
                continue;
            }
            c.texts.push_back(text);
        }
        if (c.texts.empty()) std::cerr << "bench_reformat: no messages in messages.jsonl\n";
        return c;
    }();
    return corpus;
}

struct Bench {
    ManualClock clock;
    NullNotifier notifier;
    Station station{std::filesystem::temp_directory_path() / "korval-bench-reformat", clock, notifier};
    Bench() { station.opt.mnuRefOCA = true; }
};

void ResetFlags(Station& s)
{
    s.PositionFound = s.PositionReformatted = s.OceanicMessage = s.REQPWIMessage = s.GanderMessage = false;
}

void BM_ReformatData_NoMatch300(benchmark::State& state)
{
    Bench b;
    const std::string message = NoMatchMessage();
    b.station.CurrentMessage = message;
    ReformatData(b.station);
    if (b.station.CurrentMessage != message || b.station.PositionReformatted) {
        state.SkipWithError("a rule matched the no-match message");
        return;
    }
    for (auto _ : state) {
        b.station.CurrentMessage = message;
        ResetFlags(b.station);
        ReformatData(b.station);
        benchmark::DoNotOptimize(b.station.CurrentMessage.data());
    }
    state.counters["bytes"] = static_cast<double>(message.size());  // 300
}
BENCHMARK(BM_ReformatData_NoMatch300);

void BM_ReformatData_GetPos_Mix(benchmark::State& state)
{
    Bench b;
    const Corpus& corpus = LoadCorpus();
    std::size_t found = 0;
    for (auto _ : state) {
        for (const std::string& text : corpus.texts) {
            Station& s = b.station;
            s.CurrentMessage = text;
            ResetFlags(s);
            ReformatData(s);
            s.box.LiveData.Text = s.CurrentMessage;  // what Log_Message shows
            GetPos(s);
            found += s.PositionFound;
        }
    }
    benchmark::DoNotOptimize(found);
    const auto processed = static_cast<double>(state.iterations() * corpus.texts.size());
    state.counters["messages"] = static_cast<double>(corpus.texts.size());
    state.counters["withPosition"] = processed > 0 ? static_cast<double>(found) / processed : 0;
    state.counters["msg/s"] = benchmark::Counter(processed, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReformatData_GetPos_Mix)->Unit(benchmark::kMillisecond);

void BM_GetPos_Mix(benchmark::State& state)
{
    Bench b;
    const Corpus& corpus = LoadCorpus();
    // The texts as ReformatData leaves them.
    std::vector<std::string> reformatted;
    for (const std::string& text : corpus.texts) {
        b.station.CurrentMessage = text;
        ResetFlags(b.station);
        ReformatData(b.station);
        reformatted.push_back(b.station.CurrentMessage);
    }
    for (auto _ : state) {
        for (const std::string& text : reformatted) {
            b.station.box.LiveData.Text = text;
            GetPos(b.station);
            benchmark::DoNotOptimize(b.station.PositionText.data());
        }
    }
    state.counters["msg/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * reformatted.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GetPos_Mix)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
