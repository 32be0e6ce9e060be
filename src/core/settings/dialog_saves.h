#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace korval {

class Station;

// What the dialogs' Save buttons do with what was typed: write KORVAL.ini and hand the values to
// the running station. The windows only collect the texts and show the results.

// frmOtherDDE's Save: the server, topic and format (1 Airmaster, 2 ANAD, 3 neither) of the
// "Other" link. The station takes them only when the file was written (else the owner's message).
bool SaveDDEServerSettings(Station& s, const std::string& server, const std::string& topic, int format);

// frmTooFarSettings' Save: the limits as typed go to the file (a failure has its message); the
// store the position update reads holds them with at least two digits ("8" as "08").
void SaveWrongPlotSettings(Station& s, const std::string& tooLat, const std::string& tooLong);

// The map settings dialog's four map-wide options, as its Save and its Unload write them:
// `maxPlotIndex` indexes All, 20, 40 ... 200 (-1 when none is selected).
struct MapWideValues {
    int maxPlotIndex = 0;
    std::string clearMapTime, sbsMins;
    bool sbsOnly = false;
};
void SaveMapWideSettings(Station& s, const MapWideValues& v);

// One map's settings as the dialog shows them: edges in degrees as typed, the image path, and
// the four colours (0x00BBGGRR).
struct MapValues {
    std::string N, E, S, W, MapPath;
    std::int32_t ACIDBack = 0, ACIDText = 0, Circle = 0, Line = 0;
};
// The text the dialog shows for a map without an image; saved as the path, it disables the map.
inline constexpr const char* kNoMapChosen = "Click Browse to select a map";
// cmdSave_Click for map n (1..3): writes the map's section; the running map takes the values at
// once, whether or not the file could be written. A map with an image is enabled, its window
// shown (`showWindow`, guarded) and redrawn; one without ("Click Browse...") is disabled.
void SaveMapSettings(Station& s, int n, const MapValues& v, const std::function<void()>& showWindow);

}  // namespace korval
