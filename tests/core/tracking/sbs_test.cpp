#include <gtest/gtest.h>

#include <string>

#include "tracking/sbs.h"
#include "tracking_support.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;
void Report(Station& s, const std::string& id, const std::string& positions, const std::string& level)
{
    s.CurrentID = id;
    s.CurrentFlight = "BAW12";
    s.PositionText = positions;
    s.CurrentLevel = level;
    Process_SBS_Message(s, id);
}

TEST(SBSTracks, FirstReportThenAMove)
{
    Rig rig;
    Station& s = rig.station;
    s.MinuteCount = 700;
    Report(s, "4CA123", "51234/-001500,51300/-001600,", "Ht: 35000 ft ");
    EXPECT_EQ(s.PositionText, "51234/-001500");  // only the first position is used
    const SBSAircraft& a = *s.SBSAircraftCol.Item("4ca123");
    EXPECT_EQ(a.NewPosition, "51234/-001500");
    EXPECT_EQ(a.OldPosition, "");
    EXPECT_EQ(a.AltChange, 0);
    EXPECT_EQ(a.LastUpdate, 700);
    EXPECT_EQ(a.FNo, "BAW12");
    s.MinuteCount = 701;
    Report(s, "4CA123", "51234/-001500,", "Ht: 35000 ft ");  // the same position still shifts
    EXPECT_EQ(a.OldPosition, "51234/-001500");
    EXPECT_EQ(a.NewPosition, "51234/-001500");
    EXPECT_EQ(a.LastUpdate, 701);
    EXPECT_EQ(s.SBSAircraftCol.Count(), 1u);
}

struct TrendCase {
    const char* name;
    const char* before;
    const char* after;
    int trend;
};

class SBSTrends : public ::testing::TestWithParam<TrendCase> {};

TEST_P(SBSTrends, TwoHundredFeetMakeATrend)
{
    Rig rig;
    Report(rig.station, "4CA123", "51000/-001000,", GetParam().before);
    Report(rig.station, "4CA123", "51100/-001000,", GetParam().after);
    EXPECT_EQ(rig.station.SBSAircraftCol.Item("4CA123")->AltChange, GetParam().trend);
    EXPECT_EQ(rig.station.SBSAircraftCol.Item("4CA123")->Level, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Tracking, SBSTrends,
                         ::testing::Values(TrendCase{"descent200", "Ht: 35000 ft ", "Ht: 34800 ft ", 1},
                                           TrendCase{"descent199", "Ht: 35000 ft ", "Ht: 34801 ft ", 0},
                                           TrendCase{"climb199", "Ht: 35000 ft ", "Ht: 35199 ft ", 0},
                                           TrendCase{"climb200", "Ht: 35000 ft ", "Ht: 35200 ft ", 2},
                                           TrendCase{"fromNoAltitude", "", "Ht: 200 ft ", 2},
                                           TrendCase{"fromNoAltitudeLow", "", "Ht: 199 ft ", 0},
                                           TrendCase{"otherNotation", "Ht: 35000 ft ", "Ht: FL350 ft ", 0}),
                         test::CaseName());

TEST(SBSTracks, UnreadableLevelNamesBothTexts)
{
    Rig rig;
    Report(rig.station, "4CA123", "51000/-001000,", "Ht: 35000 ft ");
    Report(rig.station, "4CA123", "51100/-001000,", "Ht: FL350 ft ");
    EXPECT_NE(
        ErrorLog(rig).find("Procedure: SBSAltChange\r\nOld Level:> 35000 <New Level:> FL350 < - Module: ProcessMess"),
        std::string::npos);
}

struct DropCase {
    const char* name;
    const char* positions;
    bool logged;
};

class SBSDrops : public ::testing::TestWithParam<DropCase> {};

TEST_P(SBSDrops, ReportIsDropped)
{
    Rig rig;
    Report(rig.station, "4CA123", GetParam().positions, "Ht: 35000 ft ");
    EXPECT_EQ(rig.station.SBSAircraftCol.Count(), 0u);
    EXPECT_EQ(ErrorLog(rig).find("Procedure: Process SBS Messsage - Module: ProcessMess") != std::string::npos,
              GetParam().logged);
}

INSTANTIATE_TEST_SUITE_P(Tracking, SBSDrops,
                         ::testing::Values(DropCase{"nearEquator", "00900/-005000,", false},
                                           DropCase{"emptyFirst", ",51000/-001000,", false},
                                           DropCase{"noSeparator", "51000/-001000", true},
                                           DropCase{"noSlash", "51000,", true}),
                         test::CaseName());

}  // namespace
}  // namespace korval::test
