#include "tracking/postext.h"

#include "text/convert.h"
#include "text/fault.h"

namespace korval {

PositionParts SplitAtSlash(std::string_view position)
{
    std::size_t slash = position.find('/');
    if (slash == std::string_view::npos) Raise(err::InvalidCall);
    return {position.substr(0, slash), position.substr(slash + 1)};
}

LatLon ParsePosition(std::string_view position)
{
    PositionParts parts = SplitAtSlash(position);
    LatLon p;
    p.lat = CLng(parts.lat);
    p.lon = CLng(parts.lon);
    return p;
}

std::string PositionTextOf(std::int32_t lat, std::int32_t lon)
{
    std::string out = std::to_string(lat);
    out += '/';
    out += std::to_string(lon);
    return out;
}

}  // namespace korval
