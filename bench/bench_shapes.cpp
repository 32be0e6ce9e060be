// One message of each shape that used to cost time growing with the square of its length, at the
// largest size a link text may have, through the whole chain: OnLinkText on a fresh station with
// the options the bundled settings turn on (oceanic reformatting, waypoint expansion, the position
// log). Then one text of 1 MiB, which the chain refuses. Each repetition times one message: run with
// --benchmark_repetitions=5 --benchmark_report_aggregates_only=true and read the median and the
// max of the repetitions, the CPU time of one message.
#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "message_shapes.h"
#include "station/events.h"
#include "station/seams.h"
#include "station/station.h"

namespace {

using namespace korval;

// The longest text a link delivers into the chain, and a text far beyond it.
constexpr std::size_t kLargestText = 65535;
constexpr std::size_t kRefusedText = std::size_t{1} << 20;

std::filesystem::path ScratchHome()
{
    auto home = std::filesystem::temp_directory_path() / ("korval-bench-shapes-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home / "Logs");
    std::ofstream(home / "waypoints.wdf", std::ios::binary) << "!route points\r\nBOBTU=N5000W05000\r\n";
    std::ofstream(home / "OCAwaypoints.wdf", std::ios::binary) << "BOBTU=N5000W05000\r\n";
    return home;
}

struct Home {
    Home() : path(ScratchHome()) {}
    ~Home()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path path;
};

const std::filesystem::path& SharedHome()
{
    static const Home home;
    return home.path;
}

// CPU time of this thread: on a shared machine wall time measures the neighbours too.
double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One message of `bytes` at most through a fresh station per iteration; only OnLinkText is timed.
void BM_Shape(benchmark::State& state, const shapes::Shape& shape, std::size_t bytes)
{
    const std::string message = shapes::Build(shape, shapes::UnitsWithin(shape, bytes));
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    NullNotifier notifier;
    for (auto _ : state) {
        auto station = std::make_unique<Station>(SharedHome(), clock, notifier);
        station->opt.mnuRefOCA = true;
        station->opt.mnuWaypoints = true;
        station->opt.mnuTag = true;
        std::string text = message;
        const double start = ThreadSeconds();
        OnLinkText(*station, shape.box, std::move(text));
        const double stop = ThreadSeconds();
        benchmark::DoNotOptimize(station->box.LiveData.Text.data());
        state.SetIterationTime(stop - start);
    }
    state.counters["bytes"] = static_cast<double>(message.size());
}

double Max(const std::vector<double>& v)
{
    return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end());
}

void Register(const std::string& name, const shapes::Shape& shape, std::size_t bytes)
{
    benchmark::RegisterBenchmark(name.c_str(), BM_Shape, shape, bytes)
        ->UseManualTime()
        ->Iterations(1)
        ->ComputeStatistics("max", Max)
        ->Unit(benchmark::kMillisecond);
}

const int kRegistered = [] {
    for (const shapes::Shape& shape : shapes::kShapes)
        Register("BM_Shape/" + std::string(shape.name) + "/64KiB", shape, kLargestText);
    // The costliest shape once, at 1 MiB: refused before any rule runs.
    Register("BM_Refused/PirepNumbers/1MiB", shapes::kShapes[1], kRefusedText);
    return 0;
}();

}  // namespace

BENCHMARK_MAIN();
