#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../tracking/tracking_support.h"
#include "station/mainwindow.h"
#include "tracking/postext.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;
// Eastbound, legs of 44, 43 and 42 minutes at Mach 0.80.
const std::vector<LatLon> kRoute = {{50000, -50000}, {51000, -40000}, {52000, -30000}, {52000, -20000}};
const char* const kPositions = "50000/-050000,51000/-040000,52000/-030000,52000/-020000,";

// Distance in thousandths of a degree from p to the nearest leg, and that leg's index (1-based).
std::pair<double, int> OffRoute(const LatLon& p)
{
    std::pair<double, int> best{1e18, 0};
    for (std::size_t i = 1; i < kRoute.size(); ++i) {
        const double ax = kRoute[i - 1].lon, ay = kRoute[i - 1].lat, bx = kRoute[i].lon, by = kRoute[i].lat;
        const double t = std::clamp(
            ((p.lon - ax) * (bx - ax) + (p.lat - ay) * (by - ay)) / ((bx - ax) * (bx - ax) + (by - ay) * (by - ay)),
            0.0, 1.0);
        const double d = std::hypot(p.lon - (ax + t * (bx - ax)), p.lat - (ay + t * (by - ay)));
        if (d < best.first) best = {d, static_cast<int>(i)};
    }
    return best;
}

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
    int lastLeg = 0;
    std::int32_t lastLon = kRoute.front().lon;
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
        ASSERT_TRUE(a.Oceanic) << "minute " << t;
        if (t < c.entryAfterStart) {
            ASSERT_FALSE(a.Show) << "shown before its entry time, minute " << t;
            continue;
        }
        if (t >= c.entryAfterStart + 2) {
            ASSERT_TRUE(a.Show) << "minute " << t;
        }
        if (!a.Show) continue;
        const LatLon p = ParsePosition(a.NewLocation);
        const auto [off, leg] = OffRoute(p);
        ASSERT_LE(off, 1.5) << a.NewLocation << " is off the route at minute " << t;
        ASSERT_GE(leg, lastLeg) << "went back a leg at minute " << t;
        ASSERT_GE(p.lon, lastLon) << "went back west at minute " << t;
        lastLeg = leg;
        lastLon = p.lon;
        // Checked at several times: on the first leg half-way through it, on the second an hour
        // after entry, near the end once all legs are flown.
        if (t == c.entryAfterStart + 23) {
            EXPECT_EQ(leg, 1);
            EXPECT_NEAR(p.lon, -45000, 500);
        }
        if (t == c.entryAfterStart + 61) {
            EXPECT_EQ(leg, 2);
        }
        if (t == 1440) {
            EXPECT_NEAR(p.lon, -20000, 500);  // the last estimate, up to two minutes short
            EXPECT_EQ(a.WayIndex, 3);
        }
    }
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
