#include "export/tracks_file.h"

#include <cctype>

#include "export/tracks.h"
#include "export/write.h"
#include "station/station.h"
#include "text/convert.h"

namespace korval {

std::optional<ExportFormat> ExportFormatOf(const std::filesystem::path& file)
{
    std::string extension = file.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".geojson" || extension == ".json") return ExportFormat::GeoJson;
    if (extension == ".kml") return ExportFormat::Kml;
    return std::nullopt;
}

std::filesystem::path DefaultTracksFileName(const Station& s, ExportFormat format)
{
    const DateTime d = s.clock().Local();
    std::string name = "KorvalTracks";
    name += Format(d.day, "00") + Format(d.month, "00") + Format(d.year % 100, "00") + ",";
    name += Mid(s.box.labUTC, 6, 4);
    name += format == ExportFormat::Kml ? "Z.kml" : "Z.geojson";
    return s.Home() / name;
}

TracksFileResult WriteTracksFile(const Station& s, const std::filesystem::path& file)
{
    TracksFileResult result;
    const std::optional<ExportFormat> format = ExportFormatOf(file);
    if (!format) {
        result.error = "cannot write " + file.string() + ": the name must end in .geojson or .kml";
        return result;
    }
    const TrackSet tracks = CollectTracks(s);
    result.problems = tracks.problems;
    const std::string text = *format == ExportFormat::Kml ? KmlText(tracks) : GeoJsonText(tracks);
    result.written = WriteExport(file, text, result.error);
    return result;
}

}  // namespace korval
