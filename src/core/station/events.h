#pragma once

#include <string>

#include "station/station.h"

namespace korval {

// Start-up of the core: settings, the route and aircraft tables, the correction table.
void StartUp(Station& s);

// A text arriving in a link box: copies it into the box and runs that box's change event
// (normaliser, then the dispatcher or the HFDL path). Nothing escapes: a fault is logged and
// the message dropped, so the next message is processed.
void OnLinkText(Station& s, LinkBox box, std::string text);

void AirData_Change(Station& s);
void SkyData_Change(Station& s);
void ANAData_Change(Station& s);
void HFACARSData_Change(Station& s);
void HFDL_Change(Station& s);
void txtNewData_Change(Station& s);

}  // namespace korval
