#pragma once
// Map 1 filled with route lines, aircraft and SBS-1 aircraft spread over a frame, the load the
// map-drawing benchmarks share.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "station/station.h"

namespace korval::bench {

inline std::string Pos(int lat, int lon)
{
    return std::to_string(lat) + "/" + std::to_string(lon);
}

inline std::string Name(const char* prefix, int i)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%d", prefix, i);
    return buf;
}

// A frame in thousandths of a degree, with map 1's edges as its settings texts.
struct Frame {
    const char *N, *S, *W, *E;
    int south, west, height, width;
};

// Shows map 1 over `frame` with the SBS-1 aircraft on; every tenth route line has a NAT label,
// every seventh is dashed, every other SBS-1 aircraft has a trail. The SBS-1 aircraft sit in one
// corner (latitude 50..58, longitude -5..3).
inline void FillMap1(Station& s, const Frame& frame, int routeLines, int aircraft, int sbs)
{
    s.map[0].N = frame.N;
    s.map[0].S = frame.S;
    s.map[0].W = frame.W;
    s.map[0].E = frame.E;
    s.opt.mnuShowMap1 = true;
    s.opt.mnuSBS = true;
    const auto at = [&frame](int i, int latStep, int lonStep) {
        return Pos(frame.south + (i * latStep) % frame.height, frame.west + (i * lonStep) % frame.width);
    };
    for (int i = 0; i < routeLines; ++i) {
        auto r = std::make_shared<RouteLine>();
        r->OldPosition = at(i, 37, 53);
        r->NewPosition = at(i, 41, 59);
        if (i % 10 == 0) {
            r->NATrack = Name("NAT ", i % 26);
            r->NATPos = r->NewPosition;
        }
        r->Style = i % 7 == 0 ? 2 : 0;
        s.RouteLineCol.Add(r);
    }
    for (int i = 0; i < aircraft; ++i) {
        auto a = std::make_shared<Aircraft>();
        a->ID = Name("G-", 1000 + i);
        a->NewLocation = at(i, 97, 89);
        a->Show = true;
        s.AircraftCol.Add(a, a->ID);
    }
    for (int i = 0; i < sbs; ++i) {
        auto a = std::make_shared<SBSAircraft>();
        a->ID = Name("S", i);
        a->NewPosition = Pos(50000 + (i * 13) % 8000, -5000 + (i * 17) % 8000);
        if (i % 2 == 0) a->OldPosition = Pos(50000 + (i * 11) % 8000, -5000 + (i * 19) % 8000);
        a->AltChange = static_cast<std::int16_t>(i % 3);
        s.SBSAircraftCol.Add(a, a->ID);
    }
}

}  // namespace korval::bench
