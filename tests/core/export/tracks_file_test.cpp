#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

#include "export/tracks.h"
#include "export/tracks_file.h"
#include "export_replay.h"
#include "test_support.h"

namespace korval::test {
namespace {

using korval::test::PrintTo;

struct FormatCase {
    const char* file;
    std::optional<ExportFormat> format;
};
void PrintTo(const FormatCase& c, std::ostream* os)
{
    *os << c.file;
}

class FormatOfName : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatOfName, ComesFromTheExtension)
{
    EXPECT_EQ(ExportFormatOf(GetParam().file), GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(Names, FormatOfName,
                         ::testing::Values(FormatCase{"/a/b/Tracks.GeoJSON", ExportFormat::GeoJson},
                                           FormatCase{"tracks.json", ExportFormat::GeoJson},
                                           FormatCase{"TRACKS.KML", ExportFormat::Kml},
                                           FormatCase{"tracks.kml.txt", std::nullopt}, FormatCase{".kml", std::nullopt},
                                           FormatCase{"folder/", std::nullopt}),
                         [](const ::testing::TestParamInfo<FormatCase>& p) {
                             std::string name = p.param.file;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

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
