#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace korval {

// Splits a waypoint file into its entries: a comma or a line end (CR LF, CR or LF) ends an
// entry, blanks (spaces and tabs) around an entry are dropped, and an entry written in double
// quotes is taken without its quotes and may then hold commas (a quote left open ends at the line
// end; text between the closing quote and the next comma or line end is dropped). An empty line
// gives an empty entry.
std::vector<std::string> ReadWaypointEntries(std::string_view text);

// One "name=replacement" entry; the name is the text before the first "=".
struct WaypointPair {
    std::string name;
    std::string replacement;
};

// The entries of one waypoint file, ready for each kind of expansion. Entries without "=" or
// with an empty name name no waypoint and are left out.
struct WaypointLists {
    std::vector<WaypointPair> plain;    // other messages: "!" comments and "$" entries left out
    std::vector<WaypointPair> request;  // position/weather requests: every "$" removed first
    std::vector<WaypointPair> oceanic;  // OCAwaypoints.wdf: "!" comments left out, no "$" rule
};

WaypointLists MakeWaypointLists(const std::vector<std::string>& entries);

// A waypoint file read once and kept while its size and modification time stay the same, which
// gives the same entries as reading it for every message. A missing file has no entries; a file
// that exists but cannot be read raises error 75.
class WaypointFile {
public:
    const WaypointLists& Lists(const std::filesystem::path& file);

private:
    bool loaded_ = false;
    std::filesystem::path path_;
    std::uintmax_t size_ = 0;
    std::filesystem::file_time_type modified_{};
    WaypointLists lists_;
};

}  // namespace korval
