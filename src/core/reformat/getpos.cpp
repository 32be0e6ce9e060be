#include "reformat/getpos.h"

#include "station/station.h"

namespace korval {

void GetPos(Station&) {}

}  // namespace korval
