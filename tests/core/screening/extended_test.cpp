// Decode Modern Formats in the message chain: the format table and the ADS-C decoder read the
// message as it arrived, a recognised message takes their positions, every position keeps its
// source, and with the option off the chain's result is the rules' own.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "../decode/adsc_builder.h"
#include "screening/dispatch.h"
#include "station/events.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

constexpr const char* kReg = ".G-EUPT";

// A station over a folder holding the bundled formats.wdf, the option as given.
struct ModernRig : Rig {
    explicit ModernRig(bool on)
    {
        std::filesystem::copy_file(std::filesystem::path(KORVAL_SOURCE_DIR) / "data" / "formats.wdf",
                                   home.path() / "formats.wdf");
        station.opt.mnuExtendedDecoding = on;
    }
    void Send(std::string_view label, std::string_view content, char block = '2')
    {
        station.CurrentMessage = Canonical(kReg, label, block, "M01A", "BA0117", std::string(content) + "\r\n");
        Dispatch_Message(station);
    }
};

// What the chain read of the message in hand: its positions, then the source of each.
std::string Reading(const Station& s)
{
    std::string text = s.PositionText;
    for (const std::string& source : s.PositionSources) text += "|" + source;
    return text;
}

// ---- the families of the format table, option off and on ------------------------------------
// (what the table reads of every family is the format table's own test; here, one family of each
// kind: misread by the rules, missed by them, two points, and none fitting)
struct FamilyCase {
    const char *name, *label, *content;
    // Option off: what the rewrite rules and GetPos make of it, thousandths of a degree, and the
    // rules that fired. These are the readings of the rule table: the notations it misses ("POSN
    // 51.477W" has no separator before the W) or misreads (minutes as hundredths).
    const char* off;
    // Option on: the format's reading, worked out by hand from the notation, and its name.
    const char* on;
};

// clang-format off
const FamilyCase kFamilies[] = {
    // 51 deg 28.6 min = 51.4767; 0 deg 27.0 min = 0.45
    {"h1FmcPosition", "H1", "#M1BPOSN51286W000270,BIG,101512,350,LAM,103012,BNN,M47,27060,230",
     "51476/-000450,|3D1", "51477/-000450,|FMC position report"},
    {"label21Decimal", "21", "POSN 51.477W  0.461, 270,101512,35000,24010,  45,-52,112000,KJFK",
     "", "51477/-000461,|POS report decimal"},
    // Two points of one message keep their order and both take the format's name.
    {"label16TwoPoints", "16", "/P1 1204,N 51.477/W  0.461,  28068,   97/P2 1206,N 51.601/W  0.203,  25047,   96",
     "51477/-000461,51601/-000203,|FIN1|FIN1", "51477/-000461,51601/-000203,|Position decimal|Position decimal"},
    // No format fits: the rules' result stands with the option on too.
    {"rulesOnly", "H1", "POS,N4512,W01230,", "45200/-012500,|AF1", "45200/-012500,|AF1"},
};
// clang-format on

class ModernFamily : public ::testing::TestWithParam<FamilyCase> {};

TEST_P(ModernFamily, OptionOffKeepsTheRulesReadingAndOptionOnTakesTheFormats)
{
    const FamilyCase& c = GetParam();
    ModernRig off(false);
    off.Send(c.label, c.content);
    EXPECT_EQ(Reading(off.station), c.off) << "option off";
    EXPECT_FALSE(off.station.extended.formatsLoaded) << "the table is not even read";
    ModernRig rig(true);
    rig.Send(c.label, c.content);
    const Station& s = rig.station;
    EXPECT_EQ(Reading(s), c.on);
    // Counted (a reformatted position), and tracked under the last source.
    ASSERT_EQ(s.AircraftCol.Count(), 1u);
    EXPECT_EQ(s.box.txtCount.Text + "|" + s.AircraftCol.Snapshot().front()->Source,
              "1" + std::string(std::strrchr(c.on, '|')));
    EXPECT_TRUE(rig.notes.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Extended, ModernFamily, ::testing::ValuesIn(kFamilies), test::CaseName());

// ---- the sources of the chain's own positions -------------------------------------------------

TEST(ExtendedSources, RulesAreNamedInTheOrderTheyFired)
{
    ModernRig rig(false);
    // AMDAR1 turns "U1234N12345W" into a position, then IMP1 rewrites what it made.
    rig.Send("H1", "X U1234N12345W");
    EXPECT_EQ(rig.station.PositionSources, std::vector<std::string>{"AMDAR1, IMP1"});
    // Rule 16 has no name.
    rig.Send("30", "292208 29 EDI  CGN  P540250P0020756////255052");
    EXPECT_EQ(rig.station.PositionSources, std::vector<std::string>{"rule 16"});
}

TEST(ExtendedSources, SbsAndHfdlPositionsNameTheirPath)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuSBS = true;
    s.CurrentMessage = Canonical(".4CA123", "SB", '0', "0001", "EIN123",
                                 "SBS-1 position report 4CA123 EIN123\r\nN53.12345E-6.54321 FL35000 ft\r\n");
    Dispatch_Message(s);
    EXPECT_EQ(Reading(s), "53123/-006543|SBS-1");
    ASSERT_EQ(s.SBSAircraftCol.Count(), 1u);
    EXPECT_EQ(s.SBSAircraftCol.Snapshot().front()->Source, "SBS-1");
    OnLinkText(s, LinkBox::HFDL, "BAW117,G-VIIA,10:15:12,8942,022,30,0,W,55,00,0,N;");
    EXPECT_EQ(Reading(s), "55000/-022500,|HFDL");  // 55 deg 0.0 min north, 22 deg 30.0 min west
}

// ---- ADS-C ------------------------------------------------------------------------------------

std::string AdscContent(std::initializer_list<std::vector<std::uint8_t>> groups)
{
    return test::AdscText(kReg, test::Report(groups));
}

TEST(ExtendedAdsc, BasicReportIsPlottedAndPredictedPointsAreNot)
{
    ModernRig rig(true);
    // 300000 and -120000 counts of 180/2^20 degree: 51.49841 and -20.59937.
    test::BitPacker predicted;
    predicted.PutSigned(310000, 21).PutSigned(-130000, 21).PutSigned(8750, 16).Put(600, 14);
    predicted.PutSigned(320000, 21).PutSigned(-140000, 21).PutSigned(8750, 16);
    rig.Send("B6", AdscContent({test::BasicGroup(7, {300000, -120000, 8750, 28800, true, 5, true}),
                                test::Group(13, predicted)}));
    const Station& s = rig.station;
    ASSERT_EQ(s.AircraftCol.Count(), 1u);
    EXPECT_EQ(Reading(s) + "|" + s.box.txtCount.Text + "|" + s.AircraftCol.Snapshot().front()->NewLocation,
              "51498/-020599,|ADS-C basic|1|51498/-020599");
}

// Contract requests are neither plotted nor checked; a failed check sum is counted, nothing plotted.
TEST(ExtendedAdsc, ContractRequestsAndFailedCheckSumsAreNeverPlotted)
{
    ModernRig rig(true);
    std::string content = AdscContent({test::BasicGroup(7, {300000, -120000, 8750, 28800, true, 5, true})});
    rig.Send("A6", content);       // label A6 with a digit block: still an uplink request
    rig.Send("H1", content, 'A');  // a letter block: an uplink
    // One bit of the report's first data byte flipped ("07" is the tag; the byte after it).
    const std::size_t at = content.find(kReg) + 7 + 2;
    content[at] = content[at] == '0' ? '1' : '0';
    rig.Send("B6", content);
    const Station& s = rig.station;
    EXPECT_EQ(Reading(s) + "|" + std::to_string(s.extended.adscCrcFailures), "|1");
    EXPECT_TRUE(s.AircraftCol.Empty());
    EXPECT_EQ(s.box.LiveData.Text, s.CurrentMessage) << "the message is shown all the same";
}

// ---- the format table file --------------------------------------------------------------------

// (that the other lines still work is the format table's own test)
TEST(ExtendedFormats, ABadLineIsNamedAtStartUp)
{
    Rig rig;
    rig.home.Write("KORVAL.ini", "[Menus]\r\nExtendedDecoding=True\r\n");
    rig.home.Write("formats.wdf", "Broken;;1:DEC\r\n");
    StartUp(rig.station);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_NE(rig.notes.messages[0].text.find("formats.wdf line 1: "), std::string::npos) << rig.notes.messages[0].text;
}

// Turned on after start-up, the table is read at the first message. AF1 rewrites ",N4530,W01245,"
// into ", N45300W012450, ": a format for the form as sent still reads it, so the table reads the
// message as it arrived. A match-limit fault is logged and the rules' result stands.
TEST(ExtendedFormats, TurnedOnLaterTheTableReadsTheMessageAsItArrivedAndAFaultLeavesTheRules)
{
    Rig rig;
    // Nested quantifiers over a run of letters that cannot match: exponential backtracking.
    rig.home.Write("formats.wdf",
                   "Slow;;1:DEC;2:DEC;^((\\w+\\s?)*)$\r\nAs sent;;1:DM;2:DM;,([NS]\\d{4}),([EW]\\d{5}),\r\n");
    StartUp(rig.station);
    rig.station.opt.mnuExtendedDecoding = true;
    rig.station.CurrentMessage = Canonical(kReg, "H1", '2', "M01A", "BA0117", "POS,N4530,W01245,\r\n");
    Dispatch_Message(rig.station);
    EXPECT_EQ(Reading(rig.station), "45500/-012750,|As sent");  // 45 deg 30 min; 12 deg 45 min
    EXPECT_EQ(rig.station.RulesFired, std::vector<int>{1}) << "AF1 rewrote it all the same";
    rig.station.CurrentMessage =
        Canonical(".G-EUPU", "H1", '2', "M01A", "BA0118", std::string(40, 'a') + "!\r\nPOS,N4512,W01230,\r\n");
    Dispatch_Message(rig.station);
    EXPECT_EQ(Reading(rig.station), "45200/-012500,|AF1");
    const std::string log = rig.home.Read("Logs/ErrorLog .txt");
    EXPECT_NE(log.find("Procedure: DecodeArrivedMessage - Module: Decode"), std::string::npos) << log;
}

}  // namespace
}  // namespace korval
