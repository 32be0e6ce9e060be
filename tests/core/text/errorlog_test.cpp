#include <gtest/gtest.h>

#include <new>
#include <string>

#include "station/station.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using test::Canonical;
using test::ReadTestData;
using test::Rig;

const char* const kLog = "Logs/ErrorLog .txt";

std::string PositionMessage()
{
    return Canonical(".N923UP", "30", '1', "M76A", "UP6567", "POS N52300W007300,\r\n");
}

// Four entries appended byte for byte: in full with a message in hand, in full with a binary
// message, in full with nothing in hand, and the one-line entry. ErrorText is the last entry
// without the CR LF the write adds.
TEST(ErrorLog, EntriesAreAppendedByteForByte)
{
    Rig rig;
    Station& s = rig.station;
    s.CurrentMessage = PositionMessage();
    s.PositionText = "52500/-7500,53000/-8000,";
    s.LogFault(Fault(13, "Type mismatch", 42), "GetPos", "Position");
    const std::string bytes("\0\x7f\xff\r\n", 5);
    s.CurrentMessage = bytes;
    s.PositionText.clear();
    s.LogFault(Fault(5, "Invalid procedure call or argument", 1), "ANAD_FIX", "DDE");
    s.CurrentMessage.clear();
    s.LogFault(Fault(9, "Subscript out of range", 7), "HFDL_FIX", "DDE");
    s.CurrentMessage = PositionMessage();
    s.PositionText = "1/2,";
    s.LogFaultLine(Fault(11, "Division by zero", 0), "MidWaypoint", "Oceanic");
    const std::string binary =
        "Error: 5 (Invalid procedure call or argument)\r\n"
        "Procedure: ANAD_FIX - Module: DDE - Line: 1\r\nWaypoints: \r\nMessage: \r\n" +
        bytes + "\r\n\r\n";
    const std::string last = ReadTestData("errorlog/short_entry.txt");
    EXPECT_EQ(rig.home.Read(kLog),
              ReadTestData("errorlog/full_entry.txt") + binary + ReadTestData("errorlog/empty_state_entry.txt") + last);
    EXPECT_EQ(s.ErrorText + "\r\n", last);
    EXPECT_EQ(s.ErrProcedure + " " + s.ErrModule, "MidWaypoint Oceanic");
}

struct GuardCase {
    const char* name;
    void (*body)();
    int number;
    const char* description;
};

class StandardHandler : public ::testing::TestWithParam<GuardCase> {};

TEST_P(StandardHandler, LogsTheFaultAndReturnsFalse)
{
    const GuardCase& c = GetParam();
    Rig rig;
    rig.station.CurrentMessage = "1ACARS";
    EXPECT_FALSE(rig.station.Guard("Good_Message", "Messages", c.body));
    const std::string log = rig.home.Read(kLog), head = "Error: " + std::to_string(c.number) + " (" + c.description +
                                                        ")\r\nProcedure: Good_Message - Module: Messages - Line: ";
    EXPECT_EQ(log.substr(0, head.size()), head);
    EXPECT_NE(log.find("Message: \r\n1ACARS\r\n\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    ErrorLog, StandardHandler,
    ::testing::Values(GuardCase{"ownDescription", [] { Raise(err::InvalidCall, "Bad key"); }, 5, "Bad key"},
                      GuardCase{"outOfMemory", [] { throw std::bad_alloc(); }, 7, "Out of memory"},
                      GuardCase{"notAnException", [] { throw 42; }, 5, "Invalid procedure call or argument"}),
    test::CaseName());

TEST(ErrorLog, RaisedFaultCarriesItsSourceLine)
{
    Rig rig;
    int line = 0;
    rig.station.Guard("NAT", "Messages", [&] {
        line = __LINE__ + 1;
        Raise(err::Overflow);
    });
    EXPECT_NE(rig.station.ErrorText.find(" - Line: " + std::to_string(line) + "\r\n"), std::string::npos);
}

TEST(ErrorLog, MissingLogsFolderDropsTheEntryAndSaysSoOnce)
{
    Rig rig(false);
    Station& s = rig.station;
    s.CurrentMessage = PositionMessage();
    EXPECT_FALSE(s.Guard("GetPos", "Position", [] { Raise(err::TypeMismatch); }));
    EXPECT_FALSE(s.GuardLine("MidWaypoint", "Oceanic", [] { Raise(err::DivisionByZero); }));
    EXPECT_FALSE(s.Guard("NAT", "Messages", [] { Raise(err::Overflow); }));
    EXPECT_FALSE(rig.home.Exists("Logs"));  // the program never creates it
    ASSERT_EQ(rig.notes.diagnostics.size(), 1u);
    EXPECT_NE(rig.notes.diagnostics[0].find("ErrorLog .txt"), std::string::npos);
    // The entry was still composed; the state stays usable for the next message.
    EXPECT_EQ(s.ErrProcedure + " " + s.ErrorText.substr(0, 14), "NAT Error: 6 (Over");
    EXPECT_TRUE(rig.notes.messages.empty());
}

}  // namespace
}  // namespace korval
