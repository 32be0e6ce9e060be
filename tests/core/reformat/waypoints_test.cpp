#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fifo_guard.h"
#include "reformat/reformat.h"
#include "reformat/waypoint_file.h"
#include "reformat/waypoints.h"
#include "test_support.h"
#include "text/fault.h"

namespace korval {
namespace {

using korval::test::PrintTo;
using Entries = std::vector<std::string>;
using namespace std::string_literals;

struct EntryCase {
    const char* name;
    std::string text;
    Entries entries;
};

class EntryReader : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryReader, Splits)
{
    EXPECT_EQ(ReadWaypointEntries(GetParam().text), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Waypoints, EntryReader,
    ::testing::Values(EntryCase{"commaAndLineEnds", "A=1,B=2\r\nC=3\nD=4\rE=5", {"A=1", "B=2", "C=3", "D=4", "E=5"}},
                      EntryCase{"blanksAroundDropped", "  A=1 ,\tB = 2  \r\n", {"A=1", "B = 2"}},
                      EntryCase{"textAfterClosingQuoteDropped", "\"A=1\" junk,B=2", {"A=1", "B=2"}},
                      EntryCase{"openQuoteEndsAtLineEnd", "\"A=1,2\r\nB=2", {"A=1,2", "B=2"}},
                      EntryCase{"emptyLineFinalWithoutLineEnd", "A=1\r\n\r\nB=2", {"A=1", "", "B=2"}}),
    test::CaseName());

// ---- ExpandWaypoints ---------------------------------------------------------------------------

struct ExpandCase {
    const char* name;
    bool option;                      // "Expand Waypoints" checked
    bool request;                     // REQPWIMessage
    std::optional<std::string> file;  // no waypoints.wdf when empty
    std::string content;
    std::string expected;
};

// clang-format off
const ExpandCase kExpansions[] = {
    {"commentAndEntry", true, false, "!comment\r\nBOBTU=N5000W05000\r\n",
     "VIA BOBTU DCT BOBTU\r\n", "VIA N5000W05000 DCT N5000W05000\r\n"},
    {"optionOff", false, false, "BOBTU=N5000W05000\r\n", "VIA BOBTU\r\n", "VIA BOBTU\r\n"},
    {"dollarEntryForRequest", true, true, "$LIMRI=N5200W01500\r\n", "REQPWI LIMRI\r\n", "REQPWI N5200W01500\r\n"},
    {"dollarEntrySkippedOtherwise", true, false, "$LIMRI=N5200W01500\r\n", "VIA LIMRI\r\n", "VIA LIMRI\r\n"},
    {"dollarInsideEntryRemovedForRequest", true, true, "AB$C=X$Y\r\n", "ABC AB$C\r\n", "XY AB$C\r\n"},
    {"chainInFileOrder", true, false, "A=B\r\nB=C\r\n", "A B\r\n", "C C\r\n"},
    {"entryWithoutEqualsSkipped", true, false, "JUNK\r\nBOBTU=N5000W05000\r\n", "JUNK BOBTU\r\n", "JUNK N5000W05000\r\n"},
    {"missingFileIsEmpty", true, false, std::nullopt, "VIA BOBTU\r\n", "VIA BOBTU\r\n"},
    // Binary bytes make odd entries, never a failure; the good entries still apply.
    {"binaryFileKeepsGoodEntries", true, false, "BOB\0TU=X\r\n\xff\xfe\x01,\"\r\nBOBTU=N5000W05000\r\n"s,
     "VIA BOBTU\r\n", "VIA N5000W05000\r\n"},
    {"headerIsRewrittenToo", true, false, "UP6567=UPS6567\r\n", test::Canonical(".N923UP", "30", '2', "M76A", "UP6567", "X\r\n"),
     test::Canonical(".N923UP", "30", '2', "M76A", "UPS6567", "X\r\n")},
};
// clang-format on

class Expansions : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(Expansions, Rewrite)
{
    const ExpandCase& c = GetParam();
    test::Rig rig;
    Station& s = rig.station;
    s.opt.mnuWaypoints = c.option;
    s.REQPWIMessage = c.request;
    if (c.file) rig.home.Write("waypoints.wdf", *c.file);
    s.CurrentMessage = c.content;
    EXPECT_NO_THROW(ExpandWaypoints(s));
    EXPECT_EQ(s.CurrentMessage, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Waypoints, Expansions, ::testing::ValuesIn(kExpansions), test::CaseName());

// A FIFO in its place is an unreadable file, not an empty one: the caller's handler logs it. It
// is taken as one at once, never waited on.
TEST(Waypoints, FifoIsUnreadableAndNeverWaitedOn)
{
    test::Rig rig;
    Station& s = rig.station;
    s.opt.mnuWaypoints = true;
    const auto fifo = rig.home.path() / "waypoints.wdf";
    test::MakeFifo(fifo);
    s.CurrentMessage = "VIA BOBTU\r\n";
    EXPECT_TRUE(
        test::FinishesWithin(std::chrono::seconds(20), {fifo}, [&] { EXPECT_THROW(ExpandWaypoints(s), Fault); }));
    EXPECT_EQ(s.CurrentMessage, "VIA BOBTU\r\n");
}

// The parsed entries are kept while the file is unchanged and read again when it changes.
TEST(Waypoints, FileChangesAreSeen)
{
    test::Rig rig;
    Station& s = rig.station;
    s.opt.mnuWaypoints = true;
    const auto file = rig.home.path() / "waypoints.wdf";
    auto expand = [&](const char* content) {
        s.CurrentMessage = content;
        ExpandWaypoints(s);
        return s.CurrentMessage;
    };

    rig.home.Write("waypoints.wdf", "BOBTU=N5000W05000\r\n");
    EXPECT_EQ(expand("BOBTU"), "N5000W05000");

    // Same size, later modification time.
    rig.home.Write("waypoints.wdf", "BOBTU=N5100W05000\r\n");
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(2));
    EXPECT_EQ(expand("BOBTU"), "N5100W05000");

    // Another size.
    rig.home.Write("waypoints.wdf", "BOBTU=N5200W05000\r\nLIMRI=N5200W01500\r\n");
    EXPECT_EQ(expand("BOBTU LIMRI"), "N5200W05000 N5200W01500");

    std::filesystem::remove(file);
    EXPECT_EQ(expand("BOBTU"), "BOBTU");
}

// ---- ExpandOCAWaypoints ------------------------------------------------------------------------

struct OceanicCase {
    const char* name;
    const char* file;  // nullptr: no OCAwaypoints.wdf
    const char* content;
    const char* expected;
};

// clang-format off
const OceanicCase kOceanic[] = {
    {"entryPointAndTime", "CRONO=N5000W05000\r\n",
     "CLX 1234 VIA CRONO 55N020W FM CRONO/1437\r\n", "CLX 1234 VIA N5000W05000 55N020W EPT /1437\r\n"},
    {"entryPointAtLineBreak", "CRONO=N5000W05000\r\n", "CLX 1234 AT\r\nCRONO 1437\r\n", "CLX 1234 EP  1437\r\n"},
    {"comment", "!CRONO=X\r\nDOGAL=N5400W01500\r\n", "CLX VIA CRONO DOGAL\r\n", "CLX VIA CRONO N5400W01500\r\n"},
    {"noDollarConvention", "$CRONO=X\r\n", "CLX $CRONO CRONO\r\n", "CLX X CRONO\r\n"},
    {"missingFileIsEmpty", nullptr, "CLX FM CRONO/1437\r\n", "CLX FM CRONO/1437\r\n"},
};
// clang-format on

class Oceanic : public ::testing::TestWithParam<OceanicCase> {};

TEST_P(Oceanic, Rewrite)
{
    const OceanicCase& c = GetParam();
    test::Rig rig;
    Station& s = rig.station;
    if (c.file) rig.home.Write("OCAwaypoints.wdf", c.file);
    s.CurrentMessage = c.content;
    EXPECT_NO_THROW(ExpandOCAWaypoints(s));
    EXPECT_EQ(s.CurrentMessage, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Waypoints, Oceanic, ::testing::ValuesIn(kOceanic), test::CaseName());

// The clearance's positions are rewritten before its waypoint names are read.
TEST(Waypoints, OceanicFifoIsLoggedByReformatDataAndNeverWaitedOn)
{
    test::Rig rig;
    Station& s = rig.station;
    s.opt.mnuRefOCA = true;
    const auto fifo = rig.home.path() / "OCAwaypoints.wdf";
    test::MakeFifo(fifo);
    const std::string header = test::Canonical(".G-EUPJ", "H1", '3', "M41A", "BA0117", "");
    s.CurrentMessage = header + "CLA 55/20 END\r\n";
    EXPECT_TRUE(test::FinishesWithin(std::chrono::seconds(20), {fifo}, [&] { ReformatData(s); }));
    EXPECT_EQ(s.CurrentMessage, header + "CLA N5500W02000 END\r\n");
    EXPECT_EQ(s.ErrProcedure, "ReformatData");
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

}  // namespace
}  // namespace korval
