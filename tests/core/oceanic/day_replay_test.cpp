#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../tracking/tracking_support.h"
#include "station/mainwindow.h"
#include "tracking/postext.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;
// Eastbound, legs of 44, 43 and 42 minutes at Mach 0.80.
const char* const kPositions = "50000/-050000,51000/-040000,52000/-030000,52000/-020000,";

struct DayCase {
    const char* name;
    int takenAt;  // minute of day the clearance comes in
    const char* entry;
    int entryAfterStart;  // minutes from the replay's start (12:00) to the entry time
    std::vector<std::string> times;
};

class OceanicDay : public ::testing::TestWithParam<DayCase> {};

// 24 hours of ticks, one a minute, from 12:00 on 5 December to 12:00 on 6 December: the clock is
// set, then the one-second timer and the one-minute timer run, as the main window does.
TEST_P(OceanicDay, HiddenBeforeEntryThenOnTheRoute)
{
    const DayCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    std::int32_t lastLon = -50000;
    std::string seen;  // the estimates at two times after entry
    for (int t = 0; t <= 1440; ++t) {
        const int minuteOfDay = (720 + t) % 1440;
        rig.clock.Set(DateTime{2026, 12, t < 720 ? 5 : 6, minuteOfDay / 60, minuteOfDay % 60, 0});
        Timer1_Timer(s);
        if (minuteOfDay == c.takenAt) {
            DeliverTrackMsg(s, {.positions = kPositions, .oceanic = true, .ept = c.entry});
            EXPECT_EQ(*s.AircraftCol.Item(std::size_t{1})->WayList,
                      (std::vector<std::string>{"50000/-050000," + c.times[0], "51000/-040000," + c.times[1],
                                                "52000/-030000," + c.times[2], "52000/-020000," + c.times[3]}));
        }
        Timer2_Timer(s);
        if (s.AircraftCol.Empty()) continue;
        const Aircraft& a = *s.AircraftCol.Item(std::size_t{1});
        // Hidden before its entry time; shown from the second tick after it on.
        ASSERT_TRUE(t < c.entryAfterStart ? !a.Show : (a.Show || t < c.entryAfterStart + 2)) << "minute " << t;
        if (!a.Show) continue;
        const LatLon p = ParsePosition(a.NewLocation);
        ASSERT_GE(p.lon, lastLon) << "went back west at minute " << t;
        lastLon = p.lon;
        if (t == c.entryAfterStart + 23 || t == c.entryAfterStart + 61) seen += a.NewLocation + " ";
    }
    // 23 of 44 minutes into the first leg, 17 of 43 into the second, and the last estimate: the
    // estimate runs every second minute, last 40 of 42 minutes into the last leg.
    EXPECT_EQ(seen + s.AircraftCol.Item(std::size_t{1})->NewLocation, "50523/-44773 51395/-36047 52000/-20476");
    EXPECT_EQ(s.MinuteCount, 720);  // restarted at 00:00
    EXPECT_EQ(ErrorLog(rig), "");
}

INSTANTIATE_TEST_SUITE_P(
    Oceanic, OceanicDay,
    ::testing::Values(DayCase{"crossingMidnight", 22 * 60, "2330", 690, {"2330", "0014", "0057", "0139"}},
                      DayCase{"takenAt2320ForEntryAt0020", 23 * 60 + 20, "0020", 740, {"0020", "0104", "0147", "0229"}},
                      DayCase{
                          "ganderEstimatePastMidnight", 23 * 60 + 30, "2430", 750, {"2430", "0114", "0157", "0239"}}),
    test::CaseName());

}  // namespace
}  // namespace korval::test
