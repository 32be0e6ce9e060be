#pragma once

#include "twips.h"

namespace korval::ui {

// Sizes of the main window's controls as designed, in twips. The layout keeps them and places
// the controls around them.
struct MainDesign {
    double liveDataLeft = 0;  // m: the margin of LiveData (flush: the status row then fits the window)
    double boxHeight = 285;   // Aircraft, Flight, txtCount, txtOCA, txtRepeat
    double labelHeight = 195;
    double labAircraft = 1005, Aircraft = 1200, labFlight = 735, Flight = 1200, labCount = 525;
    double txtCount = 705, txtOCA = 705, txtRepeat = 255, labUTC = 1035;
};

// Where Form_Resize puts each visible control.
struct MainLayout {
    TwipsRect LiveData;
    TwipsRect labAircraft, Aircraft, labFlight, Flight, labCount, txtCount, txtOCA, txtRepeat, labUTC;
};

// Form_Resize for an inner (client) area of innerWidth x innerHeight twips. `repeatWidth` is
// txtRepeat's current width (255 for "R", 355 for "SQ"; 0 keeps the designed width).
MainLayout LayOutMainWindow(double innerWidth, double innerHeight, const MainDesign& d, double repeatWidth = 0);

}  // namespace korval::ui
