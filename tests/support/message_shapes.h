#pragma once
// Messages of shapes that once cost time growing with the square of their length: a keyword and
// a long run of one repeated unit. Shared by the chain's tests and its benchmark.
#include <cstddef>
#include <string>
#include <string_view>

#include "station/station.h"

namespace korval::shapes {

struct Shape {
    std::string_view name;
    std::string_view flight6;  // flight id field, six characters
    std::string_view lead;     // content before the run
    std::string_view unit;     // repeated
    std::string_view tail;     // content after the run
    LinkBox box = LinkBox::AirData;
    std::string_view label = "H1";  // message label field, two characters
};

// The four header lines of canonical text (124 characters) for a downlink from .N123UA.
inline std::string Header(std::string_view flight6, std::string_view label = "H1")
{
    std::string m = "1ACARS mode: 2  Aircraft reg: .N123UA\r\nMessage label: ";
    m += label;
    m += "  Block id: 5  Msg. no: M41A\r\nFlight id: ";
    m += flight6;
    m += "\r\nMessage content:-\r\n";
    return m;
}

inline constexpr Shape kShapes[] = {
    // A pilot report whose text is blanks.
    {"PirepBlanks", "UA0123", "PIREP", " ", "\r\n"},
    // A pilot report of longitudes written as signed seven-digit numbers.
    {"PirepNumbers", "UA0123", "PIREP ", "-1234567 ", "\r\n"},
    // A position/weather request line sent over and over.
    {"RequestLines", "UA0123", "", "REQPWI/WQ350:5520N.5530N.5440N/DC\r\n", ""},
    // An oceanic clearance with a long route of whole-degree points and named waypoints.
    {"ClearanceRoute", "UA0123", "CLX 1234 051226 EGGX CLRD TO KJFK VIA ", "55N020W 54N030W BOBTU ",
     "\r\nFL350 M080 END"},
    // Many pilot-report keywords with no position after any of them.
    {"PirepKeywords", "UA0123", "", "PIREP ", "\r\n"},
    // Lines that each end in a latitude letter.
    {"PositionLines", "UA0123", "", "POS 5130N\r\n", ""},
    // A longitude whose decimals run on over line ends.
    {"DecimalRun", "UA0123", "POS W12.", "\r\n", ""},
    // A signed-letter position whose digits never end.
    {"SignedDigits", "UA0123", "POS,N", "1", ",E"},
    // Empty flight-id labels on one line, from the AirNav decoder.
    {"FlightLabels", "UA0123", "", "Flight id:  ", "\r\n", LinkBox::ANAData},
    // A media advisory whose coded part never comes.
    {"MediaAdvisory", "UA0123", "", "0EV12345 ", "\r\n", LinkBox::AirData, "SA"},
};

// The message of `units` repetitions.
inline std::string Build(const Shape& shape, std::size_t units)
{
    std::string m = Header(shape.flight6, shape.label);
    m.reserve(m.size() + shape.lead.size() + units * shape.unit.size() + shape.tail.size());
    m += shape.lead;
    for (std::size_t i = 0; i < units; ++i) m += shape.unit;
    m += shape.tail;
    return m;
}

// The most repetitions that keep the message within `bytes`.
inline std::size_t UnitsWithin(const Shape& shape, std::size_t bytes)
{
    const std::size_t fixed = Header(shape.flight6, shape.label).size() + shape.lead.size() + shape.tail.size();
    return bytes > fixed ? (bytes - fixed) / shape.unit.size() : 0;
}

}  // namespace korval::shapes
