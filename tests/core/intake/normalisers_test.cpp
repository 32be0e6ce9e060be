#include <gtest/gtest.h>

#include <string>

#include "intake/normalisers.h"
#include "station/station.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Rig;

const char* const kLog = "Logs/ErrorLog .txt";
const std::string kDel(1, '\x7f');

using Normaliser = void (*)(Station&);
const Normaliser RunHFDL = [](Station& s) { (void)HFDL_FIX(s); };

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
    return {name, fix, test::ReadTestData(file + "_in.txt"), test::ReadTestData(file + "_out.txt")};
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
                      // A date in the content comes first; the trailer keeps its slashes and is still found.
                      RewriteCase{"airmasterTrailerAfterContentDate", Airmaster_FIX,
                                  "1X 05/12/2026 11:58\r\n---[05/12/2026 11:59]\r\nrest",
                                  "1X 05.12.2026 11:58\r\n---[05/12/2026 11:59]"},
                      RewriteCase{"airmasterEmpty", Airmaster_FIX, "", ""},
                      RewriteCase{"skyspyEveryDel", SkySpy_FIX, "_" + kDel + "x" + kDel, "_ x "},
                      // AirNav flight ids: brought to positions 98-103 ...
                      RewriteCase{"anadThreeDigits", ANAD_FIX, AnadFlight("123"), AnadFlight("  123 ")},
                      RewriteCase{"anadLetterThreeDigits", ANAD_FIX, AnadFlight("A123"), AnadFlight("  A123")},
                      RewriteCase{"anadTwoLettersThreeDigits", ANAD_FIX, AnadFlight("AB123"), AnadFlight("AB123 ")},
                      // ... and an empty one widened, judged by the rest of its own line (a line feed, the
                      // end of the text, a carriage return); the first of two labels on a line is not empty.
                      RewriteCase{"anadEmptyFlightBeforeLfAndAtEnd", ANAD_FIX,
                                  "Flight id:  \nFlight id:  ", "Flight id:          \nFlight id:          "},
                      RewriteCase{"anadTwoLabelsOnOneLine", ANAD_FIX, "Flight id:  Flight id:  \r\n",
                                  "Flight id:  Flight id:          \r\n"},
                      RewriteCase{"anadEmptyLabelsOnTwoLines", ANAD_FIX, "Flight id:  \r\nFlight id:    \r\n",
                                  "Flight id:          \r\nFlight id:            \r\n"}),
    test::CaseName());

// ---- HFDL records ---------------------------------------------------------------------------

struct HfdlCase {
    const char* name;
    std::string record;
    std::string outcome;  // "Aircraft box|Flight box|the content line", or "||refused"
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
    const bool done = HFDL_FIX(s);
    const std::string log = rig.home.Read(kLog), &m = s.CurrentMessage;
    // A refused record is left as received and logged whole (the entry's layout is the error log's own test).
    const bool refused = !done && m == c.record && log.starts_with("Error: 9 (Subscript out of range (") &&
                         log.find("\r\nMessage: \r\n" + c.record + "\r\n\r\n") != std::string::npos;
    const std::string content = done && log.empty() ? m.substr(m.find("Message content:-\r\n") + 19) : "?";
    EXPECT_EQ(s.box.Aircraft.Text + "|" + s.box.Flight.Text + "|" + (refused ? "refused" : content), c.outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Intake, HfdlRecords,
    ::testing::Values(HfdlCase{"noRegistration", "UP6567,,t,f,12,34,5,W,51,23,4,N;",
                               "|UP6567|UP6567,.NO-REG,t,f,N51234W012345;\r\n"},
                      // Tenths take one character.
                      HfdlCase{"dottedRegistration", "UP6567,N.923.UP,t,f,1,2,39,E,4,5,67,S;",
                               "N923UP|UP6567|UP6567,N.923.UP,t,f,S04056E001023;\r\n"},
                      // Non-numeric fields pass unchanged; empty fields stay empty.
                      HfdlCase{"nonNumericUnchanged", "F,R,t,f,x1,y,z,E,ab,-,,N;", "R|F|F,R,t,f,Nab-Ex1yz;\r\n"},
                      // Refused: fewer than twelve fields. Nothing of the previous message may stay in the boxes.
                      HfdlCase{"elevenFields", "UP6567,N923UP,11:59:30,8834,12,34,5,W,51,23,4", "||refused"}),
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

// With no Logs folder a refused record goes no further and the next one goes through. HF ACARS
// fills the Aircraft box (dot and all); both paths tell the windows, a refusal too.
TEST(Intake, RefusedRecordWithoutLogsFolderGoesOnAndBoxesChangesAreAnnounced)
{
    Rig rig(false);
    Station& s = rig.station;
    int boxes = 0;
    s.Subscribe([&](ChangeFlags what) { boxes += (what & ChangeBoxes) ? 1 : 0; });
    s.CurrentMessage = "1ACARS mode: 2  Aircraft reg: .N923UP\n";
    HFACARS_FIX(s);
    EXPECT_EQ(s.box.Aircraft.Text, ".N923UP");
    s.CurrentMessage = "a,b,c";
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(HFDL_FIX(s));
    (void)::testing::internal::GetCapturedStderr();
    s.CurrentMessage = "F,R,t,f,1,2,3,E,4,5,6,N;";
    EXPECT_TRUE(HFDL_FIX(s));
    EXPECT_EQ(s.box.Flight.Text, "F");
    EXPECT_EQ(boxes, 3);
}

}  // namespace
}  // namespace korval
