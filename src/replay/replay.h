#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace korval {

class Station;

struct ReplayOptions {
    std::string home;
    std::string input;  // empty: standard input
    std::string utc;    // HHMM to start the clock at, or empty
    bool tracks = false;
    // Each output line also lists every LiveData value the line set, in order ("live_all"): a
    // message counted by Fill_Boxes sets LiveData twice, and a linked client receives both.
    bool liveAll = false;
    // Run on the station after start-up, before the first line (tests use it to set option
    // states without a settings file).
    std::function<void(Station&)> prepare;
    // --snapshot N=FILE.jpg: after the last line, map N as it would be drawn, at the size its
    // window has in KORVAL.ini (800 x 600 pixels when none). `drawMap` does the drawing; it is
    // empty in a build without the map canvas.
    std::vector<std::pair<int, std::string>> snapshots;
    std::function<bool(Station&, int map, const std::string& file, int widthPx, int heightPx, std::string* error)>
        drawMap;
    // --geojson FILE / --kml FILE: after the last line, what is tracked, exported to FILE
    // (written whole or not at all). Empty: not exported.
    std::string geojson, kml;
};

// Parses the value of --snapshot ("1=map1.jpg"); false when it is not N=FILE with N 1 to 3.
bool ParseSnapshotOption(const std::string& value, std::pair<int, std::string>& out);

// The text of --help.
std::string ReplayHelp();

// Runs korval-replay over `in`, writing one JSON line per input line to `out` and user messages
// to `err`. Returns the exit status: 0 every line processed, 1 some line was malformed, 2 usage
// or I/O error.
int RunReplay(const ReplayOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace korval
