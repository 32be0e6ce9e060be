#include "intake/normalisers.h"

#include "station/station.h"

namespace korval {

void Airmaster_FIX(Station&) {}
void SkySpy_FIX(Station&) {}
void ANAD_FIX(Station&) {}
void HFACARS_FIX(Station&) {}
bool HFDL_FIX(Station&) { return true; }

}  // namespace korval
