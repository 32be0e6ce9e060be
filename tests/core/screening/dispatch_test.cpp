#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "screening/dispatch.h"
#include "station/events.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::Rig;

// Content that no rewrite rule and no position reading takes up, so what the dispatcher does
// is all that shows.
constexpr const char* kPlain = "HELLO THERE\r\n";

std::string Down(const char* reg7, const char* msgNo, const char* flight6 = "LH8400")
{
    return Canonical(reg7, "5Z", '2', msgNo, flight6, kPlain);
}

struct DispatchCase {
    const char* name;
    std::string message;
    bool filters;  // the decode-error, repeat and squitter filters
    std::string storeBefore;
    const char* boxes;   // "Aircraft|Flight" boxes afterwards, then CurrentFlight and CurrentID
    std::uint32_t back;  // of both
    std::string storeAfter;
};

const std::string kKeyALCA = "\r\n.D-ALCA,M20A";

class Dispatch : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(Dispatch, ClassifiesMarksAndStores)
{
    const DispatchCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuDecErr = s.opt.mnuRepeats = s.opt.mnuSQ = c.filters;
    s.txtMessCheck = c.storeBefore;
    s.CurrentMessage = c.message;
    Dispatch_Message(s);
    EXPECT_EQ(s.box.Aircraft.Text + "|" + s.box.Flight.Text + "|" + s.CurrentFlight + "|" + s.CurrentID, c.boxes);
    EXPECT_EQ(std::pair(s.box.Aircraft.BackColor, s.box.Flight.BackColor), std::pair(c.back, c.back));
    EXPECT_FALSE(s.box.txtRepeat.Visible);
    EXPECT_EQ(s.box.LiveData.Text, c.message);
    EXPECT_EQ(s.txtMessCheck, c.storeAfter);
    EXPECT_EQ(rig.home.Read("Logs/ErrorLog .txt"), "");
}

INSTANTIATE_TEST_SUITE_P(
    Screening, Dispatch,
    ::testing::Values(
        // What the replay files do not show: the colours and the store of repeat keys.
        DispatchCase{"uplinkNeverCheckedAsRepeat", Canonical(".N923UP", "H1", 'A', "M76A", "      ", kPlain), true,
                     "\r\n.N923UP,M76A", "N923UP|UPLINK|UPLINK|N923UP", colour::Orange,
                     "\r\n.N923UP,M76A\r\n.N923UP,M76A"},
        DispatchCase{"downlinkDashInFlightFilterOffNotStored", Down(".D-ALCA", "M20A", "LH-400"), false, "",
                     "D-ALCA|LH-400|LH-400|D-ALCA", colour::DarkRed, ""},
        DispatchCase{"repeatFilterOffShownNotStoredAgain", Down(".D-ALCA", "M20A"), false, kKeyALCA,
                     "D-ALCA|LH8400|LH8400|D-ALCA", colour::DarkRed, kKeyALCA},
        // Text too short for a header: its key is just "," and it is never held back.
        DispatchCase{"shortTextNeverRepeat", "NOT A MESSAGE", true, kKeyALCA, "|||", colour::DarkRed, kKeyALCA}),
    test::CaseName());

TEST(Dispatch, RepeatStoreKeepsLast640CharactersAndCutKeysAreNoRepeats)
{
    Rig rig;
    Station& s = rig.station;
    s.opt.mnuRepeats = true;
    // 60 keys of 14 characters with their CR LF: the store overflows many times.
    for (int i = 0; i < 60; ++i) {
        char msgNo[5];
        std::snprintf(msgNo, sizeof msgNo, "M%03d", i);
        s.CurrentMessage = Down(".D-ALCA", msgNo);
        Dispatch_Message(s);
        ASSERT_LE(s.txtMessCheck.size(), 645u) << i;
        ASSERT_FALSE(s.box.txtRepeat.Visible) << i;
    }
    // Every key takes 14 characters: 640 = 45 whole keys and the last 10 characters of M014.
    ASSERT_EQ(s.txtMessCheck.size(), 640u);
    EXPECT_EQ(s.txtMessCheck.substr(0, 12) + "|" + s.txtMessCheck.substr(640 - 14), "-ALCA,M014\r\n|\r\n.D-ALCA,M059");
    std::string repeats;  // "R" for a message held back as a repeat
    for (const char* msgNo : {"M059", "M015", "M014", "M000"}) {
        s.CurrentMessage = Down(".D-ALCA", msgNo);
        Dispatch_Message(s);
        repeats += s.box.txtRepeat.Visible ? "R" : "-";
    }
    EXPECT_EQ(repeats, "RR--");
}

struct RepeatCase {
    const char* name;
    const char *reg, *msgNo;  // CurrentReg as the dispatcher leaves it
    std::string store;
    bool repeat;
};

class DownRepeat : public ::testing::TestWithParam<RepeatCase> {};

TEST_P(DownRepeat, ComparesWholeStoredKeys)
{
    const RepeatCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.txtMessCheck = c.store;
    s.CurrentMessage = Down(".D-ALCA", c.msgNo);
    s.CurrentReg = c.reg;
    EXPECT_EQ(Down_Repeat(s), c.repeat);
}

INSTANTIATE_TEST_SUITE_P(
    Screening, DownRepeat,
    ::testing::Values(RepeatCase{"keyInsideLongerKey", ".D-ALCA", "M20 ", "\r\n.D-ALCA,M20A", false},
                      RepeatCase{"keyEndingALongerKey", "D-ALCA", "M20A", "\r\n.D-ALCA,M20A", false},
                      RepeatCase{"storeCutInsideLineEnd", ".D-ALCA", "M20A", "\n.D-ALCA,M20A\r\n.X,Y", true}),
    test::CaseName());

TEST(Dispatch, KLPlaceholderFlightTakesTheLastKLNumberOfTheContent)
{
    Rig rig;
    Station& s = rig.station;
    s.CurrentMessage = Canonical(".PH-BFA", "5Z", '2', "M01A", "KL0000", "REF KL1234 THEN KL5678\r\n");
    Dispatch_Message(s);
    // The box keeps the placeholder.
    EXPECT_EQ(s.CurrentMessage.substr(86) + "|" + s.box.Flight.Text,
              "Flight id: KL5678 \r\nMessage content:-\r\nREF KL1234 THEN KL5678\r\n|KL0000");
}

TEST(Dispatch, ResetsDisplayAndEveryPerMessageFlag)
{
    Rig rig;
    Station& s = rig.station;
    s.box.txtRepeat.Visible = true;  // the message before was a repeat
    s.Flags() = {true, true, true, true, true, true, true, true, true, true, "NAT A", true, "--Oceanic Message--"};
    s.PositionFound = true;
    s.box.LiveData.BackColor = colour::Navy;
    s.box.txtCount.BackColor = colour::Green;
    s.CurrentMessage = Down(".D-ALCB", "M21A");
    Dispatch_Message(s);
    EXPECT_EQ(std::tuple(s.box.txtRepeat.Visible, s.box.Aircraft.ForeColor, s.box.Flight.BackColor,
                         s.box.LiveData.BackColor, s.box.txtCount.BackColor),
              std::tuple(false, colour::White, colour::DarkRed, colour::PaleYellow, colour::Navy));
    for (bool flag : {s.PositionFound, s.PositionReformatted, s.OceanicMessage, s.REQPWIMessage, s.GanderMessage,
                      s.SBSMessage, s.SAExpanded, s.B9Expanded, s.HFDLMessage, s.HFFlightAsID, s.RegFlightCorrected})
        EXPECT_FALSE(flag);
    EXPECT_EQ(s.CurrentNAT, "");
}

// A fault inside the dispatcher's unguarded steps drops that message with an error-log entry;
// the next message goes through. A fault escaping the dispatcher is logged under the change event.
TEST(Dispatch, FaultDropsOnlyThatMessage)
{
    for (int failures : {1, 2}) {  // inside Show_Repeat; then again when the change event tells the windows
        Rig rig;
        Station& s = rig.station;
        s.opt.mnuRepeats = true;
        s.txtMessCheck = kKeyALCA;
        int fail = failures;
        s.Subscribe([&](ChangeFlags) {
            if (fail-- > 0) Raise(err::Overflow);
        });
        OnLinkText(s, LinkBox::SkyData, Down(".D-ALCA", "M20A"));
        const std::string log = rig.home.Read("Logs/ErrorLog .txt");
        EXPECT_NE(log.find("Error: 6 (Overflow)\r\nProcedure: Dispatch_Message - Module: Messages"), std::string::npos)
            << log;
        EXPECT_NE(log.find("Message: \r\n" + Down(".D-ALCA", "M20A")), std::string::npos);
        EXPECT_EQ(log.find("Procedure: SkyData_Change - Module: ACARS") != std::string::npos, failures == 2) << log;

        OnLinkText(s, LinkBox::AirData, Down(".D-ALCB", "M21A"));
        EXPECT_EQ(s.box.LiveData.Text, Down(".D-ALCB", "M21A"));
    }
}

}  // namespace
}  // namespace korval
