#include <gtest/gtest.h>

#include <string>

#include "screening/expanders.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

// An expander and the flag it sets.
struct Expander {
    void (*run)(Station&);
    bool Station::*flag;
};
const Expander SBS{SBS_Message, &Station::SBSMessage}, SA{SA_Message, &Station::SAExpanded},
    TI{TI_Message, &Station::B9Expanded};

struct ExpandCase {
    const char* name;
    Expander expander;
    const char* label;
    std::string content;
    std::string expected;  // content afterwards
};

class Expanders : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(Expanders, RewriteTheLastCodedPart)
{
    const ExpandCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    const std::string header = Canonical(".N923UP", c.label, '2', "M76A", "UP6567", "");
    s.CurrentMessage = header + c.content;
    c.expander.run(s);
    EXPECT_EQ(s.CurrentMessage, header + c.expected);
    EXPECT_TRUE(s.*c.expander.flag);
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"), "");
}

INSTANTIATE_TEST_SUITE_P(
    Screening, Expanders,
    ::testing::Values(
        // SBS-1 reports: signed decimal degrees into the decimal position notation.
        ExpandCase{"sbsNorthWest", SBS, "_ ", "SBS-1 position report N51.12345E-1.23456 FL35000 ft\r\n",
                   "SBS-1 position report N 51.12345,W  1.23456 FL35000 ft\r\n"},
        ExpandCase{"sbsSouthEastTwoPositionsLastOne", SBS, "_ ", "N10.00000E10.00000 N-5.12345E12.34567\r\n",
                   "N10.00000E10.00000 S  5.12345,E 12.34567\r\n"},
        // SA media advisories and B9 ATIS requests (the first of each kind is the pipeline's own test).
        ExpandCase{"saTwoCodedPartsLastOne", SA, "SA", "0EV123456V 0LH654321SH\r\n",
                   "0EV123456V LOST HF AT 654321  ACTIVE COMMS SATCOM+HF\r\n"},
        ExpandCase{"b9UnknownUnitNamesTheCode", TI, "B9", "TI2/031LFPGT0\r\n",
                   "- SEND TERMINATE UPDATED ATIS FOR:LFPG\r\nTO EQUIPMENT ID: 031 Ref. 0\r\n"},
        ExpandCase{"b9TwoCodedPartsLastOne", TI, "B9", "TI2/024EGLLA TI2/040EDDFC\r\n",
                   "TI2/024EGLLA - SEND UPDATED ARRIVAL ATIS FOR:EDDF\r\nTO PRINTER Ref. \r\n"}),
    test::CaseName());

TEST(Expanders, LongMessageWithoutCodeIsOneScan)
{
    Rig rig;
    Station& s = rig.station;
    // Near misses of every coded part, far beyond what a search from every starting position
    // could do within the match limit.
    std::string content;
    while (content.size() < 2'000'000) content += "0EV12 TI2/0X N1.2E ";
    s.CurrentMessage = Canonical(".N923UP", "SA", '2', "M76A", "UP6567", content);
    const std::string before = s.CurrentMessage;
    for (auto expand : {SA_Message, TI_Message, SBS_Message}) expand(s);
    EXPECT_EQ(s.CurrentMessage, before);
    EXPECT_FALSE(s.SAExpanded || s.B9Expanded || s.SBSMessage);
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"), "");
}

struct OceanicCase {
    const char* name;
    bool waypoints;
    const char *content, *flight;
    bool expand;
};

class OceanicMessages : public ::testing::TestWithParam<OceanicCase> {};

TEST_P(OceanicMessages, KeepClearancesFromTheGeneralExpansion)
{
    const OceanicCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuWaypoints = c.waypoints;
    s.CurrentMessage = Canonical(".N923UP", "B2", '2', "M76A", c.flight, c.content);
    EXPECT_EQ(Oceanic_Messages(s), c.expand);
}

INSTANTIATE_TEST_SUITE_P(Screening, OceanicMessages,
                         ::testing::Values(OceanicCase{"clxWithWaypoints", true, "CLX 1234 CLRD VIA 55N020W\r\n",
                                                       "UP6567", false},
                                           OceanicCase{"claWithoutWaypoints", false, "CLA 55/20\r\n", "UP6567", true},
                                           OceanicCase{"noKeywordWithWaypoints", true, "CLXX1234\r\n", "UP6567", true},
                                           OceanicCase{"keywordOnlyInHeader", true, "POSITION\r\n", "CLX   ", true}),
                         test::CaseName());

}  // namespace
}  // namespace korval
