#pragma once

namespace korval {

class Station;

// The dispatcher and its classification procedures (module "Messages").
void Dispatch_Message(Station& s);
void Reset_Display(Station& s);
void Clear_Flags(Station& s);
bool Is_Loop_Or_SQ(const Station& s);
bool Is_Uplink(const Station& s);
bool Bad_UpMessage(Station& s);
bool Bad_DownMessage(Station& s);
bool Down_Repeat(Station& s);
void KL_FlightFix(Station& s);
void Decode_Error(Station& s);
void Show_Repeat(Station& s);
void Show_SQ(Station& s);
void Store_Messages(Station& s);
// Marks the message in hand as a repeat without handing it on (used by the aircraft update for
// a clearance or request already taken).
void Mark_Repeat(Station& s);

}  // namespace korval
