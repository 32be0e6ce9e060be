#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace korval {

struct ReplayOptions {
    std::string home;
    std::string input;  // empty: standard input
    std::string utc;    // HHMM to start the clock at, or empty
    bool tracks = false;
};

// Runs korval-replay; returns the exit status (0 when every line was processed).
int RunReplay(const ReplayOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace korval
