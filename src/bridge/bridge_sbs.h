#pragma once

// BaseStation (SBS-1) CSV lines, as dump1090 and readsb serve them on port 30003, to the canonical
// text of an "SBS-1 position report":
//
//   1ACARS mode: 2  Aircraft reg: .4CA123
//   Message label: SB  Block id: 0  Msg. no: 0001
//   Flight id: EIN123
//   Message content:-
//   SBS-1 position report 4CA123 EIN123
//   N53.12345E-6.54321 FL35000 ft
//   ----------------------------------------------------------[05/12/2026 12:00]
//
// The ICAO address is the registration (the identity SBS-1 tracks are kept under), the callsign
// the flight id; the position is signed decimal degrees with five decimals, the altitude in feet.
// The message number counts reports, so no two reports of an aircraft look like repeats.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bridge_convert.h"

namespace korval::bridge {

struct SbsReport {
    std::string icao;      // six hexadecimal digits, upper case
    std::string callsign;  // may be empty
    double lat = 0, lon = 0;
    std::optional<int> altitude;  // feet
    unsigned sequence = 0;
    std::string time;  // dd/mm/yyyy hh:mm
};
std::string SbsReportText(const SbsReport& r);

struct SbsOptions {
    double everySeconds = 5;           // at most one report per aircraft in this time; 0: every report
    std::size_t maxLine = 1024;        // bytes; a real line is under 200
    double forgetSeconds = 600;        // an aircraft not heard from for this long is forgotten
    std::size_t maxAircraft = 100000;  // beyond this the memory of callsigns starts afresh
};

// Reads the stream of one connection: every complete line is converted or dropped with a reason.
// Positions come in MSG,3 records; callsigns mostly in MSG,1 and altitudes in MSG,5 and MSG,7, so
// both are remembered per aircraft and filled into its next position report.
class SbsConverter {
public:
    explicit SbsConverter(SbsOptions options = {}) : options_(options) {}

    // `steady` (seconds, any origin) paces the reports; `now` (seconds since 1970, UTC) dates a
    // line that carries no date.
    void Feed(std::string_view bytes, double steady, std::int64_t now, std::vector<Message>& out, Counters& counters);
    // The connection ended: a line it cut short is dropped.
    void Close(Counters& counters);

    std::size_t Tracked() const { return aircraft_.size(); }

private:
    struct Aircraft {
        std::string callsign;
        std::optional<int> altitude;
        double lastSeen = 0;
        std::optional<double> lastReport;
        // What the reports published so far told KORVAL: a report with more than that is not
        // held back by the rate limit.
        bool callsignPublished = false;
        bool altitudePublished = false;
    };

    void Line(std::string_view line, double steady, std::int64_t now, std::vector<Message>& out, Counters& counters);
    void Forget(double steady);

    SbsOptions options_;
    std::string partial_;    // the start of a line still arriving
    bool skipping_ = false;  // inside an over-long line, until its end
    std::unordered_map<std::string, Aircraft> aircraft_;
    double lastForget_ = 0;
    unsigned sequence_ = 0;
};

}  // namespace korval::bridge
