#include "reformat/waypoint_file.h"

#include <system_error>
#include <utility>

#include "station/files.h"
#include "text/convert.h"
#include "text/fault.h"

namespace korval {
namespace {

constexpr int kFileAccessError = 75;  // path/file access error

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Splits "name=replacement" at its first "="; false when the entry names no waypoint.
bool SplitEntry(const std::string& entry, WaypointPair& pair)
{
    const std::size_t eq = entry.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    pair.name = entry.substr(0, eq);
    pair.replacement = entry.substr(eq + 1);
    return true;
}

std::string ReadWhole(const std::filesystem::path& file)
{
    FileRead read = ReadRegularFile(file, kMaxDataFileBytes);
    if (read.status != FileStatus::Read) Raise(kFileAccessError, "Path/File access error");
    return std::move(read.text);
}

}  // namespace

std::vector<std::string> ReadWaypointEntries(std::string_view text)
{
    std::vector<std::string> entries;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        while (i < n && IsBlank(text[i])) ++i;
        if (i == n) break;  // blanks after the last entry give none
        std::string entry;
        if (text[i] == '"') {
            const std::size_t open = ++i;
            while (i < n && text[i] != '"' && !IsLineEnd(text[i])) ++i;
            entry.assign(text.substr(open, i - open));
            if (i < n && text[i] == '"') ++i;
            while (i < n && text[i] != ',' && !IsLineEnd(text[i])) ++i;
        } else {
            const std::size_t from = i;
            while (i < n && text[i] != ',' && !IsLineEnd(text[i])) ++i;
            std::size_t to = i;
            while (to > from && IsBlank(text[to - 1])) --to;
            entry.assign(text.substr(from, to - from));
        }
        // The delimiter: a comma, or one line end (CR LF, CR or LF).
        if (i < n) {
            if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
            ++i;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

WaypointLists MakeWaypointLists(const std::vector<std::string>& entries)
{
    WaypointLists lists;
    WaypointPair pair;
    for (const std::string& entry : entries) {
        const char first = entry.empty() ? '\0' : entry.front();
        if (first != '!' && first != '$' && SplitEntry(entry, pair)) lists.plain.push_back(pair);
        if (first != '!' && SplitEntry(entry, pair)) lists.oceanic.push_back(pair);
        const std::string bare = ReplaceAll(entry, "$", "");
        if (!bare.empty() && bare.front() != '!' && SplitEntry(bare, pair)) lists.request.push_back(pair);
    }
    return lists;
}

const WaypointLists& WaypointFile::Lists(const std::filesystem::path& file)
{
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (!std::filesystem::exists(status)) {
        // A missing file counts as an empty one.
        loaded_ = false;
        lists_ = {};
        return lists_;
    }
    if (!std::filesystem::is_regular_file(status)) Raise(kFileAccessError, "Path/File access error");
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec) Raise(kFileAccessError, "Path/File access error");
    const auto modified = std::filesystem::last_write_time(file, ec);
    if (ec) Raise(kFileAccessError, "Path/File access error");
    if (loaded_ && file == path_ && size == size_ && modified == modified_) return lists_;

    loaded_ = false;
    lists_ = MakeWaypointLists(ReadWaypointEntries(ReadWhole(file)));
    path_ = file;
    size_ = size;
    modified_ = modified;
    loaded_ = true;
    return lists_;
}

}  // namespace korval
