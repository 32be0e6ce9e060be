#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tracking/process.h"
#include "tracking_support.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;
const char* const kClearance = "50000/-050000,51000/-040000,52000/-030000,52000/-020000,";

// What the messages left, in one line: each aircraft where it stands, every route line with its
// NAT label, the two counters.
std::string Tracks(const Station& s)
{
    std::string out;
    for (std::size_t i = 1; i <= s.AircraftCol.Count(); ++i) {
        const Aircraft& a = *s.AircraftCol.Item(i);
        out += a.ID + " at " + a.NewLocation + (a.Show ? "" : " hidden");
        out += a.Oceanic ? " oceanic " + a.Mach + " " + a.Level + "; " : "; ";
    }
    for (std::size_t i = 1; i <= s.RouteLineCol.Count(); ++i) {
        const RouteLine& r = *s.RouteLineCol.Item(i);
        out += r.ID + " " + r.OldPosition + ">" + r.NewPosition;
        out += r.NATrack.empty() ? "; " : " " + r.NATrack + " at " + r.NATPos + "; ";
    }
    return out + "counted " + s.box.txtCount.Text + ", clearances " + s.box.txtOCA.Text;
}

struct Scenario {
    const char* name;
    std::vector<TrackMsg> messages;
    std::string tracks;       // Tracks() afterwards, worked out by hand
    const char* logged = "";  // what the error log holds; "" when it stays empty
};

class ProcessScenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(ProcessScenarios, LeaveTheseTracks)
{
    Rig rig;
    for (const TrackMsg& m : GetParam().messages) DeliverTrackMsg(rig.station, m);
    EXPECT_EQ(Tracks(rig.station), GetParam().tracks);
    const std::string log = ErrorLog(rig), logged = GetParam().logged;
    EXPECT_TRUE(logged.empty() ? log.empty() : log.find(logged) != std::string::npos) << log;
}

// The clearance's three route lines; the NAT label is added where it belongs.
const std::string kLeg1 = "N923UP 50000/-050000>51000/-040000", kLeg2 = "N923UP 51000/-040000>52000/-030000",
                  kLeg3 = "N923UP 52000/-030000>52000/-020000";
const TrackMsg kOceanic{.positions = kClearance, .oceanic = true}, kRequest{.positions = kClearance, .request = true};

// A clearance's aircraft waits hidden on its entry point for the estimate; one without an entry
// time stays hidden where its positions leave it. A second copy of a clearance or request is a
// repeat: never counted again, its positions from the second on become plain reports of the same
// record.
INSTANTIATE_TEST_SUITE_P(
    Tracking, ProcessScenarios,
    ::testing::Values(
        Scenario{"twoPositionsOfANewKey",
                 {{.positions = "51234/-010500,52000/-011000,"}},
                 "N923UP at 52000/-011000; N923UP 51234/-010500>52000/-011000; counted 1, clearances 0"},
        Scenario{"noRegIsTrackedByFlight",
                 {{.positions = "51000/-010000,52000/-011000,", .id = "NO-REG"}},
                 "UP0001 at 52000/-011000; UP0001 51000/-010000>52000/-011000; counted 1, clearances 0"},
        // Only plausible entries are plotted: none within one degree of the equator, none damaged.
        Scenario{"oneDegreeSouthSkipped", {{.positions = "-01000/-030000,"}}, "counted 1, clearances 0"},
        Scenario{"justPastOneDegreeSouth",
                 {{.positions = "-01001/-030000,"}},
                 "N923UP at -01001/-030000; counted 1, clearances 0"},
        Scenario{"damagedPositionIsLoggedAndNotCounted",
                 {{.positions = "12345,"}},
                 "counted 0, clearances 0",
                 "Procedure: Process Message - Module: ProcessMess"},
        Scenario{"letterSkipped", {{.positions = "5123A/-010500,"}}, "counted 1, clearances 0"},
        Scenario{"binarySkipped", {{.positions = "\x01\xff/\x80,\x7f,"}}, "counted 1, clearances 0"},
        Scenario{"emptyEntryThenGood",
                 {{.positions = ",51234/-010500,"}},
                 "N923UP at 51234/-010500; counted 1, clearances 0"},
        Scenario{"equatorBetweenGood",
                 {{.positions = "51000/-010000,00900/-011000,52000/-012000,"}},
                 "N923UP at 52000/-012000; N923UP 51000/-010000>52000/-012000; counted 1, clearances 0"},
        Scenario{"ganderClearanceLabelsItsFirstLine",
                 {{.positions = kClearance, .oceanic = true, .gander = true}},
                 "N923UP at 50000/-050000 hidden oceanic M080 F350; " + kLeg1 + " NAT A at 50000/-050000; " + kLeg2 +
                     "; " + kLeg3 + "; counted 0, clearances 1"},
        Scenario{
            "clearanceWithoutEntryTimeIsReports",
            {{.positions = kClearance, .oceanic = true, .ept = "0"}},
            "N923UP at 52000/-020000 hidden; " + kLeg1 + "; " + kLeg2 + "; " + kLeg3 + "; counted 1, clearances 0"},
        Scenario{"clearanceAndReportAreTwoRecords",
                 {kOceanic, {.positions = "51000/-045000,"}},
                 "N923UP at 50000/-050000 hidden oceanic M080 F350; N923UP at 51000/-045000; " + kLeg1 + "; " + kLeg2 +
                     "; " + kLeg3 + " NAT A at 52000/-020000; counted 1, clearances 1"},
        Scenario{"clearanceTakenTwice",
                 {kOceanic, kOceanic},
                 "N923UP at 52000/-020000 hidden; " + kLeg1 + "; " + kLeg2 + "; " + kLeg3 +
                     " NAT A at 52000/-020000; " + kLeg1 + "; " + kLeg2 + "; " + kLeg3 + "; counted 0, clearances 1"},
        Scenario{"requestTakenTwice",
                 {kRequest, kRequest},
                 "N923UP at 52000/-020000; " + kLeg1 + "; " + kLeg2 + "; " + kLeg3 +
                     "; N923UP 52000/-020000>51000/-040000; " + kLeg2 + "; " + kLeg3 + "; counted 1, clearances 0"}),
    test::CaseName());

// A jump from 50000/170000 `to`; latLimit is the dialog's box; logged what the error log holds,
// "" when it stays empty.
struct JumpCase {
    const char* name;
    bool oceanic, request, tooFarOn;
    const char* to;
    bool accepted;
    const char *latLimit = "8", *logged = "";
};

class ProcessJumps : public ::testing::TestWithParam<JumpCase> {};

// One message of two positions: the second is checked against the first, within the
// wrong-plot dialog's 8 (unless a row says otherwise) and 10 degrees, or 10 and 20 for a
// clearance or request.
TEST_P(ProcessJumps, LimitsOfAPlausibleJump)
{
    const JumpCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuTooFar = c.tooFarOn;
    s.dlg.txtTooLat = c.latLimit;
    s.dlg.txtTooLong = "10";
    DeliverTrackMsg(
        s, {.positions = std::string("50000/170000,") + c.to + ",", .oceanic = c.oceanic, .request = c.request});
    ASSERT_EQ(s.RouteLineCol.Count(), 1u);  // a refused jump still makes a zero-length segment
    const RouteLine& r = *s.RouteLineCol.Item(std::size_t{1});
    const std::string to = c.accepted ? c.to : "50000/170000";
    EXPECT_EQ(r.OldPosition + ">" + r.NewPosition + " " + s.AircraftCol.Item(std::size_t{1})->NewLocation,
              "50000/170000>" + to + " " + to);
    const std::string log = ErrorLog(rig);
    EXPECT_TRUE(*c.logged ? log.find(c.logged) != std::string::npos : log.empty()) << log;
}

INSTANTIATE_TEST_SUITE_P(
    Tracking, ProcessJumps,
    ::testing::Values(JumpCase{"latExactly8", false, false, true, "58000/170000", true},
                      JumpCase{"lat8001", false, false, true, "58001/170000", false},
                      JumpCase{"latSouth8001", false, false, true, "41999/170000", false},
                      JumpCase{"lon10001", false, false, true, "50000/159999", false},
                      JumpCase{"limitOff", false, false, false, "70000/100000", true},
                      JumpCase{"clearanceLat10", true, false, true, "60000/170000", true},
                      JumpCase{"requestLon20", false, true, true, "50000/150000", true},
                      JumpCase{"requestLon20001", false, true, true, "50000/149999", false},
                      JumpCase{"acrossDateLine", false, false, true, "50000/-180000", true},
                      JumpCase{"acrossDateLine10001", false, false, true, "50000/-179999", false},
                      // An unreadable limit accepts the position and names the old one.
                      JumpCase{"unreadableLimit", false, false, true, "70000/170000", true, "",
                               "Procedure: TooFar: OldLat = 50000, OldLong = 170000 - Module: ProcessMess"}),
    test::CaseName());

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
