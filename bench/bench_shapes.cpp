// One message of each shape that used to cost time growing with the square of its length, at
// 8 KiB and at the largest size a link text may have, through the whole chain (OnLinkText on a
// fresh station with oceanic reformatting, waypoint expansion and the position log on). The
// figure to read is the median of the repetitions: the CPU time of one message.
#include <benchmark/benchmark.h>

#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "message_shapes.h"
#include "station/events.h"
#include "station/seams.h"
#include "station/station.h"

namespace {

using namespace korval;

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

void BM_Shape(benchmark::State& state, const shapes::Shape& shape)
{
    const std::string message =
        shapes::Build(shape, shapes::UnitsWithin(shape, static_cast<std::size_t>(state.range(0))));
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

const int kRegistered = [] {
    for (const shapes::Shape& shape : shapes::kShapes) {
        benchmark::RegisterBenchmark(("BM_Shape/" + std::string(shape.name)).c_str(), BM_Shape, shape)
            ->Arg(8 * 1024)
            ->Arg(65535)
            ->UseManualTime()
            ->Iterations(1)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->Unit(benchmark::kMillisecond);
    }
    return 0;
}();

}  // namespace

BENCHMARK_MAIN();
