#include <gtest/gtest.h>

#include <string>

#include "screening/expanders.h"
#include "test_support.h"

namespace korval {
namespace {

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

// Only a clearance with the waypoint option on keeps clear of the general expansion (what is a
// clearance is the message classes' own test).
TEST(Expanders, OnlyClearancesWithTheWaypointOptionKeepClearOfTheGeneralExpansion)
{
    Rig rig;
    Station& s = rig.station;
    s.CurrentMessage = Canonical(".N923UP", "B2", '2', "M76A", "UP6567", "CLX 1234 CLRD VIA 55N020W\r\n");
    EXPECT_TRUE(Oceanic_Messages(s)) << "option off";
    s.opt.mnuWaypoints = true;
    EXPECT_FALSE(Oceanic_Messages(s));
    s.CurrentMessage = Canonical(".N923UP", "B2", '2', "M76A", "UP6567", "CLXX1234\r\n");
    EXPECT_TRUE(Oceanic_Messages(s)) << "no clearance";
}

}  // namespace
}  // namespace korval
