#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korval {

class Station;

// The main window's procedures that the core owns.
void Fill_Boxes(Station& s);
void Box_Color(Station& s);
void Oceanic_Color(Station& s);
void Timer1_Timer(Station& s);  // every second: clock label, daily clearing
void Timer2_Timer(Station& s);  // every minute: MinuteCount, every second tick MidWaypoint
// A timer's tick as a host runs it: nothing escapes, a fault is logged under the timer's name.
void OnTimer1(Station& s);
void OnTimer2(Station& s);
// The delete-aircraft dialog's Delete button; false when no aircraft matched (message shown) or
// nothing was typed.
bool cmdDelete(Station& s, const std::string& typedId);

// The value a counter box shows. The counters are 64-bit, so no count of a long run overflows;
// a text that is not a whole number (typed over by the user) counts on from 0.
std::int64_t CounterValue(std::string_view text);

inline constexpr std::string_view kNoMatchingAircraft = "No matching Aircraft. Check you have enterred it correctly";

}  // namespace korval
