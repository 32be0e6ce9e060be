// The plausibility gate of Decode Modern Formats: what it refuses, what it counts and logs, and
// that a refusal never costs the message its place in LiveData or the position log.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../decode/adsc_builder.h"
#include "screening/dispatch.h"
#include "screening/extended.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

constexpr const char* kErrorLog = "Logs/ErrorLog .txt";

// A message in hand for G-EUPT BA0117 holding `positions`, as if GetPos had read them.
void InHand(Station& s, const std::string& positions)
{
    s.CurrentMessage = Canonical(".G-EUPT", "H1", '2', "M01A", "BA0117", "POS\r\n");
    s.box.Aircraft.Text = "G-EUPT";
    s.box.Flight.Text = "BA0117";
    s.PositionText = positions;
    s.PositionFound = !positions.empty();
    s.PositionSources.assign(static_cast<std::size_t>(std::count(positions.begin(), positions.end(), ',')), "T");
}

struct GateCase {
    const char* name;
    std::vector<const char*> earlier;  // reports ten minutes apart, the last ten minutes before
    const char* positions;
    const char* kept;  // and the refusal the error log names, after a "|"
};

class Gate : public ::testing::TestWithParam<GateCase> {};

TEST_P(Gate, RefusesOnlyWhatNoAircraftCanReport)
{
    const GateCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    int minute = 60 - 10 * static_cast<int>(c.earlier.size());
    for (const char* report : c.earlier) {
        rig.clock.SetUtcTime(11, minute);
        minute += 10;
        InHand(s, report);
        PlausibilityGate(s);
    }
    rig.clock.SetUtcTime(12, 0);
    InHand(s, c.positions);
    PlausibilityGate(s);
    const std::string log = rig.home.Read(kErrorLog);
    const std::size_t why = log.find(" of G-EUPT BA0117 refused: ");
    EXPECT_EQ(s.PositionText + "|" + (why == std::string::npos ? "" : log.substr(why + 27, log.find(';') - why - 27)),
              c.kept);
    EXPECT_EQ(s.PositionFound, s.PositionText != "");
    EXPECT_EQ(s.PositionSources.size(),
              static_cast<std::size_t>(std::count(s.PositionText.begin(), s.PositionText.end(), ',')));
    EXPECT_EQ(s.extended.positionsRefused, why == std::string::npos ? 0 : 1);
}

// Ten minutes at 1,000 knots, with the minute's allowance, is 183 nm: 3.05 degrees of latitude.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Extended, Gate, ::testing::Values(
    GateCase{"poleAndCorner", {}, "90000/180000,-90000/-180000,", "90000/180000,-90000/-180000,|"},
    GateCase{"latitudeBeyond90", {}, "90001/010000,", "|latitude beyond 90 degrees"},
    GateCase{"longitudeBeyond180", {}, "45000/180001,", "|longitude beyond 180 degrees"},
    GateCase{"noFix180", {}, "180000/180000,", "|the no-fix marker (180, 180)"},
    GateCase{"onlyTheBadEntryGoes", {}, "51000/-001000,0/0,52000/-002000,",
             "51000/-001000,52000/-002000,|the no-fix marker (0, 0)"},
    GateCase{"plausibleJump", {"51000/000000,"}, "54000/000000,", "54000/000000,|"},
    GateCase{"jumpTooFast", {"51000/000000,"}, "54100/000000,", "|a jump of 186 nm in 600 s, over 1000 knots"},
    // A refused report is not the last accepted: 120 nm in twenty minutes from the one before.
    GateCase{"refusedIsNotTheLastAccepted", {"51000/000000,", "60000/000000,"}, "53000/000000,",
             "53000/000000,|a jump of 540 nm in 600 s, over 1000 knots"},
    // Across the 180-degree meridian the short way round: 85 nm.
    GateCase{"jumpAcrossTheDateLine", {"0/179500,"}, "1000/-179500,", "1000/-179500,|"},
    // Only the message's first position is its report; the points after it lie ahead.
    GateCase{"laterPointsAreNotTimed", {"51000/000000,"}, "51500/000000,60000/010000,", "51500/000000,60000/010000,|"},
    // What is no number is left to the chain, which passes it over.
    GateCase{"unreadableLeftAlone", {}, "5x000/0100,", "5x000/0100,|"}
), test::CaseName());
// clang-format on

// One entry per aircraft, the entry and a blank line; every refusal counted.
TEST(Gate, EachAircraftIsLoggedOnceAndEveryRefusalCounted)
{
    Rig rig;
    Station& s = rig.station;
    for (const char* bad : {"95000/000000,", "00000/000000,", "50000/200000,"}) {
        InHand(s, bad);
        PlausibilityGate(s);
    }
    EXPECT_EQ(s.extended.positionsRefused, 3);
    EXPECT_EQ(rig.home.Read(kErrorLog),
              "Error: 0 (Position 95000/000000 of G-EUPT BA0117 refused: latitude beyond 90 degrees; later refusals "
              "for this aircraft are only counted) at line 0 in procedure PlausibilityGate of Module Decode\r\n\r\n");
    InHand(s, "95000/000000,");
    s.box.Aircraft.Text = "G-VIIA";  // another aircraft: its own entry
    PlausibilityGate(s);
    EXPECT_NE(rig.home.Read(kErrorLog).find("of G-VIIA BA0117 refused"), std::string::npos);
}

// With the option off the chain's own reading stands, out of range as it is. With it on, a refused
// report's message stays where the user sees it: in LiveData and the position log.
TEST(Gate, OptionOffNothingIsRefusedAndARefusedReportIsStillShownAndLogged)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuTag = true;
    s.CurrentMessage = Canonical(".G-EUPU", "H1", '2', "M01A", "BA0118", "POS N 95.000,W 10.000\r\n");
    Dispatch_Message(s);
    EXPECT_EQ(s.PositionText + "|" + std::to_string(s.extended.positionsRefused), "95000/-010000,|0");
    s.opt.mnuExtendedDecoding = true;
    // 699051 counts of 180/2^20 degree: 120.00006 degrees north, as no real report sends.
    const std::string content =
        test::AdscText(".G-EUPT", test::Report({test::BasicGroup(7, {699051, 0, 8750, 0, true, 5, true})}));
    s.CurrentMessage = Canonical(".G-EUPT", "B6", '2', "M01A", "BA0117", content + "\r\n");
    Dispatch_Message(s);
    EXPECT_EQ(s.box.LiveData.Text, s.CurrentMessage);
    EXPECT_TRUE(rig.home.Read("Logs/KorvalLog 051226.wdf")
                    .ends_with("--Position Reformatted--\r\n" + s.CurrentMessage.substr(1) + "\r\n"));
    EXPECT_EQ(s.AircraftCol.Count(), 1u) << "only the first message's aircraft";
    EXPECT_EQ(s.extended.positionsRefused, 1);
}

}  // namespace
}  // namespace korval
