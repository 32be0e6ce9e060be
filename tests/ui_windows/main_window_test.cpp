#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTimer>

#include "delete_aircraft_dialog.h"
#include "main_window.h"
#include "map_settings_dialog.h"
#include "settings/settings.h"
#include "station/events.h"
#include "twips.h"
#include "ui_test_support.h"

namespace korval::ui {
namespace {

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

// ---- menu toggles -----------------------------------------------------------------------------

struct ToggleCase {
    const char* item;
    bool Options::*option;
    const char* section;
    const char* key;
};
void PrintTo(const ToggleCase& c, std::ostream* os)
{
    *os << c.item;
}

class MenuToggle : public ::testing::TestWithParam<ToggleCase> {};

TEST_P(MenuToggle, FlipsItsOptionAndSurvivesCloseAndStart)
{
    const ToggleCase& c = GetParam();
    Rig rig;
    auto w = Open(rig.station);
    QAction* a = w->Item(QLatin1String(c.item));
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->isCheckable());
    EXPECT_FALSE(a->isChecked());
    a->trigger();
    EXPECT_TRUE(rig.station.opt.*c.option);
    EXPECT_TRUE(a->isChecked());
    w->close();
    EXPECT_EQ(IniValue(rig.home, c.section, c.key), "True");

    Restart second(rig);
    EXPECT_TRUE(second.station.opt.*c.option);
    QAction* again = second.window->Item(QLatin1String(c.item));
    EXPECT_TRUE(again->isChecked());
    again->trigger();  // and back off
    EXPECT_FALSE(second.station.opt.*c.option);
    EXPECT_FALSE(again->isChecked());
    second.window->close();
    EXPECT_EQ(IniValue(rig.home, c.section, c.key), "False");
}

INSTANTIATE_TEST_SUITE_P(
    Items, MenuToggle,
    ::testing::Values(ToggleCase{"mnuDailyClearMap", &Options::mnuDailyClearMap, "Menus", "DailyClearMap"},
                      ToggleCase{"mnuTag", &Options::mnuTag, "Menus", "Tag"},
                      ToggleCase{"mnuRefOCA", &Options::mnuRefOCA, "Menus", "RefOCA"},
                      ToggleCase{"mnuWaypoints", &Options::mnuWaypoints, "Menus", "Waypoints"},
                      ToggleCase{"mnuRegFlight", &Options::mnuRegFlight, "Menus", "RegFlight"},
                      ToggleCase{"mnuHF_FlNo", &Options::mnuHF_FlNo, "Menus", "FlightNo"},
                      ToggleCase{"mnuBeep", &Options::mnuBeep, "Menus", "Beep"},
                      ToggleCase{"mnuExtendedDecoding", &Options::mnuExtendedDecoding, "Menus", "ExtendedDecoding"},
                      ToggleCase{"mnuDecErr", &Options::mnuDecErr, "Filters", "Errors"},
                      ToggleCase{"mnuRepeats", &Options::mnuRepeats, "Filters", "Repeats"},
                      ToggleCase{"mnuSQ", &Options::mnuSQ, "Filters", "SQ"},
                      ToggleCase{"mnuSBS", &Options::mnuSBS, "Filters", "SBS"},
                      ToggleCase{"mnuTooFar", &Options::mnuTooFar, "Filters", "TooFar"},
                      ToggleCase{"mnuShowMap1", &Options::mnuShowMap1, "Menus", "Map1"},
                      ToggleCase{"mnuShowMap3", &Options::mnuShowMap3, "Menus", "Map3"}),
    [](const ::testing::TestParamInfo<ToggleCase>& p) { return std::string(p.param.item); });

TEST(MainMenus, CaptionsShortcutsAndCheckMarksFollowTheStation)
{
    Rig rig;
    auto w = Open(rig.station);
    struct Row {
        const char* item;
        const char* caption;
        const char* shortcut;
    };
    const Row rows[] = {{"mnuMapSettings", "&Map Settings", "Ctrl+M"},
                        {"mnuShowMap2", "Show Map2", "F2"},
                        {"mnuClear", "&Clear Maps Now", "Ctrl+C"},
                        {"mnuDeletAircraft", "&Delete Aircraft", "Ctrl+X"},
                        {"mnuPCHFDL", "PC-HFDL", ""},
                        {"mnuTooFarSettings", "Settings", ""}};
    for (const Row& r : rows) {
        QAction* a = w->Item(QLatin1String(r.item));
        ASSERT_NE(a, nullptr) << r.item;
        EXPECT_EQ(a->text(), QLatin1String(r.caption)) << r.item;
        EXPECT_EQ(a->shortcut().toString(QKeySequence::PortableText), QLatin1String(r.shortcut)) << r.item;
    }
    // A change made by the core shows at once; a disabled Show item is greyed.
    rig.station.opt.mnuSQ = true;
    rig.station.opt.mnuShowMapEnabled[1] = false;
    rig.station.Notify(ChangeOptions);
    EXPECT_TRUE(w->Item(QStringLiteral("mnuSQ"))->isChecked());
    EXPECT_FALSE(w->Item(QStringLiteral("mnuShowMap2"))->isEnabled());
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

// ---- closing ----------------------------------------------------------------------------------

TEST(MainClose, WritesThePlacementInTwipsAndRestoresIt)
{
    Rig rig;
    auto w = Open(rig.station);
    w->show();
    w->setGeometry(100, 60, 640, 320);
    w->close();
    const double tx = TwipsPerPixelX(w.get()), ty = TwipsPerPixelY(w.get());
    const QRect outer = w->frameGeometry();
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "Left"), SingleText(static_cast<float>(outer.x() * tx)));
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "Top"), SingleText(static_cast<float>(outer.y() * ty)));
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "Width"), SingleText(static_cast<float>(outer.width() * tx)));
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "Height"), SingleText(static_cast<float>(outer.height() * ty)));

    Restart second(rig);
    EXPECT_EQ(second.window->frameGeometry().size(), outer.size());
    EXPECT_EQ(second.window->pos(), outer.topLeft());
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
    EXPECT_TRUE(rig.station.mainMinimised);
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "Left"), "1500");
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "Top"), "900");
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "Width"), "9000");
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "Height"), "4500");
    EXPECT_EQ(IniValue(rig.home, "Menus", "Beep"), "False");
}

TEST(MainClose, EndsTheLinksAndClosesTheMaps)
{
    Rig rig;
    FakeLinkPort port;
    port.running = {"WinACARS|ACARS", "SkySpy|ACARS"};
    rig.station.links = &port;
    auto w = Open(rig.station);
    bool mapsClosed = false;
    w->mapHooks.closeMaps = [&] { mapsClosed = true; };
    w->Item(QStringLiteral("mnuAir"))->trigger();
    w->Item(QStringLiteral("mnuSky"))->trigger();
    ASSERT_EQ(port.linked.size(), 2u);
    w->close();
    EXPECT_TRUE(port.linked.empty());
    EXPECT_TRUE(mapsClosed);
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "Airmaster"), "True");  // relinked at the next start
}

// ---- the DDE menu ----------------------------------------------------------------------------

struct SourceCase {
    const char* item;
    bool Options::*option;
    std::vector<LinkBox> boxes;
    const char* topic;
    const char* notRunning;
};
void PrintTo(const SourceCase& c, std::ostream* os)
{
    *os << c.item;
}

class DdeItem : public ::testing::TestWithParam<SourceCase> {};

TEST_P(DdeItem, LinksAndUnlinksThroughTheLinkPort)
{
    const SourceCase& c = GetParam();
    Rig rig;
    FakeLinkPort port;
    port.running = {"WinACARS|ACARS", "SkySpy|ACARS", "ANAD|ACARS", "PCHFDL|HFDL", "PCHFDL|ACARS", "Srv|Top"};
    rig.station.links = &port;
    rig.station.dlg.txtServer = "Srv";
    rig.station.dlg.txtTopic = "Top";
    auto w = Open(rig.station);
    QAction* a = w->Item(QLatin1String(c.item));
    a->trigger();
    EXPECT_TRUE(a->isChecked());
    EXPECT_TRUE(rig.station.opt.*c.option);
    EXPECT_EQ(port.linked, std::set<LinkBox>(c.boxes.begin(), c.boxes.end()));
    a->trigger();
    EXPECT_FALSE(a->isChecked());
    EXPECT_TRUE(port.linked.empty());
    EXPECT_TRUE(rig.notes.messages.empty());
}

TEST_P(DdeItem, NoServerGivesItsMessageAndLeavesTheItemUnchecked)
{
    const SourceCase& c = GetParam();
    Rig rig;
    FakeLinkPort port;  // nothing running: every link answers error 282
    rig.station.links = &port;
    rig.station.dlg.txtServer = "Srv";
    rig.station.dlg.txtTopic = "Top";
    auto w = Open(rig.station);
    QAction* a = w->Item(QLatin1String(c.item));
    a->trigger();
    EXPECT_FALSE(a->isChecked());
    EXPECT_FALSE(rig.station.opt.*c.option);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, c.notRunning);
    EXPECT_EQ(rig.notes.messages[0].title, "KORVAL");
    EXPECT_EQ(rig.notes.messages[0].icon, Icon::Exclamation);
    EXPECT_EQ(rig.notes.beeps, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, DdeItem,
    ::testing::Values(SourceCase{"mnuAir",
                                 &Options::mnuAir,
                                 {LinkBox::AirData},
                                 "WinACARS|ACARS",
                                 "Airmaster must be running before selecting as DDE source"},
                      SourceCase{"mnuSky",
                                 &Options::mnuSky,
                                 {LinkBox::SkyData},
                                 "SkySpy|ACARS",
                                 "SkySpy must be running before selecting as DDE source"},
                      SourceCase{"mnuANAD",
                                 &Options::mnuANAD,
                                 {LinkBox::ANAData},
                                 "ANAD|ACARS",
                                 "AirNav ACARS Decoder must be running before selecting as DDE source"},
                      SourceCase{"mnuPCHFDL",
                                 &Options::mnuPCHFDL,
                                 {LinkBox::HFDL, LinkBox::HFACARSData},
                                 "PCHFDL|HFDL",
                                 "PC-HFDL must be running before selecting as DDE source"},
                      SourceCase{"mnuNew",
                                 &Options::mnuNew,
                                 {LinkBox::txtNewData},
                                 "Srv|Top",
                                 "Your specified DDE must be running before selecting it as DDE source"}),
    [](const ::testing::TestParamInfo<SourceCase>& p) { return std::string(p.param.item); });

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
    EXPECT_FALSE(w->Item(QStringLiteral("mnuANAD"))->isChecked());
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "AirNav ACARS Decoder must be running before selecting as DDE source");
    EXPECT_EQ(shown, (std::vector<int>{1, 3}));
    // Kept hidden for the run; the splash has gone; the clock runs.
    EXPECT_FALSE(w->MapSettings()->isVisible());
    EXPECT_FALSE(w->DeleteAircraft()->isVisible());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w->Splash(), nullptr);
    auto* timer1 = w->findChild<QTimer*>(QStringLiteral("Timer1"));
    auto* timer2 = w->findChild<QTimer*>(QStringLiteral("Timer2"));
    ASSERT_TRUE(timer1 && timer2);
    EXPECT_TRUE(timer1->isActive() && timer2->isActive());
    EXPECT_EQ(timer1->interval(), 1000);
    EXPECT_EQ(timer2->interval(), 60000);
}

// ---- the layout -------------------------------------------------------------------------------

struct SizeCase {
    const char* name;
    int width, height;  // pixels of the inner area
};
void PrintTo(const SizeCase& c, std::ostream* os)
{
    *os << c.name;
}

class MainLayoutAt : public ::testing::TestWithParam<SizeCase> {};

TEST_P(MainLayoutAt, PlacesTheStatusRowByTheRules)
{
    const SizeCase& c = GetParam();
    Rig rig;
    auto w = Open(rig.station);
    w->show();
    w->centralWidget()->resize(c.width, c.height);
    w->resize(c.width, c.height + w->menuBar()->height());
    QApplication::processEvents();
    const double innerW = w->InnerWidthTwips(), innerH = w->InnerHeightTwips();
    ASSERT_EQ(w->centralWidget()->width(), c.width);
    const MainLayout& l = w->Layout();
    const MainDesign& d = w->Design();

    EXPECT_EQ(l.LiveData,
              (TwipsRect{d.liveDataLeft, d.liveDataLeft, innerW - 2 * d.liveDataLeft, innerH - d.boxHeight - 60}));
    const double labelTop = l.LiveData.bottom() + 80;
    for (const TwipsRect* r : {&l.labAircraft, &l.labFlight, &l.labCount, &l.labUTC}) EXPECT_EQ(r->top, labelTop);
    for (const TwipsRect* r : {&l.Aircraft, &l.Flight, &l.txtCount, &l.txtOCA}) EXPECT_EQ(r->top, labelTop - 40);
    EXPECT_EQ(l.txtRepeat.top, labelTop - 30);

    // Left to right with the designed gaps, centred beside the clock.
    EXPECT_EQ(l.Aircraft.left - l.labAircraft.right(), 20);
    EXPECT_EQ(l.labFlight.left - l.Aircraft.right(), 80);
    EXPECT_EQ(l.Flight.left - l.labFlight.right(), 20);
    EXPECT_EQ(l.labCount.left - l.Flight.right(), 80);
    EXPECT_EQ(l.txtCount.left - l.labCount.right(), 60);
    EXPECT_EQ(l.txtOCA.left - l.txtCount.right(), 40);
    EXPECT_GT(l.txtRepeat.left, l.txtOCA.right());
    const double row = l.txtOCA.right() - l.labAircraft.left;
    EXPECT_DOUBLE_EQ(l.labAircraft.left, (innerW - row - l.labUTC.width) / 2);
    EXPECT_DOUBLE_EQ(l.labUTC.right(), innerW - 40);
    // Everything inside the window.
    EXPECT_LE(l.txtRepeat.bottom(), innerH);
    EXPECT_LE(l.Flight.bottom(), innerH);

    // The widgets stand where the twips say.
    EXPECT_EQ(Child<QLineEdit>(w.get(), "Flight")->geometry(), ToPixels(w.get(), l.Flight));
    EXPECT_EQ(Child<QLabel>(w.get(), "labUTC")->geometry(), ToPixels(w.get(), l.labUTC));
    EXPECT_EQ(Child<QPlainTextEdit>(w.get(), "LiveData")->geometry(), ToPixels(w.get(), l.LiveData));

    // "SQ" widens txtRepeat to 355 twips and shows it.
    rig.station.box.txtRepeat = {"SQ", colour::Black, colour::Cyan, true, 355};
    rig.station.Notify(ChangeBoxes);
    EXPECT_EQ(w->Layout().txtRepeat.width, 355);
    EXPECT_TRUE(Child<QLineEdit>(w.get(), "txtRepeat")->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Sizes, MainLayoutAt,
                         ::testing::Values(SizeCase{"Small", 640, 260}, SizeCase{"Large", 1200, 700}),
                         [](const ::testing::TestParamInfo<SizeCase>& p) { return std::string(p.param.name); });

// ---- what the window shows -------------------------------------------------------------------

TEST(MainDisplay, TheClockLabelShowsTheStationsTime)
{
    Rig rig;
    auto w = Open(rig.station);
    w->StartUp();  // runs Timer1_Timer once
    auto* label = Child<QLabel>(w.get(), "labUTC");
    EXPECT_EQ(label->text(), FromBytes(rig.station.box.labUTC));
    rig.station.box.labUTC = "UTC: 2359";
    rig.station.Notify(ChangeClock);
    EXPECT_EQ(label->text(), QStringLiteral("UTC: 2359"));
}

TEST(MainDisplay, ScreenshotAfterSomeTraffic)
{
    Rig rig;
    auto w = Open(rig.station);
    w->StartUp();
    w->Item(QStringLiteral("mnuRefOCA"))->trigger();
    w->resize(760, 330);
    w->show();
    // As Airmaster prints them: a position report, an oceanic clearance, another report.
    const std::string trailer = "\r\n----------------------------------------------------------[05/12/2026 14:32]";
    const std::string last =
        korval::test::Canonical(".G-STBA", "15", '7', "M91A", "SK1061", "POS,N4150.8,E02000.0,0439,350") + trailer;
    const std::string texts[] = {
        korval::test::Canonical(".9V-SKA", "H1", '7', "C15F", "AL0231", "#DFBA32/1883/N315921,W0184007,711") + trailer,
        korval::test::Canonical(".JY-AGR", "B3", '8', "D04C", "UA0901",
                                "CLA 1291 051230 CZQX/YQXOOYA CLRD TO EGLL VIA 56/20 48/30 46/40 62/50 END") +
            trailer,
        last,
    };
    for (const std::string& text : texts) OnLinkText(rig.station, LinkBox::AirData, text);
    if (rig.station.box.LiveData.Text.empty()) {
        // The message chain of this build is not complete yet: set what it leaves after the
        // last message, a counted position report.
        MainBoxes& b = rig.station.box;
        b.LiveData = {last, colour::White, colour::Navy};
        b.Aircraft = {"G-STBA", colour::White, colour::Red};
        b.Flight = {"SK1061", colour::White, colour::Red};
        b.txtCount.Text = "2";
        b.txtOCA.Text = "1";
        rig.station.Notify(ChangeBoxes | ChangeLiveData | ChangeCounters);
    }
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
    EXPECT_EQ(centre("LiveData"), FromWindowsColour(rig.station.box.LiveData.BackColor));
    EXPECT_EQ(centre("Aircraft"), FromWindowsColour(rig.station.box.Aircraft.BackColor));
    EXPECT_EQ(centre("txtCount"), FromWindowsColour(rig.station.box.txtCount.BackColor));
    EXPECT_EQ(Child<QLineEdit>(w.get(), "Flight")->text(), FromBytes(rig.station.box.Flight.Text));
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
