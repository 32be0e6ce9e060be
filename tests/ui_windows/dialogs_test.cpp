#include <gtest/gtest.h>

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
    Child<QPushButton>(dialog, button)->click();
}
void Type(const QWidget* dialog, const char* box, const char* text)
{
    Child<QLineEdit>(dialog, box)->setText(QLatin1String(text));
}
QString Text(const QWidget* dialog, const char* box)
{
    return Child<QLineEdit>(dialog, box)->text();
}

// The main window's items open their dialogs.
TEST(DialogItems, OpenTheirDialogs)
{
    Rig rig;
    MainWindow w(rig.station);
    w.SetQuitOnClose(false);
    const std::pair<const char*, QWidget*> items[] = {
        {"mnuTooFarSettings", w.TooFar()}, {"mnuDeletAircraft", w.DeleteAircraft()}, {"mnuSBSKey", w.SbsKey()}};
    for (const auto& [item, dialog] : items) {
        w.Item(QLatin1String(item))->trigger();
        EXPECT_TRUE(dialog->isVisible()) << item;
    }
}

// ---- the wrong-plot dialog --------------------------------------------------------------------

// The limits' rules are the core's: the dialog opens from the file, Cancel loses the edits, and
// Save hands the typed texts over and shows what the core stored.
TEST(WrongPlotDialog, CancelLosesTheEditsAndSaveShowsTheStoredLimits)
{
    Rig rig;
    rig.home.Write("KORVAL.ini", "[Filters]\r\nTooLat=12\r\nTooLong=15\r\n");
    TooFarDialog d(rig.station);
    d.Open();
    Type(&d, "txtTooLat", "3");
    Click(&d, "cmdTooFarCancel");
    EXPECT_FALSE(d.isVisible());
    d.Open();
    EXPECT_EQ(Text(&d, "txtTooLat"), QStringLiteral("12"));
    Type(&d, "txtTooLong", "7");
    Click(&d, "cmdTooFarSave");
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(IniValue(rig.home, "Filters", "TooLong"), "7");
    EXPECT_EQ(Text(&d, "txtTooLong"), QStringLiteral("07"));
}

// ---- the delete-aircraft dialog ---------------------------------------------------------------

TEST(DeleteDialog, HandsTheTypedIdToTheCoreAndStaysOpen)
{
    Rig rig;
    Station& s = rig.station;
    for (const char* id : {"G-EUUA", "EI-DEK"}) korval::test::AddAircraft(s, id, "51500/-30250");
    int redraws = 0;
    s.Subscribe([&](ChangeFlags what) { redraws += (what & ChangeMaps) ? 1 : 0; });
    DeleteAircraftDialog d(s);
    d.Open();
    Click(&d, "cmdDelete");  // nothing typed: nothing done
    EXPECT_EQ(redraws, 0);
    Type(&d, "txtDeleteACID", "g-euua");
    Click(&d, "cmdDelete");
    EXPECT_EQ(s.AircraftCol.Count(), 1u);
    EXPECT_EQ(redraws, 1);
    EXPECT_TRUE(rig.notes.messages.empty());
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(Text(&d, "txtDeleteACID"), QStringLiteral("g-euua"));
}

// ---- the map settings dialog ------------------------------------------------------------------

struct MapDialogRig {
    MapDialogRig() : window(rig.station)
    {
        window.SetQuitOnClose(false);
        d = window.MapSettings();
    }
    void Open() { window.Item(QStringLiteral("mnuMapSettings"))->trigger(); }
    Rig rig;
    MainWindow window;
    MapSettingsDialog* d = nullptr;
};

TEST(MapSettingsDialog, ReadsAMapsSectionFormattedAndTheClockTimeAsFourDigits)
{
    MapDialogRig m;
    m.rig.home.Write("KORVAL.ini",
                     "[Menus]\r\nClearMapTime=30\r\nSBSOnly=1\r\nMaxPlots=3\r\n"
                     "[Map2 Settings]\r\nN=61\r\nW=-7.5\r\nMapPath=C:\\maps\\nat.jpg\r\nCircle=65280\r\n");
    m.Open();
    EXPECT_EQ(Text(m.d, "txtClearMapTime"), QStringLiteral("0030"));
    EXPECT_TRUE(Child<QCheckBox>(m.d, "chkSBS")->isChecked());
    EXPECT_EQ(Child<QComboBox>(m.d, "comMaxPlot")->currentText(), QStringLiteral("60"));
    Child<QRadioButton>(m.d, "optMap2")->click();
    EXPECT_EQ(m.d->SelectedMap(), 2);
    EXPECT_EQ(Text(m.d, "txtN"), QStringLiteral("61.000"));
    EXPECT_EQ(Text(m.d, "txtW"), QStringLiteral("-007.500"));
    EXPECT_EQ(Text(m.d, "txtFilePath"), QStringLiteral("C:\\maps\\nat.jpg"));
    EXPECT_EQ(Child<ColourSwatch>(m.d, "pctCircleCol")->Colour(), 65280u);
    // The SBS-1 options belong to map 1.
    EXPECT_FALSE(Child<QCheckBox>(m.d, "chkSBS")->isEnabled());
    Child<QRadioButton>(m.d, "optMap1")->click();
    EXPECT_TRUE(Child<QCheckBox>(m.d, "chkSBS")->isEnabled());
}

// Map 2 has no image: saved, its Show item greys. Map 1 gets the typed edge, the chosen file and
// colour, and is shown.
TEST(MapSettingsDialog, SaveHandsTheBoxesToTheCoreAndShowsTheResult)
{
    MapDialogRig m;
    const std::string image = (m.rig.home.path() / "map1.jpg").string();
    QImage(40, 30, QImage::Format_RGB32).save(QString::fromStdString(image));
    std::vector<int> shown;
    m.window.mapHooks.showMap = [&](int n) { shown.push_back(n); };
    m.Open();
    Child<QRadioButton>(m.d, "optMap2")->click();
    Click(m.d, "cmdSave");
    EXPECT_FALSE(m.window.Item(QStringLiteral("mnuShowMap2"))->isEnabled());

    m.Open();
    Child<QRadioButton>(m.d, "optMap1")->click();
    Type(m.d, "txtN", "52.5");
    m.d->FileChosen(QString::fromStdString(image));
    m.d->ColourChosen(Child<ColourSwatch>(m.d, "pctLineCol"), QColor(0x11, 0x22, 0x33));
    Click(m.d, "cmdSave");
    const MapConfig& map = m.rig.station.map[0];
    EXPECT_EQ(map.N, "52500");
    EXPECT_EQ(map.MapPath, image);
    EXPECT_EQ(map.Line, 0x332211);
    EXPECT_EQ(IniValue(m.rig.home, "Menus", "SBSMins"), "15");  // the map-wide keys too
    EXPECT_EQ(shown, std::vector<int>{1});
    EXPECT_TRUE(m.window.Item(QStringLiteral("mnuShowMap1"))->isChecked());
    EXPECT_TRUE(m.window.Item(QStringLiteral("mnuShowMap1"))->isEnabled());
    EXPECT_FALSE(m.d->isVisible());
}

struct LeaveCase {
    const char* name;
    std::function<void(MapSettingsDialog*)> leave;
};

class MapSettingsLeaving : public ::testing::TestWithParam<LeaveCase> {};

TEST_P(MapSettingsLeaving, WritesTheMapWideKeysOnly)
{
    MapDialogRig m;
    m.Open();
    Child<QComboBox>(m.d, "comMaxPlot")->setCurrentIndex(2);
    Type(m.d, "txtN", "50");  // a map key: only Save writes it
    GetParam().leave(m.d);
    EXPECT_FALSE(m.d->isVisible());
    EXPECT_EQ(IniValue(m.rig.home, "Menus", "MaxPlots"), "2");
    EXPECT_EQ(IniValue(m.rig.home, "Map1 Settings", "N"), "<absent>");
    EXPECT_FALSE(m.d->IsLoaded());  // the next opening loads from the file again
}

INSTANTIATE_TEST_SUITE_P(Ways, MapSettingsLeaving,
                         ::testing::Values(LeaveCase{"Cancel", [](MapSettingsDialog* d) { Click(d, "cmdCancel"); }},
                                           LeaveCase{"Close", [](MapSettingsDialog* d) { Click(d, "cmdClose"); }},
                                           LeaveCase{"WindowClosed", [](MapSettingsDialog* d) { d->close(); }}),
                         korval::test::CaseName());

// ---- the DDE server dialog --------------------------------------------------------------------

// Format 3 selects neither option; a chosen option is saved as its number.
TEST(OtherDdeDialog, LoadsSavesAndCancels)
{
    Rig rig;
    rig.home.Write("KORVAL.ini", "[KORVAL]\r\nNewServer=Decoder\r\nNewTopic=Feed\r\nFormat=3\r\n");
    MainWindow w(rig.station);
    w.SetQuitOnClose(false);
    w.Item(QStringLiteral("mnuServerSettings"))->trigger();
    OtherDdeDialog* d = w.OtherDde();
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(Text(d, "txtTopic"), QStringLiteral("Feed"));
    EXPECT_FALSE(Child<QRadioButton>(d, "Option1")->isChecked() || Child<QRadioButton>(d, "Option2")->isChecked());
    Type(d, "txtServer", "Other");
    Click(d, "cmdServerCancel");
    EXPECT_FALSE(d->isVisible());
    d->Open();
    EXPECT_EQ(Text(d, "txtServer"), QStringLiteral("Decoder"));
    Type(d, "txtServer", "Relay");
    Child<QRadioButton>(d, "Option2")->click();
    Click(d, "cmdServerSave");
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "Format"), "2");
    EXPECT_EQ(rig.station.dlg.txtServer, "Relay");
    EXPECT_FALSE(rig.station.opt.mnuNew);  // saving does not relink
}

// "Set" stands for a server or topic never given: the boxes show nothing but their
// placeholders, and an empty box is saved as "Set" again.
TEST(OtherDdeDialog, NeverShowsSetAsAServerOrTopic)
{
    Rig rig;
    rig.home.Write("KORVAL.ini", "[KORVAL]\r\nNewServer=Set\r\nNewTopic=Set\r\nFormat=1\r\n");
    OtherDdeDialog d(rig.station);
    d.Open();
    EXPECT_TRUE(Child<QRadioButton>(&d, "Option1")->isChecked());
    for (const char* box : {"txtServer", "txtTopic"}) {
        EXPECT_EQ(Text(&d, box), QString()) << box;
        EXPECT_FALSE(Child<QLineEdit>(&d, box)->placeholderText().isEmpty()) << box;
        EXPECT_FALSE(Child<QLineEdit>(&d, box)->placeholderText().contains(QStringLiteral("Set"))) << box;
    }
    Type(&d, "txtTopic", "ACARS");
    Click(&d, "cmdServerSave");
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "NewServer"), "Set");
    EXPECT_EQ(IniValue(rig.home, "KORVAL", "NewTopic"), "ACARS");
    EXPECT_EQ(rig.station.dlg.txtServer, "Set");  // "Other" still says the server is not set
}

// ---- the splash -------------------------------------------------------------------------------

TEST(Splash, ShowsThePictureFromTheProgramFolderAndTheVersion)
{
    Rig rig;
    QImage(200, 120, QImage::Format_RGB32)
        .save(QString::fromStdString((rig.home.path() / "KorvalSplash.jpg").string()));
    auto* splash = new SplashWindow(rig.station);
    QPointer<SplashWindow> alive(splash);
    EXPECT_EQ(Child<QLabel>(splash, "lblVersion")->text(), QStringLiteral("Version 1.0.0"));
    EXPECT_EQ(splash->size(), QSize(200, 120));
    splash->show();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(splash, &key);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());  // any key closes it
}

TEST(Splash, AMissingPictureIsLoggedAndTheWindowStillOpens)
{
    Rig rig;
    SplashWindow splash(rig.station);
    EXPECT_TRUE(Child<QLabel>(&splash, "Picture1")->pixmap().isNull());
    const std::string log = rig.home.Read("Logs/ErrorLog .txt");
    EXPECT_NE(log.find("Error: 53 (File not found"), std::string::npos) << log;
    splash.show();
    EXPECT_TRUE(splash.isVisible());
}

// ---- message boxes ----------------------------------------------------------------------------

TEST(QtNotifier, ShowsANonModalBoxAndDoesNotStackTheSameOne)
{
    QtNotifier n;
    n.Message("Select A Map", "KORVAL", Icon::Exclamation);  // returns at once: no nested loop
    n.Message("Select A Map", "KORVAL", Icon::Exclamation);
    n.Message("You must set your DDE Server and Topic", "KORVAL", Icon::Exclamation);
    const QList<QMessageBox*> open = n.OpenBoxes();
    ASSERT_EQ(open.size(), 2);
    EXPECT_EQ(open[0]->text(), QStringLiteral("Select A Map"));
    EXPECT_EQ(open[0]->icon(), QMessageBox::Warning);
    EXPECT_EQ(open[0]->windowModality(), Qt::NonModal);
    open[0]->button(QMessageBox::Ok)->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    n.Message("Select A Map", "KORVAL", Icon::Exclamation);  // dismissed: shown again
    EXPECT_EQ(n.OpenBoxes().size(), 2);
    for (QMessageBox* b : n.OpenBoxes()) b->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace korval::ui
