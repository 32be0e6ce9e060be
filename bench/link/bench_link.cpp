// Link throughput and latency: one server, one client, one thread, as the program runs them.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "link/client.h"
#include "link/protocol.h"
#include "link/server.h"
#include "qt_bench.h"
#include "qt_bench_main.h"

namespace {

using namespace korval::link;

// A message of the usual size: four header lines and a position report, about 160 bytes.
std::string Message(int n)
{
    return "1ACARS mode: 2  Aircraft reg: .G-ABCD\r\nMessage label: H1  Block id: 2  Msg. no: M" +
           std::to_string(10000 + n % 90000) +
           "\r\nFlight id: BA0001\r\nMessage content:-\r\nPOS N51234W001234,BUKUT,1203,350,LAKEY,1219,M52\r\n";
}

// A server and a linked client over a private folder.
struct Pair {
    Pair()
    {
        server.SetFolder(folder.path());
        server.AddItem("LiveData");
        server.Listen("WinACARS|ACARS");
        client.SetFolder(folder.path());
        client.OnValue([this](std::string_view, std::string_view v) {
            ++received;
            bytes += static_cast<std::int64_t>(v.size());
            if (onValue) onValue();
        });
        client.Link("WinACARS|ACARS", "LiveData");
        korval::bench::Await([this] { return server.AdvisedCount("LiveData") == 1; }, "the link");
    }
    korval::bench::Folder folder;
    LinkServer server;
    LinkClient client;
    std::int64_t received = 0;
    std::int64_t bytes = 0;
    std::function<void()> onValue;
};

void BM_ParseFrames(benchmark::State& state)
{
    std::string stream;
    for (int i = 0; i < 1000; ++i) AppendData(stream, "LiveData", Message(i));
    for (auto _ : state) {
        std::string_view rest = stream;
        int frames = 0;
        for (;;) {
            const Parsed<Frame> r = ParseFrame(rest);
            if (r.state != ParseState::Complete) break;
            benchmark::DoNotOptimize(r.value.value.data());
            rest.remove_prefix(r.used);
            ++frames;
        }
        benchmark::DoNotOptimize(frames);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_ParseFrames);

// Values published back to back, each delivered to the client's handler.
void BM_ServerToClient(benchmark::State& state)
{
    Pair pair;
    const int batch = static_cast<int>(state.range(0));
    std::vector<std::string> messages;
    for (int i = 0; i < batch; ++i) messages.push_back(Message(i));
    for (auto _ : state) {
        const std::int64_t target = pair.received + batch;
        for (const std::string& m : messages) pair.server.SetValue("LiveData", m);
        korval::bench::Await([&] { return pair.received >= target; }, "every value");
    }
    state.SetItemsProcessed(state.iterations() * batch);
    state.SetBytesProcessed(pair.bytes);
}
BENCHMARK(BM_ServerToClient)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// From SetValue to the client's handler, one value every 10 ms (a busy decoder sends far fewer).
void BM_LatencyAt100PerSecond(benchmark::State& state)
{
    Pair pair;
    constexpr int kValues = 100;
    std::vector<double> latencies;
    QElapsedTimer clock;
    clock.start();
    qint64 sentAt = 0;
    pair.onValue = [&] { latencies.push_back(static_cast<double>(clock.nsecsElapsed() - sentAt) / 1000.0); };
    for (auto _ : state) {
        latencies.clear();
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        int sent = 0;
        QObject::connect(&tick, &QTimer::timeout, &pair.server, [&] {
            if (sent == kValues) return;
            sentAt = clock.nsecsElapsed();
            pair.server.SetValue("LiveData", Message(sent++));
        });
        tick.start(10);
        korval::bench::Await([&] { return static_cast<int>(latencies.size()) >= kValues; }, "every value");
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["p50_us"] = latencies[latencies.size() / 2];
    state.counters["p99_us"] = latencies[latencies.size() * 99 / 100];
    state.counters["max_us"] = latencies.back();
}
BENCHMARK(BM_LatencyAt100PerSecond)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    return korval::bench::RunUnderQt(argc, argv);
}
