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

// A report moves its record (checked through the station with the other link texts); only its
// first position is used, and the same position again still shifts.
TEST(SBSTracks, FirstPositionOnlyAndTheSamePositionStillShifts)
{
    Rig rig;
    Station& s = rig.station;
    Report(s, "4CA123", "51234/-001500,51300/-001600,", "Ht: 35000 ft ");
    EXPECT_EQ(s.PositionText, "51234/-001500");
    s.MinuteCount = 701;
    Report(s, "4CA123", "51234/-001500,", "Ht: 35000 ft ");
    ASSERT_EQ(s.SBSAircraftCol.Count(), 1u);
    const SBSAircraft& a = *s.SBSAircraftCol.Item("4ca123");
    EXPECT_EQ(a.OldPosition + ">" + a.NewPosition + " " + a.FNo + " " + std::to_string(a.LastUpdate),
              "51234/-001500>51234/-001500 BAW12 701");
}

// Two hundred feet make a trend: 1 descending, 2 climbing, 0 level or unknown. An unreadable
// level is logged with both texts.
TEST(SBSTracks, TwoHundredFeetMakeATrend)
{
    const struct {
        const char *before, *after;
        int trend;
        const char* logged;
    } rows[] = {{"Ht: 35000 ft ", "Ht: 34800 ft ", 1, ""},
                {"Ht: 35000 ft ", "Ht: 34801 ft ", 0, ""},
                {"Ht: 35000 ft ", "Ht: 35200 ft ", 2, ""},
                {"", "Ht: 200 ft ", 2, ""},
                {"Ht: 35000 ft ", "Ht: FL350 ft ", 0,
                 "Procedure: SBSAltChange\r\nOld Level:> 35000 <New Level:> FL350 < - Module: ProcessMess"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.before) + " then " + row.after);
        Rig rig;
        Report(rig.station, "4CA123", "51000/-001000,", row.before);
        Report(rig.station, "4CA123", "51100/-001000,", row.after);
        const SBSAircraft& a = *rig.station.SBSAircraftCol.Item("4CA123");
        EXPECT_EQ(std::to_string(a.AltChange) + " " + a.Level, std::to_string(row.trend) + " " + row.after);
        const std::string log = ErrorLog(rig);
        EXPECT_TRUE(*row.logged ? log.find(row.logged) != std::string::npos : log.empty()) << log;
    }
}

// A report without a plausible first position is dropped; a damaged one is logged as well.
TEST(SBSTracks, ReportWithoutAPlaceIsDropped)
{
    const struct {
        const char* positions;
        bool logged;
    } rows[] = {{"00900/-005000,", false}, {",51000/-001000,", false}, {"51000/-001000", true}, {"51000,", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.positions);
        Rig rig;
        Report(rig.station, "4CA123", row.positions, "Ht: 35000 ft ");
        EXPECT_EQ(rig.station.SBSAircraftCol.Count(), 0u);
        EXPECT_EQ(ErrorLog(rig).find("Procedure: Process SBS Messsage - Module: ProcessMess") != std::string::npos,
                  row.logged);
    }
}

}  // namespace
}  // namespace korval::test
