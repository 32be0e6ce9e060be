// The web view's figures, measured end to end in real programs:
//   - latency from a message arriving at korval to the browser showing the map picture drawn
//     after it, at 10 and 100 messages a second (median, p99, max);
//   - CPU and memory of korval --headless with several browsers open, idle and at each rate.
//
//   measure_web [--browsers N] [--seconds S] [--rates 10,100] [--chromium PROGRAM] [--korval-log FILE]
//
// This process serves the decoder topic WinACARS|ACARS and publishes position reports that move
// aircraft over map 1; korval --headless (its own program folder, the bundled maps, filters off,
// web view on a free loopback port) processes them; N headless Chromiums, each its own window
// size, show the page. Each picture message tells how many LiveData values the station had set
// when it was drawn, so the page knows which messages a picture shows; the page records when
// each picture was shown (Date.now(), the same clock as this process' send times).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTimer>

#include <unistd.h>

#include "devtools.h"
#include "link/server.h"
#include "qt_bench.h"

namespace {

using namespace std::chrono_literals;
using korval::webtest::Browser;
using korval::webtest::WaitUntil;
using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const std::string& why)
{
    std::cerr << "measure_web: " << why << '\n';
    std::exit(1);
}

using korval::bench::RunUntilTime;

// A position report of aircraft `plane` (of 30) at `step`. Each report moves the aircraft
// 0.05 degrees north and east of its last one, then as far back and so on: a step the
// plausibility gate of Decode Modern Formats (on in the bundled settings) lets through at any
// rate, so that every report moves a mark on the map.
std::string Report(int plane, long step)
{
    char reg[8], flight[8], pos[64];
    std::snprintf(reg, sizeof reg, "G-KV%02d", plane);
    std::snprintf(flight, sizeof flight, "KV%04d", plane);
    const long turn = step / 30 % 100;  // the aircraft's own report count, there and back
    const double moved = static_cast<double>(turn < 50 ? turn : 100 - turn) * 0.05;
    const double lat = 40.0 + plane % 6 * 3.5 + moved;
    const double lon = -8.0 + plane / 6 * 6.0 + moved;
    std::snprintf(pos, sizeof pos, "POS N%05.2f,%c%06.2f,370", lat, lon < 0 ? 'W' : 'E', lon < 0 ? -lon : lon);
    return std::string("1ACARS mode: 2  Aircraft reg: .") + reg + "\r\nMessage label: H1  Block id: 2  Msg. no: M" +
           std::to_string(10 + step % 90) + "A\r\nFlight id: " + flight + "\r\nMessage content:-\r\n" + pos + "\r\n";
}

// CPU seconds (user + system) and resident memory of a process, from /proc.
struct Usage {
    double cpuSeconds = 0;
    long rssKiB = 0, peakKiB = 0;
};
Usage UsageOf(qint64 pid)
{
    Usage u;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close != std::string::npos) {
        std::istringstream fields(text.substr(close + 2));
        std::string f;
        long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && fields >> f; ++i) {
            if (i == 14) utime = std::stol(f);
            if (i == 15) stime = std::stol(f);
        }
        u.cpuSeconds = static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) u.rssKiB = std::stol(line.substr(6));
        if (line.rfind("VmHWM:", 0) == 0) u.peakKiB = std::stol(line.substr(6));
    }
    return u;
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(at, v.size() - 1)];
}

struct Options {
    int browsers = 5;
    int seconds = 30;
    std::vector<int> rates = {10, 100};
    QString chromium = QStringLiteral("chromium");
    std::string korvalLog;  // where korval's standard error goes at the end, when given
};

Options Parse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 >= argc)
            Fail(
                "usage: measure_web [--browsers N] [--seconds S] [--rates 10,100] [--chromium PROGRAM] [--korval-log "
                "FILE]");
        const std::string v = argv[++i];
        if (a == "--browsers") {
            o.browsers = std::stoi(v);
        } else if (a == "--seconds") {
            o.seconds = std::stoi(v);
        } else if (a == "--korval-log") {
            o.korvalLog = v;
        } else if (a == "--chromium") {
            o.chromium = QString::fromStdString(v);
        } else if (a == "--rates") {
            o.rates.clear();
            std::stringstream list(v);
            for (std::string r; std::getline(list, r, ',');) o.rates.push_back(std::stoi(r));
        } else {
            Fail("unknown option " + a);
        }
    }
    return o;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const Options options = Parse(argc, argv);

    // ---- a program folder: the bundled maps and data, filters off, map 1 shown -------------------
    const korval::bench::Folder scratch("korval-web");
    const std::filesystem::path& folder = scratch.path();
    const std::filesystem::path home = folder / "home", data = std::filesystem::path(KORVAL_SOURCE_DIR) / "data";
    std::filesystem::create_directories(home / "Logs");
    std::filesystem::create_directories(folder / "run");
    std::filesystem::permissions(folder / "run", std::filesystem::perms::owner_all);
    for (const auto& e : std::filesystem::directory_iterator(data))
        if (e.path().extension() == ".wdf") std::filesystem::copy_file(e.path(), home / e.path().filename());
    {
        std::ifstream in(data / "KORVAL.ini", std::ios::binary);
        std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (std::size_t at; (at = ini.find("@HOME@")) != std::string::npos;) ini.replace(at, 6, data.string());
        for (const char* key : {"PCHFDL=True", "Errors=True", "Repeats=True", "SQ=True", "TooFar=True"}) {
            const std::string k(key);
            if (const std::size_t at = ini.find(k); at != std::string::npos)
                ini.replace(at, k.size(), k.substr(0, k.find('=')) + "=False");
        }
        std::ofstream(home / "KORVAL.ini", std::ios::binary) << ini;
    }
    ::setenv("XDG_RUNTIME_DIR", (folder / "run").c_str(), 1);

    // ---- the decoder, korval, the browsers -----------------------------------------------------
    korval::link::LinkServer decoder;
    decoder.AddItem("LiveData");
    if (!decoder.Listen("WinACARS|ACARS")) Fail("cannot serve WinACARS|ACARS: " + decoder.LastReason());
    QProcess korval;
    QString korvalErr;
    QObject::connect(&korval, &QProcess::readyReadStandardError, &korval,
                     [&] { korvalErr += QString::fromLocal8Bit(korval.readAllStandardError()); });
    korval.start(QStringLiteral(KORVAL_PROGRAM),
                 {QStringLiteral("--headless"), QStringLiteral("--home"), QFile::decodeName(home.c_str()),
                  QStringLiteral("--http"), QStringLiteral("127.0.0.1:0")});
    if (!korval.waitForStarted(10000)) Fail("korval does not start");
    static const std::regex kServing("web view on (http://[0-9.:]+/)");
    std::smatch found;
    std::string err;
    if (!WaitUntil([&] { return std::regex_search(err = korvalErr.toStdString(), found, kServing); }, 30s))
        Fail("korval serves no web view: " + korvalErr.toStdString());
    const QString url = QString::fromStdString(found[1].str());
    if (!WaitUntil([&] { return decoder.AdvisedCount("LiveData") == 1; }, 30s)) Fail("korval does not link");

    const QSize windows[] = {{1400, 1000}, {1280, 800}, {1920, 1080}, {1024, 768}, {1600, 900}};
    std::vector<std::unique_ptr<Browser>> browsers;
    for (int i = 0; i < options.browsers; ++i) {
        browsers.push_back(std::make_unique<Browser>());
        if (!browsers.back()->Start(url, windows[i % 5], 60s, options.chromium))
            Fail("browser " + std::to_string(i + 1) + ": " + browsers.back()->Error());
    }
    const QString hook = QStringLiteral(
        "korval.samples = []; korval.onPicture = (n, m) => korval.samples.push([n, m, Date.now()]); true");
    for (auto& b : browsers) {
        if (!b->WaitFor(QStringLiteral("korval.stats.connected && korval.maps.every(m => m.pictures > 0)"), 60s))
            Fail("a page shows no maps: " + b->Error());
        if (!b->Evaluate(hook)) Fail("cannot watch the pictures: " + b->Error());
    }
    auto settle = [] { WaitUntil([] { return false; }, 3s); };

    const qint64 pid = korval.processId();
    std::printf(
        "korval --headless, web view %s, %d browsers (windows 1400x1000, 1280x800, 1920x1080, 1024x768, "
        "1600x900), %d s per rate\n",
        url.toStdString().c_str(), options.browsers, options.seconds);
    std::printf("%-10s %10s %10s %10s %10s %9s %9s %9s\n", "rate", "p50 ms", "p99 ms", "max ms", "pictures", "cpu %",
                "rss MiB", "peak MiB");

    // Idle: browsers open, no traffic.
    {
        settle();
        const Usage before = UsageOf(pid);
        QElapsedTimer wall;
        wall.start();
        WaitUntil([] { return false; }, std::chrono::seconds(std::min(options.seconds, 10)));
        const Usage after = UsageOf(pid);
        std::printf("%-10s %10s %10s %10s %10s %9.1f %9.1f %9.1f\n", "idle", "-", "-", "-", "-",
                    100 * (after.cpuSeconds - before.cpuSeconds) / (static_cast<double>(wall.elapsed()) / 1000),
                    after.rssKiB / 1024.0, after.peakKiB / 1024.0);
    }

    // LiveData values a position report sets, measured: the last picture after a calibration
    // run tells how many values the station set in all.
    auto lastCount = [&](Browser& b) {
        const auto v =
            b.Evaluate(QStringLiteral("korval.samples.length ? korval.samples[korval.samples.length - 1][1] : 0"));
        return v ? static_cast<long>(v->toDouble()) : 0L;
    };
    long step = 0;
    auto publish = [&](long n) {
        decoder.SetValue("LiveData", Report(static_cast<int>(n % 30), n));
        decoder.Flush();
    };
    settle();
    const long before = lastCount(*browsers[0]);
    for (int i = 0; i < 20; ++i) {
        publish(step++);
        WaitUntil([] { return false; }, 20ms);
    }
    settle();
    const long after = lastCount(*browsers[0]);
    const long perMessage = (after - before) / 20;
    if (perMessage < 1 || (after - before) % 20 != 0)
        Fail("the reports set " + std::to_string(after - before) + " LiveData values for 20: are they all processed?");

    for (int rate : options.rates) {
        settle();
        const long base = lastCount(*browsers[0]);  // LiveData values set before this run
        for (auto& b : browsers) b->Evaluate(QStringLiteral("korval.samples = []; true"));
        const int count = rate * options.seconds;
        std::vector<qint64> sentAt;
        const Usage usageBefore = UsageOf(pid);
        QElapsedTimer wall;
        wall.start();
        const auto start = Clock::now();
        const auto every = std::chrono::microseconds(1'000'000 / rate);
        for (int i = 0; i < count; ++i) {
            RunUntilTime(start + every * i);
            sentAt.push_back(QDateTime::currentMSecsSinceEpoch());
            publish(step++);
        }
        RunUntilTime(start + every * count);
        const Usage usageAfter = UsageOf(pid);
        const double seconds = static_cast<double>(wall.elapsed()) / 1000;
        settle();

        std::vector<double> latencies;
        long pictures = 0;
        for (auto& b : browsers) {
            const auto v = b->Evaluate(QStringLiteral("JSON.stringify(korval.samples.filter(s => s[0] === 1))"));
            if (!v) Fail("cannot read the pictures: " + b->Error());
            const QJsonArray samples = QJsonDocument::fromJson(v->toString().toUtf8()).array();
            pictures += samples.size();
            std::size_t s = 0;
            for (int i = 0; i < count; ++i) {
                const long needed = base + perMessage * (i + 1);
                while (s < static_cast<std::size_t>(samples.size()) &&
                       samples[static_cast<qsizetype>(s)].toArray()[1].toDouble() < static_cast<double>(needed))
                    ++s;
                if (s == static_cast<std::size_t>(samples.size())) break;
                latencies.push_back(samples[static_cast<qsizetype>(s)].toArray()[2].toDouble() -
                                    static_cast<double>(sentAt[static_cast<std::size_t>(i)]));
            }
        }
        char name[16];
        std::snprintf(name, sizeof name, "%d/s", rate);
        std::printf("%-10s %10.0f %10.0f %10.0f %10ld %9.1f %9.1f %9.1f\n", name, Percentile(latencies, 0.5),
                    Percentile(latencies, 0.99), Percentile(latencies, 1.0), pictures,
                    100 * (usageAfter.cpuSeconds - usageBefore.cpuSeconds) / seconds, usageAfter.rssKiB / 1024.0,
                    usageAfter.peakKiB / 1024.0);
        std::fflush(stdout);
        if (latencies.size() < static_cast<std::size_t>(count) * browsers.size() * 9 / 10)
            std::printf("  (only %zu of %zu messages reached a picture)\n", latencies.size(),
                        static_cast<std::size_t>(count) * browsers.size());
    }

    browsers.clear();
    korval.terminate();
    korval.waitForFinished(10000);
    if (!options.korvalLog.empty()) std::ofstream(options.korvalLog) << korvalErr.toStdString();
    decoder.Close();
    return 0;
}
