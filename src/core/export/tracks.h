#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "station/seams.h"
#include "tracking/postext.h"
#include "tracking/records.h"

namespace korval {

class Station;

// Track export: what the station tracks, as GeoJSON (RFC 7946) or KML 2.2, for other map
// programs. Positions are the records' own, in thousandths of a degree, written as decimal
// degrees, longitude first, so a reader gets back exactly what the maps plot.

// What the station's records do not hold, supplied per record by the caller.
struct TrackNotes {
    std::string source;      // where the record's positions came from; empty when unknown
    std::string lastReport;  // HHMM (UTC) of the record's last report; empty when unknown
};

struct ExportOptions {
    // Called once per record with the key its collection holds it under (letters folded to
    // lower case). Unset: empty notes for every record.
    std::function<TrackNotes(std::string_view key, const Aircraft&)> aircraftNotes;
    std::function<TrackNotes(std::string_view key, const SBSAircraft&)> sbsNotes;
};

// The features, in this order in an export:
//   Aircraft         a Point at each ACARS/HFDL record's latest position (not on a clearance)
//   OceanicEstimate  a Point at the estimated position of each record on an oceanic clearance,
//                    with the clearance's times
//   Route            a LineString along the route segments of one aircraft: successive
//                    segments of the same ID and style that join end to start are one line
//   NatTrack         a Point where the maps draw a NAT track label, named by the track
//   SBSAircraft      a Point at each SBS-1 record's latest position
//   SBSTrail         the SBS-1 record's last step, previous position to latest
enum class FeatureKind { Aircraft, OceanicEstimate, Route, NatTrack, SBSAircraft, SBSTrail };
inline constexpr int kFeatureKinds = 6;

// "aircraft", "oceanic-estimate", "route", "nat-track", "sbs-aircraft", "sbs-trail".
std::string_view KindName(FeatureKind kind);

// Null (unknown), text (message bytes), a whole number or a flag.
using PropertyValue = std::variant<std::monostate, std::string, std::int64_t, bool>;
struct Property {
    std::string name;
    PropertyValue value;
};

struct TrackFeature {
    FeatureKind kind = FeatureKind::Aircraft;
    std::string name;  // what a map labels it with: the ID, or the NAT track
    // One position for a point; for a line two or more, no two neighbours equal. Every
    // latitude is within +-90000 and every longitude within +-180000.
    std::vector<LatLon> points;
    std::vector<Property> properties;  // "kind" first, then "id", "flight", "source"
    bool visible = true;               // false for a record the maps do not draw (Show off)

    bool IsLine() const { return kind == FeatureKind::Route || kind == FeatureKind::SBSTrail; }
};

struct TrackSet {
    std::vector<TrackFeature> features;
    // Records left out, one line each, naming the record and why (a position that cannot be
    // read or lies outside the globe).
    std::vector<std::string> problems;
    DateTime taken;  // the station's UTC clock when collected
    // Map 1's colours (0x00BBGGRR), for the KML styles.
    std::uint32_t lineColour = 0xFF0000;
    std::uint32_t circleColour = 0xFF;
};

// Every feature of the station's collections. At most 2000 records of each collection are
// taken, as a redraw takes them.
TrackSet CollectTracks(const Station& s, const ExportOptions& options = {});

// The parts of a line on either side of the 180th meridian: where two neighbours lie more than
// 180 degrees of longitude apart, the line went the shorter way round and is cut where it meets
// the meridian (the latitude interpolated linearly, to the nearest thousandth). A line that does
// not cross comes back whole; parts of fewer than two distinct positions are dropped.
std::vector<std::vector<LatLon>> SplitAtAntimeridian(const std::vector<LatLon>& line);

// A FeatureCollection, one feature per line; lines crossing the 180th meridian become
// MultiLineStrings. The member "generated" holds the time collected.
std::string GeoJsonText(const TrackSet& set);
// A KML 2.2 document: shared styles, then a folder per kind of feature holding one Placemark
// per feature, its properties as ExtendedData.
std::string KmlText(const TrackSet& set);

std::string ExportGeoJson(const Station& s, const ExportOptions& options = {});
std::string ExportKml(const Station& s, const ExportOptions& options = {});

}  // namespace korval
