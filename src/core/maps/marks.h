#pragma once

#include <cstdint>
#include <string>

#include "maps/canvas.h"

namespace korval {

class Station;

// The five marks a map is drawn with. Each draws at the coordinates the matching coordinate
// procedure left in the Station (LineX1.. for segments, PlotX/PlotY for markers); sizes and
// offsets are in twips. The caller has set the surface's origin.

// An end dot of radius 20 at the old end, then the line in `style` (DrawStyle 0..6; any other
// number is error 380, invalid property value), all in the map's Line colour.
void DrawRouteLineSegment(Canvas& c, const Station& s, Colour line, int style);
// The NAT track text left of and above the point, then a dot of radius 20 on it.
void DrawNatMarker(Canvas& c, const Station& s, Colour line, const std::string& natTrack);
// A circle of radius 50 in the map's Circle colour, white outline, the ID above right of it.
void DrawAircraftMarker(Canvas& c, const Station& s, Colour circle, const std::string& id);
// As the route-line segment, always solid.
void DrawSBSTrackSegment(Canvas& c, const Station& s, Colour line);
// As the aircraft marker, filled by the vertical trend: descending yellow, climbing cyan,
// anything else (level) red.
void DrawSBSAircraftMarker(Canvas& c, const Station& s, std::int16_t altChange, const std::string& id);

// The SBS-1 marker's fill for a trend code (1 descending, 2 climbing, else level).
Colour TrendColour(std::int16_t altChange);

}  // namespace korval
