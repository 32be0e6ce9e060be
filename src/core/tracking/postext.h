#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korval {

// Position text "latitude/longitude", both signed thousandths of a degree ("51234/-010500").

// The two texts around the first "/"; error 5 when there is none (the empty "no position" text
// included).
struct PositionParts {
    std::string_view lat;
    std::string_view lon;
};
PositionParts SplitAtSlash(std::string_view position);

// Both sides as 32-bit whole numbers: error 5 without a "/", 13 when a side is not a number.
struct LatLon {
    std::int32_t lat = 0;
    std::int32_t lon = 0;
};
LatLon ParsePosition(std::string_view position);

// Within one degree of the equator (-1000 to 1000 inclusive): such plots are decoding noise.
inline bool NearEquator(std::int32_t lat)
{
    return lat >= -1000 && lat <= 1000;
}

std::string PositionTextOf(std::int32_t lat, std::int32_t lon);

}  // namespace korval
