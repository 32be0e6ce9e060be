#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <optional>
#include <tuple>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "main_window.h"
#include "settings/settings.h"
#include "station/events.h"
#include "twips.h"
#include "ui_test_support.h"
#include "window_placement.h"

namespace korval::ui {
namespace {

using korval::test::PrintTo;
using korval::test::Rig;
using test::Child;
using test::FakeLinkPort;
using test::IniValue;

// A main window over a fresh station.
struct MainTest : ::testing::Test {
    MainTest() { w->SetQuitOnClose(false); }
    QAction* Item(const char* name) const { return w->Item(QLatin1String(name)); }
    QString Text(const char* box) const { return Child<QLineEdit>(w.get(), box)->text(); }
    // A position report of G-STBA as Airmaster prints it.
    void Report(const char* msgNo, const char* position)
    {
        OnLinkText(s, LinkBox::AirData,
                   korval::test::Canonical(".G-STBA", "15", '7', msgNo, "SK1061", position) + "\r\n" +
                       std::string(58, '-') + "[05/12/2026 14:32]");
    }

    Rig rig;
    Station& s = rig.station;
    std::unique_ptr<MainWindow> w = std::make_unique<MainWindow>(s);
};

// The main window's placement in the settings file: "Left Top Width Height", in twips.
std::string StoredPlacement(const korval::test::TempHome& home)
{
    std::string out;
    for (const char* key : {"Left", "Top", "Width", "Height"})
        out += (out.empty() ? "" : " ") + IniValue(home, "KORVAL", key);
    return out;
}

// ---- menus -----------------------------------------------------------------------------------

// An item flips its option (the core saves and reads it); a change made by the core shows at
// once: a check mark, a greyed Show item, and Export Tracks... in the Maps menu, hidden until the
// settings ask.
TEST_F(MainTest, ItemsFlipTheirOptionsAndTheCoresChangesShowAtOnce)
{
    Item("mnuTag")->trigger();
    EXPECT_EQ(std::tuple(s.opt.mnuTag, Item("mnuTag")->isChecked()), std::tuple(true, true));
    EXPECT_TRUE(w->menuBar()->findChild<QMenu*>(QStringLiteral("mnuMap"))->actions().contains(Item("mnuExportTracks")));
    EXPECT_FALSE(Item("mnuExportTracks")->isVisible());
    s.opt.mnuSQ = true;
    s.opt.mnuShowMapEnabled[1] = false;
    s.opt.mnuExportTracks = true;
    s.Notify(ChangeOptions);
    EXPECT_EQ(
        std::tuple(Item("mnuSQ")->isChecked(), Item("mnuShowMap2")->isEnabled(), Item("mnuExportTracks")->isVisible()),
        std::tuple(true, false, true));
}

TEST_F(MainTest, ShowAndSaveMapItemsGoThroughTheMapHooks)
{
    std::vector<std::string> calls;
    w->mapHooks.showMapClick = [&](int n) { calls.push_back("show " + std::to_string(n)); };
    w->mapHooks.saveMap = [&](int n) { calls.push_back("save " + std::to_string(n)); };
    w->mapHooks.viewMap = [&] { calls.push_back("view"); };
    for (const char* item : {"mnuShowMap2", "mnuMap3Save", "mnuViewMap"}) Item(item)->trigger();
    EXPECT_EQ(calls, (std::vector<std::string>{"show 2", "save 3", "view"}));
    EXPECT_FALSE(s.opt.mnuShowMap2);  // the hook owns the Show state
}

// The window asks where to write and hands the name to the core, which writes the file or says
// why it could not; a cancelled dialog writes nothing.
TEST_F(MainTest, ExportTracksWritesTheChosenFileThroughTheCoreOrSaysWhyNot)
{
    s.box.labUTC = "UTC: 1432";
    Report("M92A", "POS,N4230.0,E02100.0,0449,350");
    FileDialogRequest asked;
    std::optional<std::filesystem::path> answer = rig.home.path() / "tracks.geojson";
    w->exportDialog = [&](const FileDialogRequest& r) -> std::optional<QString> {
        asked = r;
        return answer ? std::optional(QString::fromStdString(answer->string())) : std::nullopt;
    };
    Item("mnuExportTracks")->trigger();
    EXPECT_EQ(
        std::tuple(asked.save, asked.initialPath),
        std::tuple(true, QString::fromStdString((rig.home.path() / "KorvalTracks051226,1432Z.geojson").string())));
    // The aircraft at its reported position, longitude first.
    EXPECT_NE(rig.home.Read("tracks.geojson").find("21,42.5"), std::string::npos) << rig.home.Read("tracks.geojson");

    answer = rig.home.path() / "missing" / "tracks.kml";  // a folder that is not there
    Item("mnuExportTracks")->trigger();
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "cannot create " + answer->string() + ": No such file or directory");
    answer.reset();  // cancelled: nothing written, nothing said
    Item("mnuExportTracks")->trigger();
    EXPECT_EQ(rig.notes.messages.size(), 1u);
}

// ---- closing ----------------------------------------------------------------------------------

// Closing stores the frame's corner (where move() puts a window; the offscreen platform's frame is
// 2 pixels wide) and the client size (what resize() sets), at 15 twips a pixel (96 dpi); each of
// ten starts restores them and each quit stores them unchanged.
TEST_F(MainTest, CloseWritesThePlacementInTwipsAndTenStartsAndQuitsKeepIt)
{
    w->show();
    w->setGeometry(100, 60, 640, 320);
    w->close();
    EXPECT_EQ(StoredPlacement(rig.home), "1470 870 9600 4800");
    for (int run = 1; run <= 10; ++run) {
        Station next(rig.home.path(), rig.clock, rig.notes);  // the program run again
        LoadSettings(next);
        MainWindow window(next);
        window.SetQuitOnClose(false);
        window.StartUp();
        EXPECT_EQ(std::tuple(window.pos(), window.size()), std::tuple(QPoint(98, 58), QSize(640, 320)));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.close();
        EXPECT_EQ(StoredPlacement(rig.home), "1470 870 9600 4800") << "run " << run;
    }
}

// Under a window manager the frame adds to the client area. Each start places the window from
// the file and each quit stores it again: the pure arithmetic of that, with frames and screens
// of several kinds, keeps the placement (the first run may round it to whole pixels).
struct FrameCase {
    const char* name;
    QMargins frame;  // what the window manager draws round the client area
    double dpi;
    Placement start;
    bool maximised;  // quit while maximised: the normal placement is kept
};

class PlacementCycles : public ::testing::TestWithParam<FrameCase> {};

std::array<float, 4> Values(const Placement& p)
{
    return {p.Left, p.Top, p.Width, p.Height};
}

TEST_P(PlacementCycles, TenStartsAndQuitsKeepThePlacement)
{
    const FrameCase& c = GetParam();
    const double tpp = 1440.0 / c.dpi;
    Placement stored = c.start;
    Placement first;
    for (int run = 1; run <= 10; ++run) {
        // Started: moved to the frame corner and resized to the client size; the manager puts
        // the frame's corner where the window was moved and draws the frame round the client.
        const QRect placed = FromStoredTwips(stored, tpp, tpp);
        const QRect client(placed.topLeft() + QPoint(c.frame.left(), c.frame.top()), placed.size());
        // Maximised: the client fills the screen, the normal placement is remembered.
        const QRect reported = c.maximised ? QRect(QPoint(c.frame.left(), c.frame.top()), QSize(1900, 1000)) : client;
        stored = ToStoredTwips(PlacementToStore(reported.marginsAdded(c.frame), reported,
                                                c.maximised ? std::optional(client) : std::nullopt),
                               tpp, tpp);
        if (run == 1) first = stored;
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(Values(stored)[i], Values(c.start)[i], tpp / 2) << i;
        EXPECT_EQ(Values(stored), Values(first)) << "run " << run;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Main, PlacementCycles,
    ::testing::Values(FrameCase{"thickBorders", QMargins(8, 31, 8, 8), 96, {true, 0, 0, 9000, 4500}, false},
                      // 13.09 twips to a pixel: stored values are no whole pixels at first.
                      FrameCase{"dpi110", QMargins(2, 25, 2, 2), 110, {true, 1500, 900, 11520, 7680}, false},
                      FrameCase{"quitMaximised", QMargins(1, 25, 1, 1), 96, {true, 1500, 900, 11520, 7680}, true}),
    korval::test::CaseName());

TEST_F(MainTest, ClosedMinimisedKeepsTheOldPlacementAndWritesTheOptions)
{
    rig.home.Write("KORVAL.ini",
                   "[KORVAL]\r\nLeft=1500\r\nTop=900\r\nHeight=4500\r\nWidth=9000\r\n[Menus]\r\nBeep=True\r\n");
    LoadSettings(s);
    w->StartUp();
    w->show();
    Item("mnuBeep")->trigger();
    w->showMinimized();
    w->close();
    EXPECT_EQ(StoredPlacement(rig.home), "1500 900 9000 4500");
    EXPECT_EQ(IniValue(rig.home, "Menus", "Beep"), "False");
}

// ---- the DDE menu ----------------------------------------------------------------------------

// Each item links its boxes through the link port (which boxes is the core's rule), unticked it
// unlinks them; closing the window ends every link and closes the maps, and the items ticked
// are relinked at the next start.
TEST_F(MainTest, LinkItemsLinkAndUnlinkAndClosingEndsTheLinks)
{
    FakeLinkPort port;
    port.running = {"WinACARS|ACARS", "PCHFDL|HFDL", "PCHFDL|ACARS", "Srv|Top"};
    s.links = &port;
    s.dlg.txtServer = "Srv";
    s.dlg.txtTopic = "Top";
    bool mapsClosed = false;
    w->mapHooks.closeMaps = [&] { mapsClosed = true; };
    for (const char* item : {"mnuAir", "mnuPCHFDL", "mnuNew"}) Item(item)->trigger();
    EXPECT_EQ(port.linked, (std::set{LinkBox::AirData, LinkBox::HFDL, LinkBox::HFACARSData, LinkBox::txtNewData}));
    Item("mnuNew")->trigger();
    EXPECT_EQ(std::tuple(Item("mnuNew")->isChecked(), port.linked.count(LinkBox::txtNewData)), std::tuple(false, 0ul));
    w->close();
    EXPECT_EQ(std::tuple(port.linked.empty(), mapsClosed, IniValue(rig.home, "KORVAL", "Airmaster")),
              std::tuple(true, true, "True"));
}

// A source not running yet is told of, kept ticked and waited for.
TEST_F(MainTest, StartRelinksTheTickedSourcesShowsTheTickedMapsAndRunsTheClock)
{
    rig.home.Write("KORVAL.ini",
                   "[KORVAL]\r\nAirmaster=True\r\nSkySpy=False\r\nANAD=True\r\n"
                   "[Menus]\r\nMap1=True\r\nMap2=False\r\nMap3=True\r\n");
    LoadSettings(s);
    FakeLinkPort port;
    port.running = {"WinACARS|ACARS"};  // ANAD is not running
    s.links = &port;
    std::vector<int> shown;
    w->mapHooks.showMap = [&](int n) { shown.push_back(n); };
    w->StartUp();
    EXPECT_EQ(std::tuple(port.linked, port.waiting, Item("mnuAir")->isChecked(), Item("mnuANAD")->isChecked()),
              std::tuple(std::set{LinkBox::AirData}, std::set{LinkBox::ANAData}, true, true));
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "AirNav ACARS Decoder must be running before selecting as DDE source");
    EXPECT_EQ(shown, (std::vector<int>{1, 3}));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->Splash(), nullptr);
    for (const char* timer : {"Timer1", "Timer2"})
        EXPECT_TRUE(w->findChild<QTimer*>(QLatin1String(timer))->isActive()) << timer;
}

// ---- the keys of the message pane and the maps -----------------------------------------------

// Two aircraft on the maps and a message in LiveData, the window active. What Clear Maps Now and
// its undo keep is the core's; the keys must reach them only when no text is selected.
TEST_F(MainTest, CtrlCCopiesASelectionElseClearsTheMapsAndCtrlZBringsThemBack)
{
    for (const char* id : {"G-ABCD", "N923UP"}) korval::test::AddAircraft(s, id, "");
    w->show();
    w->activateWindow();
    s.box.LiveData.Text = "1POS N51234W010500";
    s.Notify(ChangeLiveData);
    QPlainTextEdit* live = Child<QPlainTextEdit>(w.get(), "LiveData");
    live->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    auto ctrl = [&](Qt::Key key) {
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        QTest::keyClick(live, key, Qt::ControlModifier);
        return std::tuple(QGuiApplication::clipboard()->text(), s.AircraftCol.Count(),
                          Item("mnuUndoClear")->isEnabled());
    };
    live->selectAll();
    EXPECT_EQ(ctrl(Qt::Key_C), std::tuple(QStringLiteral("1POS N51234W010500"), 2u, false));
    live->moveCursor(QTextCursor::End);  // nothing selected
    EXPECT_EQ(ctrl(Qt::Key_C), std::tuple(QStringLiteral("before"), 0u, true));
    EXPECT_EQ(ctrl(Qt::Key_Z), std::tuple(QStringLiteral("before"), 2u, false));
}

// ---- the layout and what the window shows ------------------------------------------------------

// The design's gaps are the layout's own; what must hold at any size: one status row under the
// message pane, left to right without overlap and inside the window, the widgets where the
// twips say, and a box the station widens widened.
TEST_F(MainTest, KeepsTheStatusRowInOrderInsideASmallWindow)
{
    w->show();
    w->centralWidget()->resize(640, 260);
    w->resize(640, 260 + w->menuBar()->height());
    QApplication::processEvents();
    const MainLayout& l = w->Layout();
    const TwipsRect row[] = {l.labAircraft, l.Aircraft, l.labFlight, l.Flight, l.labCount,
                             l.txtCount,    l.txtOCA,   l.txtRepeat, l.labUTC};
    for (std::size_t i = 0; i < std::size(row); ++i) EXPECT_GE(row[i].left, i ? row[i - 1].right() : 1) << i;
    for (const TwipsRect& r : row) EXPECT_TRUE(r.top > l.LiveData.bottom() && r.bottom() <= w->InnerHeightTwips());
    EXPECT_LE(l.labUTC.right(), w->InnerWidthTwips());
    EXPECT_EQ(Child<QLineEdit>(w.get(), "Flight")->geometry(), ToPixels(w.get(), l.Flight));

    // "SQ" widens txtRepeat to 355 twips and shows it.
    s.box.txtRepeat = {"SQ", colour::Black, colour::Cyan, true, 355};
    s.Notify(ChangeBoxes);
    EXPECT_EQ(std::tuple(w->Layout().txtRepeat.width, Child<QLineEdit>(w.get(), "txtRepeat")->isVisible()),
              std::tuple(355, true));
}

// A counted position report: navy behind the text, the aircraft's boxes red, and the boxes'
// texts; with Decode Modern Formats on, the position count's tip says where the last position
// came from; the clock's label.
TEST_F(MainTest, BoxesWearTheStationsTextsAndColours)
{
    w->resize(760, 330);
    w->show();
    Item("mnuExtendedDecoding")->trigger();
    Report("M92A", "POS,N4151,E02001,0440,350");
    s.box.labUTC = "UTC: 1432";
    s.Notify(ChangeClock);
    QApplication::processEvents();
    const QImage shot = w->grab().toImage();
    auto centre = [&](const char* name) {
        const QWidget* c = w->findChild<QWidget*>(QLatin1String(name));
        return shot.pixelColor(c->mapTo(w.get(), QPoint(4, c->height() / 2)));
    };
    EXPECT_EQ(std::tuple(centre("LiveData"), centre("Aircraft")), std::tuple(QColor(0, 0, 0x80), QColor(0xFF, 0, 0)));
    EXPECT_EQ(std::tuple(Text("Aircraft"), Text("txtCount"), Child<QLabel>(w.get(), "labUTC")->text()),
              std::tuple(QStringLiteral("G-STBA"), QStringLiteral("1"), QStringLiteral("UTC: 1432")));
    EXPECT_TRUE(Child<QPlainTextEdit>(w.get(), "LiveData")->toPlainText().contains(QStringLiteral("Flight id: ")));
    const QString tip = Child<QLineEdit>(w.get(), "txtCount")->toolTip();
    EXPECT_TRUE(tip.contains(QStringLiteral("\nLast position 41850/020020 via AF1\n"))) << tip.toStdString();
}

TEST_F(MainTest, HugeAndBinaryMessagesAreShownWithoutHarm)
{
    std::string text(3u << 20, 'A');  // 3 MiB
    for (std::size_t i = 0; i < 256; ++i) text[i] = static_cast<char>(i);
    s.box.LiveData.Text = text;
    s.Notify(ChangeLiveData);
    const QString shown = Child<QPlainTextEdit>(w.get(), "LiveData")->toPlainText();
    EXPECT_TRUE(shown.size() < 300 * 1024 && shown.endsWith(QStringLiteral("more bytes not shown]")));
    EXPECT_EQ(s.box.LiveData.Text.size(), text.size());  // the message itself is whole
}

}  // namespace
}  // namespace korval::ui
