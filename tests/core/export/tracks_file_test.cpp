#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

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
    fs::permissions(file, fs::perms(0640));
    std::string error;
    ASSERT_TRUE(WriteExport(file, "<kml/>", error)) << error;
    EXPECT_EQ(home.Read("tracks.kml"), "<kml/>");
    EXPECT_EQ(std::tuple(fs::status(file).permissions(), Names(home.path())),
              std::tuple(fs::perms(0640), std::vector<std::string>{"tracks.kml"}));
}

struct Refused {
    const char *name, *file, *says;  // the file under the temporary folder, part of the error text
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
    EXPECT_EQ(std::tuple(Names(home.path()), Names(home.path() / "folder")),
              std::tuple(std::vector<std::string>{"folder"}, std::vector<std::string>{"kept.txt"}));
}

INSTANTIATE_TEST_SUITE_P(WriteExport, WriteExportRefuses,
                         ::testing::Values(Refused{"missingFolder", "nowhere/tracks.kml", "No such file or directory"},
                                           Refused{"aFolder", "folder", "it is a folder"},
                                           Refused{"noFileName", "folder/", "not a file name"},
                                           Refused{"underAFile", "folder/kept.txt/tracks.kml", "Not a directory"}),
                         test::CaseName());

// ---- the tracks file ---------------------------------------------------------------------------

struct FormatCase {
    const char *name, *file;
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
                                           FormatCase{"kml", "tracks.kml", ExportFormat::Kml},
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

// The extension chooses the export; an unknown one writes nothing.
TEST(TracksFile, WritesWhatTheReplayExportWritesAndNothingForAnUnknownExtension)
{
    Rig rig;
    ReplayTraffic(rig.station);
    for (const char* name : {"t.geojson", "t.KML"}) {
        const TracksFileResult r = WriteTracksFile(rig.station, rig.home.path() / name);
        EXPECT_TRUE(r.written && r.problems.empty()) << name << ": " << r.error;
    }
    EXPECT_EQ(std::tuple(rig.home.Read("t.geojson"), rig.home.Read("t.KML")),
              std::tuple(ExportGeoJson(rig.station), ExportKml(rig.station)));

    rig.home.Write("tracks.txt", "kept");
    const TracksFileResult r = WriteTracksFile(rig.station, rig.home.path() / "tracks.txt");
    const std::string error =
        "cannot write " + (rig.home.path() / "tracks.txt").string() + ": the name must end in .geojson or .kml";
    EXPECT_EQ(std::tuple(r.written, r.error, rig.home.Read("tracks.txt")), std::tuple(false, error, "kept"));
}

}  // namespace
}  // namespace korval::test
