#pragma once

namespace korval {

class Station;

// Registration and flight-id correction from RegFlight.wdf (module "RegFlight").
void LoadRegFlight(Station& s);
void CorrectRegFlight(Station& s);

}  // namespace korval
