#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "fifo_guard.h"
#include "station/events.h"
#include "station/files.h"
#include "test_support.h"
#include "text/fault.h"
#include "tracking/lookups.h"

namespace korval {
namespace {

namespace fs = std::filesystem;
using korval::test::PrintTo;
using test::Rig;

// What stands at the path: a file with `content` (none when null), or something else.
enum class Kind { File, Folder, Fifo, LinkToFile, DanglingLink };

struct ReadCase {
    const char* name;
    Kind kind;
    const char* content;
    FileStatus status;
    const char* text;
};

class RegularFiles : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RegularFiles, OnlyARegularFileWithinTheCeilingIsRead)
{
    const ReadCase& c = GetParam();
    test::TempHome home;
    const fs::path file = home.path() / "data.wdf";
    if (c.kind == Kind::File && c.content) home.Write("data.wdf", c.content);
    if (c.kind == Kind::Folder) fs::create_directory(file);
    if (c.kind == Kind::Fifo) test::MakeFifo(file);
    if (c.kind == Kind::LinkToFile) home.Write("real.wdf", "A=1\r\n");
    if (c.kind == Kind::LinkToFile) fs::create_symlink("real.wdf", file);
    if (c.kind == Kind::DanglingLink) fs::create_symlink("absent.wdf", file);
    FileRead read;
    EXPECT_TRUE(test::FinishesWithin(std::chrono::seconds(20), {file}, [&] { read = ReadRegularFile(file, 10); }));
    EXPECT_EQ(read.status, c.status);
    EXPECT_EQ(read.text, c.text);
    EXPECT_EQ(read.reason.empty(), c.status == FileStatus::Read);
}

INSTANTIATE_TEST_SUITE_P(
    Station, RegularFiles,
    ::testing::Values(ReadCase{"missing", Kind::File, nullptr, FileStatus::Missing, ""},
                      ReadCase{"atCeiling", Kind::File, "0123456789", FileStatus::Read, "0123456789"},
                      ReadCase{"overCeiling", Kind::File, "0123456789X", FileStatus::TooLarge, ""},
                      ReadCase{"folder", Kind::Folder, nullptr, FileStatus::NotRegular, ""},
                      ReadCase{"fifo", Kind::Fifo, nullptr, FileStatus::NotRegular, ""},
                      ReadCase{"linkToFile", Kind::LinkToFile, nullptr, FileStatus::Read, "A=1\r\n"},
                      ReadCase{"danglingLink", Kind::DanglingLink, nullptr, FileStatus::Missing, ""}),
    test::CaseName());

// A data file beyond the ceiling is an unreadable one (error 75), not a table of millions of lines.
TEST(DataFiles, BeyondTheCeilingIsUnreadable)
{
    test::Rig rig;
    rig.home.Write("routes.wdf", std::string(kMaxDataFileBytes + 1, 'x'));
    EXPECT_FAULT((void)ReadDataFileLines(rig.station, "routes.wdf"), 75);
    rig.home.Write("routes.wdf", std::string(kMaxDataFileBytes - 2, 'x') + "\r\n");
    EXPECT_EQ(ReadDataFileLines(rig.station, "routes.wdf").size(), 2u);
}

// A FIFO in place of a file read at start is an unreadable file, taken as one at once: nothing
// waits for a writer, and start-up ends with that file's usual message.
struct FifoCase {
    const char* name;
    const char* file;
    const char* message;                      // start of the one message
    std::size_t routes, aircraft, regFlight;  // lines loaded
};

class StartUpFifo : public ::testing::TestWithParam<FifoCase> {};

TEST_P(StartUpFifo, IsAnUnreadableFileAndStartUpCompletes)
{
    const FifoCase& c = GetParam();
    Rig rig;
    rig.home.Write("KORVAL.ini", test::ReadTestData("chain/KORVAL.ini"));
    rig.home.Write("routes.wdf", "UP6567=CGN-EMA-SDF\r\n");
    rig.home.Write("aircraft.wdf", "N923UP=B767\r\n");
    rig.home.Write("RegFlight.wdf", ".N923UP;.N923UX;;\r\n");
    const auto fifo = rig.home.path() / c.file;
    std::filesystem::remove(fifo);
    test::MakeFifo(fifo);
    EXPECT_TRUE(test::FinishesWithin(std::chrono::seconds(20), {fifo}, [&] { StartUp(rig.station); }));
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    const std::string& text = rig.notes.messages[0].text;
    EXPECT_EQ(text.rfind(c.message, 0), 0u) << text;
    if (c.routes == 0 || c.regFlight == 0) {
        EXPECT_NE(text.find(" in procedure Form_Load of Form ACARS"), std::string::npos) << text;
    }
    EXPECT_EQ(rig.station.RoutesFileLines.size(), c.routes);
    EXPECT_EQ(rig.station.AircraftFileLines.size(), c.aircraft);
    EXPECT_EQ(rig.station.RegFlightLines.size(), c.regFlight);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

// The first unreadable table ends the start-up's loading, as a folder in its place does.
INSTANTIATE_TEST_SUITE_P(
    Events, StartUpFifo,
    ::testing::Values(FifoCase{"settings", "KORVAL.ini", "Can't read your Korval settings file ", 2, 2, 2},
                      FifoCase{"routes", "routes.wdf", "Error 75 (Path/File access error) at line ", 0, 0, 0},
                      FifoCase{"regFlight", "RegFlight.wdf", "Error 75 (Path/File access error) at line ", 2, 2, 0}),
    test::CaseName());

TEST(StartUp, MinuteCountIsTheMinuteOfTheUtcDay)
{
    test::Rig rig;
    rig.clock.SetUtcTime(23, 59, 30);
    StartUp(rig.station);
    EXPECT_EQ(rig.station.MinuteCount, 23 * 60 + 59);
}

}  // namespace
}  // namespace korval
