#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "export/tracks.h"
#include "export/tracks_file.h"
#include "export/write.h"
#include "export_replay.h"
#include "test_support.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;
namespace fs = std::filesystem;

// ---- writing a whole file ----------------------------------------------------------------------

// Every name in the folder, so a leftover temporary file shows.
std::vector<std::string> Names(const fs::path& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(WriteExport, ReplacesAWholeFileAndKeepsItsPermissions)
{
    TempHome home(false);
    home.Write("tracks.kml", std::string(100000, 'x'));
    const fs::path file = home.path() / "tracks.kml";
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    std::string error;
    ASSERT_TRUE(WriteExport(file, "<kml/>", error)) << error;
    EXPECT_EQ(home.Read("tracks.kml"), "<kml/>");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Names(home.path()), std::vector<std::string>{"tracks.kml"});
}

struct Refused {
    const char* name;
    const char* file;  // under the temporary folder
    const char* says;  // part of the error text
};

class WriteExportRefuses : public ::testing::TestWithParam<Refused> {};

TEST_P(WriteExportRefuses, SaysWhyAndLeavesNothing)
{
    TempHome home(false);
    fs::create_directory(home.path() / "folder");
    home.Write("folder/kept.txt", "kept");
    std::string error;
    EXPECT_FALSE(WriteExport(home.path() / GetParam().file, "text", error));
    EXPECT_NE(error.find(GetParam().says), std::string::npos) << error;
    EXPECT_EQ(Names(home.path()), std::vector<std::string>{"folder"});
    EXPECT_EQ(Names(home.path() / "folder"), std::vector<std::string>{"kept.txt"});
}

INSTANTIATE_TEST_SUITE_P(WriteExport, WriteExportRefuses,
                         ::testing::Values(Refused{"missingFolder", "nowhere/tracks.kml", "No such file or directory"},
                                           Refused{"aFolder", "folder", "it is a folder"},
                                           Refused{"noFileName", "folder/", "not a file name"},
                                           Refused{"underAFile", "folder/kept.txt/tracks.kml", "Not a directory"}),
                         test::CaseName());

// ---- the tracks file ---------------------------------------------------------------------------

struct FormatCase {
    const char* name;
    const char* file;
    std::optional<ExportFormat> format;
};

class FormatOfName : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatOfName, ComesFromTheExtension)
{
    EXPECT_EQ(ExportFormatOf(GetParam().file), GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(Names, FormatOfName,
                         ::testing::Values(FormatCase{"geoJsonInAnyCase", "/a/b/Tracks.GeoJSON", ExportFormat::GeoJson},
                                           FormatCase{"json", "tracks.json", ExportFormat::GeoJson},
                                           FormatCase{"kmlInCapitals", "TRACKS.KML", ExportFormat::Kml},
                                           FormatCase{"otherLastExtension", "tracks.kml.txt", std::nullopt},
                                           FormatCase{"noStem", ".kml", std::nullopt},
                                           FormatCase{"folder", "folder/", std::nullopt}),
                         test::CaseName());

TEST(TracksFile, OfferedNameCarriesTheDateAndTheClock)
{
    Rig rig;  // local 5 December 2026
    rig.station.box.labUTC = "UTC: 1432";
    EXPECT_EQ(DefaultTracksFileName(rig.station, ExportFormat::GeoJson),
              rig.home.path() / "KorvalTracks051226,1432Z.geojson");
}

TEST(TracksFile, WritesWhatTheReplayExportWrites)
{
    Rig rig;
    ReplayTraffic(rig.station);
    const TracksFileResult geo = WriteTracksFile(rig.station, rig.home.path() / "t.geojson");
    ASSERT_TRUE(geo.written) << geo.error;
    const TracksFileResult kml = WriteTracksFile(rig.station, rig.home.path() / "t.KML");
    ASSERT_TRUE(kml.written) << kml.error;
    EXPECT_EQ(rig.home.Read("t.geojson"), ExportGeoJson(rig.station));
    EXPECT_EQ(rig.home.Read("t.KML"), ExportKml(rig.station));
    EXPECT_TRUE(geo.problems.empty());
}

TEST(TracksFile, AnUnknownExtensionWritesNothing)
{
    Rig rig;
    rig.home.Write("tracks.txt", "kept");
    const TracksFileResult r = WriteTracksFile(rig.station, rig.home.path() / "tracks.txt");
    EXPECT_FALSE(r.written);
    EXPECT_EQ(r.error,
              "cannot write " + (rig.home.path() / "tracks.txt").string() + ": the name must end in .geojson or .kml");
    EXPECT_EQ(rig.home.Read("tracks.txt"), "kept");
}

}  // namespace
}  // namespace korval::test
