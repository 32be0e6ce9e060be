#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tracking/collection.h"

namespace korval {

class Station;

// The position update of ACARS, HF ACARS and HFDL aircraft (module "ProcessMess").
void Process_Message(Station& s, const std::string& registration);

// ---- the steps of the update, for the pipeline's neighbours and for tests --------------------

// True when `key` is in the collection. A missing key (error 5 of the collection) gives false.
template <class T>
bool KeyExists(std::string_view key, const KeyedCollection<T>& collection)
{
    return collection.HasKey(key);
}

// The tracking key from the Aircraft and Flight boxes and the message's flags: the "OCA" and
// "REQPWI" suffixes keep an aircraft's clearance and request apart from its ordinary track.
std::string TrackingKey(const Station& s);

// Largest accepted jump between two plots, thousandths of a degree.
struct PlotLimits {
    std::int32_t lat = 0;
    std::int32_t lon = 0;
};
// 10 and 20 degrees for a clearance or a request; otherwise the wrong-plot dialog's whole
// degrees (error 13 when a box is not a number, 6 when the product overflows).
PlotLimits TooFarLimits(const Station& s);

// PositionArray(PosIndex), the position being handled; error 9 past the array.
const std::string& CurrentElement(const Station& s);

bool PosDataOK(Station& s);
void NewAircraft(Station& s);
void OldAircraft(Station& s);
void Update_Location(Station& s);
bool TooFar(Station& s);
void NewRouteline(Station& s);

}  // namespace korval
