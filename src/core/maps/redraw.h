#pragma once

namespace korval {

class Station;

// Whole-map redraws (module "ProcessMess"): projection set-up from the map window's client
// area; then, when the map is shown and its window not minimised, the background image
// stretched over the surface, the route lines (each followed by its NAT marker), the ACARS
// aircraft and, on map 1 only, the SBS-1 tracks and markers. At most 2000 objects of each kind
// are considered per redraw. Map 1 in SBS-only mode leaves out route lines and aircraft.
//
// A missing image file and a surface out of resources end the redraw with a message to the
// user; a coordinate procedure that fails ends it after its own error-log entry; any other
// fault ends it with an entry under "NewPlot1" ("NewPlot2", "NewPlot3"). Error 28 (out of
// stack space) from a drawing call skips that call only. A map without a view is not drawn.
void NewPlot1(Station& s);
void NewPlot2(Station& s);
void NewPlot3(Station& s);

// NewPlot1, NewPlot2, NewPlot3 in that order, each only when its Show menu item is checked.
void RedrawShownMaps(Station& s);

}  // namespace korval
