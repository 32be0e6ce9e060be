#include <gtest/gtest.h>

#include <string>

#include "screening/extractors.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

struct ExtractCase {
    const char* name;
    std::string content;
    bool oceanic, gander;
    const char* found;  // "NAT|Mach|level|entry time"
    const char* clock = "UTC: 1200";
};

class Extractors : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(Extractors, TakeTheirItemFromTheWholeMessage)
{
    const ExtractCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.CurrentMessage = Canonical(".C-FTJO", "B2", '2', "M01A", "AC0850", c.content);
    s.OceanicMessage = c.oceanic;
    s.GanderMessage = c.gander;
    s.box.labUTC = c.clock;
    for (auto extract : {NAT, Mach, Level, EPTime}) extract(s);
    EXPECT_EQ(s.CurrentNAT + "|" + s.CurrentMach + "|" + s.CurrentLevel + "|" + s.CurrentEPT, c.found);
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"), "");
}

INSTANTIATE_TEST_SUITE_P(
    Screening, Extractors,
    ::testing::Values(
        ExtractCase{"clearance", "CLX 1234 NAT C F350 M082 EPT /1437\r\n", true, false, "NAT C|M082|F350|1437"},
        ExtractCase{"trackWinsOverNat", "CLX NAT C TRACK D F360\r\n", true, false, "NAT D|M080|F360|0"},
        ExtractCase{"machSpelledOutFirstWins", "CLX MACH 084 THEN M081 F340\r\n", true, false, "|M084|F340|0"},
        ExtractCase{"oceanicIgnoresFeet", "CLX FL35000 ft\r\n", true, false, "|M080||0"},
        ExtractCase{"oceanicLevelAfterLineBreak", "CLX\r\nF370\r\n", true, false, "|M080|\nF370|0"},
        ExtractCase{"heightOfOtherMessages", "SBS-1 position report FL35000 ft\r\n", false, false,
                    "|M080|Ht: 35000 ft |0"},
        // Gander gives no entry time: one hour from the clock, four digits, wrapping at midnight.
        ExtractCase{"ganderEstimateWraps", "GANDER CLX\r\n", true, true, "|M080||0030", "UTC: 2330"},
        ExtractCase{"ganderEntryTimeWins", "GANDER CLX EPT /0815\r\n", true, true, "|M080||0815", "UTC: 2330"}),
    test::CaseName());

TEST(Extractors, BadClockLabelIsLoggedAndKeepsTheEntryTime)
{
    Rig rig;
    Station& s = rig.station;
    s.CurrentMessage = Canonical(".C-FTJO", "B2", '2', "M01A", "AC0850", "GANDER CLX\r\n");
    s.GanderMessage = true;
    s.CurrentEPT = "0815";
    s.box.labUTC = "UTC: --:-";
    EPTime(s);
    EXPECT_EQ(s.CurrentEPT, "0815");
    const std::string log = rig.home.Read("Logs/ErrorLog .txt");
    EXPECT_NE(log.find("Error: 13 (Type mismatch)\r\nProcedure: EPTime - Module: Messages"), std::string::npos) << log;
}

}  // namespace
}  // namespace korval
