#include <gtest/gtest.h>

#include <string>

#include "screening/expanders.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

// (what each expander writes is the good-message pipeline's test)
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
