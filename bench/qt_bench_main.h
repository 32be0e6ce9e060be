#pragma once
// main() of a benchmark program over the link layer: its benchmarks under a Qt application.
#include <benchmark/benchmark.h>

#include <functional>

#include <QCoreApplication>

namespace korval::bench {

// `finish` runs after the benchmarks, while the application still exists.
inline int RunUnderQt(int argc, char** argv, const std::function<void()>& finish = {})
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    if (finish) finish();
    benchmark::Shutdown();
    return 0;
}

}  // namespace korval::bench
