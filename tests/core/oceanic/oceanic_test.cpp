#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../tracking/tracking_support.h"
#include "oceanic/oceanic.h"
#include "oceanic/timing.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;
// Entry 1230 at Mach 0.80: legs of 44, 43 and 42 minutes.
const char* const kClearance = "50000/-050000,51000/-040000,52000/-030000,52000/-020000,";

// Two or four positions decide a clearance (the tests below); here, only the first 2000 count.
TEST(Oceanic, NumOfWaypointsCountsTheFirst2000Characters)
{
    Rig rig;
    for (int i = 0; i < 1000; ++i) rig.station.PositionText += "1/1,";  // 4000 characters
    EXPECT_EQ(NumOfWaypoints(rig.station), 500);
}

struct LegCase {
    const char* name;
    const char *previous, *point, *mach;
    int minutes;
    const char* time;  // NextwayTime
    bool logged;
};

class OceanicLegs : public ::testing::TestWithParam<LegCase> {};

TEST_P(OceanicLegs, MinutesAndTimeOverThePoint)
{
    const LegCase& c = GetParam();
    Rig rig;
    EXPECT_EQ(TimeToNextWay(rig.station, c.previous, c.point, c.mach), c.minutes);
    EXPECT_EQ(NextwayTime(rig.station, c.previous, c.point, c.mach), c.time);
    EXPECT_EQ(!ErrorLog(rig).empty(), c.logged) << ErrorLog(rig);
}

INSTANTIATE_TEST_SUITE_P(
    Oceanic, OceanicLegs,
    ::testing::Values(LegCase{"pastMidnight", "50000/-020000,2355", "51500/-020000", "080", 10, "0005", false},
                      LegCase{"threeCharacterEntry", "50000/-020000,130", "51000/-020000", "080", 7, "1307", false},
                      LegCase{"machNotNumber", "50000/-020000,1200", "51000/-020000", "0A0", 0, "1200", true},
                      LegCase{"noSlash", "50000-020000,1200", "51000/-020000", "080", 0, "1200", true},
                      LegCase{"noTime", "50000/-020000,", "51000/-020000", "080", 7, "", true}),
    test::CaseName());

TEST(Oceanic, FractionAndPositionHalfWay)
{
    Rig rig;
    const OceanicLeg leg{50000, -40000, 52001, -30000, 750, 810};  // 12:30 to 13:30
    EXPECT_FLOAT_EQ(MidTimeFraction(rig.station, leg, 780), 0.5f);
    EXPECT_EQ(MidTimePos(rig.station, leg, 780), "51000/-35000");  // 1000.5 rounds to even
    const OceanicLeg still{50000, -40000, 52000, -30000, 750, 750};
    EXPECT_EQ(MidTimePos(rig.station, still, 750), "50000/-40000");  // no time: the start
    EXPECT_NE(ErrorLog(rig).find("Procedure: MidTimeFraction - Module: Oceanic"), std::string::npos);
}

TEST(Oceanic, TwoPositionsAreNotTimed)
{
    Rig rig;
    DeliverTrackMsg(rig.station, {.positions = "50000/-050000,51000/-040000,", .oceanic = true});
    const Aircraft& a = *rig.station.AircraftCol.Item(std::size_t{1});
    EXPECT_FALSE(a.Oceanic || a.WayList);
    EXPECT_EQ(rig.station.RouteLineCol.Count(), 1u);
}

TEST(Oceanic, EqualFirstPointsAdvanceAtOnce)
{
    Rig rig;
    DeliverTrackMsg(rig.station,
                    {.positions = "50000/-050000,50000/-050000,51000/-040000,52000/-030000,", .oceanic = true});
    const Aircraft& a = *rig.station.AircraftCol.Item(std::size_t{1});
    EXPECT_EQ(a.WayListElement(1), "50000/-050000,1230");
    EXPECT_EQ(a.WayListElement(2), "51000/-040000,1314");
    rig.clock.SetUtcTime(12, 40);
    MidWaypoint(rig.station);
    EXPECT_EQ(a.WayIndex, 2);
    EXPECT_EQ(a.NewLocation, "50227/-47727");  // 10 of 44 minutes
}

// Entry at 12:30, legs of 44, 43 and 42 minutes (the day replay checks the waypoints' times).
// One damaged record is logged on one line; the others are still moved and the maps redrawn.
TEST(Oceanic, ClearancesAreTimedAndAFaultWithOneAircraftSparesTheOthers)
{
    Rig rig;
    Station& s = rig.station;
    DeliverTrackMsg(s, {.positions = kClearance, .reg = "G-AAAA", .oceanic = true});
    DeliverTrackMsg(s, {.positions = kClearance, .reg = "G-BBBB", .oceanic = true});
    const Aircraft& other = *s.AircraftCol.Item(std::size_t{2});
    EXPECT_EQ(other.WayMinutes, (std::vector<std::int64_t>{750, 794, 837, 879}));
    EXPECT_EQ(other.LastTime + "-" + other.NextTime, "1230-1314");
    s.AircraftCol.Item(std::size_t{1})->SetWayListElement(0, "garbage,1230");
    int redraws = 0;
    s.Subscribe([&](ChangeFlags what) { redraws += (what & ChangeMaps) ? 1 : 0; });
    rig.clock.SetUtcTime(12, 52);
    MidWaypoint(s);
    EXPECT_EQ(other.NewLocation, "50500/-45000");
    EXPECT_EQ(redraws, 1);
    EXPECT_NE(ErrorLog(rig).find("in procedure MidWaypoint of Module Oceanic\r\n"), std::string::npos);
}

}  // namespace
}  // namespace korval::test
