#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "maps/canvas.h"
#include "maps/projection.h"

namespace korval {

class Station;

// The mouse buttons a click on a map surface can come from.
enum class MouseButton { Left, Right, Middle, Other };

// A map window's own copy of its projection, computed when the user clicks, exactly as a redraw
// computes it. The redraw's shared projection belongs to whichever map was drawn last, so a
// click never reads it.
using WindowProjection = Projection;

// Projection of map n (1..3) over a client area of the given size in twips (ComputeProjection).
WindowProjection ComputeWindowProjection(const Station& s, int n, int clientWidthTwips, int clientHeightTwips);

// Half the side of the square a click must fall in to hit a marker, in twips.
inline constexpr int kHitHalfSide = 40;

// True when (x, y) lies strictly inside the 80 x 80-twip square centred on (px, py).
bool HitsMarker(std::int32_t px, std::int32_t py, float x, float y);

// The details label's back colours (0x00BBGGRR): light yellow for flight data (left button),
// light cyan for identity and aircraft details (right button).
inline constexpr Colour kFlightDataBack = 0x80FFFF;  // RGB(255,255,128)
inline constexpr Colour kIdentityBack = 0xFFFFC0;    // RGB(192,255,255)

// What a mouse-down on map n shows: the caption (each hit adds a line break first, so a caption
// begins with one) and the back colour of the last hit. An empty caption leaves the label hidden.
struct Details {
    std::string Caption;
    Colour BackColour = kFlightDataBack;
    bool Shown() const { return !Caption.empty(); }
};

// The four passes of a mouse-down at (x, y) surface twips under the window's projection:
// ACARS aircraft (NewLocation) for both buttons, then, on map 1 only, SBS-1 aircraft
// (NewPosition). Left adds flight data, right adds ID and aircraft details, other buttons add
// nothing. Every aircraft takes part, shown on the map or not; at most 2000 of each collection.
//
// An ACARS aircraft whose location cannot be read (no "/", a part that is no number, a point
// out of range) is removed from AircraftCol and the pass goes on with the next one: it could
// never be drawn or clicked again. An unreadable SBS-1 position is passed over; that record
// ages out by itself.
Details BuildDetails(Station& s, int n, const WindowProjection& p, MouseButton button, float x, float y);

// The same caption and colour without changing the station: an unreadable ACARS aircraft is
// passed over and stays in AircraftCol (a window's next click removes it). For views that only
// look, such as the web view.
Details PeekDetails(const Station& s, int n, const WindowProjection& p, MouseButton button, float x, float y);

// The details label's top-left corner, in surface twips, for a label of w x h twips shown for a
// click at (x, y) in a client area whose top-left corner is (left, top) and whose size is
// width x height (twips). A label that would run past the bottom is lifted 100 twips above the
// bottom edge, one that would run past the top is dropped to 100 below it, and one that would
// run past the right edge goes left of the click (100 twips clear on map 1 near the top, 60
// otherwise).
struct LabelPlace {
    float Left = 0, Top = 0;
};
LabelPlace PlaceDetailsLabel(int n, float x, float y, float w, float h, float left, float top, float width,
                             float height);

// The caption as one label shows it: CR LF line breaks as plain line feeds.
std::string CaptionLines(std::string_view caption);

}  // namespace korval
