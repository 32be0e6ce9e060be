#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korval {

class Station;

// Reads routes.wdf and aircraft.wdf into RoutesFileLines and AircraftFileLines.
void LoadRouteTables(Station& s);
// CurrentRoute from CurrentFlight; CurrentACDetails from the Aircraft box.
void Route(Station& s);
void Aircraft_Details(Station& s);

// The lines of a data file in the program's folder, split at CR LF, LF or CR. A missing file
// reads as an empty one; a file that is there but cannot be read (a folder, FIFO or device in its
// place, more than kMaxDataFileBytes) raises error 75.
std::vector<std::string> ReadDataFileLines(const Station& s, std::string_view name);

}  // namespace korval
