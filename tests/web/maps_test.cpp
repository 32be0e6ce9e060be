// The maps as the web view draws them: the map windows' redraw on the map canvas at the page's
// size, encoded as JPEG, and clicks answered by the core's hit test; the station left as it was.

#include "web/web_maps.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include <QColor>
#include <QImage>

#include "test_support.h"

namespace korval::web {
namespace {

using korval::test::PrintTo;
constexpr QSize kPicture{300, 200};
// N 60, S 40, W -40, E 0 over 300 x 200 pixels: 50000/-20000 is the centre pixel (150, 100).
constexpr const char* kCentre = "50000/-20000";

class Painter : public ::testing::Test {
protected:
    Painter()
    {
        QImage background(400, 300, QImage::Format_RGB32);
        background.fill(QColor(20, 40, 90));
        background.save(QString::fromStdString((rig.home.path() / "sea.jpg").string()), "JPEG");
        MapConfig& m = s.map[0];
        m.N = "60000";
        m.S = "40000";
        m.E = "000000";
        m.W = "-040000";
        m.MapPath = (rig.home.path() / "sea.jpg").string();
        m.Circle = 0x0000FF;  // red
        s.opt.mnuShowMap1 = false;
    }
    void AddAircraft(const std::string& id, const std::string& location) { test::AddAircraft(s, id, location); }
    static QImage Decode(const QByteArray& jpeg)
    {
        QImage image;
        image.loadFromData(jpeg, "JPEG");
        return image;
    }
    bool ErrorLogged() const { return rig.home.Exists("Logs/ErrorLog .txt"); }

    test::Rig rig;
    Station& s = rig.station;
};

TEST_F(Painter, DrawsAtThePagesSizeAndLeavesTheStationAsItWas)
{
    AddAircraft("G-CENT", kCentre);
    // Scratch state a redraw writes, set to values it would never leave.
    auto current = std::make_shared<Aircraft>();
    s.CurrentAircraft = current;
    s.EdgeW = 11, s.EdgeN = 12, s.EdgeE = 13, s.EdgeS = 14;
    s.LatScale = 1.5f, s.LonScale = 2.5f;
    s.PlotX = 21, s.PlotY = 22;
    s.LineX1 = 31;
    s.ErrProcedure = "Earlier";
    const auto scratch = [&] {
        return std::tuple(s.CurrentAircraft, s.EdgeW, s.EdgeN, s.EdgeE, s.EdgeS, s.LatScale, s.LonScale, s.PlotX,
                          s.PlotY, s.LineX1, s.ErrProcedure);
    };
    const auto before = scratch();

    MapPainter painter(s);
    const MapPicture p = painter.Draw(1, kPicture);
    ASSERT_TRUE(p.problem.isEmpty()) << p.problem.toStdString();
    EXPECT_FALSE(p.faulted);
    const QImage image = Decode(p.jpeg);
    ASSERT_EQ(image.size(), kPicture);
    // The marker is drawn where the frame says (red over the blue sea), not elsewhere.
    const QColor centre = image.pixelColor(150, 100), corner = image.pixelColor(20, 20);
    EXPECT_GT(centre.red(), 150) << centre.name().toStdString();
    EXPECT_LT(corner.red(), 60) << corner.name().toStdString();

    EXPECT_TRUE(s.mapView[0] == nullptr && !s.opt.mnuShowMap1 && scratch() == before);
    EXPECT_TRUE(rig.notes.messages.empty() && !ErrorLogged());
}

// A path "" keeps the test picture.
struct ProblemCase {
    const char* name;
    int map;
    const char *north, *path, *says;
};

class Problems : public Painter, public ::testing::WithParamInterface<ProblemCase> {};

TEST_P(Problems, SaidToThePageWithoutAMessageBoxOrLogEntry)
{
    const ProblemCase& c = GetParam();
    s.map[0].N = c.north;
    if (*c.path) s.map[0].MapPath = c.path;
    MapPainter painter(s);
    const MapPicture p = painter.Draw(c.map, kPicture);
    EXPECT_TRUE(p.jpeg.isEmpty() && p.problem.contains(QLatin1String(c.says))) << p.problem.toStdString();
    EXPECT_TRUE(rig.notes.messages.empty() && !ErrorLogged());
}

INSTANTIATE_TEST_SUITE_P(Web, Problems,
                         ::testing::Values(ProblemCase{"noSuchMap", 4, "60000", "", "maps 1, 2 and 3"},
                                           ProblemCase{"noPicture", 1, "60000", "/nonexistent/europe.jpg",
                                                       "/nonexistent/europe.jpg"},
                                           ProblemCase{"edgesNoNumber", 1, "north", "", "edges"},
                                           ProblemCase{"emptyFrame", 1, "40000", "", "edges"}),
                         korval::test::CaseName());

TEST_F(Painter, ARedrawFaultIsLoggedAsAWindowsWouldBeAndSaidInThePicture)
{
    AddAircraft("G-BAD", "somewhere");
    s.ErrProcedure = "Earlier";
    MapPainter painter(s);
    const MapPicture p = painter.Draw(1, kPicture);
    EXPECT_TRUE(p.faulted);
    EXPECT_FALSE(p.jpeg.isEmpty());  // the background and what came before the fault
    EXPECT_NE(rig.home.Read("Logs/ErrorLog .txt").find("MapAircraft"), std::string::npos);
    EXPECT_EQ(s.ErrProcedure + "|" + s.ErrorFile + "|" + std::to_string(s.AircraftCol.Count()), "Earlier||1");
}

TEST_F(Painter, ClicksAnswerWithTheCoresDetailsAndRemoveNothing)
{
    AddAircraft("G-CENT", kCentre);
    AddAircraft("G-BAD", "somewhere");
    MapPainter painter(s);
    struct Click {
        const char* name;
        QPointF at;
        MouseButton button;
        const char* caption;
    };
    const Click clicks[] = {
        {"twoPixelsOff", {152, 98}, MouseButton::Left, "\r\nFNG-CENT  M080  F350  EGLL-KJFK"},
        {"identity", {150, 100}, MouseButton::Right, "\r\nG-CENT\r\nB744"},
        {"threePixelsOff", {153, 100}, MouseButton::Left, ""},  // 45 twips: outside the 40-twip half side
    };
    for (const Click& c : clicks) {
        const auto d = painter.Click(1, kPicture, c.at, c.button);
        ASSERT_TRUE(d) << c.name;
        EXPECT_EQ(d->Caption, c.caption) << c.name;
    }
    EXPECT_EQ(s.AircraftCol.Count(), 2u);
    s.map[0].N = "north";
    EXPECT_FALSE(painter.Click(1, kPicture, {150, 100}, MouseButton::Left));
    EXPECT_FALSE(painter.Click(0, kPicture, {150, 100}, MouseButton::Left));
}

TEST_F(Painter, SizesAreKeptWithinWhatAPageMayAskFor)
{
    EXPECT_EQ(MapPainter::Clamped({1, 99999}), QSize(kMinSide, kMaxSide));
    EXPECT_EQ(MapPainter::Clamped({-5, 700}), QSize(kMinSide, 700));
    MapPainter painter(s);
    EXPECT_EQ(Decode(painter.Draw(1, {5, 40}).jpeg).size(), QSize(kMinSide, 40));
}

}  // namespace
}  // namespace korval::web
