// The plausibility gate of Decode Modern Formats: what it refuses, what it counts and logs, and
// that a refusal never costs the message its place in LiveData or the position log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "../decode/adsc_builder.h"
#include "screening/dispatch.h"
#include "screening/extended.h"
#include "test_support.h"

namespace korval {
namespace {

using test::Canonical;
using test::Rig;

constexpr const char* kErrorLog = "Logs/ErrorLog .txt";

// A message in hand for G-EUPT BA0117 holding `positions`, as if GetPos had read them.
void InHand(Station& s, const std::string& positions)
{
    s.opt.mnuExtendedDecoding = true;
    s.CurrentMessage = Canonical(".G-EUPT", "H1", '2', "M01A", "BA0117", "POS\r\n");
    s.box.Aircraft.Text = "G-EUPT";
    s.box.Flight.Text = "BA0117";
    s.PositionText = positions;
    s.PositionFound = !positions.empty();
    s.PositionSources.assign(static_cast<std::size_t>(std::count(positions.begin(), positions.end(), ',')), "T");
}

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

struct GateCase {
    const char* name;
    const char* earlier;  // a report accepted ten minutes before, or ""
    const char* positions;
    const char* kept;
    const char* why;  // the refusal the error log names, or "" for none
};

class Gate : public ::testing::TestWithParam<GateCase> {};

TEST_P(Gate, RefusesOnlyWhatNoAircraftCanReport)
{
    const GateCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    if (*c.earlier) {
        rig.clock.SetUtcTime(11, 50);
        InHand(s, c.earlier);
        PlausibilityGate(s);
        ASSERT_EQ(s.PositionText, c.earlier);
        rig.clock.SetUtcTime(12, 0);
    }
    InHand(s, c.positions);
    PlausibilityGate(s);
    EXPECT_EQ(s.PositionText, c.kept);
    EXPECT_EQ(s.PositionFound, std::string(c.kept) != "");
    EXPECT_EQ(s.PositionSources.size(),
              static_cast<std::size_t>(std::count(c.kept, c.kept + std::strlen(c.kept), ',')));
    const std::string log = rig.home.Read(kErrorLog);
    EXPECT_EQ(s.extended.positionsRefused, *c.why ? 1 : 0);
    EXPECT_EQ(Lines(log), *c.why ? 2 : 0) << log;  // the entry and the blank line after it
    if (*c.why) {
        EXPECT_NE(log.find(std::string(" of G-EUPT BA0117 refused: ") + c.why), std::string::npos) << log;
        EXPECT_NE(log.find("in procedure PlausibilityGate of Module Decode"), std::string::npos) << log;
    }
}

// Ten minutes at 1,000 knots, with the minute's allowance, is 183 nm: 3.05 degrees of latitude.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Extended, Gate, ::testing::Values(
    GateCase{"northPole", "", "90000/180000,", "90000/180000,", ""},
    GateCase{"southWestCorner", "", "-90000/-180000,", "-90000/-180000,", ""},
    GateCase{"latitudeBeyond90", "", "90001/010000,", "", "latitude beyond 90 degrees"},
    GateCase{"longitudeBeyond180", "", "45000/180001,", "", "longitude beyond 180 degrees"},
    GateCase{"noFixZero", "", "00000/000000,", "", "the no-fix marker (0, 0)"},
    GateCase{"noFix180", "", "180000/180000,", "", "the no-fix marker (180, 180)"},
    GateCase{"onlyTheBadEntryGoes", "", "51000/-001000,0/0,52000/-002000,", "51000/-001000,52000/-002000,",
             "the no-fix marker (0, 0)"},
    GateCase{"plausibleJump", "51000/000000,", "54000/000000,", "54000/000000,", ""},
    GateCase{"jumpTooFast", "51000/000000,", "54100/000000,", "", "a jump of 186 nm in 600 s, over 1000 knots"},
    // Across the 180-degree meridian the short way round: 85 nm.
    GateCase{"jumpAcrossTheDateLine", "0/179500,", "1000/-179500,", "1000/-179500,", ""},
    // Only the message's first position is its report; the points after it lie ahead.
    GateCase{"laterPointsAreNotTimed", "51000/000000,", "51500/000000,60000/010000,", "51500/000000,60000/010000,", ""},
    // What is no number is left to the chain, which passes it over.
    GateCase{"unreadableLeftAlone", "", "5x000/0100,", "5x000/0100,", ""}
), [](const auto& param) { return std::string(param.param.name); });
// clang-format on

TEST(Gate, EachAircraftIsLoggedOnceAndEveryRefusalCounted)
{
    Rig rig;
    Station& s = rig.station;
    for (const char* bad : {"95000/000000,", "00000/000000,", "50000/200000,"}) {
        InHand(s, bad);
        PlausibilityGate(s);
    }
    EXPECT_EQ(s.extended.positionsRefused, 3);
    EXPECT_EQ(Lines(rig.home.Read(kErrorLog)), 2);
    InHand(s, "95000/000000,");
    s.box.Aircraft.Text = "G-VIIA";  // another aircraft: its own entry
    PlausibilityGate(s);
    EXPECT_EQ(Lines(rig.home.Read(kErrorLog)), 4);
}

TEST(Gate, ARefusedReportDoesNotBecomeTheLastAccepted)
{
    Rig rig;
    Station& s = rig.station;
    InHand(s, "51000/000000,");
    PlausibilityGate(s);
    rig.clock.SetUtcTime(12, 10);
    InHand(s, "60000/000000,");  // 540 nm in ten minutes
    PlausibilityGate(s);
    EXPECT_EQ(s.PositionText, "");
    rig.clock.SetUtcTime(12, 20);
    InHand(s, "53000/000000,");  // 120 nm in twenty minutes from the last accepted one
    PlausibilityGate(s);
    EXPECT_EQ(s.PositionText, "53000/000000,");
}

TEST(Gate, OptionOffNothingIsRefused)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuTag = true;
    s.CurrentMessage = Canonical(".G-EUPT", "H1", '2', "M01A", "BA0117", "POS N 95.000,W 10.000\r\n");
    Dispatch_Message(s);
    EXPECT_EQ(s.PositionText, "95000/-010000,") << "the chain's own reading, out of range as it is";
    EXPECT_EQ(s.extended.positionsRefused, 0);
    EXPECT_FALSE(rig.home.Exists(kErrorLog));
}

// ---- through the chain: the message stays where the user sees it ------------------------------

TEST(Gate, ARefusedReportIsStillShownAndLogged)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuExtendedDecoding = true;
    s.opt.mnuTag = true;
    // 699051 counts of 180/2^20 degree: 120.00006 degrees north, as no real report sends.
    const std::string content =
        test::AdscText(".G-EUPT", test::Report({test::BasicGroup(7, {699051, 0, 8750, 0, true, 5, true})}));
    s.CurrentMessage = Canonical(".G-EUPT", "B6", '2', "M01A", "BA0117", content + "\r\n");
    Dispatch_Message(s);
    EXPECT_EQ(s.box.LiveData.Text, s.CurrentMessage);
    const std::string log = rig.home.Read("Logs/KorvalLog 051226.wdf");
    EXPECT_NE(log.find("--Position Reformatted--\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(content), std::string::npos) << log;
    EXPECT_FALSE(s.PositionFound);
    EXPECT_TRUE(s.AircraftCol.Empty());
    EXPECT_EQ(s.extended.positionsRefused, 1);
    EXPECT_NE(rig.home.Read(kErrorLog).find("refused: latitude beyond 90 degrees"), std::string::npos);
}

}  // namespace
}  // namespace korval
