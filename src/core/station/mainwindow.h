#pragma once

#include <string>

namespace korval {

class Station;

// The main window's procedures that the core owns.
void Fill_Boxes(Station& s);
void Box_Color(Station& s);
void Oceanic_Color(Station& s);
void Timer1_Timer(Station& s);  // every second: clock label, daily clearing
void Timer2_Timer(Station& s);  // every minute: MinuteCount, every second tick MidWaypoint
// The delete-aircraft dialog's Delete button; false when no aircraft matched (message shown).
bool cmdDelete(Station& s, const std::string& typedId);

}  // namespace korval
