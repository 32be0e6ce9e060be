#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "text/fields.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;

// The display values of a message: registration, message number and flight, "|" between them.
std::string DisplayValues(std::string_view m)
{
    return fields::DisplayRegistration(m) + "|" + fields::MessageNumber(m) + "|" + fields::DisplayFlight(m);
}

// The reads the program uses; the header, content and log-text reads have no caller and so no
// case.
TEST(Fields, FirstExampleReadsAtItsPositions)
{
    const std::string m =
        "0ACARS mode: 2  Aircraft reg: .N923UP\r\n"
        "Message label: 30  Block id: 1  Msg. no: M76A\r\n"
        "Flight id: UP6567\r\nMessage content:-\r\n"
        "292208 29 EDI  CGN  P540250P0020756////255052////////05230086////0085\r\n";
    EXPECT_EQ(fields::RegistrationField(m) + "|" + fields::MessageNumberField(m) + "|" + fields::FlightField(m),
              ".N923UP| M76A|UP6567");
}

// The values are DisplayValues'.
struct ReadCase {
    const char* name;
    std::string message;
    const char* values;
};

class FieldReads : public ::testing::TestWithParam<ReadCase> {};

TEST_P(FieldReads, GiveTheDisplayValues)
{
    EXPECT_EQ(DisplayValues(GetParam().message), GetParam().values);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldReads,
    ::testing::Values(
        ReadCase{"dashesMessageNumber", Canonical("..N1234", "_d", 'A', "----", "Uplink", ""), "N1234|----|Uplink"},
        // Only leading blanks go: the blank after the digits stays.
        ReadCase{"onlyLeadingBlanksTrimmed", Canonical(".N923UP", "30", '1', "M76A", "  123 ", ""), "N923UP|M76A|123 "},
        // Short texts: what is there, possibly nothing.
        ReadCase{"emptyText", "", "||"},
        ReadCase{"endsInsideRegistration", "1ACARS mode: 2  Aircraft reg: .N9", "N9||"},
        ReadCase{"endsInsideFlight", Canonical(".N923UP", "30", '1', "M76A", "UP6567", "").substr(0, 100),
                 "N923UP|M76A|UP6"}),
    test::CaseName());

struct ClassCase {
    const char* name;
    std::string message;
    const char* classes;  // the classes the message belongs to
};

class MessageClasses : public ::testing::TestWithParam<ClassCase> {};

TEST_P(MessageClasses, AreRecognised)
{
    const std::string& m = GetParam().message;
    std::string classes;
    for (const auto& [is, name] : {std::pair{fields::IsLoopOrSquitter(m), "loop"},
                                   {fields::IsUplink(m), "uplink"},
                                   {fields::IsSAMessage(m), "SA"},
                                   {fields::IsB9Message(m), "B9"},
                                   {fields::IsSBSReport(m), "SBS"},
                                   {fields::IsOceanicClearance(m), "clearance"}})
        if (is) classes += classes.empty() ? name : std::string(" ") + name;
    EXPECT_EQ(classes, GetParam().classes);
}

// SA, B9 and SBS-1 messages are told apart in the pipeline's own cases.
INSTANTIATE_TEST_SUITE_P(
    Fields, MessageClasses,
    ::testing::Values(
        ClassCase{"uplink", Canonical(".N923UP", "30", 'C', "M76A", "UP6567", ""), "uplink"},
        ClassCase{"uplinkLowerCaseIsNot", Canonical(".N923UP", "30", 'c', "M76A", "UP6567", ""), ""},
        ClassCase{"squitterUplinkIsNotUplink", Canonical(".N923UP", "SQ", 'X', "S00A", "      ", ""), "loop"},
        ClassCase{"loopTest", Canonical(".N923UP", "Q0", '2', "S00A", "      ", "LOOPTST\r\n"), "loop"},
        ClassCase{"uplinkLabelLaterInText", Canonical(".N923UP", "30", '1', "M76A", "UP6567", "Block id: Z\r\n"),
                  "uplink"},
        ClassCase{"clearance", Canonical(".N923UP", "B1", '1', "M76A", "UP6567", "CLA 1234\r\n"), "clearance"},
        ClassCase{"clxWithoutBlankIsNot", Canonical(".N923UP", "B1", '1', "M76A", "UP6567", "CLX\r\n"), ""},
        // "RCL " inside the header (registration "RCL ") is not a clearance: content starts at 125.
        ClassCase{"clearanceWordInHeader", Canonical("...RCL ", "B1", '1', "M76A", "UP6567", "POS\r\n"), ""}),
    test::CaseName());

}  // namespace
}  // namespace korval
