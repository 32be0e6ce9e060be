#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace korval {

// Writes `text` to `file` so that a reader sees either the old file or the whole new one: the
// text goes to a new temporary file beside it, is flushed to disk and renamed over `file`.
// A file already there keeps its permissions; a new one gets 0644 less the umask. On failure
// `file` is untouched, no temporary file is left and `error` says what failed ("cannot create
// /x/tracks.kml: No such file or directory").
bool WriteExport(const std::filesystem::path& file, std::string_view text, std::string& error);

}  // namespace korval
