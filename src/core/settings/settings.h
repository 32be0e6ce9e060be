#pragma once

#include <string>
#include <string_view>

namespace korval {

class Station;

// Loads every setting of KORVAL.ini into the station: window placements, option states, the
// stores of the DDE server, wrong-plot and map settings dialogs, and the three maps' frames,
// image paths and colours. A key that is absent, empty or unusable takes its default and the
// load goes on; a missing file is a first start (all defaults, no message). An unreadable or
// damaged file, an empty key and unusable values are each told to the user.
void LoadSettings(Station& s);

// Writes the close-time settings: the main window's placement (unless minimised or never
// placed), the DDE source choice and the option states, in one atomic replacement of the file
// that keeps every other line. The map windows write their own placement as they close.
void SaveSettings(Station& s);

// The dialog stores as each dialog reads them when it opens (LoadSettings reads them all):
// NewServer, NewTopic and Format; TooLat and TooLong ("8", "10" when absent); SBSOnly,
// SBSMins ("15"), MaxPlots and ClearMapTime ("0000", always four digits).
void LoadDDEServerSettings(Station& s);
void LoadWrongPlotSettings(Station& s);
void LoadMapWideSettings(Station& s);

// Placement of map window n (1-3), section "Map1".."Map3". The save is for a window that
// closes while not minimised; false after the map window's message when it could not be written.
void LoadMapWindowPlacement(Station& s, int n);
bool SaveMapWindowPlacement(Station& s, int n);

// Map edges in degrees as typed ("52.5", "-7.5") to thousandths of a degree as text:
// latitudes through "00.000;-00.000" and longitudes through "000.000;-000.000", points removed
// ("52500", "-007500"). A text that is not a number is kept as it is.
std::string LatitudeEdge(std::string_view degrees);
std::string LongitudeEdge(std::string_view degrees);

}  // namespace korval
