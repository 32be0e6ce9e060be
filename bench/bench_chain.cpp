// The message chain's own stages: screening and dispatch, the expanders, the correction table
// and the route look-up. Stages owned elsewhere run as they are built into korval_core.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <string>

#include <fstream>
#include <utility>
#include <vector>

#include "bench_corpus.h"
#include "screening/dispatch.h"
#include "screening/expanders.h"
#include "station/events.h"
#include "station/seams.h"
#include "station/station.h"
#include "tracking/lookups.h"
#include "tracking/regflight.h"

namespace {

using namespace korval;

std::string Canonical(const std::string& reg7, const std::string& label, char block, const std::string& msgNo,
                      const std::string& flight6, const std::string& content)
{
    return "1ACARS mode: 2  Aircraft reg: " + reg7 + "\r\nMessage label: " + label + "  Block id: " + block +
           "  Msg. no: " + msgNo + "\r\nFlight id: " + flight6 + "\r\nMessage content:-\r\n" + content;
}

std::filesystem::path ScratchHome()
{
    auto home = std::filesystem::temp_directory_path() / ("korval-bench-chain-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home / "Logs");
    return home;
}

// A station over a scratch program folder (with Logs, so error entries have somewhere to go).
struct Bench {
    Bench() : home(ScratchHome()), station(home, clock, notifier) {}
    ~Bench()
    {
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
    }
    std::filesystem::path home;
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    NullNotifier notifier;
    Station station;
};

const std::string kContent = "HELLO THERE, THIS IS A FREE TEXT MESSAGE OF ORDINARY LENGTH\r\n";

// A stream of distinct downlinks (no repeats), each through its link event.
void BM_OnLinkText_Downlink(benchmark::State& state)
{
    Bench b;
    b.station.opt.mnuRepeats = true;
    std::string messages[100];
    for (int i = 0; i < 100; ++i) {
        char msgNo[5];
        std::snprintf(msgNo, sizeof msgNo, "M%02dA", i);
        messages[i] = Canonical(".D-ALCA", "5Z", '2', msgNo, "LH8400", kContent);
    }
    int i = 0;
    for (auto _ : state) {
        OnLinkText(b.station, LinkBox::AirData, messages[i]);
        i = (i + 1) % 100;
        benchmark::DoNotOptimize(b.station.box.LiveData.Text.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OnLinkText_Downlink);

// The repeat check against a full store (about 45 keys), found and not found.
void BM_Down_Repeat(benchmark::State& state)
{
    Bench b;
    Station& s = b.station;
    for (int i = 0; i < 60; ++i) {
        char msgNo[5];
        std::snprintf(msgNo, sizeof msgNo, "M%03d", i);
        s.CurrentMessage = Canonical(".D-ALCA", "5Z", '2', msgNo, "LH8400", kContent);
        s.CurrentReg = ".D-ALCA";
        Store_Messages(s);
    }
    s.CurrentMessage = Canonical(".D-ALCA", "5Z", '2', state.range(0) ? "M059" : "M999", "LH8400", kContent);
    for (auto _ : state) benchmark::DoNotOptimize(Down_Repeat(s));
}
BENCHMARK(BM_Down_Repeat)->Arg(0)->Arg(1);

// Near misses of every expander's coded part, repeated up to the given content length.
std::string NearMisses(std::size_t length)
{
    std::string content;
    while (content.size() < length) content += "0EV12 TI2/0X N1.2E ";
    content.resize(length);
    return content;
}

// Expanders over a message without a coded part, by content length: one scan each.
void BM_Expanders_NoCode(benchmark::State& state)
{
    Bench b;
    Station& s = b.station;
    const std::string message =
        Canonical(".D-ALCA", "SA", '2', "M20A", "LH8400", NearMisses(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        s.CurrentMessage = message;
        SA_Message(s);
        TI_Message(s);
        SBS_Message(s);
        benchmark::DoNotOptimize(s.CurrentMessage.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(message.size()));
}
BENCHMARK(BM_Expanders_NoCode)->Arg(64)->Arg(4096)->Arg(65536);

void BM_SA_Message(benchmark::State& state)
{
    Bench b;
    Station& s = b.station;
    const std::string message = Canonical(".D-ALCA", "SA", '2', "M20A", "LH8400", "/MEDIA 0LS123456VSH\r\n");
    for (auto _ : state) {
        s.CurrentMessage = message;
        SA_Message(s);
        benchmark::DoNotOptimize(s.CurrentMessage.data());
    }
}
BENCHMARK(BM_SA_Message);

// The correction scanning a full table of 2000 lines that never match.
void BM_CorrectRegFlight_FullTable(benchmark::State& state)
{
    Bench b;
    Station& s = b.station;
    for (int i = 0; i < 2000; ++i) s.RegFlightLines.push_back(".N" + std::to_string(10000 + i) + ";.X;;");
    const std::string message = Canonical(".N923UP", "15", '2', "M76A", "UP6567", kContent);
    for (auto _ : state) {
        s.CurrentMessage = message;
        CorrectRegFlight(s);
        benchmark::DoNotOptimize(s.RegFlightCorrected);
    }
}
BENCHMARK(BM_CorrectRegFlight_FullTable);

// A route look-up that runs to the end of a 10 000-line table.
void BM_Route_LastOf10000(benchmark::State& state)
{
    Bench b;
    Station& s = b.station;
    for (int i = 0; i < 10000; ++i) s.RoutesFileLines.push_back("XX" + std::to_string(1000 + i) + "=AAA-BBB-CCC");
    s.CurrentFlight = "XX10999";
    for (auto _ : state) {
        Route(s);
        benchmark::DoNotOptimize(s.CurrentRoute.data());
    }
}
BENCHMARK(BM_Route_LastOf10000);

}  // namespace

// The whole text chain over the realistic mix, as the link boxes deliver it: normaliser,
// Dispatch_Message (screening, expanders or ReformatData, waypoints, Log_Message with the log
// off, GetPos) and the tracking that follows. items_per_second is messages per second.
void BM_OnLinkText_Mix(benchmark::State& state)
{
    static const std::vector<std::pair<LinkBox, std::string>> mix = [] {
        const std::pair<const char*, LinkBox> boxes[] = {
            {"airmaster", LinkBox::AirData},   {"skyspy", LinkBox::SkyData}, {"anad", LinkBox::ANAData},
            {"hfacars", LinkBox::HFACARSData}, {"hfdl", LinkBox::HFDL},      {"other", LinkBox::txtNewData}};
        std::vector<std::pair<LinkBox, std::string>> out;
        std::ifstream in(std::string(KORVAL_BENCH_DATA) + "/messages.jsonl", std::ios::binary);
        std::string line, source, text;
        while (std::getline(in, line)) {
            if (!bench::JsonString(line, "source", source) || !bench::JsonString(line, "text", text)) continue;
            for (const auto& [name, box] : boxes)
                if (source == name) out.emplace_back(box, text);
        }
        return out;
    }();
    Bench b;
    b.station.opt.mnuRefOCA = b.station.opt.mnuSBS = true;
    b.station.dlg.DDEFormat = 1;
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& [box, text] = mix[i++ % mix.size()];
        OnLinkText(b.station, box, text);
        benchmark::DoNotOptimize(b.station.PositionText);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_OnLinkText_Mix);

BENCHMARK_MAIN();
