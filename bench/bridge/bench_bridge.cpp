// Bridge throughput: decoder output converted and published to one linked client, per source; and
// what the SBS-1 rate limit leaves of a busy ADS-B receiver's positions.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>

#include "bridge_convert.h"
#include "bridge_sbs.h"
#include "link/client.h"
#include "link/server.h"
#include "qt_bench.h"
#include "qt_bench_main.h"

namespace {

using namespace korval::bridge;
using korval::link::LinkClient;
using korval::link::LinkServer;

constexpr std::int64_t kNow = 1796472000;
constexpr int kBatch = 10000;

// The bridge's side of one topic and KORVAL's client on it.
struct Pair {
    explicit Pair(std::string_view topic)
    {
        server.SetFolder(folder.path());
        server.AddItem("LiveData");
        server.Listen(topic);
        client.SetFolder(folder.path());
        client.OnValue([this](std::string_view, std::string_view) { ++received; });
        client.Link(topic, "LiveData");
        korval::bench::Await([this] { return server.AdvisedCount("LiveData") == 1; }, "the link");
    }
    korval::bench::Folder folder;
    LinkServer server;
    LinkClient client;
    std::int64_t received = 0;
};

std::string Digits(int n, int width)
{
    std::string s = std::to_string(n % 100000);
    return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(s.size()))), '0') + s;
}

std::string Acarsdec(int i)
{
    return R"({"timestamp":)" + std::to_string(kNow + i) +
           R"(.25,"station_id":"EGLL-1","channel":1,"freq":131.525,"level":-24.1,"noise":-47.0,"error":0,)"
           R"("mode":"2","label":"H1","block_id":"7","ack":false,"tail":"G-S)" +
           Digits(i, 3) + R"(","flight":"BA)" + Digits(i, 4) + R"(","msgno":"C)" + Digits(i, 2) +
           R"(A","text":"A32/1883/N3159)" + Digits(i, 2) +
           R"(,W0184007,711\r\nFUEL 123 ETA 1422",)"
           R"("sublabel":"DF","assstat":"skipped","app":{"name":"acarsdec","ver":"4.1"}})";
}

std::string Dumpvdl2(int i)
{
    return R"({"vdl2":{"app":{"name":"dumpvdl2","ver":"2.3.0"},"station":"EGLL-VDL","t":{"sec":)" +
           std::to_string(kNow + i) +
           R"(,"usec":417211},"freq":136975000,"burst_len_octets":64,"hdr_bits_fixed":0,)"
           R"("octets_corrected_by_fec":0,"idx":0,"sig_level":-27.4,"noise_level":-45.1,"freq_skew":1.2,)"
           R"("avlc":{"src":{"addr":"76CD64","type":"Aircraft","status":"Airborne"},"dst":{"addr":"1141A4",)"
           R"("type":"Ground station"},"cr":"Command","frame_type":"I","rseq":3,"sseq":2,"poll":false,)"
           R"("acars":{"err":false,"crc_ok":true,"more":false,"reassembly":"skipped","reg":".9V-S)" +
           Digits(i, 2) + R"(","mode":"2","label":"16","blk_id":"8","ack":"!","flight":"UP)" + Digits(i, 4) +
           R"(","msg_num":"F)" + Digits(i, 2) + R"(","msg_num_seq":"E","msg_text":"POS N5516W03415"}}}})";
}

std::string Dumphfdl(int i)
{
    return R"({"hfdl":{"app":{"name":"dumphfdl","ver":"1.6.1"},"station":"EGLL-HF","t":{"sec":)" +
           std::to_string(kNow + i) +
           R"(,"usec":117000},"freq":8942000,"bit_rate":1800,"sig_level":-20.5,"noise_level":-38.9,)"
           R"("freq_skew":-1.3,"slot":"S","lpdu":{"src":{"type":"Aircraft","id":35},"dst":{"type":)"
           R"("Ground station","id":2,"name":"Shannon, Ireland"},"type":{"id":13,"name":"Unnumbered data"},)"
           R"("ac_info":{"icao":"400A12"},"hfnpdu":{"type":{"id":209,"name":"Performance data"},"version":1,)"
           R"("flight_id":"BAW)" +
           Digits(i, 3) + R"(","pos":{"lat":51.)" + Digits(i, 3) +
           R"(,"lon":-12.575},"time":{"hour":11,"min":58,"sec":40},"flight_leg":2}}}})";
}

// One aircraft's airborne position, as dump1090 writes it.
std::string Msg3(int aircraft, double lat, double lon)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "%06X", 0x400000 + aircraft);
    char line[256];
    std::snprintf(line, sizeof line,
                  "MSG,3,1,1,%s,1,2026/12/05,11:58:42.123,2026/12/05,11:58:42.125,,%d,,,%.5f,%.5f,,,0,0,0,0\r\n", hex,
                  30000 + aircraft, lat, lon);
    return line;
}

void ConvertAndPublish(benchmark::State& state, Source source, std::string_view topic,
                       const std::function<std::string(int)>& make)
{
    Pair pair(topic);
    std::vector<std::string> datagrams;
    for (int i = 0; i < kBatch; ++i) datagrams.push_back(make(i));
    std::vector<Message> out;
    Counters counters;
    for (auto _ : state) {
        const std::int64_t target = pair.received + kBatch;
        for (const std::string& d : datagrams) {
            ConvertDatagram(source, d, kNow, out, counters);
            for (const Message& m : out) pair.server.SetValue("LiveData", m.text);
            out.clear();
        }
        korval::bench::Await([&] { return pair.received >= target; }, "every value");
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void BM_Acarsdec(benchmark::State& state)
{
    ConvertAndPublish(state, Source::Acarsdec, kAirmasterTopic, Acarsdec);
}
void BM_Dumpvdl2(benchmark::State& state)
{
    ConvertAndPublish(state, Source::Dumpvdl2, kAirmasterTopic, Dumpvdl2);
}
void BM_Dumphfdl(benchmark::State& state)
{
    ConvertAndPublish(state, Source::Dumphfdl, kHfdlTopic, Dumphfdl);
}
BENCHMARK(BM_Acarsdec)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Dumpvdl2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Dumphfdl)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every position published (no rate limit): the converter's own pace for BaseStation lines.
void BM_Sbs(benchmark::State& state)
{
    Pair pair(kAirmasterTopic);
    std::string stream;
    for (int i = 0; i < kBatch; ++i) stream += Msg3(i % 500, 51.0 + (i % 97) * 0.01, -1.0 - (i % 89) * 0.01);
    SbsConverter sbs(SbsOptions{0});
    std::vector<Message> out;
    Counters counters;
    for (auto _ : state) {
        const std::int64_t target = pair.received + kBatch;
        sbs.Feed(stream, 0, kNow, out, counters);
        for (const Message& m : out) pair.server.SetValue("LiveData", m.text);
        out.clear();
        korval::bench::Await([&] { return pair.received >= target; }, "every value");
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_Sbs)->Unit(benchmark::kMillisecond)->UseRealTime();

// 500 aircraft each sending its position every second for ten minutes, as a receiver in a busy
// area does; the rate limit (--sbs-every, seconds) decides how many reach the maps.
void BM_SbsRateLimit500Aircraft(benchmark::State& state)
{
    constexpr int kAircraft = 500, kSeconds = 600;
    const double every = static_cast<double>(state.range(0));
    std::vector<std::string> second(kSeconds);
    for (int t = 0; t < kSeconds; ++t)
        for (int a = 0; a < kAircraft; ++a) second[t] += Msg3(a, 48.0 + a * 0.01 + t * 0.0001, -4.0 + a * 0.01);
    Counters counters;
    std::int64_t out = 0;
    for (auto _ : state) {
        SbsConverter sbs(SbsOptions{every});
        counters = {};
        std::vector<Message> messages;
        for (int t = 0; t < kSeconds; ++t) {
            sbs.Feed(second[t], t, kNow, messages, counters);
            out = static_cast<std::int64_t>(messages.size());
        }
        benchmark::DoNotOptimize(messages.data());
    }
    state.counters["reports_in"] = static_cast<double>(counters.received);
    state.counters["messages_out"] = static_cast<double>(out);
    state.counters["out_per_s"] = static_cast<double>(out) / kSeconds;
    state.SetItemsProcessed(state.iterations() * counters.received);
}
BENCHMARK(BM_SbsRateLimit500Aircraft)->Arg(0)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return korval::bench::RunUnderQt(argc, argv);
}
