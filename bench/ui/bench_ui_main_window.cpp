// What the windows cost per message: the main window repainting its boxes after a processed
// message, and a message box asked for again while the same one is still open.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include <QApplication>

#include "main_window.h"
#include "qt_notifier.h"
#include "station/seams.h"

namespace {

using namespace korval;

std::string Message(int n)
{
    return "1ACARS mode: 2  Aircraft reg: .G-EUUA\r\nMessage label: H1  Block id: 5  Msg. no: M" +
           std::to_string(100 + n % 800) +
           "A\r\nFlight id: BA0117\r\nMessage content:-\r\nPOS N51300W020000,CYMON,1432,350,JANJO,1500,DOGAL,M52,33,0"
           "\r\nETA 1622 KJFK FOB 0412 TAT -54 WND 27512";
}

struct Fixture {
    Fixture() : station(std::filesystem::temp_directory_path(), clock, quiet), window(station)
    {
        window.SetQuitOnClose(false);
        window.resize(760, 330);
        window.show();
        QApplication::processEvents();
    }
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    NullNotifier quiet;
    Station station;
    ui::MainWindow window;
};

// One processed message: new LiveData text, the registration and flight boxes, a counter.
void BM_MainWindowRefreshPerMessage(benchmark::State& state)
{
    Fixture f;
    const std::string texts[2] = {Message(1), Message(2)};
    int i = 0;
    for (auto _ : state) {
        MainBoxes& b = f.station.box;
        b.LiveData.Text = texts[i & 1];
        b.LiveData.BackColor = (i & 1) ? colour::Navy : colour::Green;
        b.Flight.Text = (i & 1) ? "BA0117" : "EI0105";
        b.txtCount.Text = std::to_string(i);
        f.station.Notify(ChangeBoxes | ChangeLiveData | ChangeCounters);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MainWindowRefreshPerMessage);

// A source failing on every message asks for the same box again and again.
void BM_RepeatedMessageBoxWhileOpen(benchmark::State& state)
{
    ui::QtNotifier n;
    n.Message("You haven't selected a map1", "KORVAL", Icon::Exclamation);
    for (auto _ : state) n.Message("You haven't selected a map1", "KORVAL", Icon::Exclamation);
    benchmark::DoNotOptimize(n.OpenBoxes().size());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RepeatedMessageBoxWhileOpen);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
