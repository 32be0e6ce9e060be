#include <gtest/gtest.h>

#include <string>

#include "intake/normalisers.h"
#include "station/station.h"
#include "test_support.h"
#include "text/fields.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::ReadTestData;
using test::Rig;

const char* const kLog = "Logs/ErrorLog .txt";
const std::string kDel(1, '\x7f');

using Normaliser = void (*)(Station&);
void RunHFDL(Station& s)
{
    (void)HFDL_FIX(s);
}

// ---- whole messages against hand-written expected files, then single rewrites --------------

struct RewriteCase {
    const char* name;
    Normaliser fix;
    std::string input;
    std::string expected;
};

class Rewrites : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(Rewrites, GiveTheExpectedText)
{
    const RewriteCase& c = GetParam();
    Rig rig;
    rig.station.CurrentMessage = c.input;
    c.fix(rig.station);
    EXPECT_EQ(rig.station.CurrentMessage, c.expected);
    EXPECT_FALSE(rig.home.Exists(kLog));
}

// The files tests/data/intake/<source>_in.txt and <source>_out.txt.
RewriteCase Golden(const char* name, Normaliser fix)
{
    const std::string file = std::string("intake/") + name;
    return {name, fix, ReadTestData(file + "_in.txt"), ReadTestData(file + "_out.txt")};
}

// An AirNav header whose flight line holds `flight`.
std::string AnadFlight(const std::string& flight)
{
    return "Flight id: " + flight + "\r\nMessage content:-\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Intake, Rewrites,
    ::testing::Values(Golden("airmaster", Airmaster_FIX), Golden("skyspy", SkySpy_FIX), Golden("anad", ANAD_FIX),
                      Golden("anad_uplink", ANAD_FIX), Golden("hfacars", HFACARS_FIX), Golden("hfdl", RunHFDL),
                      // Airmaster family
                      RewriteCase{"airmasterDateNeedsTime", Airmaster_FIX, "1A 01/02/2003 0405", "1A 01/02/2003 0405"},
                      // A date in the content comes first; the trailer keeps its slashes and is still found.
                      RewriteCase{"airmasterTrailerAfterContentDate", Airmaster_FIX,
                                  "1X 05/12/2026 11:58\r\n---[05/12/2026 11:59]\r\nrest",
                                  "1X 05.12.2026 11:58\r\n---[05/12/2026 11:59]"},
                      RewriteCase{"airmasterEmpty", Airmaster_FIX, "", ""},
                      RewriteCase{"skyspyEveryDel", SkySpy_FIX, "_" + kDel + "x" + kDel, "_ x "},
                      // AirNav: the prefix, the flight-id table (its rows in WidenedFlightIdsStayInTheirWindow) and
                      // the fixed columns.
                      RewriteCase{"anadPrefixNeedsTwoBlanks", ANAD_FIX, "\nACARS", "\nACARS"},
                      // An empty flight id is still widened; an id that merely starts with blanks is kept.
                      RewriteCase{"anadEmptyFlightAtEnd", ANAD_FIX, "Flight id:  ", "Flight id:          "},
                      RewriteCase{"anadEmptyFlightBeforeLf", ANAD_FIX, "Flight id:  \nX", "Flight id:          \nX"},
                      // Each label is judged by the rest of its own line; the first of two on a line is not empty.
                      RewriteCase{"anadTwoLabelsOnOneLine", ANAD_FIX, "Flight id:  Flight id:  \r\n",
                                  "Flight id:  Flight id:          \r\n"},
                      RewriteCase{"anadEmptyLabelsOnTwoLines", ANAD_FIX, "Flight id:  \r\nFlight id:    \r\n",
                                  "Flight id:          \r\nFlight id:            \r\n"},
                      RewriteCase{"anadBlankLedFlightKept", ANAD_FIX, AnadFlight(" AB12"), AnadFlight(" AB12")}),
    test::CaseName());

// The flight ids of the widening table must be readable at positions 98-103 afterwards.
TEST(Intake, WidenedFlightIdsStayInTheirWindow)
{
    const std::string head =
        "\r\nACARS mode: 2  Aircraft reg: .G-EUPJ\r\nMessage label: 15  Block id: 4  Msg. no: M01A\r\n";
    struct Row {
        const char* sent;
        const char* field;  // positions 98-103 afterwards
        const char* shown;  // what the Flight box reads
    };
    for (const Row& row :
         {Row{"123", "  123 ", "123 "}, Row{"A123", "  A123", "A123"}, Row{"AB123", "AB123 ", "AB123 "}}) {
        Rig rig;
        rig.station.CurrentMessage = head + AnadFlight(row.sent) + "TEXT\r\n";
        ANAD_FIX(rig.station);
        const std::string& m = rig.station.CurrentMessage;
        EXPECT_EQ(fields::FlightField(m), row.field) << row.sent;
        EXPECT_EQ(fields::DisplayFlight(m), row.shown) << row.sent;
        EXPECT_EQ(fields::Content(m), "TEXT\r\n") << row.sent;
    }
}

// ---- HFDL records ---------------------------------------------------------------------------

struct HfdlCase {
    const char* name;
    std::string record;
    std::string content;  // the content line, or "" when the record is refused
    const char* aircraft;
    const char* flight;
};

class HfdlRecords : public ::testing::TestWithParam<HfdlCase> {};

TEST_P(HfdlRecords, BecomeMessagesOrAreRefused)
{
    const HfdlCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.box.Aircraft.Text = "PREVREG";
    s.box.Flight.Text = "PREV12";
    s.CurrentMessage = c.record;
    EXPECT_EQ(HFDL_FIX(s), !c.content.empty());
    EXPECT_EQ(s.box.Aircraft.Text, c.aircraft);
    EXPECT_EQ(s.box.Flight.Text, c.flight);
    const std::string log = rig.home.Read(kLog);
    if (c.content.empty()) {
        // Left as received and logged whole (the entry's layout is the error log's own test).
        EXPECT_EQ(s.CurrentMessage, c.record);
        EXPECT_EQ(log.substr(0, 34), "Error: 9 (Subscript out of range (");
        EXPECT_NE(log.find("\r\nMessage: \r\n" + c.record + "\r\n\r\n"), std::string::npos);
    } else {
        EXPECT_EQ(log, "");
        EXPECT_EQ(s.CurrentMessage.substr(s.CurrentMessage.find("Message content:-\r\n") + 19), c.content);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Intake, HfdlRecords,
    ::testing::Values(
        HfdlCase{"noRegistration", "UP6567,,t,f,12,34,5,W,51,23,4,N;", "UP6567,.NO-REG,t,f,N51234W012345;\r\n", "",
                 "UP6567"},
        HfdlCase{"dottedRegistration", "UP6567,N.923.UP,t,f,1,2,3,E,4,5,6,S;", "UP6567,N.923.UP,t,f,S04056E001023;\r\n",
                 "N923UP", "UP6567"},
        HfdlCase{"tenthsTakeOneCharacter", "F,R,t,f,1,2,39,E,4,5,67,S;", "F,R,t,f,S04056E001023;\r\n", "R", "F"},
        // Non-numeric fields pass unchanged; empty fields stay empty.
        HfdlCase{"nonNumericUnchanged", "F,R,t,f,x1,y,z,E,ab,-,,N;", "F,R,t,f,Nab-Ex1yz;\r\n", "R", "F"},
        HfdlCase{"roundedNumbers", "F,R,t,f,1.5,2.5,3,E,4,5,6,N;", "F,R,t,f,N04056E002033;\r\n", "R", "F"},
        // Refused: fewer than twelve fields. Nothing of the previous message may stay in the boxes.
        HfdlCase{"elevenFields", "UP6567,N923UP,11:59:30,8834,12,34,5,W,51,23,4", "", "", ""},
        HfdlCase{"emptyText", "", "", "", ""}),
    test::CaseName());

// ---- malformed and huge input ---------------------------------------------------------------

TEST(Intake, MegabyteOfBinaryNeverCrashes)
{
    for (Normaliser fix : {Airmaster_FIX, SkySpy_FIX, ANAD_FIX, HFACARS_FIX, RunHFDL}) {
        for (std::string_view lead : {std::string_view(""), std::string_view("---[01/02/2003 04:05]")}) {
            Rig rig;
            std::string& bytes = rig.station.CurrentMessage = lead;
            for (std::size_t i = 0; bytes.size() < lead.size() + (1u << 20); ++i)
                bytes.push_back(static_cast<char>((i * 167 + 13) & 0xff));
            EXPECT_NO_THROW(fix(rig.station)) << lead;
            if (!lead.empty() && (fix == Airmaster_FIX || fix == ANAD_FIX)) {
                EXPECT_EQ(rig.station.CurrentMessage, "---[01.02.2003 04:05]");
            }
        }
    }
}

TEST(Intake, RefusedRecordWithoutLogsFolderStillGoesOn)
{
    Rig rig(false);
    rig.station.CurrentMessage = "a,b,c";
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(HFDL_FIX(rig.station));
    (void)::testing::internal::GetCapturedStderr();
    rig.station.CurrentMessage = "F,R,t,f,1,2,3,E,4,5,6,N;";
    EXPECT_TRUE(HFDL_FIX(rig.station));
    EXPECT_EQ(rig.station.box.Flight.Text, "F");
}

// HF ACARS fills the Aircraft box (dot and all) and tells the windows, as the HFDL path does.
TEST(Intake, BoxesChangeIsAnnounced)
{
    Rig rig;
    int boxes = 0;
    rig.station.Subscribe([&](ChangeFlags what) { boxes += (what & ChangeBoxes) ? 1 : 0; });
    rig.station.CurrentMessage = "1ACARS mode: 2  Aircraft reg: .N923UP\n";
    HFACARS_FIX(rig.station);
    EXPECT_EQ(rig.station.box.Aircraft.Text, ".N923UP");
    rig.station.CurrentMessage = "x";
    (void)HFDL_FIX(rig.station);
    EXPECT_EQ(boxes, 2);
}

}  // namespace
}  // namespace korval
