#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korval {

class Station;

// Track export to a file chosen by the user (the Maps menu's Export Tracks...): the same text
// korval-replay --geojson / --kml writes for the same station.

enum class ExportFormat { GeoJson, Kml };

// The format a file name asks for by its extension, letters in any case: ".geojson" and ".json"
// GeoJSON, ".kml" KML; nothing for any other name.
std::optional<ExportFormat> ExportFormatOf(const std::filesystem::path& file);

// The file name an export is offered under, in the program's folder: "KorvalTracks", the local
// date as ddmmyy, ",", the HHMM last shown by the UTC clock label, "Z", then ".geojson" or
// ".kml" (KorvalTracks050326,1432Z.kml).
std::filesystem::path DefaultTracksFileName(const Station& s, ExportFormat format);

struct TracksFileResult {
    bool written = false;
    std::string error;                  // what failed, one line, when not written
    std::vector<std::string> problems;  // records left out of the export, one line each
};

// The station's tracks, in the format the name's extension asks for, written so that the file
// is either as it was or the whole export (a temporary file renamed over it). A name of no known
// extension, or a file that cannot be written, leaves the file as it was and says why.
TracksFileResult WriteTracksFile(const Station& s, const std::filesystem::path& file);

}  // namespace korval
