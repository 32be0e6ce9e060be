#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "decode/decoded_position.h"

namespace korval {

// ADS-C (ARINC 622 / ARINC 745, FANS-1/A) reports carried in the text of an ACARS message.
//
// The text form: an optional "/", the ground station's address (7 letters or digits, or 4),
// ".ADS", the aircraft's registration in 7 characters (right-aligned, padded on the left with
// "."), then the report as hexadecimal digits, two per byte, ending in a 16-bit check sum:
//     /AKLCDYA.ADS.VH-QPA0710F0...2F4E
// The check sum is CRC-16 with the polynomial x^16 + x^12 + x^5 + 1 (0x1021), register preset to
// 0xFFFF, bits taken most significant first, the result inverted (the "GENIBUS" variant), sent
// high byte first, over the ASCII text "ADS", the 7 registration characters and the report bytes.
//
// The report is a run of groups, each a tag byte and a fixed layout of bits (most significant
// first). Angles are two's complement fractions of a half turn: latitude and longitude 21 bits
// (weight 180/2^20 degree), tracks and headings 12 bits (180/2^11 degree), wind direction 9 bits
// (180/2^8 degree).

enum class LinkDirection { Downlink, Uplink };

enum class AdscStatus {
    Decoded,    // check sum right: `groups` holds what was decoded (see `stop`)
    Uplink,     // check sum right, but a ground-to-air contract request: nothing decoded, no position
    CrcFailed,  // the check sum does not match: nothing decoded, no position
    OddLength,  // the hexadecimal text has an odd number of digits
    TooShort,   // fewer than 7 registration characters, or fewer than 3 bytes (a tag and the CRC)
    TooLong,    // more than kAdscMaxBytes bytes
};

// Why decoding stopped before the end of the report; the groups before it are kept.
enum class AdscStop {
    None,
    UnknownTag,  // a tag this decoder does not know (its layout, so its length, is unknown)
    Truncated,   // the bytes left are fewer than the tag's layout needs
};

// Report bytes accepted, check sum included: more than the hexadecimal text of the longest ACARS
// message (16 blocks of 220 characters) can hold.
inline constexpr std::size_t kAdscMaxBytes = 2048;

// Tags 7 (periodic or demand basic report), 9 (emergency basic report), 10 (lateral deviation
// change event), 18 (vertical rate change event), 19 (altitude range event) and 20 (waypoint
// change event) all carry this layout.
struct AdscBasicReport {
    std::uint8_t tag = 7;
    double lat = 0;               // degrees, north positive, steps of 180/2^20
    double lon = 0;               // degrees, east positive
    std::int32_t altitudeFt = 0;  // feet, steps of 4, -131072 to 131068
    double secondsPastHour = 0;   // seconds past the hour, steps of 0.125
    std::uint8_t accuracy = 0;    // figure of merit, 0 (navigation lost) to 7 (under 0.05 nm)
    bool navRedundancy = false;   // navigation units redundant
    bool tcasAvailable = false;   // TCAS available to ADS
};

// Tag 12: the flight id, 8 ISO 5 characters in 6 bits each, trailing blanks removed.
struct AdscFlightId {
    std::string id;
};

struct AdscWaypoint {
    double lat = 0;  // degrees
    double lon = 0;  // degrees
    std::int32_t altitudeFt = 0;
};

// Tag 13: the next waypoint with its estimated time (seconds, 0 to 16383) and the one after it.
struct AdscPredictedRoute {
    AdscWaypoint next;
    std::int32_t nextEtaSeconds = 0;
    AdscWaypoint nextPlusOne;
};

// Tag 14.
struct AdscEarthReference {
    double trackDeg = 0;  // true track, 0 to 360
    bool trackValid = true;
    double groundSpeedKt = 0;          // knots, steps of 0.5, 0 to 4095.5
    std::int32_t verticalRateFpm = 0;  // feet per minute, steps of 16, -32768 to 32752
};

// Tag 15.
struct AdscAirReference {
    double headingDeg = 0;  // true heading, 0 to 360
    bool headingValid = true;
    double mach = 0;  // steps of 0.0005, 0 to 4.0955
    std::int32_t verticalRateFpm = 0;
};

// Tag 16.
struct AdscMeteo {
    double windSpeedKt = 0;       // knots, steps of 0.5, 0 to 255.5
    double windDirectionDeg = 0;  // true, 0 to 360
    bool windDirectionValid = true;
    double temperatureC = 0;  // degrees Celsius, steps of 0.25, -512 to 511.75
};

// Tag 17: the 24-bit ICAO aircraft address.
struct AdscAirframeId {
    std::uint32_t icaoAddress = 0;
};

// Tag 22.
struct AdscIntermediateProjection {
    double distanceNm = 0;  // nautical miles, steps of 1/8
    double trackDeg = 0;
    bool trackValid = true;
    std::int32_t altitudeFt = 0;
    std::int32_t etaSeconds = 0;
};

// Tag 23.
struct AdscFixedProjection {
    AdscWaypoint point;
    std::int32_t etaSeconds = 0;
};

// Tag 3 (acknowledgement), 4 (negative acknowledgement) and 5 (non-compliance notification) name
// the contract they answer; tag 6 cancels emergency mode.
struct AdscAcknowledgement {
    std::uint8_t contract = 0;
};
struct AdscNegativeAcknowledgement {
    std::uint8_t contract = 0;
    std::uint8_t reason = 0;  // 1 to 13
};
struct AdscNoncompliance {
    std::uint8_t contract = 0;
    std::uint8_t groupCount = 0;
};
struct AdscCancelEmergency {};

using AdscGroup =
    std::variant<AdscBasicReport, AdscFlightId, AdscPredictedRoute, AdscEarthReference, AdscAirReference, AdscMeteo,
                 AdscAirframeId, AdscIntermediateProjection, AdscFixedProjection, AdscAcknowledgement,
                 AdscNegativeAcknowledgement, AdscNoncompliance, AdscCancelEmergency>;

struct AdscReport {
    AdscStatus status = AdscStatus::Decoded;
    std::string groundAddress;      // as sent: 7 (or 4) letters and digits
    std::string registration;       // as sent: 7 characters with their dots
    std::vector<AdscGroup> groups;  // in the order sent
    AdscStop stop = AdscStop::None;
    std::uint8_t stopTag = 0;  // the tag that stopped decoding, when `stop` is not None
};

// Finds the ADS-C text form in the content of an ACARS message (the text as it arrived; a line
// break inside the hexadecimal text is skipped) and decodes it. Nothing when the content holds no
// ".ADS" form. `direction` says who sent it: uplinks (label A6, or a letter block id) are contract
// requests, which are checked but never decoded.
std::optional<AdscReport> DecodeAdsc(std::string_view content, LinkDirection direction = LinkDirection::Downlink);

// The positions of a decoded report: every basic-report group ("ADS-C basic", with altitude and
// time stamp) first, then, when `withPredicted`, the predicted route's two waypoints and any
// fixed projection ("ADS-C predicted", with altitude and time). None unless the status is Decoded.
std::vector<DecodedPosition> AdscPositions(const AdscReport& report, bool withPredicted = true);

inline constexpr const char* kAdscBasicSource = "ADS-C basic";
inline constexpr const char* kAdscPredictedSource = "ADS-C predicted";

}  // namespace korval
