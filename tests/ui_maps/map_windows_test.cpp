#include "ui/map_windows.h"

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtGui/QMouseEvent>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>

#include "maps/redraw.h"
#include "recording_canvas.h"
#include "station/events.h"
#include "test_support.h"

namespace korval::ui {
namespace {

using korval::test::PrintTo;
using Shown = std::vector<std::pair<int, bool>>;

// Every map over the whole bundled world map.
class MapWindowsTest : public ::testing::Test {
protected:
    MapWindowsTest()
    {
        for (MapConfig& m : s.map)
            m = test::Frame("90000", "-90000", "180000", "-180000", KORVAL_MAPS_DIR "/world.jpg");
        windows.SetShowChanged([this](int n, bool c) { shown.emplace_back(n, c); });
        windows.SetFileDialogs(Dialog(), Dialog());
    }
    ~MapWindowsTest() override { windows.CloseAll(); }

    // The file dialogs: each remembers what it was asked and gives `answer`.
    FileDialog Dialog()
    {
        return [this](const FileDialogRequest& r) {
            asked = r;
            return answer;
        };
    }

    test::Rig rig;
    Station& s = rig.station;
    MapWindows windows{s};
    Shown shown;
    FileDialogRequest asked;
    std::optional<QString> answer;
};

// A map whose picture is gone is not shown and nothing is said; one with a picture is shown,
// drawn at 15 twips a pixel, drawn again when resized (without a picture a resize asks for one),
// and hidden by the item.
TEST_F(MapWindowsTest, ShowItemShowsDrawsRedrawsOnResizeAndHides)
{
    s.map[0].MapPath = "/nonexistent/deleted.jpg";
    windows.ShowMapClicked(1);
    EXPECT_FALSE(s.opt.mnuShowMap1);
    windows.ShowMapClicked(2);
    MapWindow& w = windows.Window(2);
    EXPECT_EQ(std::tuple(s.opt.mnuShowMap2, w.isVisible(), windows.Redraws(2), s.mapView[1]->ClientWidthTwips()),
              std::tuple(true, true, 1, w.width() * 15));
    w.resize(500, 300);
    EXPECT_EQ(std::pair(windows.Redraws(2), w.SurfaceImage().size()), std::pair(2, QSize(500, 300)));

    s.map[1].MapPath.clear();
    w.resize(520, 300);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "Select A Map");
    windows.ShowMapClicked(2);
    EXPECT_EQ(std::pair(s.opt.mnuShowMap2, w.isVisible()), std::pair(false, false));
    EXPECT_EQ(shown, (Shown{{1, false}, {2, true}, {2, false}}));
}

TEST_F(MapWindowsTest, PlacementIsReadOnShowAndWrittenOnCloseUnlessMinimised)
{
    rig.home.Write("KORVAL.ini", "[Map3]\r\nTop=1500\r\nLeft=3000\r\nHeight=6000\r\nWidth=9000\r\n");
    windows.ShowMapClicked(3);
    MapWindow& w = windows.Window(3);
    EXPECT_EQ(w.size(), QSize(600, 400));
    w.resize(640, 400);
    w.close();
    EXPECT_EQ(std::pair(s.opt.mnuShowMap3, shown), std::pair(false, Shown{{3, true}, {3, false}}));
    const std::string ini = rig.home.Read("KORVAL.ini");
    EXPECT_NE(ini.find("Width=9600"), std::string::npos) << ini;

    // Minimised it is not drawn, and closed so it writes nothing.
    windows.ShowMapClicked(3);
    const int before = windows.Redraws(3);
    w.showMinimized();
    QCoreApplication::processEvents();
    w.resize(300, 200);
    EXPECT_EQ(windows.Redraws(3), before);
    w.close();
    EXPECT_EQ(rig.home.Read("KORVAL.ini"), ini);
}

// The details stand 60 twips right of the click while the button is down: the flight details for
// the left button, the registrations and types for the right one, nothing for the middle one.
TEST_F(MapWindowsTest, DetailsLabelWhileTheButtonIsDown)
{
    test::AddAircraft(s, "G-AAAA", "0/0");  // the centre of the world map
    windows.ShowMapClicked(1);
    MapWindow& w = windows.Window(1);
    QLabel& label = w.DetailsLabel();
    for (const auto& [button, offset, text] :
         {std::tuple{Qt::LeftButton, QPoint(0, 0), "\nFNG-AAAA  M080  F350  EGLL-KJFK"},
          {Qt::RightButton, QPoint(2, 2), "\nG-AAAA\nB744"},
          {Qt::MiddleButton, QPoint(0, 0), "<hidden>"}}) {
        const QPoint at = QPoint(w.width() / 2, w.height() / 2) + offset;
        auto click = [&](QEvent::Type type, Qt::MouseButton b) {
            QMouseEvent e(type, QPointF(at), w.Surface().mapToGlobal(QPointF(at)), b, b, Qt::NoModifier);
            QCoreApplication::sendEvent(&w.Surface(), &e);
        };
        click(QEvent::MouseButtonPress, button);
        EXPECT_EQ(label.isVisible() ? label.text() : QStringLiteral("<hidden>"), QString::fromUtf8(text));
        EXPECT_TRUE(!label.isVisible() || label.pos() == at + QPoint(4, 0)) << text;
        click(QEvent::MouseButtonRelease, button);
        EXPECT_FALSE(label.isVisible()) << text;
    }
}

TEST_F(MapWindowsTest, SaveMapProposesTheDefaultNameAndWritesTheSurface)
{
    windows.ShowMapClicked(1);
    windows.Window(1).resize(401, 250);
    EXPECT_FALSE(windows.SaveMap(1));  // cancelled
    EXPECT_TRUE(asked.save && asked.initialPath.endsWith(QStringLiteral("/KorvalMap1051226,0000Z.jpg")))
        << asked.initialPath.toStdString();
    answer = QString::fromStdString((rig.home.path() / "saved.jpg").string());
    ASSERT_TRUE(windows.SaveMap(1));
    EXPECT_EQ(QImage(*answer).size(), QSize(401, 250));

    // A map never drawn has nothing to save: no dialog.
    asked = {};
    EXPECT_FALSE(windows.SaveMap(3));
    EXPECT_TRUE(asked.initialPath.isEmpty());
}

// The viewer opens in the program folder and takes the picture's size, within the screen with
// its frame; a cancelled dialog opens nothing.
TEST_F(MapWindowsTest, ViewMapSizesTheViewerToThePictureWithinTheScreen)
{
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    answer = QString::fromStdString((rig.home.path() / "view.jpg").string());
    for (const QSize picture : {QSize(300, 200), screen + QSize(500, 500)}) {
        QImage image(picture, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        ASSERT_TRUE(image.save(*answer, "JPEG", 90));
        ASSERT_TRUE(windows.ViewMap());
        EXPECT_EQ(asked.initialPath, QString::fromStdString(s.Home().string()));
        const MapViewWindow& v = *windows.Viewer();
        EXPECT_EQ(v.Picture().size(), picture);
        EXPECT_EQ(v.size(), picture.boundedTo(screen - (v.frameGeometry().size() - v.geometry().size())));
    }
    answer.reset();
    EXPECT_FALSE(windows.ViewMap());
}

// A thousand changes (a hundred aircraft arrive and each moves nine times) are drawn once per
// map, as a fresh redraw of the final state draws them.
TEST_F(MapWindowsTest, BurstIsDrawnOncePerMapAndMatchesAFreshRedraw)
{
    for (int n = 1; n <= 3; ++n) {
        windows.ShowMapClicked(n);
        windows.Window(n).resize(400 + 50 * n, 250);
    }
    QCoreApplication::processEvents();
    const int before[3] = {windows.Redraws(1), windows.Redraws(2), windows.Redraws(3)};
    std::vector<std::shared_ptr<Aircraft>> planes;
    for (std::size_t i = 0; i < 1000; ++i) {
        const std::string at = std::to_string(i % 100 * 1700 - 85000) + "/" + std::to_string(i / 100 * 30000 - 150000);
        if (i < 100) planes.push_back(test::AddAircraft(s, "G-" + std::to_string(i), at));
        planes[i % 100]->NewLocation = at;
        s.Notify(ChangeMaps);
    }
    QCoreApplication::processEvents();

    void (*const plot[])(Station&) = {NewPlot1, NewPlot2, NewPlot3};
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(windows.Redraws(n), before[n - 1] + 1) << "map " << n;
        CanvasMapView fresh(windows.Window(n).size());
        MapView* own = std::exchange(s.mapView[n - 1], &fresh);
        plot[n - 1](s);
        s.mapView[n - 1] = own;
        EXPECT_TRUE(windows.Window(n).SurfaceImage() == fresh.canvas().Image()) << "map " << n;
    }
}

}  // namespace
}  // namespace korval::ui
