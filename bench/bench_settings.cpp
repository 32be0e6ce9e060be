// Settings load and save, and the per-message position-log write.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "screening/logs.h"
#include "settings/ini.h"
#include "settings/settings.h"
#include "station/station.h"

namespace {

using namespace korval;

// A complete settings file as a user's KORVAL.ini looks after some years: every key of the
// program, with comments and a few keys of older versions.
std::string FullSettings()
{
    std::string t =
        "; KORVAL settings\r\n[KORVAL]\r\nLeft=1200\r\nTop=900\r\nWidth=9000\r\nHeight=6000\r\n"
        "Airmaster=True\r\nSkySpy=False\r\nANAD=False\r\nPCHFDL=True\r\nNew=False\r\n"
        "NewServer=Set\r\nNewTopic=Set\r\nFormat=3\r\nOldKey=kept\r\n\r\n"
        "[Filters]\r\nErrors=True\r\nRepeats=False\r\nSQ=True\r\nTooFar=False\r\nSBS=True\r\n"
        "TooLat=8\r\nTooLong=10\r\n\r\n[Menus]\r\nBeep=False\r\nRegFlight=True\r\nFlightNo=False\r\n"
        "DailyClearMap=True\r\nMap1=True\r\nMap2=False\r\nMap3=False\r\nMapSettings=False\r\n"
        "Tag=True\r\nRefOCA=True\r\nWaypoints=True\r\nSBSOnly=0\r\nSBSMins=15\r\nMaxPlots=3\r\n"
        "ClearMapTime=0000\r\n";
    for (int n = 1; n <= 3; ++n) {
        t += "\r\n[Map" + std::to_string(n) + " Settings]\r\nN=60\r\nE=0\r\nS=40\r\nW=-40\r\n";
        t += "MapPath=/home/listener/korval/maps/north-atlantic-" + std::to_string(n) + ".jpg\r\n";
        t += "ACIDBack=16777215\r\nACIDText=0\r\nCircle=255\r\nLine=16711680\r\n";
        t += "\r\n[Map" + std::to_string(n) + "]\r\nTop=100\r\nLeft=200\r\nHeight=4000\r\nWidth=6000\r\n";
    }
    return t;
}

struct Home {
    Home()
    {
        path = std::filesystem::temp_directory_path() / ("korval-bench-settings-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path / "Logs");
        std::ofstream(path / "KORVAL.ini", std::ios::binary) << FullSettings();
    }
    ~Home() { std::filesystem::remove_all(path); }
    std::filesystem::path path;
};

void BM_ParseSettings(benchmark::State& state)
{
    const std::string text = FullSettings();
    for (auto _ : state) {
        IniDocument doc = IniDocument::Parse(text);
        benchmark::DoNotOptimize(doc.Get("Map3 Settings", "Line"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseSettings);

void BM_LoadSettings(benchmark::State& state)
{
    Home home;
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    NullNotifier notes;
    Station s(home.path, clock, notes);
    for (auto _ : state) {
        LoadSettings(s);
        benchmark::DoNotOptimize(s.opt.mnuTag);
    }
}
BENCHMARK(BM_LoadSettings);

// Dominated by flushing the new file to the disk, which is what makes the save crash-safe.
void BM_SaveSettings(benchmark::State& state)
{
    Home home;
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    NullNotifier notes;
    Station s(home.path, clock, notes);
    LoadSettings(s);
    for (auto _ : state) {
        s.opt.mnuSBS = !s.opt.mnuSBS;
        SaveSettings(s);
    }
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMicrosecond);

// One processed message: the daily file opened, appended and closed, LiveData set.
void BM_LogMessage(benchmark::State& state)
{
    Home home;
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    NullNotifier notes;
    Station s(home.path, clock, notes);
    s.opt.mnuTag = true;
    s.PositionReformatted = true;
    s.CurrentMessage =
        "1ACARS mode: 2  Aircraft reg: .G-ABCD\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\n"
        "Flight id: BA0123\r\nMessage content:-\r\n" +
        std::string(static_cast<std::size_t>(state.range(0)), 'x') + "\r\n";
    const auto file = home.path / "Logs" / PositionLogName(clock.Local());
    std::size_t n = 0;
    for (auto _ : state) {
        Log_Message(s);
        if (++n % 4096 == 0) {  // keep the disk use of a long run small
            state.PauseTiming();
            std::filesystem::remove(file);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_LogMessage)->Arg(200)->Arg(4000);

}  // namespace

BENCHMARK_MAIN();
