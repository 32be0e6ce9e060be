#pragma once

#include <optional>

namespace korval {

class Station;
struct Placement;

// Show Map n (1..3): a map whose picture file is missing (or that has no path) is not shown at
// all; the map settings dialog is where to fix it.
bool MapPictureExists(const Station& s, int n);

// Map window n closing (Form_Unload): its Show item is unchecked; the window's placement in
// twips is recorded and written, unless the window closes minimised (`placement` empty). True
// when the Show item was checked, so that the menu shows the change.
bool UnloadMapWindow(Station& s, int n, const std::optional<Placement>& placement);

}  // namespace korval
