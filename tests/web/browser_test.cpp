// The web view in a real browser: korval --headless with the bundled defaults, fed with the demo
// traffic by stand-in decoders, serves its page to headless Chromium, driven over the DevTools
// protocol. The maps must be pictures of the size the page shows them at, the message list must
// fill, and a click on a plotted aircraft must show its details. A screenshot is kept.

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include "devtools.h"
#include "link/naming.h"
#include "qt_test_support.h"

namespace korval::web {
namespace {

using namespace std::chrono_literals;
using test::Program;
using test::RunUntil;
using webtest::Browser;

std::string ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class InABrowser : public test::ProgramTest {
protected:
    void SetUp() override
    {
        // A program folder as the run command makes it from the defaults.
        const std::filesystem::path data = std::filesystem::path(KORVAL_SOURCE_DIR) / "data";
        std::filesystem::create_directories(home.path() / "maps");
        std::string ini = ReadFile(data / "KORVAL.ini");
        for (std::size_t at; (at = ini.find("@HOME@")) != std::string::npos;) ini.replace(at, 6, home.path().string());
        home.Write("KORVAL.ini", ini);
        for (const auto& entry : std::filesystem::directory_iterator(data))
            if (entry.path().extension() == ".wdf")
                std::filesystem::copy_file(entry.path(), home.path() / entry.path().filename());
        for (const auto& entry : std::filesystem::directory_iterator(data / "maps"))
            std::filesystem::copy_file(entry.path(), home.path() / "maps" / entry.path().filename());

        // Every program links over the fixture's private socket folder.
        std::filesystem::permissions(run, std::filesystem::perms::owner_all);
    }

    // The demo traffic for now, as the run command renders it.
    void RenderTraffic()
    {
        const std::time_t now = std::time(nullptr);
        std::tm utc{};
        gmtime_r(&now, &utc);
        char hhmm[8], date[16];
        std::strftime(hhmm, sizeof hhmm, "%H%M", &utc);
        std::strftime(date, sizeof date, "%Y-%m-%d", &utc);
        const QString tmpl = QStringLiteral(KORVAL_SOURCE_DIR "/data/demo/traffic.tmpl");
        Start(demo, QStringLiteral(KORVAL_DEMO_PROGRAM),
              {QStringLiteral("--template"), tmpl, QStringLiteral("--now"), QLatin1String(hhmm),
               QStringLiteral("--date"), QLatin1String(date)});
        ASSERT_TRUE(demo.Finished(60s)) << demo.Err();
        ASSERT_EQ(demo.ExitCode(), 0) << demo.Err();
        traffic = home.path() / "traffic.jsonl";
        std::ofstream(traffic, std::ios::binary) << demo.Out();
    }

    // Airmaster publishes the ACARS messages, PC-HFDL the HFDL records and HF ACARS messages.
    void StartDecoders()
    {
        const char* topics[3][2] = {
            {"WinACARS|ACARS", "airmaster"}, {"PCHFDL|HFDL", "hfdl"}, {"PCHFDL|ACARS", "hfacars"}};
        for (int i = 0; i < 3; ++i) {
            Start(serve[i], test::LinkProgram(),
                  {QStringLiteral("serve"), QStringLiteral("--topic"), QLatin1String(topics[i][0]),
                   QStringLiteral("--input"), QString::fromStdString(traffic.string()), QStringLiteral("--source"),
                   QLatin1String(topics[i][1]), QStringLiteral("--rate"), QStringLiteral("100"),
                   QStringLiteral("--exit-when-done")});
            ASSERT_TRUE(Served(link::SocketFileName(topics[i][0]).value_or("none"), 30s)) << serve[i].Err();
        }
    }

    // korval --headless with its web view on a free port; the URL it says it serves.
    void StartKorval()
    {
        Start(korval, test::KorvalProgram(),
              {QStringLiteral("--headless"), QStringLiteral("--home"), QString::fromStdString(home.path().string()),
               QStringLiteral("--http"), QStringLiteral("127.0.0.1:0")});
        static const std::regex kServing("web view on (http://127\\.0\\.0\\.1:[0-9]+/)");
        std::smatch found;
        ASSERT_TRUE(RunUntil([&] { return std::regex_search(korval.Err(), found, kServing); }, 30s)) << korval.Err();
        url = QString::fromStdString(found[1].str());
    }

    QJsonValue Eval(const QString& script)
    {
        const auto v = browser.Evaluate(script);
        EXPECT_TRUE(v) << browser.Error();
        return v.value_or(QJsonValue());
    }

    std::filesystem::path traffic;
    Program demo, korval, serve[3];
    Browser browser;
    QString url;
};

TEST_F(InABrowser, MapsMessagesAndAClickOnAnAircraft)
{
    RenderTraffic();
    StartDecoders();
    StartKorval();
    ASSERT_TRUE(browser.Start(url, {1400, 1000})) << browser.Error();

    // All the traffic is in: the decoders are done and the station has shown it.
    for (Program& p : serve) ASSERT_TRUE(p.Finished(120s)) << p.Err();
    ASSERT_TRUE(browser.WaitFor(QStringLiteral("korval.stats.connected && korval.stats.messages >= 100"), 60s))
        << browser.Error() << korval.Err();

    // Each map is a picture exactly the size of the frame it is shown in.
    ASSERT_TRUE(browser.WaitFor(QStringLiteral("korval.maps.every(m => m.pictures > 0 && m.img.complete &&"
                                               " m.img.naturalWidth === m.frame.clientWidth &&"
                                               " m.img.naturalHeight === m.frame.clientHeight)"),
                                30s))
        << Eval(QStringLiteral("JSON.stringify(korval.maps.map(m => [m.img.naturalWidth, m.img.naturalHeight,"
                               " m.frame.clientWidth, m.frame.clientHeight, m.pictures]))"))
               .toString()
               .toStdString();

    // The message list and the counts show what the station processed, newest first.
    EXPECT_TRUE(
        Eval(QStringLiteral("(() => { const n = [...document.querySelectorAll('#live li')].map(li => +li.dataset.n);"
                            " return n.length >= 100 && n.every((v, i) => i === 0 || v < n[i - 1]); })()"))
            .toBool());
    EXPECT_NE(Eval(QStringLiteral("document.getElementById('txtCount').textContent")).toString(), QStringLiteral("0"));

    // An ACARS aircraft on map 1 (N 64, S 34, W -16, E 34), away from its edges, not on an oceanic
    // estimate (which moves), and where it is drawn: the frame's edges map linearly onto the picture.
    ASSERT_TRUE(browser.WaitFor(QStringLiteral("korval.aircraft.length > 10"), 30s));
    const QJsonObject target =
        QJsonDocument::fromJson(
            Eval(QStringLiteral(
                     "(() => { const a = korval.aircraft.find(a => a.kind === 'ACARS' && a.flight && !a.oceanic &&"
                     " a.lat > 36 && a.lat < 62 && a.lon > -14 && a.lon < 32);"
                     " const m = korval.maps[0], r = m.img.getBoundingClientRect();"
                     " return a ? JSON.stringify({flight: a.flight, x: r.left + (a.lon + 16) / 50 * m.w,"
                     " y: r.top + (64 - a.lat) / 30 * m.h}) : ''; })()"))
                .toString()
                .toUtf8())
            .object();
    ASSERT_FALSE(target.isEmpty()) << Eval(QStringLiteral("JSON.stringify(korval.aircraft)")).toString().toStdString();
    const QString flight = target.value(QStringLiteral("flight")).toString();
    const double x = target.value(QStringLiteral("x")).toDouble(), y = target.value(QStringLiteral("y")).toDouble();
    ASSERT_TRUE(browser.Click(x, y)) << browser.Error();
    const QString details = QStringLiteral("document.querySelector('#map1 .details')");
    ASSERT_TRUE(
        browser.WaitFor(QStringLiteral("!%1.hidden && %1.textContent.includes('%2')").arg(details, flight), 10s))
        << "clicked " << flight.toStdString() << " at " << x << ", " << y
        << "; shown: " << Eval(details + QStringLiteral(".textContent")).toString().toStdString();

    // The page as it looked, kept for people to see.
    QDir().mkpath(QStringLiteral(KORVAL_ARTEFACTS));
    EXPECT_TRUE(browser.Screenshot(QStringLiteral(KORVAL_ARTEFACTS "/web-view.png"))) << browser.Error();
}

}  // namespace
}  // namespace korval::web
