#include "maps/details.h"

#include <memory>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "recording_canvas.h"
#include "station/station.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::AddAircraft;  // shown, flight FN + id, M080, F350, EGLL-KJFK, a B744
// The worked-example frame (N 60, S 40, W -40, E 0) over a 6000 x 4000-twip client area:
// LatScale -0.2, LonScale 0.15, origin (-6000, -12000); 50000/-20000 lands at (-3000, -10000),
// the centre of the area.
constexpr float kCx = -3000, kCy = -10000;
constexpr const char* kCentre = "50000/-20000";

struct ClickDetails : ::testing::Test {
    ClickDetails()
    {
        for (auto& m : s.map) m = test::Frame("60000", "40000", "000000", "-040000");
        p = ComputeWindowProjection(s, 1, 6000, 4000);
    }
    void AddSBS(const std::string& id, const std::string& position)
    {
        const SBSAircraft a{0, position, "", id, "SB" + id, "Ht: 35000 ft ", "LHR-JFK", "A320 " + id, 0, ""};
        s.SBSAircraftCol.Add(std::make_shared<SBSAircraft>(a), id);
    }
    test::Rig rig;
    Station& s = rig.station;
    WindowProjection p;
};

TEST_F(ClickDetails, WindowProjectionIsTheRedrawsAndLeavesTheSharedOneAlone)
{
    s.EdgeW = 1;
    s.LatScale = 7;
    ComputeWindowProjection(s, 2, 6000, 4000);
    EXPECT_EQ(std::tuple(p.LatScale, p.OriginTop(), s.EdgeW, s.LatScale), std::tuple(-0.2f, -12000.f, 1, 7.f));

    s.map[2].N = "north";
    EXPECT_THROW(ComputeWindowProjection(s, 3, 6000, 4000), Fault);
    EXPECT_EQ(s.EdgeW, 1);
}

// The marker's square is strictly 80 twips wide: 40 twips off its centre misses.
TEST_F(ClickDetails, StrictEightyTwipSquare)
{
    AddAircraft(s, "G-AAAA", kCentre);
    EXPECT_FALSE(BuildDetails(s, 1, p, MouseButton::Left, kCx + 40, kCy).Shown());
    EXPECT_TRUE(BuildDetails(s, 1, p, MouseButton::Left, kCx + 39.9f, kCy).Shown());
}

// Every aircraft under the click gives one entry, in collection order, hidden ones too. With
// Decode Modern Formats on, the flight data says where the position came from; off, or for a
// record that does not know, the caption is as it always was.
TEST_F(ClickDetails, OverlappingAircraftGiveOneEntryEachAndTheirSourceWithDecodeModernFormats)
{
    AddAircraft(s, "G-DDDD", kCentre)->Source = "ADS-C basic";
    AddAircraft(s, "G-EEEE", "50010/-20010")->Show = false;
    AddAircraft(s, "G-FAR", "45000/-10000");
    AddSBS("4CA123", kCentre);
    s.SBSAircraftCol.Snapshot().front()->Source = "SBS-1";
    const korval::Details left = BuildDetails(s, 1, p, MouseButton::Left, kCx, kCy);
    EXPECT_EQ(std::tie(left.Caption, left.BackColour),
              std::tuple("\r\nFNG-DDDD  M080  F350  EGLL-KJFK\r\nFNG-EEEE  M080  F350  EGLL-KJFK"
                         "\r\nSB4CA123  Ht: 35000 ft \r\nLHR-JFK",
                         kFlightDataBack));
    s.opt.mnuExtendedDecoding = true;
    EXPECT_EQ(BuildDetails(s, 1, p, MouseButton::Left, kCx, kCy).Caption,
              "\r\nFNG-DDDD  M080  F350  EGLL-KJFK\r\nvia ADS-C basic\r\nFNG-EEEE  M080  F350  EGLL-KJFK"
              "\r\nSB4CA123  Ht: 35000 ft \r\nLHR-JFK\r\nvia SBS-1");
    const korval::Details right = BuildDetails(s, 1, p, MouseButton::Right, kCx, kCy);
    EXPECT_EQ(std::tie(right.Caption, right.BackColour),
              std::tuple("\r\nG-DDDD\r\nB744\r\nG-EEEE\r\nB744\r\n4CA123\r\nA320 4CA123", kIdentityBack));
    EXPECT_EQ(CaptionLines(right.Caption), "\nG-DDDD\nB744\nG-EEEE\nB744\n4CA123\nA320 4CA123");
}

// Peeking reads the details and leaves unreadable aircraft alone; the window's click then says
// the same and removes them. Unreadable SBS-1 positions are passed over and stay.
TEST_F(ClickDetails, UnreadableLocationsArePassedOverByAPeekAndRemovedByTheClick)
{
    AddAircraft(s, "NOSLASH", "50000-20000");
    AddAircraft(s, "EMPTY", "");
    AddAircraft(s, "G-EEEE", kCentre);
    AddAircraft(s, "WORDS", "north/west");
    AddAircraft(s, "HUGE", "99999999999/0");
    AddSBS("BADSBS", "garbage");
    AddSBS("S1", kCentre);

    const korval::Details left = PeekDetails(s, 1, p, MouseButton::Left, kCx, kCy);
    EXPECT_EQ(left.Caption, "\r\nFNG-EEEE  M080  F350  EGLL-KJFK\r\nSBS1  Ht: 35000 ft \r\nLHR-JFK");
    // SBS-1 aircraft are on map 1 only.
    EXPECT_EQ(PeekDetails(s, 2, p, MouseButton::Right, kCx, kCy).Caption, "\r\nG-EEEE\r\nB744");
    // A button that runs no pass shows nothing, reads nothing and removes nothing.
    EXPECT_EQ(std::tuple(BuildDetails(s, 1, p, MouseButton::Middle, kCx, kCy).Caption, s.AircraftCol.Count()),
              std::tuple("", 5u));

    EXPECT_EQ(BuildDetails(s, 1, p, MouseButton::Left, kCx, kCy).Caption, left.Caption);
    EXPECT_EQ(std::tuple(s.AircraftCol.Count(), s.SBSAircraftCol.Count()), std::tuple(1u, 2u));
}

TEST_F(ClickDetails, OnlyTheFirstTwoThousandOfACollectionTakePart)
{
    for (int i = 0; i < 2001; ++i) AddAircraft(s, "A" + std::to_string(i), kCentre);
    korval::Details d = BuildDetails(s, 1, p, MouseButton::Right, kCx, kCy);
    EXPECT_NE(d.Caption.find("\r\nA1999\r\n"), std::string::npos);
    EXPECT_EQ(d.Caption.find("\r\nA2000\r\n"), std::string::npos);
}

// Placement in the worked example's area: left -6000, top -12000, 6000 x 4000, for a label of
// 1000 x 500 twips.
struct PlaceCase {
    const char* name;
    int map;
    float x, y, h, left, top;
};
class LabelPlacement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(LabelPlacement, FirstMatchingRow)
{
    const PlaceCase& c = GetParam();
    LabelPlace at = PlaceDetailsLabel(c.map, c.x, c.y, 1000, c.h, -6000, -12000, 6000, 4000);
    EXPECT_EQ(std::tie(at.Left, at.Top), std::tie(c.left, c.top));
}

INSTANTIATE_TEST_SUITE_P(Maps, LabelPlacement,
                         ::testing::Values(PlaceCase{"middle", 1, -3000, -10000, 500, -2940, -10000},
                                           PlaceCase{"rightEdge", 1, -500, -10000, 500, -1560, -10000},
                                           PlaceCase{"topRightMap1", 1, -500, -11800, 500, -1600, -11900},
                                           PlaceCase{"topRightMap2", 2, -500, -11800, 500, -1560, -11900},
                                           PlaceCase{"bottom", 1, -3000, -8200, 500, -2940, -8600},
                                           PlaceCase{"tallerThanArea", 1, -3000, -10000, 5000, -2940, -11900}),
                         test::CaseName());

}  // namespace
}  // namespace korval
