#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "decode/decoded_position.h"

namespace korval::test {

// Decoded positions as one text, nine significant digits a number: "source lat,lon", then the
// altitude ("35000ft"), the time stamp ("at 10s") and the estimated time ("eta 754") when there.
inline std::string PositionsText(const std::vector<DecodedPosition>& positions)
{
    std::ostringstream out;
    out.precision(9);
    for (const DecodedPosition& p : positions) {
        out << p.source << ' ' << p.lat << ',' << p.lon;
        if (p.altitudeFt) out << ' ' << *p.altitudeFt << "ft";
        if (p.secondsPastHour) out << " at " << *p.secondsPastHour << 's';
        if (p.etaSeconds) out << " eta " << *p.etaSeconds;
        out << "; ";
    }
    return out.str();
}

}  // namespace korval::test
