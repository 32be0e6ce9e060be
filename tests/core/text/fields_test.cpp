#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "text/fields.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;

TEST(Fields, FirstExampleReadsAtItsPositions)
{
    const std::string flightLine =
        "0ACARS mode: 2  Aircraft reg: .N923UP\r\n"
        "Message label: 30  Block id: 1  Msg. no: M76A\r\n"
        "Flight id: UP6567\r";
    const std::string header = flightLine + "\nMessage content:-\r\n";
    const std::string content = "292208 29 EDI  CGN  P540250P0020756////255052////////05230086////0085\r\n";
    const std::string m = header + content;
    EXPECT_EQ(fields::RegistrationField(m), ".N923UP");
    EXPECT_EQ(fields::DisplayRegistration(m), "N923UP");
    EXPECT_EQ(fields::MessageNumberField(m), " M76A");
    EXPECT_EQ(fields::MessageNumber(m), "M76A");
    EXPECT_EQ(fields::FlightField(m), "UP6567");
    EXPECT_EQ(fields::AirlineCode(m), "UP");
    EXPECT_EQ(fields::DisplayFlight(m), "UP6567");
    EXPECT_EQ(fields::Header(m), header);
    EXPECT_EQ(fields::Content(m), content);
    EXPECT_EQ(fields::CorrectionHeader(m), flightLine);
    EXPECT_EQ(fields::CorrectionRest(m), "\nMessage content:-\r\n" + content);
    EXPECT_EQ(fields::LogText(m), m.substr(1));
}

struct ReadCase {
    const char* name;
    std::string message;
    const char* display;  // DisplayRegistration
    const char* msgNo;    // MessageNumber
    const char* flight;   // DisplayFlight
};

class FieldReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(FieldReads, GiveTheDisplayValues)
{
    const ReadCase& c = GetParam();
    EXPECT_EQ(fields::DisplayRegistration(c.message), c.display);
    EXPECT_EQ(fields::MessageNumber(c.message), c.msgNo);
    EXPECT_EQ(fields::DisplayFlight(c.message), c.flight);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldReads,
    ::testing::Values(ReadCase{"sixCharacterRegistration", Canonical(".D-ALCA", "1L", '1', "M20A", "LH8400", ""),
                               "D-ALCA", "M20A", "LH8400"},
                      ReadCase{"dashesMessageNumber", Canonical("..N1234", "_d", 'A', "----", "Uplink", ""), "N1234",
                               "----", "Uplink"},
                      // Only leading blanks go: the blank after the digits stays.
                      ReadCase{"onlyLeadingBlanksTrimmed", Canonical(".N923UP", "30", '1', "M76A", "  123 ", ""),
                               "N923UP", "M76A", "123 "},
                      ReadCase{"noFlight", Canonical(".NO-REG", "HF", '0', "0000", "      ", ""), "NO-REG", "0000", ""},
                      // Short texts: what is there, possibly nothing.
                      ReadCase{"emptyText", "", "", "", ""},
                      ReadCase{"endsInsideRegistration", "1ACARS mode: 2  Aircraft reg: .N9", "N9", "", ""},
                      ReadCase{"endsInsideFlight", Canonical(".N923UP", "30", '1', "M76A", "UP6567", "").substr(0, 100),
                               "N923UP", "M76A", "UP6"}),
    test::CaseName());

TEST(Fields, ShortTextHasNoContentAndNeverFaults)
{
    std::string m = Canonical(".N923UP", "30", '1', "M76A", "UP6567", "");
    ASSERT_EQ(m.size(), 124u);
    EXPECT_EQ(fields::Content(m), "");
    EXPECT_EQ(fields::Content(m.substr(0, 60)), "");
    EXPECT_EQ(fields::CorrectionRest(m.substr(0, 104)), "");
    EXPECT_EQ(fields::LogText(""), "");
    EXPECT_EQ(fields::Header("1ACARS"), "1ACARS");
    EXPECT_FALSE(fields::IsOceanicClearance(m));
}

struct ClassCase {
    const char* name;
    std::string message;
    bool loop, uplink, sa, b9, sbs, oceanic;
};

class MessageClasses : public ::testing::TestWithParam<ClassCase> {};

TEST_P(MessageClasses, AreRecognised)
{
    const ClassCase& c = GetParam();
    EXPECT_EQ(fields::IsLoopOrSquitter(c.message), c.loop);
    EXPECT_EQ(fields::IsUplink(c.message), c.uplink);
    EXPECT_EQ(fields::IsSAMessage(c.message), c.sa);
    EXPECT_EQ(fields::IsB9Message(c.message), c.b9);
    EXPECT_EQ(fields::IsSBSReport(c.message), c.sbs);
    EXPECT_EQ(fields::IsOceanicClearance(c.message), c.oceanic);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, MessageClasses,
    ::testing::Values(
        ClassCase{"downlink", Canonical(".N923UP", "30", '1', "M76A", "UP6567", "TEXT\r\n"), false, false, false, false,
                  false, false},
        ClassCase{"uplink", Canonical(".N923UP", "30", 'C', "M76A", "UP6567", ""), false, true, false, false, false,
                  false},
        ClassCase{"uplinkLowerCaseIsNot", Canonical(".N923UP", "30", 'c', "M76A", "UP6567", ""), false, false, false,
                  false, false, false},
        ClassCase{"squitterUplinkIsNotUplink", Canonical(".N923UP", "SQ", 'X', "S00A", "      ", ""), true, false,
                  false, false, false, false},
        ClassCase{"loopTest", Canonical(".N923UP", "Q0", '2', "S00A", "      ", "LOOPTST\r\n"), true, false, false,
                  false, false, false},
        ClassCase{"uplinkLabelLaterInText", Canonical(".N923UP", "30", '1', "M76A", "UP6567", "Block id: Z\r\n"), false,
                  true, false, false, false, false},
        ClassCase{"sa", Canonical(".N923UP", "SA", '1', "M76A", "UP6567", "0EV"), false, false, true, false, false,
                  false},
        ClassCase{"b9", Canonical(".N923UP", "B9", '1', "M76A", "UP6567", ""), false, false, false, true, false, false},
        ClassCase{"sbs", "SBS-1 position report", false, false, false, false, true, false},
        ClassCase{"clearance", Canonical(".N923UP", "B1", '1', "M76A", "UP6567", "CLA 1234\r\n"), false, false, false,
                  false, false, true},
        ClassCase{"clxWithoutBlankIsNot", Canonical(".N923UP", "B1", '1', "M76A", "UP6567", "CLX\r\n"), false, false,
                  false, false, false, false},
        // "RCL " inside the header (registration "RCL ") is not a clearance: content starts at 125.
        ClassCase{"clearanceWordInHeader", Canonical("...RCL ", "B1", '1', "M76A", "UP6567", "POS\r\n"), false, false,
                  false, false, false, false}),
    test::CaseName());

}  // namespace
}  // namespace korval
