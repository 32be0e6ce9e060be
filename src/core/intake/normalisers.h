#pragma once

namespace korval {

class Station;

// Each rewrites the just-received text in Station::CurrentMessage into the canonical message
// text. HFACARS_FIX also fills the Aircraft box, HFDL_FIX the Aircraft and Flight boxes.
void Airmaster_FIX(Station& s);
void SkySpy_FIX(Station& s);
void ANAD_FIX(Station& s);
void HFACARS_FIX(Station& s);
// False when the record was refused (logged); nothing else may then happen to it.
bool HFDL_FIX(Station& s);

}  // namespace korval
