#include "web/web_export.h"

#include <string>
#include <string_view>

#include "export/tracks.h"
#include "web/web_feed.h"

namespace korval::web {

std::optional<QByteArray> MakeTrackExport(const Station& s, const Feed& feed, Resource r)
{
    if (r != Resource::GeoJson && r != Resource::Kml) return std::nullopt;
    ExportOptions options;
    // The time of the last report is the web view's own knowledge; where positions came from is
    // not recorded yet.
    options.aircraftNotes = [&feed](std::string_view, const Aircraft& a) {
        return TrackNotes{{}, feed.ReportTime("ACARS", a.ID)};
    };
    options.sbsNotes = [&feed](std::string_view, const SBSAircraft& a) {
        return TrackNotes{{}, feed.ReportTime("SBS-1", a.ID)};
    };
    try {
        return QByteArray::fromStdString(r == Resource::Kml ? ExportKml(s, options) : ExportGeoJson(s, options));
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace korval::web
