#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "fifo_guard.h"
#include "station/files.h"
#include "test_support.h"
#include "text/fault.h"
#include "tracking/lookups.h"

namespace korval {
namespace {

namespace fs = std::filesystem;
using korval::test::PrintTo;

// What stands at the path: a file with `content` (none when null), or something else.
enum class Kind { File, Folder, Fifo, Device, LinkToFile, DanglingLink };

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
    switch (c.kind) {
        case Kind::File:
            if (c.content) home.Write("data.wdf", c.content);
            break;
        case Kind::Folder:
            fs::create_directory(file);
            break;
        case Kind::Fifo:
            test::MakeFifo(file);
            break;
        case Kind::Device:
            fs::create_symlink("/dev/null", file);
            break;
        case Kind::LinkToFile:
            home.Write("real.wdf", "A=1\r\n");
            fs::create_symlink("real.wdf", file);
            break;
        case Kind::DanglingLink:
            fs::create_symlink("absent.wdf", file);
            break;
    }
    FileRead read;
    EXPECT_TRUE(test::FinishesWithin(std::chrono::seconds(20), {file}, [&] { read = ReadRegularFile(file, 10); }));
    EXPECT_EQ(read.status, c.status);
    EXPECT_EQ(read.text, c.text);
    EXPECT_EQ(read.reason.empty(), c.status == FileStatus::Read);
}

INSTANTIATE_TEST_SUITE_P(
    Station, RegularFiles,
    ::testing::Values(ReadCase{"missing", Kind::File, nullptr, FileStatus::Missing, ""},
                      ReadCase{"empty", Kind::File, "", FileStatus::Read, ""},
                      ReadCase{"atCeiling", Kind::File, "0123456789", FileStatus::Read, "0123456789"},
                      ReadCase{"overCeiling", Kind::File, "0123456789X", FileStatus::TooLarge, ""},
                      ReadCase{"folder", Kind::Folder, nullptr, FileStatus::NotRegular, ""},
                      ReadCase{"fifo", Kind::Fifo, nullptr, FileStatus::NotRegular, ""},
                      ReadCase{"device", Kind::Device, nullptr, FileStatus::NotRegular, ""},
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

}  // namespace
}  // namespace korval
