#include "tracking/lookups.h"

#include "station/files.h"
#include "station/station.h"
#include "text/convert.h"
#include "text/fault.h"

namespace korval {
namespace {

// A key line of routes.wdf or aircraft.wdf: "!" opens a comment, a line without "=" is no entry.
// Keys are compared exactly: case and blanks count.
bool SplitEntry(const std::string& line, std::string_view& key, std::string_view& value)
{
    if (!line.empty() && line.front() == '!') return false;
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = std::string_view(line).substr(0, eq);
    value = std::string_view(line).substr(eq + 1);
    return true;
}

}  // namespace

std::vector<std::string> ReadDataFileLines(const Station& s, std::string_view name)
{
    FileRead file = ReadRegularFile(s.Home() / name, kMaxDataFileBytes);
    if (file.status == FileStatus::Missing) return {};
    if (file.status != FileStatus::Read) Raise(75, "Path/File access error");
    return SplitLines(file.text);
}

void LoadRouteTables(Station& s)
{
    s.RoutesFileLines = ReadDataFileLines(s, "routes.wdf");
    s.AircraftFileLines = ReadDataFileLines(s, "aircraft.wdf");
}

void Route(Station& s)
{
    std::string_view key, value;
    for (const std::string& line : s.RoutesFileLines) {
        if (!SplitEntry(line, key, value)) continue;
        if (key == s.CurrentFlight) {
            s.CurrentRoute = std::string(value);
            return;
        }
        s.CurrentRoute = "No Route Data";
    }
}

void Aircraft_Details(Station& s)
{
    std::string_view key, value;
    for (const std::string& line : s.AircraftFileLines) {
        if (!SplitEntry(line, key, value)) continue;
        if (key == s.box.Aircraft.Text) {
            s.CurrentACDetails = std::string(value);
            // Bracketed parts go on lines of their own, unless the whole value is bracketed.
            if (!value.starts_with('[')) ReplaceAllInPlace(s.CurrentACDetails, "[", "\r\n[");
            return;
        }
        s.CurrentACDetails = "No Aircraft Data";
    }
}

}  // namespace korval
