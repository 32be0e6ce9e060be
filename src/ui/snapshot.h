#pragma once

#include <string>

namespace korval {
class Station;
}

namespace korval::ui {

// Draws map `map` (1..3) as its window would show it with a client area of widthPx x heightPx
// pixels at 96 dpi, whether or not the map's Show item is checked, and saves the picture as a
// JPEG of quality 90. The station's map view and Show item are as before afterwards; the redraw
// itself leaves what any redraw leaves (current objects, projection, error-log entries, the
// user message of a missing map). False with a reason in `error` (when given) for a map number
// or size out of range, a map that could not be drawn (no usable image, no memory, edges that
// are no numbers) or a file that could not be written; no file is written then.
bool WriteMapSnapshot(Station& s, int map, const std::string& file, int widthPx, int heightPx, std::string* error);

}  // namespace korval::ui
