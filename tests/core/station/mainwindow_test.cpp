#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "maps/refresh.h"
#include "station/mainwindow.h"
#include "test_support.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;
struct CountCase {
    const char* name;
    bool oceanic, request, reformatted;
    const char* count;  // txtCount before
    const char* oca;    // txtOCA before
    const char* countAfter;
    const char* ocaAfter;
    std::uint32_t liveBack;  // 0: unchanged, and the message neither counted nor logged
};

class Counting : public ::testing::TestWithParam<CountCase> {};

TEST_P(Counting, CountColourAndLogAgain)
{
    const CountCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuBeep = true;
    s.OceanicMessage = c.oceanic;
    s.REQPWIMessage = c.request;
    s.PositionReformatted = c.reformatted;
    s.box.txtCount.Text = c.count;
    s.box.txtOCA.Text = c.oca;
    s.CurrentMessage = Canonical(".N923UP", "H1", '2', "M76A", "UP0001", "POS N51234W010500\r\n");
    Fill_Boxes(s);
    EXPECT_EQ(s.box.txtCount.Text, c.countAfter);
    EXPECT_EQ(s.box.txtOCA.Text, c.ocaAfter);
    const bool counted = c.liveBack != 0;
    EXPECT_EQ(s.box.LiveData.BackColor, counted ? c.liveBack : colour::PaleYellow);
    EXPECT_EQ(s.box.Aircraft.BackColor, counted ? colour::Red : colour::DarkRed);
    EXPECT_EQ(s.box.LiveData.Text, counted ? s.CurrentMessage : "");
    EXPECT_EQ(rig.notes.beeps, counted ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Station, Counting,
    ::testing::Values(CountCase{"request", false, true, false, "4", "7", "5", "7", colour::Navy},
                      CountCase{"nothing", false, false, false, "4", "7", "4", "7", 0},
                      // 16-bit counters would overflow here and lose the message; an oceanic message
                      // counts only as oceanic, reformatted or not.
                      CountCase{"past16Bits", false, false, true, "32767", "0", "32768", "0", colour::Navy},
                      CountCase{"oceanicPast16Bits", true, false, true, "0", "32767", "0", "32768", colour::Green},
                      CountCase{"typedOver", false, false, true, "abc", "0", "1", "0", colour::Navy}),
    test::CaseName());

// MidWaypoint runs on every second tick (it always redraws); MinuteCount wraps at midnight even
// when a late timer missed 0000.
TEST(MainWindow, Timer2CountsMinutesAndRunsTheEstimateEverySecondTick)
{
    Rig rig;
    Station& s = rig.station;
    int redraws = 0;
    s.Subscribe([&](ChangeFlags what) { redraws += (what & ChangeMaps) ? 1 : 0; });
    s.box.labUTC = "UTC: 0001";
    s.MinuteCount = 1439;
    Timer2_Timer(s);
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(s.MinuteCount, 0);
    Timer2_Timer(s);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(s.MinuteCount, 1);
}

struct DeleteCase {
    const char* name;
    const char* typed;
    std::size_t aircraftLeft, linesLeft;
    bool message;
    int redraws;
};

class DeleteAircraft : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteAircraft, ByTheIdInCapitals)
{
    const DeleteCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    const char* ids[] = {"G-ABCD", "N923UP", "G-ABCD", "g-lower"};  // a track and a clearance of G-ABCD
    for (int i = 0; i < 4; ++i) {
        auto a = std::make_shared<Aircraft>();
        a->ID = ids[i];
        s.AircraftCol.Add(a, "K" + std::to_string(i));
        auto r = std::make_shared<RouteLine>();
        r->ID = ids[i];
        r->NATrack = i == 2 ? "NAT A" : "";
        s.RouteLineCol.Add(r);
    }
    auto sbs = std::make_shared<SBSAircraft>();
    sbs->ID = "G-ABCD";
    s.SBSAircraftCol.Add(sbs, "G-ABCD");
    int redraws = 0;
    s.Subscribe([&](ChangeFlags what) { redraws += (what & ChangeMaps) ? 1 : 0; });
    EXPECT_EQ(cmdDelete(s, c.typed), c.aircraftLeft < 4);
    EXPECT_EQ(s.AircraftCol.Count(), c.aircraftLeft);
    EXPECT_EQ(s.RouteLineCol.Count(), c.linesLeft);
    EXPECT_EQ(s.SBSAircraftCol.Count(), 1u);
    ASSERT_EQ(rig.notes.messages.size(), c.message ? 1u : 0u);
    if (c.message) {
        EXPECT_EQ(rig.notes.messages[0].text, "No matching Aircraft. Check you have enterred it correctly");
    }
    EXPECT_EQ(redraws, c.redraws);
}

INSTANTIATE_TEST_SUITE_P(Station, DeleteAircraft,
                         ::testing::Values(DeleteCase{"lowerCaseTyped", "g-abcd", 2, 2, false, 1},
                                           DeleteCase{"storedInLowerCase", "g-lower", 4, 4, true, 1},
                                           DeleteCase{"empty", "", 4, 4, false, 0}),
                         test::CaseName());

}  // namespace
}  // namespace korval::test
