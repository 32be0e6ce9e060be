// The whole program between a decoder and a listener: this process publishes the realistic
// message corpus as the decoder "WinACARS|ACARS", korval --headless (daily log on, filters off)
// processes it, and this process receives korval's LiveData over "KORVAL|ACARS".

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include "link/client.h"
#include "link/naming.h"
#include "link/server.h"
#include "qt_bench.h"
#include "qt_bench_main.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace korval::link;

using korval::bench::RunUntil;
using korval::bench::RunUntilTime;

std::vector<std::string> CorpusTexts()
{
    std::ifstream in(KORVAL_BENCH_DATA "/messages.jsonl", std::ios::binary);
    std::vector<std::string> texts;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) continue;
        const std::string utf8 = nlohmann::json::parse(line).at("text").get<std::string>();
        std::string bytes;  // one byte per character U+0000..U+00FF
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            const auto b = static_cast<unsigned char>(utf8[i]);
            if (b < 0x80 || i + 1 >= utf8.size()) {
                bytes.push_back(utf8[i]);
            } else {
                bytes.push_back(static_cast<char>(((b & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F)));
            }
        }
        texts.push_back(std::move(bytes));
    }
    return texts;
}

std::string Marker(long long n)
{
    return "1ACARS mode: 2  Aircraft reg: .G-KORV\r\nMessage label: H1  Block id: 2  Msg. no: M01A\r\n"
           "Flight id: KV0001\r\nMessage content:-\r\nBENCH MARKER " +
           std::to_string(n) + "\r\n";
}

// korval --headless over a fresh program folder, linked to this process' decoder, and this
// process linked to korval's LiveData.
class Setup {
public:
    Setup()
    {
        std::filesystem::create_directories(folder_ / "home" / "Logs");
        std::filesystem::create_directories(folder_ / "run");
        std::ofstream(folder_ / "home" / "KORVAL.ini", std::ios::binary)
            << "[KORVAL]\r\nAirmaster=True\r\n[Filters]\r\nRepeats=False\r\nErrors=False\r\nSQ=False\r\n"
               "[Menus]\r\nTag=True\r\n";
        ::setenv("XDG_RUNTIME_DIR", (folder_ / "run").c_str(), 1);

        decoder.AddItem("LiveData");
        if (!decoder.Listen("WinACARS|ACARS")) Fail("cannot serve WinACARS|ACARS: " + decoder.LastReason());
        korval_.start(QStringLiteral(KORVAL_PROGRAM), {QStringLiteral("--headless"), QStringLiteral("--home"),
                                                       QFile::decodeName((folder_ / "home").c_str())});
        if (!korval_.waitForStarted(10000)) Fail("korval does not start");
        if (!RunUntil([&] { return decoder.AdvisedCount("LiveData") == 1; })) Fail("korval does not link");

        listener.OnValue([this](std::string_view, std::string_view value) {
            arrivals.push_back(Clock::now());
            last.assign(value);
        });
        const bool linked = RunUntil([&] {
            try {
                listener.Link("KORVAL|ACARS", "LiveData");
                return true;
            } catch (...) {
                return false;
            }
        });
        if (!linked) Fail("korval does not serve KORVAL|ACARS");
        RunUntil([] { return false; }, std::chrono::seconds(1));  // the advise has reached korval
    }

    ~Setup()
    {
        listener.Unlink();
        korval_.terminate();
        korval_.waitForFinished(10000);
        decoder.Close();
    }

    void Publish(const std::string& text)
    {
        decoder.SetValue("LiveData", text);
        decoder.Flush();
    }

    // Waits until the marker's LiveData has arrived: everything published before it has been
    // processed and republished.
    bool AwaitMarker(const std::string& marker)
    {
        const std::string token = marker.substr(marker.find("BENCH MARKER"));
        return RunUntil([&] { return last.find(token) != std::string::npos; });
    }

    [[noreturn]] static void Fail(const std::string& why)
    {
        std::cerr << "bench_e2e: " << why << '\n';
        std::exit(1);
    }

    LinkServer decoder;
    LinkClient listener;
    std::vector<Clock::time_point> arrivals;
    std::string last;

private:
    const korval::bench::Folder scratch_{"korval-e2e"};
    const std::filesystem::path& folder_ = scratch_.path();
    QProcess korval_;
};

std::unique_ptr<Setup> g_setup;  // made by the first benchmark, ended before the application

Setup& TheSetup()
{
    if (!g_setup) g_setup = std::make_unique<Setup>();
    return *g_setup;
}

long long g_markers = 0;

// 10,000 messages published as fast as korval takes them; the time runs until the LiveData of a
// marker sent after them arrives.
void BM_EndToEndThroughput(benchmark::State& state)
{
    Setup& s = TheSetup();
    const std::vector<std::string> corpus = CorpusTexts();
    constexpr int kMessages = 10'000;
    constexpr std::int64_t kBacklog = 4 * 1024 * 1024;  // bytes queued for korval before publishing waits
    for (auto _ : state) {
        const std::string marker = Marker(++g_markers);
        const auto start = Clock::now();
        for (int i = 0; i < kMessages; ++i) {
            s.decoder.SetValue("LiveData", corpus[static_cast<std::size_t>(i) % corpus.size()]);
            if (s.decoder.PendingBytes() > kBacklog) {
                s.decoder.Flush();
                RunUntil([&] { return s.decoder.PendingBytes() <= kBacklog / 2; });
            }
        }
        s.Publish(marker);
        if (!s.AwaitMarker(marker)) Setup::Fail("the marker never arrived");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_EndToEndThroughput)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// One message every 10 ms. A message's latency runs from its publishing to the last LiveData value
// that arrives before the next one is published (a counted message gives two).
void BM_EndToEndLatencyAt100PerSecond(benchmark::State& state)
{
    Setup& s = TheSetup();
    const std::vector<std::string> corpus = CorpusTexts();
    constexpr int kMessages = 1000;
    constexpr auto kEvery = std::chrono::milliseconds(10);
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        s.arrivals.clear();
        const auto start = Clock::now();
        std::vector<Clock::time_point> sentAt;
        for (int i = 0; i < kMessages; ++i) {
            RunUntilTime(start + kEvery * i);
            sentAt.push_back(Clock::now());
            s.Publish(corpus[static_cast<std::size_t>(i) % corpus.size()]);
        }
        const std::string marker = Marker(++g_markers);
        RunUntilTime(start + kEvery * kMessages);
        sentAt.push_back(Clock::now());
        s.Publish(marker);
        if (!s.AwaitMarker(marker)) Setup::Fail("the marker never arrived");
        std::size_t a = 0;
        for (int i = 0; i < kMessages; ++i) {
            Clock::time_point lastOfMessage{};
            while (a < s.arrivals.size() && s.arrivals[a] < sentAt[static_cast<std::size_t>(i) + 1]) {
                lastOfMessage = s.arrivals[a++];
            }
            if (lastOfMessage != Clock::time_point{}) {
                latencies.push_back(
                    std::chrono::duration<double, std::micro>(lastOfMessage - sentAt[static_cast<std::size_t>(i)])
                        .count());
            }
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    if (latencies.empty()) return;
    std::sort(latencies.begin(), latencies.end());
    state.counters["p50_us"] = latencies[latencies.size() / 2];
    state.counters["p99_us"] = latencies[latencies.size() * 99 / 100];
    state.counters["max_us"] = latencies.back();
    state.counters["answered"] = static_cast<double>(latencies.size());
}
BENCHMARK(BM_EndToEndLatencyAt100PerSecond)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    return korval::bench::RunUnderQt(argc, argv, [] { g_setup.reset(); });
}
