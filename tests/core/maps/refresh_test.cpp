#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "maps/refresh.h"
#include "test_support.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;
struct Refresh : ::testing::Test {
    Rig rig;
    Station& s = rig.station;

    // Aircraft A1..An under their IDs, oldest first, each with one unlabelled route line; A2 also
    // has a labelled one.
    void Populate(int n, const std::vector<int>& oceanic = {}, const std::vector<int>& requests = {})
    {
        auto has = [](const std::vector<int>& v, int i) { return std::find(v.begin(), v.end(), i) != v.end(); };
        for (int i = 1; i <= n; ++i) {
            const std::string id = "A" + std::to_string(i);
            auto a = test::AddAircraft(s, id, "");
            a->Oceanic = has(oceanic, i);
            a->REQPWI = has(requests, i);
            s.RouteLineCol.Add(std::make_shared<RouteLine>(RouteLine{"", "", "", "", 0, id}));
            if (i == 2) s.RouteLineCol.Add(std::make_shared<RouteLine>(RouteLine{"", "", "NAT A", "", 0, id}));
        }
    }
    // How many map redraws `action` asks for.
    int Redraws(const std::function<void()>& action)
    {
        int n = 0;
        const int id = s.Subscribe([&](ChangeFlags what) { n += (what & ChangeMaps) ? 1 : 0; });
        action();
        s.Unsubscribe(id);
        return n;
    }
    std::vector<std::string> Ids() const
    {
        std::vector<std::string> ids;
        s.AircraftCol.ForEach([&](const std::shared_ptr<Aircraft>& a) { ids.push_back(a->ID); });
        return ids;
    }
};

struct LimitCase {
    const char* name;
    int index, aircraft;  // comMaxPlot, and how many
    std::vector<int> oceanic, requests;
    std::int64_t oceanicCount;
    std::vector<int> removed;
};

class PlotLimits : public Refresh, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(PlotLimits, OldestCountedAircraftGoFirst)
{
    const LimitCase& c = GetParam();
    Populate(c.aircraft, c.oceanic, c.requests);
    s.OceanicCount = c.oceanicCount;
    s.dlg.comMaxPlot = c.index;
    EXPECT_EQ(Redraws([&] { Limit_Plots(s); }), c.removed.empty() ? 0 : 1);
    std::vector<std::string> expected;
    for (int i = 1; i <= c.aircraft; ++i)
        if (std::find(c.removed.begin(), c.removed.end(), i) == c.removed.end())
            expected.push_back("A" + std::to_string(i));
    // The removed aircraft's unlabelled lines go; A2's labelled line stays.
    EXPECT_EQ(std::tuple(Ids(), s.RouteLineCol.Count()), std::tuple(expected, expected.size() + 1));
}

INSTANTIATE_TEST_SUITE_P(Maps, PlotLimits,
                         ::testing::Values(
                             // 25 aircraft of which the three clearances taken (OceanicCount 3) are kept: 22 count
                             // against 20, so the two oldest others go.
                             LimitCase{"limit20Of25ThreeOceanic", 1, 25, {1, 3, 5}, {}, 3, {2, 4}},
                             // Clearances since removed or repeated no longer stop the limit from limiting.
                             LimitCase{"staleOceanicCount", 1, 25, {}, {}, 10, {1, 2, 3, 4, 5}},
                             LimitCase{"requestsKept", 1, 23, {}, {1, 2}, 0, {3}},
                             LimitCase{"all", 0, 25, {}, {}, 0, {}}, LimitCase{"atTheLimit", 1, 20, {}, {}, 0, {}},
                             LimitCase{"noneSelected", -1, 25, {}, {}, 0, {}}),
                         test::CaseName());

TEST_F(Refresh, ClearMapsNowIsUndoneWithWhatArrivedSince)
{
    Populate(3);  // four route lines
    s.SBSAircraftCol.Add(std::make_shared<SBSAircraft>(), "4CA123");
    mnuClear_Click(s);
    EXPECT_EQ(std::tuple(s.AircraftCol.Empty(), s.MapsCleared.aircraft.size(), s.MapsCleared.routeLines.size()),
              std::tuple(true, 3u, 4u));

    // Since the clearing: A2 heard again (a new record) and a new aircraft A9.
    AddAircraft(s, "A2", "51000/-001000");
    AddAircraft(s, "A9", "");
    s.RouteLineCol.Add(std::make_shared<RouteLine>(RouteLine{"", "", "", "", 0, "A9"}));

    EXPECT_EQ(Redraws([&] { EXPECT_TRUE(UndoClearMap(s)); }), 1);
    EXPECT_EQ(Ids(), (std::vector<std::string>{"A1", "A3", "A2", "A9"}));
    // The SBS-1 aircraft were never cleared.
    EXPECT_EQ(std::tuple(s.AircraftCol.Item(std::string_view("A2"))->NewLocation, s.RouteLineCol.Count(),
                         s.RouteLineCol.Item(5)->ID, s.SBSAircraftCol.Count()),
              std::tuple("51000/-001000", 5u, "A9", 1u));
    EXPECT_FALSE(UndoClearMap(s));  // once only
}

TEST_F(Refresh, UndoKeepsThePlotLimitAndADailyClearingCannotBeUndone)
{
    Populate(25);
    mnuClear_Click(s);
    Populate(10);          // A1..A10 again under the same keys
    s.dlg.comMaxPlot = 1;  // 20
    ASSERT_TRUE(UndoClearMap(s));
    // A11..A25 come back in front of the ten new ones (25 in all); the limit takes the oldest
    // five, A11..A15.
    EXPECT_EQ(std::tuple(s.AircraftCol.Count(), Ids().front(), Ids().back()), std::tuple(20u, "A16", "A10"));

    mnuClear_Click(s);
    s.opt.mnuDailyClearMap = true;
    s.dlg.txtClearMapTime = "0000";
    DailyClearing(s, DateTime{2026, 12, 6, 0, 0, 1});
    EXPECT_FALSE(UndoClearMap(s));
}

struct AgeCase {
    const char* name;
    std::int16_t minuteCount, lastUpdate;
    const char* limit;
    bool kept, logged;
};

class SBSAges : public Refresh, public ::testing::WithParamInterface<AgeCase> {};

TEST_P(SBSAges, OlderThanTheLimitGoes)
{
    const AgeCase& c = GetParam();
    s.SBSAircraftCol.Add(std::make_shared<SBSAircraft>(SBSAircraft{0, "", "", "", "", "", "", "", c.lastUpdate, ""}),
                         "4CA123");
    s.MinuteCount = c.minuteCount;
    s.dlg.txtSBSOldPlotLimit = c.limit;
    const int redraws = Redraws([&] { ClearOldSBS(s); });
    const bool logged = rig.home.Read("Logs/ErrorLog .txt").find("Procedure: ClearOldSBS") != std::string::npos;
    EXPECT_EQ(std::tuple(redraws, s.SBSAircraftCol.Count(), logged), std::tuple(0, c.kept ? 1u : 0u, c.logged));
}

INSTANTIATE_TEST_SUITE_P(Maps, SBSAges,
                         ::testing::Values(AgeCase{"atTheLimit", 100, 85, "15", true, false},
                                           AgeCase{"oneMinuteOlder", 100, 84, "15", false, false},
                                           AgeCase{"acrossMidnightOlder", 5, 1429, "15", false, false},
                                           AgeCase{"limitNotANumber", 100, 0, "x", true, true}),
                         test::CaseName());

struct ClearCase {
    const char *name, *at;  // the clear time
    bool on, cleared;
    int h, m, sec;
};

class DailyClear : public Refresh, public ::testing::WithParamInterface<ClearCase> {};

TEST_P(DailyClear, FirstThreeSecondsOfTheMinute)
{
    const ClearCase& c = GetParam();
    Populate(3);
    s.opt.mnuDailyClearMap = c.on;
    s.dlg.txtClearMapTime = c.at;
    s.box.txtCount.Text = "12";
    s.box.txtOCA.Text = "3";
    DailyClearing(s, DateTime{2026, 12, 6, c.h, c.m, c.sec});
    EXPECT_EQ(std::tuple(s.box.txtCount.Text, s.box.txtOCA.Text, s.AircraftCol.Empty()),
              std::tuple(c.cleared ? "0" : "12", c.cleared ? "0" : "3", c.cleared));
}

INSTANTIATE_TEST_SUITE_P(Maps, DailyClear,
                         ::testing::Values(ClearCase{"at000002", "0000", true, true, 0, 0, 2},
                                           ClearCase{"at000003", "0000", true, false, 0, 0, 3},
                                           ClearCase{"optionOff", "0000", false, false, 0, 0, 0},
                                           ClearCase{"timeNotANumber", "12:30", true, false, 12, 30, 0}),
                         test::CaseName());

}  // namespace
}  // namespace korval::test
