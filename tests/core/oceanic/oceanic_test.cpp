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

TEST(Oceanic, NumOfWaypointsCountsTheFirst2000Characters)
{
    Rig rig;
    Station& s = rig.station;
    EXPECT_EQ(NumOfWaypoints(s), 0);
    s.PositionText = "50000/-020000,51000/-020000,";
    EXPECT_EQ(NumOfWaypoints(s), 2);
    s.PositionText.clear();
    for (int i = 0; i < 1000; ++i) s.PositionText += "1/1,";  // 4000 characters
    EXPECT_EQ(NumOfWaypoints(s), 500);
}

struct LegCase {
    const char* name;
    const char* previous;
    const char* point;
    const char* mach;
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
    ::testing::Values(LegCase{"oneDegreeAtM080", "50000/-020000,1200", "51000/-020000", "080", 7, "1207", false},
                      LegCase{"defaultMach", "50000/-020000,1200", "51000/-020000", "", 7, "1207", false},
                      LegCase{"pastMidnight", "50000/-020000,2355", "51500/-020000", "080", 10, "0005", false},
                      LegCase{"pastTheHour", "50000/-020000,1259", "51000/-020000", "080", 7, "1306", false},
                      LegCase{"threeCharacterEntry", "50000/-020000,130", "51000/-020000", "080", 7, "1307", false},
                      LegCase{"machZero", "50000/-020000,1200", "51000/-020000", "000", 0, "1200", true},
                      LegCase{"machNotNumber", "50000/-020000,1200", "51000/-020000", "0A0", 0, "1200", true},
                      LegCase{"noSlash", "50000-020000,1200", "51000/-020000", "080", 0, "1200", true},
                      LegCase{"noTime", "50000/-020000,", "51000/-020000", "080", 7, "", true}),
    test::CaseName());

TEST(Oceanic, TimelineOccurrences)
{
    EXPECT_EQ(TimeTextMinutes("1345"), 825);
    EXPECT_EQ(TimeTextMinutes("130"), 90);                // compared as the number 130: 01:30
    EXPECT_EQ(TimeTextMinutes("2430"), 1470);             // the Gander estimate past midnight
    EXPECT_EQ(NearestOccurrence(20, 1400), 1460);         // taken 23:20 for 00:20
    EXPECT_EQ(NearestOccurrence(1410, 1440 + 10), 1410);  // taken 00:10 for 23:30 just gone
    EXPECT_EQ(NearestOccurrence(750, 720), 750);
    EXPECT_EQ(NearestOccurrence(0, 720), 1440);  // twelve hours either way: the later
    EXPECT_EQ(FirstOccurrenceFrom(14, 1410), 1454);
    EXPECT_EQ(FirstOccurrenceFrom(1410, 1410), 1410);
    EXPECT_EQ(WaypointMinutes({"a,2330", "b,0014", "c,", "d,2330"}, 1320),
              (std::vector<std::int64_t>{1410, 1454, Aircraft::kNoMinute, 2850}));
}

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

TEST(Oceanic, ClearanceIsTimed)
{
    Rig rig;
    DeliverTrackMsg(rig.station, {.positions = kClearance, .oceanic = true});
    const Aircraft& a = *rig.station.AircraftCol.Item(std::size_t{1});
    ASSERT_TRUE(a.WayList);
    EXPECT_EQ(*a.WayList, (std::vector<std::string>{"50000/-050000,1230", "51000/-040000,1314", "52000/-030000,1357",
                                                    "52000/-020000,1439"}));
    EXPECT_EQ(a.WayMinutes, (std::vector<std::int64_t>{750, 794, 837, 879}));
    EXPECT_EQ(a.LastTime, "1230");
    EXPECT_EQ(a.NextTime, "1314");
    EXPECT_EQ(a.WayIndex, 1);
}

TEST(Oceanic, TwoPositionsAreNotTimed)
{
    Rig rig;
    DeliverTrackMsg(rig.station, {.positions = "50000/-050000,51000/-040000,", .oceanic = true});
    EXPECT_FALSE(rig.station.AircraftCol.Item(std::size_t{1})->Oceanic);
    EXPECT_FALSE(rig.station.AircraftCol.Item(std::size_t{1})->WayList);
    EXPECT_EQ(rig.station.RouteLineCol.Count(), 1u);
}

// Runs the estimator every two minutes from 12:30 up to and including `until` (minute of day).
void FlyUntil(Rig& rig, int until)
{
    for (int m = 750; m <= until; m += 2) {
        rig.clock.SetUtcTime(m / 60, m % 60);
        MidWaypoint(rig.station);
    }
}

struct FlightCase {
    const char* name;
    int until;  // minute of day
    bool shown;
    int wayIndex;
    const char* location;
};

class OceanicFlight : public ::testing::TestWithParam<FlightCase> {};

TEST_P(OceanicFlight, EstimateAlongTheWaypoints)
{
    Rig rig;
    DeliverTrackMsg(rig.station, {.positions = kClearance, .oceanic = true});
    if (GetParam().until < 750) {
        rig.clock.SetUtcTime(GetParam().until / 60, GetParam().until % 60);
        MidWaypoint(rig.station);
    } else {
        FlyUntil(rig, GetParam().until);
    }
    const Aircraft& a = *rig.station.AircraftCol.Item(std::size_t{1});
    EXPECT_EQ(a.Show, GetParam().shown);
    EXPECT_EQ(a.WayIndex, GetParam().wayIndex);
    EXPECT_EQ(a.NewLocation, GetParam().location);
    EXPECT_EQ(ErrorLog(rig), "");
}

INSTANTIATE_TEST_SUITE_P(Oceanic, OceanicFlight,
                         ::testing::Values(FlightCase{"beforeEntry", 12 * 60 + 29, false, 1, "50000/-050000"},
                                           FlightCase{"atEntry", 750, true, 1, "50000/-50000"},
                                           FlightCase{"halfFirstLeg", 772, true, 1, "50500/-45000"},
                                           FlightCase{"secondPoint", 794, true, 2, "51000/-40000"},
                                           FlightCase{"afterLastPoint", 15 * 60, true, 3, "52000/-20238"}),
                         test::CaseName());

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

// One damaged record is logged on one line; the others are still moved and the maps redrawn.
TEST(Oceanic, FaultWithOneAircraftSparesTheOthers)
{
    Rig rig;
    Station& s = rig.station;
    DeliverTrackMsg(s, {.positions = kClearance, .reg = "G-AAAA", .oceanic = true});
    DeliverTrackMsg(s, {.positions = kClearance, .reg = "G-BBBB", .oceanic = true});
    s.AircraftCol.Item(std::size_t{1})->SetWayListElement(0, "garbage,1230");
    int redraws = 0;
    s.Subscribe([&](ChangeFlags what) { redraws += (what & ChangeMaps) ? 1 : 0; });
    rig.clock.SetUtcTime(12, 52);
    MidWaypoint(s);
    EXPECT_EQ(s.AircraftCol.Item(std::size_t{2})->NewLocation, "50500/-45000");
    EXPECT_EQ(redraws, 1);
    EXPECT_NE(ErrorLog(rig).find("in procedure MidWaypoint of Module Oceanic\r\n"), std::string::npos);
}

}  // namespace
}  // namespace korval::test
