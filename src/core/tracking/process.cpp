#include "tracking/process.h"

#include "station/station.h"

namespace korval {

void Process_Message(Station&, const std::string&) {}

}  // namespace korval
