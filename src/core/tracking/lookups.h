#pragma once

namespace korval {

class Station;

// Reads routes.wdf and aircraft.wdf into RoutesFileLines and AircraftFileLines.
void LoadRouteTables(Station& s);
// CurrentRoute from CurrentFlight; CurrentACDetails from the Aircraft box.
void Route(Station& s);
void Aircraft_Details(Station& s);

}  // namespace korval
