#include <gtest/gtest.h>

#include <string>

#include "tracking/process.h"
#include "tracking_support.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;
const char* const kClearance = "50000/-050000,51000/-040000,52000/-030000,52000/-020000,";

TEST(ProcessMessage, TwoPositionsOfANewKey)
{
    Rig rig;
    Station& s = rig.station;
    DeliverTrackMsg(s, {.positions = "51234/-010500,52000/-011000,"});
    ASSERT_EQ(s.AircraftCol.Count(), 1u);
    const Aircraft& a = *s.AircraftCol.Item("n923upup0001");
    EXPECT_EQ(a.NewLocation, "52000/-011000");
    EXPECT_EQ(a.OldLocation, "51234/-010500");
    EXPECT_EQ(a.ID, "N923UP");
    EXPECT_TRUE(a.Show);
    ASSERT_EQ(s.RouteLineCol.Count(), 1u);  // none for the first position
    const RouteLine& r = *s.RouteLineCol.Item(std::size_t{1});
    EXPECT_EQ(r.OldPosition, "51234/-010500");
    EXPECT_EQ(r.NewPosition, "52000/-011000");
    EXPECT_EQ(r.Style, 0);
    EXPECT_EQ(s.box.txtCount.Text, "1");
    EXPECT_EQ(s.box.LiveData.Text, s.CurrentMessage);  // counted messages are logged again
}

struct SkipCase {
    const char* name;
    const char* positions;
    const char* location;  // where the aircraft ends up; "" when none is made
};

class ProcessSkips : public ::testing::TestWithParam<SkipCase> {};

TEST_P(ProcessSkips, OnlyPlausibleEntriesArePlotted)
{
    Rig rig;
    DeliverTrackMsg(rig.station, {.positions = GetParam().positions});
    const std::string location = GetParam().location;
    ASSERT_EQ(rig.station.AircraftCol.Count(), location.empty() ? 0u : 1u);
    if (!location.empty()) {
        EXPECT_EQ(rig.station.AircraftCol.Item(std::size_t{1})->NewLocation, location);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tracking, ProcessSkips,
    ::testing::Values(SkipCase{"halfDegreeNorth", "00500/-030000,", ""},
                      SkipCase{"oneDegreeSouth", "-01000/-030000,", ""},
                      SkipCase{"justPastOneDegreeSouth", "-01001/-030000,", "-01001/-030000"},
                      SkipCase{"letter", "5123A/-010500,", ""}, SkipCase{"space", "51234 /-010500,", ""},
                      SkipCase{"emptyEntryThenGood", ",51234/-010500,", "51234/-010500"},
                      SkipCase{"binary", "\x01\xff/\x80,\x7f,", ""},
                      SkipCase{"equatorBetweenGood", "51000/-010000,00900/-011000,52000/-012000,", "52000/-012000"}),
    test::CaseName());

struct JumpCase {
    const char* name;
    bool oceanic, request, tooFarOn;
    const char* latLimit;
    const char* lonLimit;
    const char* to;  // from 50000/170000
    bool accepted;
};

class ProcessJumps : public ::testing::TestWithParam<JumpCase> {};

// One message of two positions: the second is checked against the first.
TEST_P(ProcessJumps, LimitsOfAPlausibleJump)
{
    const JumpCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuTooFar = c.tooFarOn;
    s.dlg.txtTooLat = c.latLimit;
    s.dlg.txtTooLong = c.lonLimit;
    DeliverTrackMsg(
        s, {.positions = std::string("50000/170000,") + c.to + ",", .oceanic = c.oceanic, .request = c.request});
    ASSERT_EQ(s.RouteLineCol.Count(), 1u);  // a refused jump still makes a zero-length segment
    const RouteLine& r = *s.RouteLineCol.Item(std::size_t{1});
    EXPECT_EQ(r.OldPosition, "50000/170000");
    EXPECT_EQ(r.NewPosition, c.accepted ? c.to : "50000/170000");
    EXPECT_EQ(s.AircraftCol.Item(std::size_t{1})->NewLocation, r.NewPosition);
    EXPECT_EQ(ErrorLog(rig), "");
}

INSTANTIATE_TEST_SUITE_P(
    Tracking, ProcessJumps,
    ::testing::Values(JumpCase{"latExactly8", false, false, true, "8", "10", "58000/170000", true},
                      JumpCase{"lat8001", false, false, true, "8", "10", "58001/170000", false},
                      JumpCase{"latSouth8001", false, false, true, "8", "10", "41999/170000", false},
                      JumpCase{"lonExactly10", false, false, true, "8", "10", "50000/160000", true},
                      JumpCase{"lon10001", false, false, true, "8", "10", "50000/159999", false},
                      JumpCase{"limitOff", false, false, false, "8", "10", "70000/100000", true},
                      JumpCase{"clearanceLat10", true, false, true, "1", "1", "60000/170000", true},
                      JumpCase{"clearanceLat10001", true, false, true, "1", "1", "60001/170000", false},
                      JumpCase{"clearanceLon20", true, false, true, "1", "1", "50000/150000", true},
                      JumpCase{"requestLon20001", false, true, true, "1", "1", "50000/149999", false},
                      JumpCase{"acrossDateLine", false, false, true, "8", "10", "50000/-180000", true},
                      JumpCase{"acrossDateLine10001", false, false, true, "8", "10", "50000/-179999", false}),
    test::CaseName());

struct KeyCase {
    const char* name;
    bool oceanic, request, hf;
    const char* key;
};

class TrackingKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(TrackingKeys, FromBoxesAndFlags)
{
    Rig rig;
    PrepareTrackMsg(rig.station,
                    {.oceanic = GetParam().oceanic, .request = GetParam().request, .hfFlightAsId = GetParam().hf});
    EXPECT_EQ(TrackingKey(rig.station), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(Tracking, TrackingKeys,
                         ::testing::Values(KeyCase{"ordinary", false, false, false, "N923UPUP0001"},
                                           KeyCase{"clearance", true, false, false, "N923UPUP0001OCA"},
                                           KeyCase{"clearanceWinsOverRequest", true, true, true, "N923UPUP0001OCA"},
                                           KeyCase{"request", false, true, true, "N923UPUP0001REQPWI"},
                                           KeyCase{"hfFlightAsId", false, false, true, "UP0001UP0001"}),
                         test::CaseName());

struct LabelCase {
    const char* name;
    bool gander;
    std::size_t labelled;  // the route line carrying the NAT label
    const char* natPos;
};

class ClearanceTaken : public ::testing::TestWithParam<LabelCase> {};

TEST_P(ClearanceTaken, TimedWithOneLabelledSegment)
{
    Rig rig;
    Station& s = rig.station;
    DeliverTrackMsg(s, {.positions = kClearance, .oceanic = true, .gander = GetParam().gander});
    ASSERT_EQ(s.AircraftCol.Count(), 1u);
    const Aircraft& a = *s.AircraftCol.Item("N923UPUP0001OCA");
    EXPECT_TRUE(a.Oceanic);
    EXPECT_FALSE(a.Show);
    EXPECT_EQ(a.NewLocation, "50000/-050000");  // back on the entry point
    EXPECT_EQ(a.Mach, "M080");
    EXPECT_EQ(a.Level, "F350");
    ASSERT_EQ(s.RouteLineCol.Count(), 3u);
    for (std::size_t i = 1; i <= 3; ++i) {
        const RouteLine& r = *s.RouteLineCol.Item(i);
        EXPECT_EQ(r.NATrack, i == GetParam().labelled ? "NAT A" : "") << i;
        EXPECT_EQ(r.NATPos, i == GetParam().labelled ? GetParam().natPos : "") << i;
    }
    EXPECT_EQ(s.OceanicCount, 1);
    EXPECT_EQ(s.box.txtOCA.Text, "1");
    EXPECT_EQ(s.box.txtCount.Text, "0");
    EXPECT_EQ(s.box.LiveData.BackColor, colour::Green);
}

INSTANTIATE_TEST_SUITE_P(Tracking, ClearanceTaken,
                         ::testing::Values(LabelCase{"lastSegment", false, 3, "52000/-020000"},
                                           LabelCase{"ganderFirstSegment", true, 1, "50000/-050000"}),
                         test::CaseName());

struct RepeatCase {
    const char* name;
    bool oceanic, request;
    const char* resumedFrom;  // where the record stood when the second copy came
};

class TakenTwice : public ::testing::TestWithParam<RepeatCase> {};

// The second copy is marked as a repeat (never processed again), its later positions become
// plain reports of the same record, and the estimate of that record ends.
TEST_P(TakenTwice, SecondCopyIsARepeat)
{
    Rig rig;
    Station& s = rig.station;
    const TrackMsg msg{.positions = kClearance, .oceanic = GetParam().oceanic, .request = GetParam().request};
    DeliverTrackMsg(s, msg);
    const std::string counted = GetParam().oceanic ? s.box.txtOCA.Text : s.box.txtCount.Text;
    ASSERT_EQ(counted, "1");
    DeliverTrackMsg(s, msg);
    EXPECT_FALSE(s.OceanicMessage);
    EXPECT_FALSE(s.REQPWIMessage);
    EXPECT_FALSE(s.PositionReformatted);
    ASSERT_EQ(s.AircraftCol.Count(), 1u);
    const Aircraft& a = *s.AircraftCol.Item(std::size_t{1});
    EXPECT_FALSE(a.Oceanic);
    EXPECT_FALSE(a.REQPWI);
    EXPECT_EQ(s.RouteLineCol.Count(), 6u);  // three more, from the second position on
    EXPECT_EQ(s.RouteLineCol.Item(std::size_t{4})->OldPosition, GetParam().resumedFrom);
    EXPECT_EQ(s.RouteLineCol.Item(std::size_t{6})->NATrack, "");
    EXPECT_EQ(s.OceanicCount, GetParam().oceanic ? 1 : 0);
    EXPECT_EQ(GetParam().oceanic ? s.box.txtOCA.Text : s.box.txtCount.Text, "1");  // not counted again
}

INSTANTIATE_TEST_SUITE_P(Tracking, TakenTwice,
                         ::testing::Values(RepeatCase{"clearance", true, false, "50000/-050000"},
                                           RepeatCase{"request", false, true, "52000/-020000"}),
                         test::CaseName());

TEST(ProcessMessage, NoRegIsTrackedByFlight)
{
    Rig rig;
    DeliverTrackMsg(rig.station, {.positions = "51000/-010000,52000/-011000,", .id = "NO-REG"});
    EXPECT_EQ(rig.station.AircraftCol.Item(std::size_t{1})->ID, "UP0001");
    EXPECT_EQ(rig.station.RouteLineCol.Item(std::size_t{1})->ID, "UP0001");
}

TEST(ProcessMessage, ClearanceWithoutEntryTimeBecomesReports)
{
    Rig rig;
    Station& s = rig.station;
    DeliverTrackMsg(s, {.positions = kClearance, .oceanic = true, .ept = "0"});
    const Aircraft& a = *s.AircraftCol.Item("N923UPUP0001OCA");
    EXPECT_FALSE(a.Oceanic);
    EXPECT_EQ(a.NewLocation, "52000/-020000");
    EXPECT_EQ(s.RouteLineCol.Item(std::size_t{3})->NATrack, "");
    EXPECT_EQ(s.box.txtCount.Text, "1");  // counted as a reformatted report
}

TEST(ProcessMessage, ClearanceAndReportAreTwoRecords)
{
    Rig rig;
    DeliverTrackMsg(rig.station, {.positions = kClearance, .oceanic = true});
    DeliverTrackMsg(rig.station, {.positions = "51000/-045000,"});
    EXPECT_EQ(rig.station.AircraftCol.Count(), 2u);
}

TEST(ProcessMessage, DamagedPositionIsLoggedAndNotCounted)
{
    Rig rig;
    DeliverTrackMsg(rig.station, {.positions = "12345,"});
    EXPECT_EQ(rig.station.AircraftCol.Count(), 0u);
    EXPECT_EQ(rig.station.box.txtCount.Text, "0");
    EXPECT_NE(ErrorLog(rig).find("Procedure: Process Message - Module: ProcessMess"), std::string::npos);
    EXPECT_NE(ErrorLog(rig).find("Waypoints: 12345,"), std::string::npos);
}

TEST(ProcessMessage, UnreadableLimitsAcceptThePositionAndNameTheOldOne)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuTooFar = true;
    s.dlg.txtTooLat = "";
    DeliverTrackMsg(s, {.positions = "50000/-010000,70000/-010000,"});
    EXPECT_EQ(s.AircraftCol.Item(std::size_t{1})->NewLocation, "70000/-010000");
    EXPECT_NE(ErrorLog(rig).find("Procedure: TooFar: OldLat = 50000, OldLong = -010000 - Module: ProcessMess"),
              std::string::npos);
}

TEST(ProcessMessage, HugePositionTextStopsAtTheCountedPositions)
{
    Rig rig;
    std::string positions;
    for (int i = 0; i < 3000; ++i) positions += std::to_string(40000 + i) + "/-010000,";  // 14 characters each
    DeliverTrackMsg(rig.station, {.positions = positions});
    // 2000 characters hold 142 separators; positions 0 to 142 are handled.
    EXPECT_EQ(rig.station.RouteLineCol.Count(), 142u);
    EXPECT_EQ(rig.station.AircraftCol.Item(std::size_t{1})->NewLocation, "40142/-010000");
}

}  // namespace
}  // namespace korval::test
