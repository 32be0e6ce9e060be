#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include "maps/projection.h"
#include "recording_canvas.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Rig;

// Scales and origin of a frame, or the fault it raises.
struct FrameCase {
    const char* name;
    MapConfig frame;
    int width, height, fault;
    float latScale, lonScale, originLeft, originTop;
};

class Frames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(Frames, ScalesAndOriginOrAFault)
{
    const FrameCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.map[1] = c.frame;
    EXPECT_FAULT(SetupProjection(s, 2, c.width, c.height), c.fault);
    if (c.fault == 0) {
        EXPECT_EQ(std::make_tuple(s.LatScale, s.LonScale, OriginLeft(s), OriginTop(s)),
                  std::make_tuple(c.latScale, c.lonScale, c.originLeft, c.originTop));
    }
}

INSTANTIATE_TEST_SUITE_P(Maps, Frames,
                         ::testing::Values(
                             // The worked example (N 60, S 40, W -40, E 0 in 6000 x 4000) is pinned by the redraw and
                             // click tests. Entered upside down: north at the bottom, exactly by the formula.
                             FrameCase{"upsideDown", test::Frame("40000", "60000", "000000", "-040000"), 6000, 4000, 0,
                                       0.2f, 0.15f, -6000, 8000},
                             // As stored from "-7.5" and "52.5".
                             FrameCase{"leadingZeros", test::Frame("52500", "50500", "-005500", "-007500"), 3000, 3000,
                                       0, -1.5f, 1.5f, -11250, -78750},
                             FrameCase{"missingSettings", MapConfig(), 6000, 4000, err::TypeMismatch, 0, 0, 0, 0},
                             FrameCase{"flat", test::Frame("50000", "50000", "000000", "-040000"), 6000, 4000,
                                       err::DivisionByZero, 0, 0, 0, 0},
                             FrameCase{"spanOver32Bits", test::Frame("2000000000", "-2000000000", "000000", "-040000"),
                                       6000, 4000, err::Overflow, 0, 0, 0, 0}),
                         test::CaseName());

// Marker points round halves to the even neighbour; line ends keep the fraction.
struct RoundCase {
    const char *name, *pos;
    std::int32_t plotY, plotX;
    float lineY;  // the track's latitude, not rounded
};

class MarkerRounding : public ::testing::TestWithParam<RoundCase> {};

TEST_P(MarkerRounding, HalvesToEven)
{
    Rig rig;
    Station& s = rig.station;
    s.LatScale = s.LonScale = 0.5f;
    s.CurrentSBSAircraft =
        std::make_shared<SBSAircraft>(SBSAircraft{0, GetParam().pos, GetParam().pos, "", "", "", "", "", 0, ""});
    ASSERT_TRUE(mapSBSAircraft(s));
    EXPECT_EQ(std::tie(s.PlotY, s.PlotX), std::tie(GetParam().plotY, GetParam().plotX));
    ASSERT_TRUE(MapSBSTrack(s));
    EXPECT_EQ(std::tie(s.LineY1, s.LineY2), std::tie(GetParam().lineY, GetParam().lineY));
}

INSTANTIATE_TEST_SUITE_P(Maps, MarkerRounding,
                         ::testing::Values(RoundCase{"halfDown", "25/27", 12, 14, 12.5f},
                                           RoundCase{"negative", "-25/-27", -12, -14, -12.5f},
                                           RoundCase{"leadingZeros", "0025/-0027", 12, -14, 12.5f}),
                         test::CaseName());

// A failing coordinate procedure logs under its own name and leaves the variables it had not
// reached as they were.
TEST(Maps, FailingCoordinateProceduresLogAndKeepTheVariables)
{
    struct {
        const char *name, *pos, *error;
        float latScale;
        bool plotYWritten;
    } cases[] = {
        {"no slash", "50000-20000", "13 (Type mismatch)", -0.2f, false},
        {"no longitude", "50000/", "13 (Type mismatch)", -0.2f, true},
        {"overflow", "2000000000/1", "6 (Overflow)", 2.0f, false},
    };
    for (const auto& c : cases) {
        Rig rig;
        Station& s = rig.station;
        s.LatScale = c.latScale;
        s.LonScale = 0.15f;
        s.PlotX = 111;
        s.PlotY = 222;
        s.CurrentAircraft = std::make_shared<Aircraft>();
        s.CurrentAircraft->NewLocation = c.pos;
        const bool mapped = MapAircraft(s);
        EXPECT_EQ(std::tuple(mapped, s.PlotX, s.PlotY != 222), std::tuple(false, 111, c.plotYWritten)) << c.name;
        const std::string entry = "Error: " + std::string(c.error) + "\r\nProcedure: MapAircraft - Module: ProcessMess";
        EXPECT_NE(rig.home.Read("Logs/ErrorLog .txt").find(entry), std::string::npos) << c.name;
    }
}

}  // namespace
}  // namespace korval
