#include "tracking/sbs.h"

#include "station/station.h"

namespace korval {

void Process_SBS_Message(Station&, const std::string&) {}

}  // namespace korval
