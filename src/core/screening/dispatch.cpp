#include "screening/dispatch.h"

#include "station/station.h"

namespace korval {

void Dispatch_Message(Station&) {}
void Reset_Display(Station&) {}
void Clear_Flags(Station&) {}
bool Is_Loop_Or_SQ(const Station&) { return false; }
bool Is_Uplink(const Station&) { return false; }
bool Bad_UpMessage(Station&) { return false; }
bool Bad_DownMessage(Station&) { return false; }
bool Down_Repeat(Station&) { return false; }
void KL_FlightFix(Station&) {}
void Decode_Error(Station&) {}
void Show_Repeat(Station&) {}
void Show_SQ(Station&) {}
void Store_Messages(Station&) {}
void Mark_Repeat(Station&) {}

}  // namespace korval
