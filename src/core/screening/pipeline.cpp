#include "screening/pipeline.h"

#include "station/station.h"

namespace korval {

void Good_Message(Station&) {}
void Good_HFDLMessage(Station&) {}

}  // namespace korval
