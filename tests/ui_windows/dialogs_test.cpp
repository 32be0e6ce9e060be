#include <gtest/gtest.h>

#include <tuple>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "delete_aircraft_dialog.h"
#include "main_window.h"
#include "map_settings_dialog.h"
#include "other_dde_dialog.h"
#include "qt_notifier.h"
#include "sbs_key_dialog.h"
#include "splash.h"
#include "too_far_dialog.h"
#include "ui_test_support.h"

namespace korval::ui {
namespace {

using korval::test::PrintTo;
using korval::test::Rig;
using test::Child;
using test::IniValue;

void Click(const QWidget* dialog, const char* button)
{
    Child<QAbstractButton>(dialog, button)->click();
}
void Type(const QWidget* dialog, const char* box, const char* text)
{
    Child<QLineEdit>(dialog, box)->setText(QLatin1String(text));
}
QString Text(const QWidget* dialog, const char* box)
{
    return Child<QLineEdit>(dialog, box)->text();
}

// The main window over a fresh station, whose items open the dialogs.
struct DialogTest : ::testing::Test {
    DialogTest() { window.SetQuitOnClose(false); }
    void Open(const char* item) { window.Item(QLatin1String(item))->trigger(); }
    Rig rig;
    Station& s = rig.station;
    MainWindow window{s};
};

TEST_F(DialogTest, ItemsOpenTheirDialogs)
{
    const std::pair<const char*, QWidget*> items[] = {{"mnuTooFarSettings", window.TooFar()},
                                                      {"mnuDeletAircraft", window.DeleteAircraft()},
                                                      {"mnuSBSKey", window.SbsKey()},
                                                      {"mnuServerSettings", window.OtherDde()}};
    for (const auto& [item, dialog] : items) {
        Open(item);
        EXPECT_TRUE(dialog->isVisible()) << item;
    }
}

// The limits' rules are the core's: the dialog opens from the file, Cancel loses the edits, and
// Save hands the typed texts over and shows what the core stored.
TEST_F(DialogTest, WrongPlotCancelLosesTheEditsAndSaveShowsTheStoredLimits)
{
    rig.home.Write("KORVAL.ini", "[Filters]\r\nTooLat=12\r\nTooLong=15\r\n");
    TooFarDialog* d = window.TooFar();
    d->Open();
    Type(d, "txtTooLat", "3");
    Click(d, "cmdTooFarCancel");
    d->Open();
    EXPECT_EQ(Text(d, "txtTooLat"), QStringLiteral("12"));
    Type(d, "txtTooLong", "7");
    Click(d, "cmdTooFarSave");
    EXPECT_EQ(std::tuple(d->isVisible(), Text(d, "txtTooLong")), std::tuple(false, QStringLiteral("07")));
}

TEST_F(DialogTest, DeleteHandsTheTypedIdToTheCoreAndStaysOpen)
{
    for (const char* id : {"G-EUUA", "EI-DEK"}) korval::test::AddAircraft(s, id, "51500/-30250");
    int redraws = 0;
    s.Subscribe([&](ChangeFlags what) { redraws += (what & ChangeMaps) ? 1 : 0; });
    DeleteAircraftDialog* d = window.DeleteAircraft();
    d->Open();
    Type(d, "txtDeleteACID", "g-euua");
    Click(d, "cmdDelete");
    EXPECT_EQ(
        std::tuple(s.AircraftCol.Count(), redraws, rig.notes.messages.size(), d->isVisible(), Text(d, "txtDeleteACID")),
        std::tuple(1u, 1, 0u, true, QStringLiteral("g-euua")));
}

// ---- the map settings dialog ------------------------------------------------------------------

// The map-wide options and the clock time as four digits; the chosen map's section formatted;
// the SBS-1 options belong to map 1. Save hands map 1 the typed edge, the chosen file and colour,
// writes the map-wide keys and shows the map.
TEST_F(DialogTest, MapSettingsShowsTheFileFormattedAndSaveHandsTheBoxesToTheCore)
{
    rig.home.Write("KORVAL.ini",
                   "[Menus]\r\nClearMapTime=30\r\nSBSOnly=1\r\nMaxPlots=3\r\n"
                   "[Map2 Settings]\r\nN=61\r\nW=-7.5\r\nMapPath=C:\\maps\\nat.jpg\r\nCircle=65280\r\n");
    const std::string image = (rig.home.path() / "map1.jpg").string();
    QImage(40, 30, QImage::Format_RGB32).save(QString::fromStdString(image));
    std::vector<int> shown;
    window.mapHooks.showMap = [&](int n) { shown.push_back(n); };
    Open("mnuMapSettings");
    MapSettingsDialog* d = window.MapSettings();
    EXPECT_EQ(std::tuple(Text(d, "txtClearMapTime"), Child<QCheckBox>(d, "chkSBS")->isChecked(),
                         Child<QComboBox>(d, "comMaxPlot")->currentText()),
              std::tuple(QStringLiteral("0030"), true, QStringLiteral("60")));
    Click(d, "optMap2");
    EXPECT_EQ(std::tuple(Text(d, "txtN"), Text(d, "txtW"), Text(d, "txtFilePath"),
                         Child<ColourSwatch>(d, "pctCircleCol")->Colour(), Child<QCheckBox>(d, "chkSBS")->isEnabled()),
              std::tuple(QStringLiteral("61.000"), QStringLiteral("-007.500"), QStringLiteral("C:\\maps\\nat.jpg"),
                         65280u, false));
    Click(d, "optMap1");
    EXPECT_TRUE(Child<QCheckBox>(d, "chkSBS")->isEnabled());

    Type(d, "txtN", "52.5");
    d->FileChosen(QString::fromStdString(image));
    d->ColourChosen(Child<ColourSwatch>(d, "pctLineCol"), QColor(0x11, 0x22, 0x33));
    Click(d, "cmdSave");
    const MapConfig& map = s.map[0];
    EXPECT_EQ(std::tuple(map.N, map.MapPath, map.Line, IniValue(rig.home, "Menus", "SBSMins"), shown),
              std::tuple("52500", image, 0x332211, "15", std::vector<int>{1}));
    EXPECT_EQ(std::tuple(window.Item(QStringLiteral("mnuShowMap1"))->isChecked(),
                         window.Item(QStringLiteral("mnuShowMap1"))->isEnabled(), d->isVisible()),
              std::tuple(true, true, false));
}

struct LeaveCase {
    const char* name;
    std::function<void(MapSettingsDialog*)> leave;
};

class MapSettingsLeaving : public DialogTest, public ::testing::WithParamInterface<LeaveCase> {};

// Only Save writes a map's keys; the next opening loads from the file again.
TEST_P(MapSettingsLeaving, WritesTheMapWideKeysOnly)
{
    MapSettingsDialog* d = window.MapSettings();
    Open("mnuMapSettings");
    Child<QComboBox>(d, "comMaxPlot")->setCurrentIndex(2);
    Type(d, "txtN", "50");
    GetParam().leave(d);
    EXPECT_EQ(std::tuple(d->isVisible(), IniValue(rig.home, "Menus", "MaxPlots"),
                         IniValue(rig.home, "Map1 Settings", "N"), d->IsLoaded()),
              std::tuple(false, "2", "<absent>", false));
}

INSTANTIATE_TEST_SUITE_P(Ways, MapSettingsLeaving,
                         ::testing::Values(LeaveCase{"Cancel", [](MapSettingsDialog* d) { Click(d, "cmdCancel"); }},
                                           LeaveCase{"Close", [](MapSettingsDialog* d) { Click(d, "cmdClose"); }},
                                           LeaveCase{"WindowClosed", [](MapSettingsDialog* d) { d->close(); }}),
                         korval::test::CaseName());

// ---- the DDE server dialog --------------------------------------------------------------------

// "Set" stands for a server or topic never given: the box shows nothing but its placeholder, and
// an empty box is saved as "Set" again. Format 3 selects neither option; a chosen option is saved
// as its number; Cancel loses the edits; saving does not relink.
TEST_F(DialogTest, OtherDdeLoadsSavesAndCancelsAndNeverShowsSet)
{
    rig.home.Write("KORVAL.ini", "[KORVAL]\r\nNewServer=Decoder\r\nNewTopic=Set\r\nFormat=3\r\n");
    OtherDdeDialog* d = window.OtherDde();
    d->Open();
    const QString placeholder = Child<QLineEdit>(d, "txtTopic")->placeholderText();
    EXPECT_TRUE(!placeholder.isEmpty() && !placeholder.contains(QStringLiteral("Set"))) << placeholder.toStdString();
    EXPECT_EQ(std::tuple(Text(d, "txtTopic"), Child<QRadioButton>(d, "Option1")->isChecked(),
                         Child<QRadioButton>(d, "Option2")->isChecked()),
              std::tuple(QString(), false, false));
    Type(d, "txtServer", "Other");
    Click(d, "cmdServerCancel");
    d->Open();
    EXPECT_EQ(Text(d, "txtServer"), QStringLiteral("Decoder"));
    Click(d, "Option2");
    Click(d, "cmdServerSave");
    EXPECT_EQ(std::tuple(d->isVisible(), IniValue(rig.home, "KORVAL", "NewTopic"), s.dlg.txtTopic, s.dlg.DDEFormat,
                         s.opt.mnuNew),
              std::tuple(false, "Set", "Set", 2, false));
    d->Open();
    EXPECT_EQ(std::tuple(Text(d, "txtTopic"), Child<QRadioButton>(d, "Option2")->isChecked()),
              std::tuple(QString(), true));
}

// ---- the splash and message boxes -------------------------------------------------------------

// A missing picture is logged and the window still opens; the picture in the program folder gives
// the window its size; any key closes it.
TEST(Splash, ShowsThePictureFromTheProgramFolderAndAnyKeyClosesIt)
{
    Rig rig;
    {
        SplashWindow missing(rig.station);
        EXPECT_TRUE(Child<QLabel>(&missing, "Picture1")->pixmap().isNull());
        missing.show();
        EXPECT_TRUE(missing.isVisible());
    }
    const std::string log = rig.home.Read("Logs/ErrorLog .txt");
    EXPECT_NE(log.find("Error: 53 (File not found"), std::string::npos) << log;
    QImage(200, 120, QImage::Format_RGB32)
        .save(QString::fromStdString((rig.home.path() / "KorvalSplash.jpg").string()));
    auto* splash = new SplashWindow(rig.station);
    QPointer<SplashWindow> alive(splash);
    EXPECT_EQ(splash->size(), QSize(200, 120));
    splash->show();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(splash, &key);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}

TEST(QtNotifier, ShowsANonModalBoxAndDoesNotStackTheSameOne)
{
    QtNotifier n;
    n.Message("Select A Map", "KORVAL", Icon::Exclamation);  // returns at once: no nested loop
    n.Message("Select A Map", "KORVAL", Icon::Exclamation);
    n.Message("You must set your DDE Server and Topic", "KORVAL", Icon::Exclamation);
    const QList<QMessageBox*> open = n.OpenBoxes();
    ASSERT_EQ(open.size(), 2);
    EXPECT_EQ(std::tuple(open[0]->text(), open[0]->icon(), open[0]->windowModality()),
              std::tuple(QStringLiteral("Select A Map"), QMessageBox::Warning, Qt::NonModal));
    open[0]->button(QMessageBox::Ok)->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    n.Message("Select A Map", "KORVAL", Icon::Exclamation);  // dismissed: shown again
    EXPECT_EQ(n.OpenBoxes().size(), 2);
    for (QMessageBox* b : n.OpenBoxes()) b->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace korval::ui
