#pragma once

#include <cstddef>
#include <string>

#include "station/station.h"

namespace korval {

// Start-up of the core: settings, the route and aircraft tables, the correction table.
void StartUp(Station& s);

// The most characters a link box holds, the size of the text box the system was designed
// around. Decoders send a few kilobytes at most.
inline constexpr std::size_t kLinkTextLimit = 65535;

// A text arriving in a link box: copies it into the box and runs that box's change event
// (normaliser, then the dispatcher or the HFDL path). Nothing escapes: a fault is logged and
// the message dropped, so the next message is processed. A text longer than kLinkTextLimit is
// not processed at all: it gets a one-line error-log entry naming the box and the length, is
// counted in RefusedTexts, and the box keeps its previous text.
void OnLinkText(Station& s, LinkBox box, std::string text);

void AirData_Change(Station& s);
void SkyData_Change(Station& s);
void ANAData_Change(Station& s);
void HFACARSData_Change(Station& s);
void HFDL_Change(Station& s);
void txtNewData_Change(Station& s);

}  // namespace korval
