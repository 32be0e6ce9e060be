#pragma once

#include <cstdint>
#include <string_view>

namespace korval {

class Station;

// Projection set-up of map n (1..3) for a client area of the given size in twips: the edges
// from the map's edge texts, then LatScale = height / (EdgeS - EdgeN) and LonScale = width /
// (EdgeE - EdgeW), computed in double precision and held in single precision. Raises the fault
// of a conversion (edge text that is no number) or of the division (a frame of zero height or
// width).
void SetupProjection(Station& s, int n, int clientWidthTwips, int clientHeightTwips);

// Coordinates of the surface's top-left corner under the current projection:
// (EdgeW x LonScale, EdgeN x LatScale).
float OriginLeft(const Station& s);
float OriginTop(const Station& s);

// The latitude and longitude texts of a position text "lat/lon", split at the first "/". With no
// "/" the latitude is empty, and converting it fails.
struct PositionParts {
    std::string_view lat, lon;
};
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
