// The message chain's own stages: screening and dispatch, the expanders, the correction table
// and the route look-up. Stages owned elsewhere run as they are built into korval_core.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <chrono>
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

// Today's forms that Decode Modern Formats reads, as Airmaster prints them: a message of each
// family of the bundled format table and ADS-C reports (check sums computed apart from the
// decoder), one aircraft each.
std::vector<std::string> ModernForms()
{
    const std::pair<const char*, const char*> forms[] = {
        {"H1", "#M1BPOSN51286W000270,BIG,101512,350,LAM,103012,BNN,M47,27060,230/TS101512,0512262B3A"},
        {"20", "POSN52170E004460,,101500,370,SPY,102000,,M48,24070,45,210"},
        {"21", "POSN 51.477W  0.461, 270,101512,35000,24010,  45,-52,112000,KJFK"},
        {"22", "N 512840W 0002730,-------,101512,35000, ,      , ,M 45,24010  45, 230,"},
        {"12", "POSN 533048W 0021612,-------,1015, 340,,  23,17788  11,FOB   90,ETA 1100,EGCC,LEMD,"},
        {"10", "POS101500, N 5148,W  046,---,270,26922,  51,22290, 529,  19,-225,6"},
        {"16", "/P1 1204,N 51.477/W  0.461,  28068,   97/P2 1206,N 51.601/W  0.203,  25047,   96"},
        {"2P", "FM3 1015,1240,+ 51.48,-  0.46, 35002, 455, 26"},
        {"H1", "FM4EGLL,OMAA,051015,1705, 50.12,   8.68,36000,112,  -56.5, 61200"},
        {"2P", "FM5 EIDW,OMAA,101522,1540,+46.210, +20.955,35002,116.24,502 ,36900,ETD46 ,"},
        {"14", "/14 OFF EVENT      / EGLL KJFK 05 101822/TIME 1018\r\n/LOC N512840,W0002730"},
        {"15", "/15 ON EVENT       / EGLL KJFK 05 173002/TIME 1730\r\n/LOC +40.6413,-073.7781"},
        {"80", "3N01 POSRPT 0117/05 EGLL/KJFK .G-STBA\r\n/POS N52154W020458/ALT 350/MCH 084/FOB 0410/ETA 1745"},
        {"4T", "AGFSR AC0851/05/05/YYZLHR/1015Z/621/5312.4N03015.6W/370/CRUISE/0412/0012/-52/260045/0480/122/480"},
        {"4N", "05024N  BOS  JFK1\r\n0013  0072 N041250 W072318   240"},
        {"4A", "N51286W000270LHR/27R,101512370VECTORS,,P04,270045858,46904221"},
        {"1L", "00012213200/GS 451500/DEP EGLL/DES KJFK/ETA 1745\r\nLON W 20.458/LAT N 52.154/WD 270/WS  85"},
        {"58", "BA0117/05/101512/N52.154/W20.458/37002/N/"},
        {"83", "001PR05101512N5215.4W02045.8370020000"},
        {"H1", "(POS-BAW117 -5215N02046W/101512 F370\r\nRMK/FUEL 41.0 M0.84)"},
        {"B6", "/PIKCPYA.ADS.C-FITW0725678F5B05C88B92C01B0C043078D398200E5F48EF40004FD2"},
        {"B6",
         "/PIKCPYA.ADS.C-FITW07258BF745F9488B9FE01B0C043078D398200E6058F000000D25B05F1C71C88B8E1025B05EE38E488B"
         "8051E8"},
        {"B6", "/PIKCPYA.ADS.G-STBB0723B2A771C7090889601B0E5D28F53FFC5045"},
        {"B6", "/YQXE2YA.ADS.D-ABYT07272EAF1C71C94704B01B0C10C234CF8820ACCB"},
        {"B6", "/PIKCPYA.ADS.G-STBB07238E3F666689088FA01B9700"},  // check sum fails
    };
    std::vector<std::string> texts;
    int n = 0;
    for (const auto& [label, content] : forms) {
        char reg[8], msgNo[5];
        std::snprintf(reg, sizeof reg, ".N%05d", 10000 + n);
        std::snprintf(msgNo, sizeof msgNo, "M%02dA", n++);
        texts.push_back(Canonical(reg, label, '2', msgNo, "XX0001", std::string(content) + "\r\n") +
                        std::string(58, '-') + "[05/12/2026 12:00]");
    }
    return texts;
}

// The whole text chain as BM_OnLinkText_Mix runs it, over the realistic mix and the modern forms
// (one modern form after every ten messages of the mix), with Decode Modern Formats off (0) and
// on (1). items_per_second is messages per second.
void BM_OnLinkText_ModernMix(benchmark::State& state)
{
    static const std::vector<std::pair<LinkBox, std::string>> mix = [] {
        const std::pair<const char*, LinkBox> boxes[] = {
            {"airmaster", LinkBox::AirData},   {"skyspy", LinkBox::SkyData}, {"anad", LinkBox::ANAData},
            {"hfacars", LinkBox::HFACARSData}, {"hfdl", LinkBox::HFDL},      {"other", LinkBox::txtNewData}};
        const std::vector<std::string> modern = ModernForms();
        std::vector<std::pair<LinkBox, std::string>> out;
        std::ifstream in(std::string(KORVAL_BENCH_DATA) + "/messages.jsonl", std::ios::binary);
        std::string line, source, text;
        std::size_t next = 0;
        while (std::getline(in, line)) {
            if (!bench::JsonString(line, "source", source) || !bench::JsonString(line, "text", text)) continue;
            for (const auto& [name, box] : boxes)
                if (source == name) out.emplace_back(box, text);
            if (out.size() % 11 == 10 && next < modern.size()) out.emplace_back(LinkBox::AirData, modern[next++]);
        }
        while (next < modern.size()) out.emplace_back(LinkBox::AirData, modern[next++]);
        return out;
    }();
    Bench b;
    std::filesystem::copy_file(std::filesystem::path(KORVAL_BENCH_DATA) / ".." / ".." / "data" / "formats.wdf",
                               b.home / "formats.wdf", std::filesystem::copy_options::overwrite_existing);
    b.station.opt.mnuRefOCA = b.station.opt.mnuSBS = true;
    b.station.opt.mnuExtendedDecoding = state.range(0) != 0;
    b.station.dlg.DDEFormat = 1;
    // Twenty seconds between messages, as on a busy evening: an aircraft's reports lie as far apart
    // in time as in space, so the plausibility gate judges them as it would live traffic.
    using namespace std::chrono;
    const sys_seconds start = sys_days{year{2026} / 12 / 5} + hours{12};
    std::size_t i = 0;
    for (auto _ : state) {
        const sys_seconds now = start + seconds{20 * static_cast<long long>(i)};
        const year_month_day ymd{floor<days>(now)};
        const hh_mm_ss<seconds> hms{now - floor<days>(now)};
        b.clock.Set(DateTime{static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                             static_cast<int>(static_cast<unsigned>(ymd.day())), static_cast<int>(hms.hours().count()),
                             static_cast<int>(hms.minutes().count()), static_cast<int>(hms.seconds().count())});
        const auto& [box, text] = mix[i++ % mix.size()];
        OnLinkText(b.station, box, text);
        benchmark::DoNotOptimize(b.station.PositionText);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.counters["messages"] = static_cast<double>(mix.size());
}
BENCHMARK(BM_OnLinkText_ModernMix)->Arg(0)->Arg(1)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
