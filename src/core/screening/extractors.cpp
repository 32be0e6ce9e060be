#include "screening/extractors.h"

#include "station/station.h"

namespace korval {

void NAT(Station&) {}
void Mach(Station&) {}
void Level(Station&) {}
void EPTime(Station&) {}

}  // namespace korval
