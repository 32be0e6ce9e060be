#pragma once

// A short stretch of traffic run through the whole chain (link box, normaliser, dispatcher,
// rules, parser, tracking), and the features an export of it must hold. Every expected position
// is read off the message texts by hand, in thousandths of a degree.

#include <cstdint>
#include <string>
#include <vector>

#include "oceanic/oceanic.h"
#include "station/events.h"
#include "test_support.h"

namespace korval::test {

struct Sent {
    const char *reg7, *label, *msgNo, *flight, *content;
};

// clang-format off
inline const Sent kTraffic[] = {
    // A position report, then the next one: the aircraft moves and one route segment joins them.
    {".G-EUPT", "H1", "M01A", "BA0123", "POS N 60.317/E024.963 FL350 1215\r\n"},
    {".G-EUPT", "H1", "M02A", "BA0123", "POS N 60.500/E025.250 FL350 1225\r\n"},
    // Two SBS-1 reports of one aircraft, 1000 ft lower the second time.
    {".G-EZTB", "_ ", "M03A", "EZY012", "SBS-1 position report N51.50000E-1.25000 FL35000 ft\r\n"},
    {".G-EZTB", "_ ", "M04A", "EZY012", "SBS-1 position report N51.60000E-1.12500 FL34000 ft\r\n"},
    // An oceanic clearance over 55N20W, 55N30W, 54N40W on NAT C, entry at 13:00, Mach 0.82.
    {".C-FTJO", "H1", "M05A", "AC0854",
     "CLA 0930 051205 CZQX CLRD TO EGLL VIA 55/20 55/30 54/40 END NAT C M082 F350 EPT /1300\r\n"},
    // A position/weather request: a dotted segment from 52N20W to 53N30W.
    {".G-VIIA", "H1", "M06A", "BA0117", "#M1APWD/WX/N52W020/N53W030\r\n"},
    // Over the Pacific from 179.5 E to 179.5 W: the short way crosses the 180th meridian.
    {".JA8089", "H1", "M07A", "JL0001", "POS N 50.000,E179.500, FL350\r\n"},
    {".JA8089", "H1", "M08A", "JL0001", "POS N 51.000,W179.500, FL350\r\n"},
};
// clang-format on

// Runs kTraffic through a station with SBS-1 tracks and oceanic reformatting on, the minute
// counter at 12:05 for the SBS-1 reports.
inline void ReplayTraffic(Station& s)
{
    s.opt.mnuSBS = true;
    s.opt.mnuRefOCA = true;
    s.MinuteCount = 12 * 60 + 5;
    for (const Sent& m : kTraffic)
        OnLinkText(s, LinkBox::AirData, Canonical(m.reg7, m.label, '2', m.msgNo, m.flight, m.content));
}

using Points = std::vector<std::pair<std::int32_t, std::int32_t>>;  // (latitude, longitude)

struct ExpectedFeature {
    const char *kind, *name, *flight;  // name: the ID, or the NAT track
    // The line as the station keeps it; a line over the 180th meridian comes out in parts.
    std::vector<Points> parts;
};

inline const std::vector<ExpectedFeature>& ExpectedTraffic()
{
    static const std::vector<ExpectedFeature> kExpected = {
        {"aircraft", "G-EUPT", "BA0123", {{{60500, 25250}}}},
        {"aircraft", "G-VIIA", "BA0117", {{{53000, -30000}}}},
        {"aircraft", "JA8089", "JL0001", {{{51000, -179500}}}},
        // Taken, not yet at its entry time: at the entry point.
        {"oceanic-estimate", "C-FTJO", "AC0854", {{{55000, -20000}}}},
        {"route", "G-EUPT", "BA0123", {{{60317, 24963}, {60500, 25250}}}},
        {"route", "C-FTJO", "AC0854", {{{55000, -20000}, {55000, -30000}, {54000, -40000}}}},
        {"route", "G-VIIA", "BA0117", {{{52000, -20000}, {53000, -30000}}}},
        // Half-way in longitude, half-way in latitude: 50.5 N where it meets the meridian.
        {"route", "JA8089", "JL0001", {{{50000, 179500}, {50500, 180000}}, {{50500, -180000}, {51000, -179500}}}},
        // Labelled at the clearance's last point.
        {"nat-track", "NAT C", "AC0854", {{{54000, -40000}}}},
        {"sbs-aircraft", "G-EZTB", "EZY012", {{{51600, -1125}}}},
        {"sbs-trail", "G-EZTB", "EZY012", {{{51500, -1250}, {51600, -1125}}}},
    };
    return kExpected;
}

}  // namespace korval::test
