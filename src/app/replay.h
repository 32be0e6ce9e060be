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
};

// The text of --help.
std::string ReplayHelp();

// Runs korval-replay over `in`, writing one JSON line per input line to `out` and user messages
// to `err`. Returns the exit status: 0 every line processed, 1 some line was malformed, 2 usage
// or I/O error.
int RunReplay(const ReplayOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace korval
