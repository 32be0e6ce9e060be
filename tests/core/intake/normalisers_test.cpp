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

// ---- whole messages from each source against hand-written expected files ------------------

struct GoldenCase {
    const char* name;
    Normaliser fix;
    const char* input;
    const char* expected;
    const char* aircraftBox;  // nullptr: the normaliser leaves it alone
    const char* flightBox;
};

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, GivesTheCanonicalText)
{
    const GoldenCase& c = GetParam();
    Rig rig;
    Station& s = rig.station;
    s.box.Aircraft.Text = "OLDREG";
    s.box.Flight.Text = "OLD123";
    s.CurrentMessage = ReadTestData(std::string("intake/") + c.input);
    ASSERT_FALSE(s.CurrentMessage.empty());
    c.fix(s);
    EXPECT_EQ(s.CurrentMessage, ReadTestData(std::string("intake/") + c.expected));
    EXPECT_EQ(s.box.Aircraft.Text, c.aircraftBox ? c.aircraftBox : "OLDREG");
    EXPECT_EQ(s.box.Flight.Text, c.flightBox ? c.flightBox : "OLD123");
    EXPECT_FALSE(rig.home.Exists(kLog));
}

INSTANTIATE_TEST_SUITE_P(
    Intake, Golden,
    ::testing::Values(GoldenCase{"airmaster", Airmaster_FIX, "airmaster_in.txt", "airmaster_out.txt", nullptr, nullptr},
                      GoldenCase{"skyspy", SkySpy_FIX, "skyspy_in.txt", "skyspy_out.txt", nullptr, nullptr},
                      GoldenCase{"anad", ANAD_FIX, "anad_in.txt", "anad_out.txt", nullptr, nullptr},
                      GoldenCase{"anadUplink", ANAD_FIX, "anad_uplink_in.txt", "anad_uplink_out.txt", nullptr, nullptr},
                      GoldenCase{"hfacars", HFACARS_FIX, "hfacars_in.txt", "hfacars_out.txt", ".N923UP", nullptr},
                      GoldenCase{"hfdl", RunHFDL, "hfdl_in.txt", "hfdl_out.txt", "N923UP", "UP6567"}),
    test::CaseName());

// ---- single rewrites ----------------------------------------------------------------------

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

// An AirNav header whose flight line holds `flight`.
std::string AnadFlight(const std::string& flight)
{
    return "Flight id: " + flight + "\r\nMessage content:-\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    Intake, Rewrites,
    ::testing::Values(
        // Airmaster family
        RewriteCase{"airmasterPrefixAdded", Airmaster_FIX, "ACARS mode: 2", "1ACARS mode: 2"},
        RewriteCase{"airmasterPrefixKept", Airmaster_FIX, "1ACARS mode: 2", "1ACARS mode: 2"},
        RewriteCase{"airmasterFirstDateOnly", Airmaster_FIX, "1A 01/02/2003 04:05 06/07/2008 09:10",
                    "1A 01.02.2003 04:05 06/07/2008 09:10"},
        RewriteCase{"airmasterDateNeedsTime", Airmaster_FIX, "1A 01/02/2003 0405", "1A 01/02/2003 0405"},
        RewriteCase{"airmasterGluedMessageDropped", Airmaster_FIX,
                    "1X\r\n---[24/05/2001 19:38]\r\nACARS mode: 2\r\n---[24/05/2001 19:39]\r\n",
                    "1X\r\n---[24.05.2001 19:38]"},
        // A date in the content comes first; the trailer keeps its slashes and is still found.
        RewriteCase{"airmasterTrailerAfterContentDate", Airmaster_FIX,
                    "1X 05/12/2026 11:58\r\n---[05/12/2026 11:59]\r\nrest",
                    "1X 05.12.2026 11:58\r\n---[05/12/2026 11:59]"},
        RewriteCase{"airmasterNoTrailer", Airmaster_FIX, "1X\r\n--[05/12/2026 11:59]\r\nrest",
                    "1X\r\n--[05.12.2026 11:59]\r\nrest"},
        RewriteCase{"airmasterEmpty", Airmaster_FIX, "", ""},
        // SkySpy
        RewriteCase{"skyspyFirstOfEachForm", SkySpy_FIX, "01/02/2003 04/05/2006 2007/08/09 2010/11/12",
                    "01:02:2003 04/05/2006 2007:08:09 2010/11/12"},
        RewriteCase{"skyspyEveryDel", SkySpy_FIX, "_" + kDel + "x" + kDel, "_ x "},
        // AirNav: the prefix, the flight-id table (its rows in WidenedFlightIdsStayInTheirWindow) and
        // the fixed columns.
        RewriteCase{"anadPrefix", ANAD_FIX, "\r\nACARS mode: 2  \r\nACARS", ".ACARS mode: 2  \r\nACARS"},
        RewriteCase{"anadPrefixNeedsTwoBlanks", ANAD_FIX, "\nACARS", "\nACARS"},
        RewriteCase{"anadFullWidthUntouched", ANAD_FIX, AnadFlight("AB1234"), AnadFlight("AB1234")},
        RewriteCase{"anadLowerCaseUntouched", ANAD_FIX, AnadFlight("ab12"), AnadFlight("ab12")},
        // An empty flight id is still widened; an id that merely starts with blanks is kept.
        RewriteCase{"anadEmptyFlightWidened", ANAD_FIX, AnadFlight(" "), AnadFlight("         ")},
        RewriteCase{"anadBlankLedFlightKept", ANAD_FIX, AnadFlight(" AB12"), AnadFlight(" AB12")},
        RewriteCase{"anadEmptyBlockId", ANAD_FIX, "Block id:   Msg. no: M01A", "Block id:    Msg. no: M01A"},
        RewriteCase{"anadNoInfoLabelBlank", ANAD_FIX, "label: _  Block", "label: _   Block"},
        RewriteCase{"anadNoInfoLabelDel", ANAD_FIX, "label: _" + kDel + "  Block", "label: _   Block"},
        // HF ACARS
        RewriteCase{"hfacarsCrLfGetsCrCrLf", HFACARS_FIX, "a\r\nb", "a\r\r\nb"},
        RewriteCase{"hfacarsFlightOnItsOwnLine", HFACARS_FIX, "M76A Flight id: UP1\n", "M76A\r\nFlight id: UP1\r\n"},
        RewriteCase{"hfacarsFirstDateOnly", HFACARS_FIX, "01/02/2003 04:05\n06/07/2008 09:10",
                    "01.02.2003 04:05\r\n06/07/2008 09:10"}),
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
         {Row{"123", "  123 ", "123 "}, Row{"A123", "  A123", "A123"}, Row{"AB123", "AB123 ", "AB123 "},
          Row{"AB12", "AB12  ", "AB12  "}, Row{"AB1", "  AB1 ", "AB1 "}, Row{"ABC12", "ABC12 ", "ABC12 "}}) {
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
    bool accepted = HFDL_FIX(s);
    EXPECT_EQ(s.box.Aircraft.Text, c.aircraft);
    EXPECT_EQ(s.box.Flight.Text, c.flight);
    std::string log = rig.home.Read(kLog);
    if (c.content.empty()) {
        EXPECT_FALSE(accepted);
        EXPECT_EQ(s.CurrentMessage, c.record);  // left as received
        EXPECT_EQ(log.substr(0, 34), "Error: 9 (Subscript out of range (");
        EXPECT_NE(log.find("\r\nProcedure: HFDL_FIX - Module: DDE - Line: "), std::string::npos);
        EXPECT_NE(log.find("\r\nMessage: \r\n" + c.record + "\r\n\r\n"), std::string::npos);
    } else {
        EXPECT_TRUE(accepted);
        EXPECT_EQ(log, "");
        std::string header = s.CurrentMessage.substr(0, s.CurrentMessage.find("Message content:-\r\n"));
        EXPECT_EQ(s.CurrentMessage.substr(header.size() + 19), c.content);
        EXPECT_EQ(header.substr(0, 30), "0ACARS mode: 2  Aircraft reg: ");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Intake, HfdlRecords,
    ::testing::Values(
        HfdlCase{"typical", "UP6567,N923UP,11:59:30,8834,12,34,5,W,51,23,4,N;",
                 "UP6567,N923UP,11:59:30,8834,N51234W012345;\r\n", "N923UP", "UP6567"},
        HfdlCase{"noRegistration", "UP6567,,t,f,12,34,5,W,51,23,4,N;", "UP6567,.NO-REG,t,f,N51234W012345;\r\n", "",
                 "UP6567"},
        HfdlCase{"dottedRegistration", "UP6567,N.923.UP,t,f,1,2,3,E,4,5,6,S;", "UP6567,N.923.UP,t,f,S04056E001023;\r\n",
                 "N923UP", "UP6567"},
        HfdlCase{"flightTrimmedForTheBox", " UP6567 ,N923UP,t,f,1,2,3,E,4,5,6,S;",
                 " UP6567 ,N923UP,t,f,S04056E001023;\r\n", "N923UP", "UP6567"},
        HfdlCase{"tenthsTakeOneCharacter", "F,R,t,f,1,2,39,E,4,5,67,S;", "F,R,t,f,S04056E001023;\r\n", "R", "F"},
        HfdlCase{"semicolonsAllRemoved", "F,R,t,f,1,2,3,E,4,5,6,;S;;", "F,R,t,f,S04056E001023;\r\n", "R", "F"},
        // Non-numeric fields pass unchanged; blanks around numbers go; empty fields stay empty.
        HfdlCase{"nonNumericUnchanged", "F,R,t,f,x1,y,z,E,ab,-,,N;", "F,R,t,f,Nab-Ex1yz;\r\n", "R", "F"},
        HfdlCase{"blanksAroundNumbers", "F,R,t,f, 1 , 2,3,E, 4,5 ,6,N;", "F,R,t,f,N04056E001023;\r\n", "R", "F"},
        HfdlCase{"emptyNumbers", "F,R,t,f,,,,E,,,,N;", "F,R,t,f,NE;\r\n", "R", "F"},
        HfdlCase{"roundedNumbers", "F,R,t,f,1.5,2.5,3,E,4,5,6,N;", "F,R,t,f,N04056E002033;\r\n", "R", "F"},
        // Refused: fewer than twelve fields. Nothing of the previous message may stay in the boxes.
        HfdlCase{"elevenFields", "UP6567,N923UP,11:59:30,8834,12,34,5,W,51,23,4", "", "", ""},
        HfdlCase{"emptyText", "", "", "", ""}),
    test::CaseName());

// ---- malformed and huge input ---------------------------------------------------------------

std::string MegabyteOfBinary(std::string_view lead)
{
    std::string bytes(lead);
    bytes.reserve(lead.size() + (1u << 20));
    for (std::size_t i = 0; bytes.size() < lead.size() + (1u << 20); ++i)
        bytes.push_back(static_cast<char>((i * 167 + 13) & 0xff));
    return bytes;
}

TEST(Intake, MegabyteOfBinaryNeverCrashes)
{
    struct Source {
        const char* name;
        Normaliser fix;
    };
    for (const Source& src : {Source{"Airmaster", Airmaster_FIX}, Source{"SkySpy", SkySpy_FIX},
                              Source{"ANAD", ANAD_FIX}, Source{"HFACARS", HFACARS_FIX}, Source{"HFDL", RunHFDL}}) {
        for (std::string_view lead : {std::string_view(""), std::string_view("---[01/02/2003 04:05]")}) {
            Rig rig;
            std::string bytes = MegabyteOfBinary(lead);
            rig.station.CurrentMessage = bytes;
            EXPECT_NO_THROW(src.fix(rig.station)) << src.name;
            if (!lead.empty() && (src.fix == Airmaster_FIX || src.fix == ANAD_FIX)) {
                EXPECT_EQ(rig.station.CurrentMessage, "---[01.02.2003 04:05]") << src.name;
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

TEST(Intake, BoxesChangeIsAnnounced)
{
    Rig rig;
    int boxes = 0;
    rig.station.Subscribe([&](ChangeFlags what) { boxes += (what & ChangeBoxes) ? 1 : 0; });
    rig.station.CurrentMessage = "1ACARS mode: 2  Aircraft reg: .N923UP\n";
    HFACARS_FIX(rig.station);
    rig.station.CurrentMessage = "x";
    (void)HFDL_FIX(rig.station);
    EXPECT_EQ(boxes, 2);
}

}  // namespace
}  // namespace korval
