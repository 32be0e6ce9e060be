#include <gtest/gtest.h>

#include <array>
#include <string>

#include "station/events.h"
#include "station/mainwindow.h"
#include "station/status.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

struct StatusCase {
    const char* name;
    TrafficCounts now, before;
    std::array<bool, kLinkBoxes> chosen;
    std::size_t aircraft, sbs;
    const char* line;
};

TrafficCounts Counts(std::array<std::uint64_t, kLinkBoxes> received, std::array<std::uint64_t, kLinkBoxes> counted,
                     std::uint64_t errors)
{
    return TrafficCounts{received, counted, errors};
}

class Status : public ::testing::TestWithParam<StatusCase> {};

TEST_P(Status, SaysWhatHappenedSinceTheLastLine)
{
    const StatusCase& c = GetParam();
    EXPECT_EQ(StatusLine(c.now, c.before, c.chosen, c.aircraft, c.sbs), c.line);
}

// Rows: name, totals now, totals at the last line, sources chosen, aircraft, SBS-1 aircraft, line.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Station, Status, ::testing::Values(
    StatusCase{"nothingChosen", {}, {}, {}, 0, 0,
               "last minute: no source chosen; 0 aircraft tracked, 0 SBS-1; 0 errors logged"},
    StatusCase{"differences", Counts({130, 0, 0, 9, 4, 0}, {42, 0, 0, 3, 0, 0}, 7),
               Counts({10, 0, 0, 1, 1, 0}, {2, 0, 0, 1, 0, 0}, 5), {true, false, false, true, true, false}, 57, 12,
               "last minute: Airmaster/JACARS 120 received, 40 counted, PC-HFDL HFDL 8 received, 2 counted, "
               "PC-HFDL ACARS 3 received, 0 counted; 57 aircraft tracked, 12 SBS-1; 2 errors logged"},
    // An unchecked source that still delivered (unchecked during the minute) is shown.
    StatusCase{"deliveredWhileUnchecked", Counts({0, 0, 0, 0, 0, 4}, {}, 0), {}, {}, 1, 0,
               "last minute: Other 4 received, 0 counted; 1 aircraft tracked, 0 SBS-1; 0 errors logged"}
), test::CaseName());
// clang-format on

// The station keeps the totals the status line is made of.
TEST(Status, TheStationCountsWhatArrivesWhatItCountsAndItsErrors)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuAir = true;
    const TrafficCounts start = s.traffic;
    OnLinkText(s, LinkBox::AirData, Canonical(".D-ALCA", "5Z", '2', "M20A", "LH8400", "HELLO THERE\r\n"));
    OnLinkText(s, LinkBox::SkyData, Canonical(".D-ALCB", "5Z", '2', "M21A", "LH8401", "HELLO AGAIN\r\n"));
    s.PositionReformatted = true;  // as a rule would set it: the counting step counts it
    Fill_Boxes(s);
    s.LogFaultLine(Fault(13, "Type mismatch", 0), "Test", "Test");
    s.LogFaultLine(Fault(0, "Link to X restored", 0), "Test", "Test");  // no fault
    EXPECT_EQ(StatusLine(s, start),
              "last minute: Airmaster/JACARS 1 received, 0 counted, SkySpy/ACARSD 1 received, 1 counted; "
              "0 aircraft tracked, 0 SBS-1; 1 errors logged");
}

}  // namespace
}  // namespace korval
