// The web view in a real browser: korval --headless with the bundled defaults, fed with the demo
// traffic by stand-in decoders, serves its page to headless Chromium, driven over the DevTools
// protocol. The maps must be pictures of the size the page shows them at, the message list must
// fill, and a click on a plotted aircraft must show its details. A screenshot is kept.

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include <QDir>
#include <QFile>
#include <QJsonArray>
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

// A string as a script literal.
QString Literal(const QString& text)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

QString Q(const std::filesystem::path& p)
{
    return QFile::decodeName(p.c_str());
}

std::string ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Map 1 of the bundled settings: degrees.
constexpr double kNorth = 64, kSouth = 34, kWest = -16, kEast = 34;

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
        for (Program* p : {&demo, &korval, &serve[0], &serve[1], &serve[2]}) p->SetEnvironment(env);
    }

    bool Served(const char* topic)
    {
        const auto socket = link::LinkFolder().path / link::SocketFileName(topic).value_or("none");
        return RunUntil([&] { return std::filesystem::exists(socket); }, 30s);
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
        ASSERT_TRUE(demo.Start(QStringLiteral(KORVAL_DEMO_PROGRAM),
                               {QStringLiteral("--template"), tmpl, QStringLiteral("--now"), QLatin1String(hhmm),
                                QStringLiteral("--date"), QLatin1String(date)}));
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
            ASSERT_TRUE(serve[i].Start(
                test::LinkProgram(),
                {QStringLiteral("serve"), QStringLiteral("--topic"), QLatin1String(topics[i][0]),
                 QStringLiteral("--input"), Q(traffic), QStringLiteral("--source"), QLatin1String(topics[i][1]),
                 QStringLiteral("--rate"), QStringLiteral("100"), QStringLiteral("--exit-when-done")}));
            ASSERT_TRUE(Served(topics[i][0])) << serve[i].Err();
        }
    }

    // korval --headless with its web view on a free port; the URL it says it serves.
    void StartKorval()
    {
        ASSERT_TRUE(
            korval.Start(test::KorvalProgram(), {QStringLiteral("--headless"), QStringLiteral("--home"), Q(home.path()),
                                                 QStringLiteral("--http"), QStringLiteral("127.0.0.1:0")}));
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
    const std::string settings = home.Read("KORVAL.ini");
    ASSERT_TRUE(browser.Start(url, {1400, 1000})) << browser.Error();

    // All the traffic is in: the decoders are done and the station has shown it.
    for (Program& p : serve) ASSERT_TRUE(p.Finished(120s)) << p.Err();
    ASSERT_TRUE(browser.WaitFor(QStringLiteral("korval.stats.connected && korval.stats.messages >= 100"), 60s))
        << browser.Error() << korval.Err();

    // Each map is a picture exactly the size of the frame it is shown in.
    const QString sizes = QStringLiteral(
        "JSON.stringify(korval.maps.map(m => [m.img.naturalWidth, m.img.naturalHeight,"
        " m.frame.clientWidth, m.frame.clientHeight, m.pictures]))");
    ASSERT_TRUE(browser.WaitFor(QStringLiteral("korval.maps.every(m => m.pictures > 0 && m.img.complete &&"
                                               " m.img.naturalWidth === m.frame.clientWidth &&"
                                               " m.img.naturalHeight === m.frame.clientHeight)"),
                                30s))
        << Eval(sizes).toString().toStdString();
    const QJsonArray shown = QJsonDocument::fromJson(Eval(sizes).toString().toUtf8()).array();
    ASSERT_EQ(shown.size(), 3);
    for (const QJsonValue& m : shown) {
        EXPECT_GT(m.toArray()[0].toInt(), 200);
        EXPECT_GT(m.toArray()[1].toInt(), 150);
    }

    // The message list holds what the station processed, newest first, in the station's colours.
    EXPECT_TRUE(Eval(QStringLiteral("document.querySelectorAll('#live li').length >= 100")).toBool());
    EXPECT_TRUE(
        Eval(QStringLiteral("(() => { const n = [...document.querySelectorAll('#live li')]"
                            ".map(li => +li.dataset.n); return n.every((v, i) => i === 0 || v < n[i - 1]); })()"))
            .toBool());
    EXPECT_TRUE(Eval(QStringLiteral("[...document.querySelectorAll('#live li')].some(li =>"
                                    " getComputedStyle(li).backgroundColor === 'rgb(0, 0, 128)')"))
                    .toBool());  // a counted message: white on navy
    EXPECT_NE(Eval(QStringLiteral("document.getElementById('txtCount').textContent")).toString(), QStringLiteral("0"));

    // An ACARS aircraft on map 1, away from its edges, not on an oceanic estimate (which moves).
    ASSERT_TRUE(browser.WaitFor(QStringLiteral("korval.aircraft.length > 10"), 30s));
    const QJsonArray rows =
        QJsonDocument::fromJson(Eval(QStringLiteral("JSON.stringify(korval.aircraft)")).toString().toUtf8()).array();
    QJsonObject target;
    for (const QJsonValue& v : rows) {
        const QJsonObject a = v.toObject();
        const double lat = a.value(QStringLiteral("lat")).toDouble(999),
                     lon = a.value(QStringLiteral("lon")).toDouble(999);
        if (a.value(QStringLiteral("kind")).toString() != QLatin1String("ACARS") ||
            a.value(QStringLiteral("flight")).toString().isEmpty() ||
            !a.value(QStringLiteral("oceanic")).toString().isEmpty())
            continue;
        if (lat > kSouth + 2 && lat < kNorth - 2 && lon > kWest + 2 && lon < kEast - 2) {
            target = a;
            break;
        }
    }
    ASSERT_FALSE(target.isEmpty()) << QJsonDocument(rows).toJson().toStdString();
    const QString flight = target.value(QStringLiteral("flight")).toString();

    // Where it is drawn: the frame's edges map linearly onto the picture.
    const QJsonObject box =
        QJsonDocument::fromJson(
            Eval(QStringLiteral(
                     "(() => { const r = korval.maps[0].img.getBoundingClientRect();"
                     " return JSON.stringify({x: r.left, y: r.top, w: korval.maps[0].w, h: korval.maps[0].h}); })()"))
                .toString()
                .toUtf8())
            .object();
    const double w = box.value(QStringLiteral("w")).toDouble(), h = box.value(QStringLiteral("h")).toDouble();
    const double x = (target.value(QStringLiteral("lon")).toDouble() - kWest) / (kEast - kWest) * w;
    const double y = (kNorth - target.value(QStringLiteral("lat")).toDouble()) / (kNorth - kSouth) * h;
    ASSERT_TRUE(
        browser.Click(box.value(QStringLiteral("x")).toDouble() + x, box.value(QStringLiteral("y")).toDouble() + y))
        << browser.Error();
    const QString details = QStringLiteral("document.querySelector('#map1 .details')");
    ASSERT_TRUE(
        browser.WaitFor(QStringLiteral("!%1.hidden && %1.textContent.includes(%2)").arg(details, Literal(flight)), 10s))
        << "clicked " << flight.toStdString() << " at " << x << ", " << y
        << "; shown: " << Eval(details + QStringLiteral(".textContent")).toString().toStdString();
    EXPECT_EQ(Eval(QStringLiteral("getComputedStyle(%1).backgroundColor").arg(details)).toString(),
              QStringLiteral("rgb(255, 255, 128)"));  // flight data's light yellow

    // The page as it looked, kept for people to see.
    QDir().mkpath(QStringLiteral(KORVAL_ARTEFACTS));
    EXPECT_TRUE(browser.Screenshot(QStringLiteral(KORVAL_ARTEFACTS "/web-view.png"))) << browser.Error();

    // Nothing the page did reached the settings.
    EXPECT_EQ(home.Read("KORVAL.ini"), settings);
}

}  // namespace
}  // namespace korval::web
