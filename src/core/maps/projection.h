#pragma once

#include <cstdint>
#include <string_view>

#include "tracking/postext.h"

namespace korval {

class Station;
struct MapConfig;

// A map's projection over a client area: edges in thousandths of a degree, scales in twips per
// thousandth of a degree (LatScale negative for a north-up map), held in single precision.
struct Projection {
    std::int32_t EdgeW = 0, EdgeN = 0, EdgeE = 0, EdgeS = 0;
    float LatScale = 0, LonScale = 0;

    // Surface coordinates (twips) of the client area's top-left corner: (EdgeW x LonScale,
    // EdgeN x LatScale).
    float OriginLeft() const;
    float OriginTop() const;
    // The marker point of a position text "lat/lon" in twips, rounded halves to even. Raises the
    // fault of a text without "/" (the empty latitude), of a part that is no number, or of a
    // point out of range.
    void Marker(std::string_view position, std::int32_t& px, std::int32_t& py) const;
};

// The projection of a map frame over a client area of the given size in twips: the edges from
// the frame's edge texts, then LatScale = height / (EdgeS - EdgeN) and LonScale = width /
// (EdgeE - EdgeW), computed in double precision. Raises the fault of a conversion (an edge
// text that is no number, error 13) or of the division (a frame of zero height or width, 11/6).
Projection ComputeProjection(const MapConfig& map, int clientWidthTwips, int clientHeightTwips);

// The redraw's projection set-up of map n (1..3) into the station's shared projection
// (ComputeProjection's values; on a fault the edges read before it stay written).
void SetupProjection(Station& s, int n, int clientWidthTwips, int clientHeightTwips);

// Coordinates of the surface's top-left corner under the current projection:
// (EdgeW x LonScale, EdgeN x LatScale).
float OriginLeft(const Station& s);
float OriginTop(const Station& s);

// The latitude and longitude texts of a position text "lat/lon", split at the first "/". With no
// "/" the latitude is empty, and converting it fails (unlike SplitAtSlash, which refuses).
PositionParts SplitPosition(std::string_view position);

// The coordinate procedures (module "ProcessMess"). Each reads the current object's position
// text and writes the shared coordinate variables: LineX1/LineY1 (old end), LineX2/LineY2 (new
// end) in single precision, or PlotX/PlotY rounded halves to even. On a failure the procedure
// writes an error-log entry under its own name and returns false; the variables keep what they
// held (an end already converted stays written).
bool MapRouteline(Station& s);    // CurrentRouteLine.OldPosition, NewPosition
bool MapSBSTrack(Station& s);     // CurrentSBSAircraft.OldPosition, NewPosition
bool MapAircraft(Station& s);     // CurrentAircraft.NewLocation
bool mapSBSAircraft(Station& s);  // CurrentSBSAircraft.NewPosition
bool MapNatPlot(Station& s);      // CurrentRouteLine.NATPos

}  // namespace korval
