#include <gtest/gtest.h>

#include <string>

#include "station/events.h"
#include "test_support.h"

namespace korval {
namespace {

using test::Rig;

// A registration of dots only and a blank flight id leave both boxes empty, so the tracking key
// and the SBS-1 identity are the empty text. Such an aircraft is still one aircraft: its second
// position moves the record its first one made, and a route line joins them.

// As the Airmaster decoder sends it: the header, then two positions in the decimal notation.
const std::string kNoIdentity =
    "1ACARS mode: 2  Aircraft reg: .......\r\n"
    "Message label: H1  Block id: 3  Msg. no: S01A\r\n"
    "Flight id:       \r\n"
    "Message content:-\r\n"
    "N 51.000,W001.000, N 51.500,W001.500,\r\n";

TEST(EmptyIdentity, AcarsPositionsMoveOneAircraftAndDrawItsRoute)
{
    Rig rig;
    Station& s = rig.station;
    OnLinkText(s, LinkBox::AirData, kNoIdentity);
    EXPECT_EQ(s.box.Aircraft.Text, "");
    EXPECT_EQ(s.box.Flight.Text, "");
    EXPECT_EQ(s.PositionText, "51000/-001000,51500/-001500,");
    ASSERT_EQ(s.AircraftCol.Count(), 1u);
    ASSERT_TRUE(s.AircraftCol.HasKey(""));
    EXPECT_EQ(s.AircraftCol.Item("")->OldLocation, "51000/-001000");
    EXPECT_EQ(s.AircraftCol.Item("")->NewLocation, "51500/-001500");
    ASSERT_EQ(s.RouteLineCol.Count(), 1u);
    EXPECT_EQ(s.RouteLineCol.Item(std::size_t{1})->OldPosition, "51000/-001000");
    EXPECT_EQ(s.RouteLineCol.Item(std::size_t{1})->NewPosition, "51500/-001500");

    // Another message keeps moving the same aircraft.
    std::string next = kNoIdentity;
    next.replace(next.find("S01A"), 4, "S02A");
    next.replace(next.find("N 51.000,W001.000, N 51.500,W001.500,"), 37, "N 52.000,W002.000,");
    OnLinkText(s, LinkBox::AirData, next);
    ASSERT_EQ(s.AircraftCol.Count(), 1u);
    EXPECT_EQ(s.AircraftCol.Item("")->OldLocation, "51500/-001500");
    EXPECT_EQ(s.AircraftCol.Item("")->NewLocation, "52000/-002000");
    ASSERT_EQ(s.RouteLineCol.Count(), 2u);
    EXPECT_EQ(s.RouteLineCol.Item(std::size_t{2})->OldPosition, "51500/-001500");
    EXPECT_EQ(s.RouteLineCol.Item(std::size_t{2})->NewPosition, "52000/-002000");
}

// An SBS-1 report: the expander rewrites "N51.50000E-1.50000" into the decimal notation.
std::string SbsReport(const std::string& msgNo, const std::string& position, const std::string& feet)
{
    return test::Canonical(".......", "_ ", '2', msgNo, "      ",
                           "SBS-1 position report " + position + " FL" + feet + " ft\r\n");
}

TEST(EmptyIdentity, SbsReportsMoveOneRecord)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuSBS = true;
    OnLinkText(s, LinkBox::AirData, SbsReport("S01A", "N51.00000E-1.00000", "35000"));
    OnLinkText(s, LinkBox::AirData, SbsReport("S02A", "N51.50000E-1.50000", "34000"));
    EXPECT_EQ(s.CurrentID, "");
    ASSERT_EQ(s.SBSAircraftCol.Count(), 1u);
    ASSERT_TRUE(s.SBSAircraftCol.HasKey(""));
    const SBSAircraft& a = *s.SBSAircraftCol.Item("");
    EXPECT_EQ(a.OldPosition, "51000/-001000");
    EXPECT_EQ(a.NewPosition, "51500/-001500");
    EXPECT_EQ(a.AltChange, 1);  // 1000 ft lower: descending
    EXPECT_TRUE(s.AircraftCol.Empty());
}

}  // namespace
}  // namespace korval
