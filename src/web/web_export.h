#pragma once

// The track exports behind the page's download links: GeoJSON and KML of what the station
// tracks, made by the core's export with the report times the web view knows.

#include <optional>

#include <QByteArray>

#include "station/station.h"
#include "web/web_paths.h"

namespace korval::web {

class Feed;

// The text of the export `r` (GeoJson or Kml); nullopt for any other resource or when it cannot
// be made.
std::optional<QByteArray> MakeTrackExport(const Station& s, const Feed& feed, Resource r);

}  // namespace korval::web
