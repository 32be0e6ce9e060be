#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace korval {

// The user's data files (routes.wdf, aircraft.wdf, RegFlight.wdf, waypoints.wdf,
// OCAwaypoints.wdf) hold a few thousand lines, some hundred kilobytes at most. A file larger
// than 16 MiB is no data file: it is refused like an unreadable one instead of being loaded.
inline constexpr std::size_t kMaxDataFileBytes = std::size_t{16} << 20;

enum class FileStatus {
    Read,        // the whole text is there
    Missing,     // no such file
    NotRegular,  // a folder, FIFO, socket or device stands in its place
    TooLarge,    // more bytes than the ceiling
    Failed,      // no permission or an I/O error
};

struct FileRead {
    FileStatus status = FileStatus::Missing;
    std::string text;
    std::string reason;  // why it was not read
};

// Reads a file of the program's folder whole, if it is a regular file (a symbolic link to one
// counts) of at most `maxBytes`. The file's type is checked before it is opened and it is opened
// without waiting, so a FIFO or device in its place is refused at once instead of stopping the
// program until someone writes to it; a file that grows past the ceiling while being read is
// refused as too large.
FileRead ReadRegularFile(const std::filesystem::path& file, std::size_t maxBytes);

}  // namespace korval
