#include "station/mainwindow.h"

#include "station/station.h"

namespace korval {

void Fill_Boxes(Station&) {}
void Box_Color(Station&) {}
void Oceanic_Color(Station&) {}
void Timer1_Timer(Station&) {}
void Timer2_Timer(Station&) {}
bool cmdDelete(Station&, const std::string&) { return false; }

}  // namespace korval
