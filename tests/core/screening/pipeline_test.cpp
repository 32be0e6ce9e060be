#include <gtest/gtest.h>

#include <string>

#include "screening/dispatch.h"
#include "screening/pipeline.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

struct GoodCase {
    const char* name;
    const char* label;
    std::string content;
    bool sbsFilter;
    std::string shownContent;
    const char* ran;  // the flags of the expander that ran: "SBS", "SA", "B9" or ""
};

class GoodMessage : public ::testing::TestWithParam<GoodCase> {};

TEST_P(GoodMessage, RunsExactlyOneExpanderAndShowsTheResult)
{
    const GoodCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuSBS = c.sbsFilter;
    s.CurrentMessage = Canonical(".N923UP", c.label, '2', "M76A", "UP6567", c.content);
    Dispatch_Message(s);
    EXPECT_EQ(s.box.LiveData.Text, Canonical(".N923UP", c.label, '2', "M76A", "UP6567", c.shownContent));
    EXPECT_EQ(std::string(s.SBSMessage ? "SBS" : "") + (s.SAExpanded ? "SA" : "") + (s.B9Expanded ? "B9" : ""), c.ran);
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"), "");
}

INSTANTIATE_TEST_SUITE_P(
    Screening, GoodMessage,
    ::testing::Values(
        // SBS-1 reports with the filter on: signed decimal degrees into the decimal position notation, the
        // last position only.
        GoodCase{"sbsNorthWest", "_ ", "SBS-1 position report N51.12345E-1.23456 FL35000 ft\r\n", true,
                 "SBS-1 position report N 51.12345,W  1.23456 FL35000 ft\r\n", "SBS"},
        GoodCase{"sbsSouthEastTwoPositionsLastOne", "_ ",
                 "SBS-1 position report N10.00000E10.00000 N-5.12345E12.34567\r\n", true,
                 "SBS-1 position report N10.00000E10.00000 S  5.12345,E 12.34567\r\n", "SBS"},
        GoodCase{"sbsReportWithoutFilterUntouched", "_ ", "SBS-1 position report N51.12345E-1.23456 FL35000 ft\r\n",
                 false, "SBS-1 position report N51.12345E-1.23456 FL35000 ft\r\n", ""},
        // SA media advisories: an SA label wins over an SBS-1 text, one expander only; the last coded part.
        GoodCase{"saLabelWinsOverSbsText", "SA", "SBS-1 position report 0EV123456V\r\n", true,
                 "SBS-1 position report ESTD VHF AT 123456  ACTIVE COMMS VHF\r\n", "SA"},
        GoodCase{"saTwoCodedPartsLastOne", "SA", "0EV123456V 0LH654321SH\r\n", false,
                 "0EV123456V LOST HF AT 654321  ACTIVE COMMS SATCOM+HF\r\n", "SA"},
        // B9 ATIS requests.
        GoodCase{"b9Request", "B9", "TI2/024EGLLA1\r\n", false,
                 "- SEND ARRIVAL ATIS FOR:EGLL\r\nTO ACARS UNIT Ref. 1\r\n", "B9"},
        GoodCase{"b9UnknownUnitNamesTheCode", "B9", "TI2/031LFPGT0\r\n", false,
                 "- SEND TERMINATE UPDATED ATIS FOR:LFPG\r\nTO EQUIPMENT ID: 031 Ref. 0\r\n", "B9"},
        GoodCase{"b9TwoCodedPartsLastOne", "B9", "TI2/024EGLLA TI2/040EDDFC\r\n", false,
                 "TI2/024EGLLA - SEND UPDATED ARRIVAL ATIS FOR:EDDF\r\nTO PRINTER Ref. \r\n", "B9"}),
    test::CaseName());

struct HFDLCase {
    const char* name;
    bool flightAsID;
    const char *aircraft, *flight;
    const char* outcome;  // "CurrentID|HFFlightAsID|shown"
};

class GoodHFDLMessage : public ::testing::TestWithParam<HFDLCase> {};

TEST_P(GoodHFDLMessage, ChoosesTheTrackingIdentity)
{
    const HFDLCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuHF_FlNo = c.flightAsID;
    s.box.Aircraft.Text = c.aircraft;
    s.box.Flight.Text = c.flight;
    s.PositionReformatted = true;
    s.CurrentID = "before";
    s.CurrentMessage = "0ACARS mode: 2  Aircraft reg: .NO-REG\r\nMessage label: HF  Block id: 0  Msg. no: 0000\r\n";
    s.box.LiveData.Text = "previous";
    Good_HFDLMessage(s);
    // Shown: in LiveData, as an HFDL message, the flags of the message before cleared.
    const bool shown = s.box.LiveData.Text == s.CurrentMessage && s.HFDLMessage && !s.PositionReformatted;
    EXPECT_EQ(s.CurrentID + "|" + (s.HFFlightAsID ? "flight" : "-") + "|" + (shown ? "shown" : "-"), c.outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Screening, GoodHFDLMessage,
    ::testing::Values(HFDLCase{"registration", false, "G-EUPT", "BA0123", "G-EUPT|-|shown"},
                      HFDLCase{"noRegistrationTrackedByFlight", false, "", "BA0123", "BA0123|-|shown"},
                      HFDLCase{"flightNumbersOption", true, "G-EUPT", "BA0123", "BA0123|flight|shown"},
                      HFDLCase{"noFlightNothingHappens", true, "G-EUPT", "", "before|-|-"}),
    test::CaseName());

}  // namespace
}  // namespace korval
