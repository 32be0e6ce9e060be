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

// A second run of the program over the folder of the first: a new station and window.
struct Restart {
    explicit Restart(Rig& rig) : station(rig.home.path(), rig.clock, rig.notes)
    {
        // What the core's start-up reads first; StartUp() reads it again where it does.
        LoadSettings(station);
        window = std::make_unique<MainWindow>(station);
        window->SetQuitOnClose(false);
        window->StartUp();
    }
    Station station;
    std::unique_ptr<MainWindow> window;
};

std::unique_ptr<MainWindow> Open(Station& s)
{
    auto w = std::make_unique<MainWindow>(s);
    w->SetQuitOnClose(false);
    return w;
}

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
// once: a check mark, a greyed Show item, and Export Tracks..., hidden until the settings ask.
TEST(MainMenus, ItemsFlipTheirOptionsAndTheCoresChangesShowAtOnce)
{
    Rig rig;
    auto w = Open(rig.station);
    for (const auto& [item, option] : {std::pair{"mnuTag", &Options::mnuTag}, {"mnuDecErr", &Options::mnuDecErr}}) {
        w->Item(QLatin1String(item))->trigger();
        EXPECT_TRUE(rig.station.opt.*option) << item;
        EXPECT_TRUE(w->Item(QLatin1String(item))->isChecked()) << item;
    }
    QAction* exportItem = w->Item(QStringLiteral("mnuExportTracks"));
    EXPECT_TRUE(w->menuBar()->findChild<QMenu*>(QStringLiteral("mnuMap"))->actions().contains(exportItem));
    EXPECT_FALSE(exportItem->isVisible());
    rig.station.opt.mnuSQ = true;
    rig.station.opt.mnuShowMapEnabled[1] = false;
    rig.station.opt.mnuExportTracks = true;
    rig.station.Notify(ChangeOptions);
    EXPECT_TRUE(w->Item(QStringLiteral("mnuSQ"))->isChecked());
    EXPECT_FALSE(w->Item(QStringLiteral("mnuShowMap2"))->isEnabled());
    EXPECT_TRUE(exportItem->isVisible());
}

TEST(MainMenus, ShowAndSaveMapItemsGoThroughTheMapHooks)
{
    Rig rig;
    auto w = Open(rig.station);
    std::vector<std::string> calls;
    w->mapHooks.showMapClick = [&](int n) { calls.push_back("show " + std::to_string(n)); };
    w->mapHooks.saveMap = [&](int n) { calls.push_back("save " + std::to_string(n)); };
    w->mapHooks.viewMap = [&] { calls.push_back("view"); };
    for (const char* item : {"mnuShowMap2", "mnuMap3Save", "mnuViewMap"}) w->Item(QLatin1String(item))->trigger();
    EXPECT_EQ(calls, (std::vector<std::string>{"show 2", "save 3", "view"}));
    EXPECT_FALSE(rig.station.opt.mnuShowMap2);  // the hook owns the Show state
}

// ---- Export Tracks... ---------------------------------------------------------------------------

// The window asks where to write and hands the name to the core, which writes the file or says
// why it could not (a box, and the program goes on); a cancelled dialog writes nothing.
TEST(MainExport, WritesTheChosenFileThroughTheCoreOrSaysWhyNot)
{
    Rig rig;
    rig.station.box.labUTC = "UTC: 1432";
    auto w = Open(rig.station);
    // Two position reports of one aircraft and one of another, as Airmaster prints them.
    const std::string trailer = "\r\n----------------------------------------------------------[05/12/2026 14:32]";
    for (const auto& [reg, no, pos] : {std::tuple{".G-STBA", "M91A", "POS,N4150.8,E02000.0,0439,350"},
                                       std::tuple{".G-STBA", "M92A", "POS,N4230.0,E02100.0,0449,350"},
                                       std::tuple{".9V-SKA", "M93A", "POS,N5000.0,W01000.0,0450,370"}})
        OnLinkText(rig.station, LinkBox::AirData, korval::test::Canonical(reg, "15", '7', no, "SK1061", pos) + trailer);
    std::vector<FileDialogRequest> asked;
    std::optional<std::filesystem::path> answer = rig.home.path() / "tracks.geojson";
    w->exportDialog = [&](const FileDialogRequest& r) -> std::optional<QString> {
        asked.push_back(r);
        if (!answer) return std::nullopt;
        return QString::fromStdString(answer->string());
    };
    w->Item(QStringLiteral("mnuExportTracks"))->trigger();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].save);
    EXPECT_EQ(asked[0].filter, QStringLiteral("GeoJSON (*.geojson);;KML (*.kml)"));
    EXPECT_EQ(asked[0].initialPath,
              QString::fromStdString((rig.home.path() / "KorvalTracks051226,1432Z.geojson").string()));
    // Both aircraft are in it, at their last reported positions (longitude first).
    const std::string text = rig.home.Read("tracks.geojson");
    EXPECT_NE(text.find("\"FeatureCollection\""), std::string::npos) << text;
    EXPECT_NE(text.find("21,42.5"), std::string::npos) << text;
    EXPECT_NE(text.find("-10,50"), std::string::npos) << text;
    EXPECT_TRUE(rig.notes.messages.empty());

    answer = rig.home.path() / "missing" / "tracks.kml";  // a folder that is not there
    w->Item(QStringLiteral("mnuExportTracks"))->trigger();
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "cannot create " + answer->string() + ": No such file or directory");
    EXPECT_EQ(rig.notes.messages[0].icon, Icon::Critical);
    answer.reset();
    w->Item(QStringLiteral("mnuExportTracks"))->trigger();
    EXPECT_EQ(rig.notes.messages.size(), 1u);
    OnLinkText(
        rig.station, LinkBox::AirData,
        korval::test::Canonical(".D-ABCD", "15", '7', "M94A", "LH0400", "POS,N5000.0,E00800.0,0451,370") + trailer);
    EXPECT_EQ(rig.station.box.Aircraft.Text, "D-ABCD");
}

// ---- closing ----------------------------------------------------------------------------------

TEST(MainClose, WritesThePlacementInTwipsAndRestoresIt)
{
    Rig rig;
    auto w = Open(rig.station);
    w->show();
    w->setGeometry(100, 60, 640, 320);
    w->close();
    // The frame's corner (where move() puts a window; the offscreen platform's frame is 2 pixels
    // wide) and the client size (what resize() sets), at 15 twips a pixel (96 dpi).
    EXPECT_EQ(StoredPlacement(rig.home), "1470 870 9600 4800");
    Restart second(rig);
    EXPECT_EQ(second.window->size(), QSize(640, 320));
    EXPECT_EQ(second.window->pos(), QPoint(98, 58));
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
        QRect frame = client.marginsAdded(c.frame);
        std::optional<QRect> normal;
        QRect reported = client;
        if (c.maximised) {
            normal = client;
            reported = QRect(QPoint(0, 0) + QPoint(c.frame.left(), c.frame.top()), QSize(1900, 1000));
            frame = reported.marginsAdded(c.frame);
        }
        stored = ToStoredTwips(PlacementToStore(frame, reported, normal), tpp, tpp);
        if (run == 1) {
            first = stored;
            for (int i = 0; i < 4; ++i) EXPECT_NEAR(Values(first)[i], Values(c.start)[i], tpp / 2) << i;
        }
        EXPECT_EQ(Values(stored), Values(first)) << "run " << run;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Main, PlacementCycles,
    ::testing::Values(FrameCase{"titleBar25", QMargins(1, 25, 1, 1), 96, {true, 1500, 900, 11520, 7680}, false},
                      FrameCase{"thickBorders", QMargins(8, 31, 8, 8), 96, {true, 0, 0, 9000, 4500}, false},
                      FrameCase{"noFrame", QMargins(), 96, {true, 1500, 900, 11520, 7680}, false},
                      // 13.09 twips to a pixel: stored values are no whole pixels at first.
                      FrameCase{"dpi110", QMargins(2, 25, 2, 2), 110, {true, 1500, 900, 11520, 7680}, false},
                      FrameCase{"quitMaximised", QMargins(1, 25, 1, 1), 96, {true, 1500, 900, 11520, 7680}, true}),
    korval::test::CaseName());

// The same with the real window on the offscreen platform, which draws a frame of its own.
TEST(MainClose, TenStartsAndQuitsLeaveThePlacementAsItWas)
{
    Rig rig;
    rig.home.Write("KORVAL.ini", "[KORVAL]\r\nLeft=1500\r\nTop=900\r\nHeight=7680\r\nWidth=13500\r\n");
    for (int run = 1; run <= 10; ++run) {
        Restart next(rig);
        next.window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(next.window.get()));
        next.window->close();
        EXPECT_EQ(StoredPlacement(rig.home), "1500 900 13500 7680") << "run " << run;
    }
}

TEST(MainClose, AMinimisedWindowKeepsTheOldPlacement)
{
    Rig rig;
    rig.home.Write("KORVAL.ini",
                   "[KORVAL]\r\nLeft=1500\r\nTop=900\r\nHeight=4500\r\nWidth=9000\r\n[Menus]\r\nBeep=True\r\n");
    LoadSettings(rig.station);
    auto w = Open(rig.station);
    w->StartUp();
    w->show();
    w->Item(QStringLiteral("mnuBeep"))->trigger();  // the options are written all the same
    w->showMinimized();
    w->close();
    EXPECT_EQ(StoredPlacement(rig.home), "1500 900 9000 4500");
    EXPECT_EQ(IniValue(rig.home, "Menus", "Beep"), "False");
}

// ---- the DDE menu ----------------------------------------------------------------------------

// Each item links its boxes through the link port (which boxes is the core's rule), unticked it
// unlinks them; closing the window ends every link and closes the maps.
TEST(DdeMenu, ItemsLinkAndUnlinkAndClosingEndsTheLinks)
{
    Rig rig;
    FakeLinkPort port;
    port.running = {"WinACARS|ACARS", "PCHFDL|HFDL", "PCHFDL|ACARS", "Srv|Top"};
    rig.station.links = &port;
    rig.station.dlg.txtServer = "Srv";
    rig.station.dlg.txtTopic = "Top";
    auto w = Open(rig.station);
    bool mapsClosed = false;
    w->mapHooks.closeMaps = [&] { mapsClosed = true; };
    for (const char* item : {"mnuAir", "mnuPCHFDL", "mnuNew"}) w->Item(QLatin1String(item))->trigger();
    EXPECT_EQ(port.linked,
              (std::set<LinkBox>{LinkBox::AirData, LinkBox::HFDL, LinkBox::HFACARSData, LinkBox::txtNewData}));
    QAction* other = w->Item(QStringLiteral("mnuNew"));
    EXPECT_TRUE(other->isChecked());
    other->trigger();
    EXPECT_FALSE(other->isChecked());
    EXPECT_EQ(port.linked.count(LinkBox::txtNewData), 0u);
    EXPECT_TRUE(rig.notes.messages.empty());
    w->close();
    EXPECT_TRUE(port.linked.empty());
    EXPECT_TRUE(mapsClosed);
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "Airmaster"), "True");  // relinked at the next start
}

TEST(DdeStart, RelinksTheCheckedSourcesAndShowsTheCheckedMaps)
{
    Rig rig;
    rig.home.Write("KORVAL.ini",
                   "[KORVAL]\r\nAirmaster=True\r\nSkySpy=False\r\nANAD=True\r\n"
                   "[Menus]\r\nMap1=True\r\nMap2=False\r\nMap3=True\r\n");
    FakeLinkPort port;
    port.running = {"WinACARS|ACARS"};  // ANAD is not running
    rig.station.links = &port;
    LoadSettings(rig.station);
    auto w = Open(rig.station);
    std::vector<int> shown;
    w->mapHooks.showMap = [&](int n) { shown.push_back(n); };
    w->StartUp();
    EXPECT_EQ(port.linked, std::set<LinkBox>{LinkBox::AirData});
    EXPECT_TRUE(w->Item(QStringLiteral("mnuAir"))->isChecked());
    // Not running yet: told, kept checked and waited for.
    EXPECT_TRUE(w->Item(QStringLiteral("mnuANAD"))->isChecked());
    EXPECT_EQ(port.waiting, std::set<LinkBox>{LinkBox::ANAData});
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "AirNav ACARS Decoder must be running before selecting as DDE source");
    EXPECT_EQ(shown, (std::vector<int>{1, 3}));
    // The splash has gone; the clock runs.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->Splash(), nullptr);
    for (const char* timer : {"Timer1", "Timer2"})
        EXPECT_TRUE(w->findChild<QTimer*>(QLatin1String(timer))->isActive()) << timer;
}

// ---- the keys of the message pane and the maps -----------------------------------------------

// Two aircraft on the maps and a message in LiveData, the window active. What Clear Maps Now and
// its undo keep is the core's; the keys must reach them only when no text is selected.
TEST(MainKeys, CtrlCCopiesASelectionElseClearsTheMapsAndCtrlZBringsThemBack)
{
    Rig rig;
    auto w = Open(rig.station);
    for (const char* id : {"G-ABCD", "N923UP"}) {
        auto a = std::make_shared<Aircraft>();
        a->ID = id;
        rig.station.AircraftCol.Add(a, id);
    }
    w->show();
    w->activateWindow();
    rig.station.box.LiveData.Text = "1POS N51234W010500";
    rig.station.Notify(ChangeLiveData);
    QPlainTextEdit* live = Child<QPlainTextEdit>(w.get(), "LiveData");
    live->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QAction* undo = w->Item(QStringLiteral("mnuUndoClear"));

    live->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(live, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("1POS N51234W010500"));
    EXPECT_EQ(rig.station.AircraftCol.Count(), 2u);
    EXPECT_FALSE(undo->isEnabled());

    live->moveCursor(QTextCursor::End);  // nothing selected
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::keyClick(live, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_TRUE(rig.station.AircraftCol.Empty());
    EXPECT_TRUE(undo->isEnabled());
    QTest::keyClick(live, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rig.station.AircraftCol.Count(), 2u);
    EXPECT_FALSE(undo->isEnabled());
}

// ---- the layout -------------------------------------------------------------------------------

struct SizeCase {
    const char* name;
    int width, height;  // pixels of the inner area
};

class MainLayoutAt : public ::testing::TestWithParam<SizeCase> {};

// The design's gaps are the layout's own; what must hold at any size: one status row under the
// message pane, left to right without overlap and inside the window, the widgets where the
// twips say, and a box the station widens widened.
TEST_P(MainLayoutAt, KeepsTheStatusRowInOrderInsideTheWindow)
{
    const SizeCase& c = GetParam();
    Rig rig;
    auto w = Open(rig.station);
    w->show();
    w->centralWidget()->resize(c.width, c.height);
    w->resize(c.width, c.height + w->menuBar()->height());
    QApplication::processEvents();
    ASSERT_EQ(w->centralWidget()->width(), c.width);
    const MainLayout& l = w->Layout();
    const TwipsRect row[] = {l.labAircraft, l.Aircraft, l.labFlight, l.Flight, l.labCount,
                             l.txtCount,    l.txtOCA,   l.txtRepeat, l.labUTC};
    EXPECT_GT(row[0].left, 0);
    for (std::size_t i = 1; i < std::size(row); ++i) EXPECT_GE(row[i].left, row[i - 1].right()) << i;
    for (const TwipsRect& r : row) {
        EXPECT_GT(r.top, l.LiveData.bottom());
        EXPECT_LE(r.bottom(), w->InnerHeightTwips());
    }
    EXPECT_LE(l.labUTC.right(), w->InnerWidthTwips());
    EXPECT_EQ(Child<QLineEdit>(w.get(), "Flight")->geometry(), ToPixels(w.get(), l.Flight));
    EXPECT_EQ(Child<QPlainTextEdit>(w.get(), "LiveData")->geometry(), ToPixels(w.get(), l.LiveData));

    // "SQ" widens txtRepeat to 355 twips and shows it.
    rig.station.box.txtRepeat = {"SQ", colour::Black, colour::Cyan, true, 355};
    rig.station.Notify(ChangeBoxes);
    EXPECT_EQ(w->Layout().txtRepeat.width, 355);
    EXPECT_TRUE(Child<QLineEdit>(w.get(), "txtRepeat")->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Sizes, MainLayoutAt,
                         ::testing::Values(SizeCase{"Small", 640, 260}, SizeCase{"Large", 1200, 700}),
                         korval::test::CaseName());

// ---- what the window shows -------------------------------------------------------------------

TEST(MainDisplay, ScreenshotAfterSomeTraffic)
{
    Rig rig;
    auto w = Open(rig.station);
    w->StartUp();
    w->Item(QStringLiteral("mnuRefOCA"))->trigger();
    w->resize(760, 330);
    w->show();
    // As Airmaster prints them: an oceanic clearance, then a position report. The report is
    // counted: navy behind the text, the aircraft's boxes red; one report, one clearance.
    const std::string trailer = "\r\n----------------------------------------------------------[05/12/2026 14:32]";
    for (const std::string& text :
         {korval::test::Canonical(".JY-AGR", "B3", '8', "D04C", "UA0901",
                                  "CLA 1291 051230 CZQX/YQXOOYA CLRD TO EGLL VIA 56/20 48/30 46/40 62/50 END"),
          korval::test::Canonical(".G-STBA", "15", '7', "M91A", "SK1061", "POS,N4150.8,E02000.0,0439,350")})
        OnLinkText(rig.station, LinkBox::AirData, text + trailer);
    rig.station.box.labUTC = "UTC: 1432";
    rig.station.Notify(ChangeClock);
    QApplication::processEvents();

    const QImage shot = w->grab().toImage();
    const std::filesystem::path file = test::ArtifactFolder() / "main_window.png";
    ASSERT_TRUE(shot.save(QString::fromStdString(file.string())));
    // The boxes wear the station's colours.
    auto centre = [&](const char* name) {
        const QWidget* c = w->findChild<QWidget*>(QLatin1String(name));
        return shot.pixelColor(c->mapTo(w.get(), QPoint(4, c->height() / 2)));
    };
    EXPECT_EQ(centre("LiveData"), QColor(0, 0, 0x80));  // navy
    EXPECT_EQ(centre("Aircraft"), QColor(0xFF, 0, 0));  // red
    EXPECT_EQ(Child<QLineEdit>(w.get(), "Aircraft")->text(), QStringLiteral("G-STBA"));
    EXPECT_EQ(Child<QLineEdit>(w.get(), "txtCount")->text(), QStringLiteral("1"));
    EXPECT_EQ(Child<QLineEdit>(w.get(), "txtOCA")->text(), QStringLiteral("1"));
    EXPECT_EQ(Child<QLabel>(w.get(), "labUTC")->text(), QStringLiteral("UTC: 1432"));
    EXPECT_TRUE(Child<QPlainTextEdit>(w.get(), "LiveData")->toPlainText().contains(QStringLiteral("Flight id: ")));
}

// The position count's tip says where the last position came from, with Decode Modern Formats on
// only; off it is the tip the box always had.
TEST(MainDisplay, CountTipNamesTheLastSourceWithDecodeModernFormats)
{
    Rig rig;
    auto w = Open(rig.station);
    QLineEdit* count = Child<QLineEdit>(w.get(), "txtCount");
    const std::string trailer = std::string(58, '-') + "[05/12/2026 14:32]";
    OnLinkText(
        rig.station, LinkBox::AirData,
        korval::test::Canonical(".G-STBA", "15", '2', "M91A", "SK1061", "POS,N4150,E02000,0439,350\r\n") + trailer);
    EXPECT_EQ(count->toolTip(), QStringLiteral("Number of reformatted messages"));
    w->Item(QStringLiteral("mnuExtendedDecoding"))->trigger();
    OnLinkText(
        rig.station, LinkBox::AirData,
        korval::test::Canonical(".G-STBA", "15", '2', "M92A", "SK1061", "POS,N4151,E02001,0440,350\r\n") + trailer);
    EXPECT_EQ(count->toolTip(),
              QStringLiteral("Number of reformatted messages\nLast position 41850/020020 via AF1"
                             "\nRefused as implausible: 0\nADS-C reports failing their check sum: 0"));
}

TEST(MainDisplay, HugeAndBinaryMessagesAreShownWithoutHarm)
{
    Rig rig;
    auto w = Open(rig.station);
    std::string text(3u << 20, 'A');  // 3 MiB
    for (std::size_t i = 0; i < 256; ++i) text[i] = static_cast<char>(i);
    rig.station.box.LiveData.Text = text;
    rig.station.Notify(ChangeLiveData);
    const QString shown = Child<QPlainTextEdit>(w.get(), "LiveData")->toPlainText();
    EXPECT_LT(shown.size(), 300 * 1024);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("more bytes not shown]")));
    EXPECT_EQ(rig.station.box.LiveData.Text.size(), text.size());  // the message itself is whole
}

}  // namespace
}  // namespace korval::ui
