#include "ui/map_windows.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtGui/QImageReader>
#include <QtGui/QMouseEvent>
#include <QtGui/QScreen>
#include <QtWidgets/QApplication>

#include "maps/redraw.h"
#include "station/events.h"
#include "station/station.h"
#include "test_support.h"

namespace korval::ui {
namespace {

using korval::test::PrintTo;
const std::string kWorld = KORVAL_MAPS_DIR "/world.jpg";

class MapWindowsTest : public ::testing::Test {
protected:
    MapWindowsTest()
    {
        for (MapConfig& m : s.map) {
            m.N = "90000";
            m.S = "-90000";
            m.W = "-180000";
            m.E = "180000";
            m.MapPath = kWorld;
        }
        windows.SetShowChanged([this](int n, bool c) { shown.emplace_back(n, c); });
    }
    ~MapWindowsTest() override { windows.CloseAll(); }

    void Click(QWidget& w, Qt::MouseButton b, QPoint at, QEvent::Type type = QEvent::MouseButtonPress)
    {
        QMouseEvent e(type, QPointF(at), w.mapToGlobal(QPointF(at)), b, b, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &e);
    }

    test::Rig rig;
    Station& s = rig.station;
    MapWindows windows{s};
    std::vector<std::pair<int, bool>> shown;
};

TEST_F(MapWindowsTest, ShowItemShowsDrawsRedrawsOnResizeAndHides)
{
    windows.ShowMapClicked(2);
    MapWindow& w = windows.Window(2);
    EXPECT_TRUE(s.opt.mnuShowMap2);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(windows.Redraws(2), 1);
    EXPECT_EQ(w.SurfaceImage().size(), w.size());
    EXPECT_EQ(s.mapView[1]->ClientWidthTwips(), w.width() * 15);
    w.resize(500, 300);
    EXPECT_EQ(windows.Redraws(2), 2);
    EXPECT_EQ(w.SurfaceImage().size(), QSize(500, 300));
    EXPECT_TRUE(rig.notes.messages.empty());

    // Without a picture the map asks for one.
    s.map[1].MapPath.clear();
    w.resize(520, 300);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_EQ(rig.notes.messages[0].text, "Select A Map");
    EXPECT_EQ(rig.notes.messages[0].title, "KORVAL");

    windows.ShowMapClicked(2);
    EXPECT_FALSE(s.opt.mnuShowMap2);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(shown, (std::vector<std::pair<int, bool>>{{2, true}, {2, false}}));
}

TEST_F(MapWindowsTest, MissingImageLeavesTheMapUncheckedWithoutAMessage)
{
    for (const char* path : {"", "/nonexistent/deleted.jpg"}) {
        s.map[0].MapPath = path;
        windows.ShowMapClicked(1);
        EXPECT_FALSE(s.opt.mnuShowMap1) << path;
        EXPECT_TRUE(windows.Existing(1) == nullptr || !windows.Existing(1)->isVisible()) << path;
    }
    EXPECT_TRUE(rig.notes.messages.empty());
}

TEST_F(MapWindowsTest, PlacementIsReadOnShowAndWrittenOnCloseUnlessMinimised)
{
    rig.home.Write("KORVAL.ini", "[Map3]\r\nTop=1500\r\nLeft=3000\r\nHeight=6000\r\nWidth=9000\r\n");
    windows.ShowMapClicked(3);
    MapWindow& w = windows.Window(3);
    EXPECT_EQ(w.size(), QSize(600, 400));
    w.resize(640, 400);
    w.close();
    EXPECT_FALSE(s.opt.mnuShowMap3);
    EXPECT_EQ(shown.back(), std::make_pair(3, false));
    const std::string ini = rig.home.Read("KORVAL.ini");
    EXPECT_NE(ini.find("Width=9600"), std::string::npos) << ini;

    // Shown again with what it wrote; closed minimised, it writes nothing.
    windows.ShowMapClicked(3);
    EXPECT_EQ(w.size(), QSize(640, 400));
    const int before = windows.Redraws(3);
    w.showMinimized();
    QCoreApplication::processEvents();
    w.resize(300, 200);
    EXPECT_EQ(windows.Redraws(3), before);  // minimised maps are not drawn
    w.close();
    EXPECT_EQ(rig.home.Read("KORVAL.ini"), ini);
}

struct ClickCase {
    const char* name;
    Qt::MouseButton button;
    QPoint offset;  // pixels from the aircraft's marker
    const char* text;
};
class LabelClicks : public MapWindowsTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(LabelClicks, LabelWhileTheButtonIsDown)
{
    const ClickCase& c = GetParam();
    test::AddAircraft(s, "G-AAAA", "0/0");  // the centre of the world map
    test::AddAircraft(s, "G-BBBB", "10/10");
    windows.ShowMapClicked(1);
    MapWindow& w = windows.Window(1);
    const QPoint centre(w.width() / 2, w.height() / 2);
    Click(w.Surface(), c.button, centre + c.offset);
    QLabel& label = w.DetailsLabel();
    EXPECT_EQ(label.isVisible(), c.text[0] != 0);
    if (label.isVisible()) {
        EXPECT_EQ(label.text(), QString::fromUtf8(c.text));
        EXPECT_EQ(label.pos(), centre + c.offset + QPoint(4, 0));  // 60 twips right of the click
    }
    Click(w.Surface(), c.button, centre + c.offset, QEvent::MouseButtonRelease);
    EXPECT_FALSE(label.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    MapWindows, LabelClicks,
    ::testing::Values(
        ClickCase{"left", Qt::LeftButton, {0, 0}, "\nFNG-AAAA  M080  F350  EGLL-KJFK\nFNG-BBBB  M080  F350  EGLL-KJFK"},
        ClickCase{"right", Qt::RightButton, {2, 2}, "\nG-AAAA\nB744\nG-BBBB\nB744"},
        ClickCase{"middle", Qt::MiddleButton, {0, 0}, ""}),
    korval::test::CaseName());

TEST_F(MapWindowsTest, SaveMapProposesTheDefaultNameAndWritesTheSurface)
{
    windows.ShowMapClicked(1);
    windows.Window(1).resize(401, 250);
    FileDialogRequest asked;
    const QString target = QString::fromStdString((rig.home.path() / "saved.jpg").string());
    bool cancel = true;
    windows.SetFileDialogs(
        [&](const FileDialogRequest& r) -> std::optional<QString> {
            asked = r;
            if (cancel) return std::nullopt;
            return target;
        },
        {});
    EXPECT_FALSE(windows.SaveMap(1));
    EXPECT_FALSE(rig.home.Exists("saved.jpg"));
    EXPECT_EQ(asked.title, QStringLiteral("Save Map 1"));
    EXPECT_TRUE(asked.save);
    EXPECT_TRUE(asked.initialPath.endsWith(QStringLiteral("/KorvalMap1051226,0000Z.jpg")))
        << asked.initialPath.toStdString();

    cancel = false;
    ASSERT_TRUE(windows.SaveMap(1));
    QImageReader reader(target);
    EXPECT_EQ(reader.format(), QByteArray("jpeg"));
    EXPECT_EQ(reader.read().size(), QSize(401, 250));

    // A map never drawn has nothing to save: logged, no dialog.
    asked = {};
    EXPECT_FALSE(windows.SaveMap(3));
    EXPECT_TRUE(asked.title.isEmpty());
}

TEST_F(MapWindowsTest, ViewMapSizesTheViewerToThePictureWithinTheScreen)
{
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    struct Case {
        QSize picture, window;
    } cases[] = {{{300, 200}, {300, 200}}, {screen + QSize(500, 500), screen}};
    for (const Case& c : cases) {
        const QString file = QString::fromStdString((rig.home.path() / "view.jpg").string());
        QImage picture(c.picture, QImage::Format_RGB32);
        picture.fill(Qt::darkBlue);
        ASSERT_TRUE(picture.save(file, "JPEG", 90));
        FileDialogRequest asked;
        windows.SetFileDialogs({}, [&](const FileDialogRequest& r) -> std::optional<QString> {
            asked = r;
            return file;
        });
        ASSERT_TRUE(windows.ViewMap());
        EXPECT_EQ(asked.initialPath, QString::fromStdString(s.Home().string()));
        ASSERT_NE(windows.Viewer(), nullptr);
        EXPECT_EQ(windows.Viewer()->Picture().size(), c.picture);
        // The window with its frame never exceeds the screen.
        const MapViewWindow& v = *windows.Viewer();
        const QSize frame = v.frameGeometry().size() - v.geometry().size();
        EXPECT_EQ(v.size(), c.window.boundedTo(screen - frame));
    }
    windows.SetFileDialogs({}, [](const FileDialogRequest&) -> std::optional<QString> { return std::nullopt; });
    EXPECT_FALSE(windows.ViewMap());
}

TEST_F(MapWindowsTest, BurstIsDrawnOncePerMapAndMatchesAFreshRedraw)
{
    for (int n = 1; n <= 3; ++n) {
        windows.ShowMapClicked(n);
        windows.Window(n).resize(400 + 50 * n, 250);
    }
    QCoreApplication::processEvents();
    int before[3];
    for (int n = 1; n <= 3; ++n) before[n - 1] = windows.Redraws(n);

    // A thousand changes: a hundred aircraft arrive and each moves nine times.
    std::vector<std::shared_ptr<Aircraft>> planes;
    for (std::size_t i = 0; i < 1000; ++i) {
        const std::string at = std::to_string(i % 100 * 1700 - 85000) + "/" + std::to_string(i / 100 * 30000 - 150000);
        if (i < 100) planes.push_back(test::AddAircraft(s, "G-" + std::to_string(i), at));
        planes[i % 100]->NewLocation = at;
        s.Notify(ChangeMaps);
    }
    QCoreApplication::processEvents();

    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(windows.Redraws(n), before[n - 1] + 1) << "map " << n;
        MapWindow& w = windows.Window(n);
        const QImage drawn = w.SurfaceImage().copy();
        CanvasMapView fresh(w.size());
        MapView* own = s.mapView[n - 1];
        s.mapView[n - 1] = &fresh;
        void (*const plot[])(Station&) = {NewPlot1, NewPlot2, NewPlot3};
        plot[n - 1](s);
        s.mapView[n - 1] = own;
        EXPECT_TRUE(drawn == fresh.canvas().Image()) << "map " << n;
    }
}

}  // namespace
}  // namespace korval::ui
