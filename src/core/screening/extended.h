#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korval {

class Station;

// Decode Modern Formats (option mnuExtendedDecoding, module "Decode"): a stage of the message
// chain beside the rewrite rules. With the option off nothing here runs but the naming of the
// sources, which only fills PositionSources.
//
//   Dispatch_Message  KeepArrivedMessage   the label, content and direction as they arrived
//   Good_Message      DecodeArrivedMessage after the rules: ADS-C, then the format table, read
//                                          the message as it arrived
//                     GetPos               the rules' positions
//                     SettlePositions      a recognised message takes its decoders' positions;
//                                          every entry gets its source; the gate refuses the
//                                          implausible ones

// Keeps the label, the content and the direction of the message in hand and forgets what the
// decoders read from the message before.
void KeepArrivedMessage(Station& s);

// Runs the ADS-C decoder, then (for a message that holds no ADS-C report) the format table over
// the message as it arrived. A message one of them recognises is Decoded: an ADS-C report of
// any kind (its basic reports give the positions; a failed check sum gives none and is counted),
// or a format that reads at least one position. A recognised message with positions counts as
// reformatted. Uplinks are left to the chain, which never plots them. A fault (a pattern hitting
// the match limit) is logged and the chain's result stands.
void DecodeArrivedMessage(Station& s);

// After GetPos: names the source of every entry of PositionText (`chainSource` for the chain's
// own positions; null for the rewrite rules, see RulesSource) and, with the option on, puts the
// decoders' positions in place of the chain's for a recognised message and runs the
// plausibility gate.
void SettlePositions(Station& s, const char* chainSource);

// The source of positions the rewrite rules gave: the names of the rules that fired, in order
// ("AF1, UA3"; a rule without a name is "rule N"), or "as sent" when none did.
std::string RulesSource(const std::vector<int>& rules);

// The source of entry `index` of PositionText; empty when it has none.
std::string_view PositionSourceAt(const Station& s, std::size_t index);

// Position text in thousandths of a degree as the chain writes it: latitudes with at least two
// whole degrees, longitudes with three ("51500/-001500"), rounded to the nearest thousandth.
std::string PositionTextOfDegrees(double lat, double lon);

// The plausibility gate over PositionText: entries beyond 90 degrees of latitude or 180 of
// longitude, the no-fix markers (0, 0) and (180, 180), and a first report of the message lying
// further from the aircraft's last accepted report than 1,000 knots allow in the clock's time
// between them, are removed and counted; the first refusal of each aircraft is written to the
// error log. PositionFound is set afresh.
void PlausibilityGate(Station& s);

// Fastest plausible ground speed, knots; a report may lie one minute of it further away, since
// the clock counts whole minutes in replayed traffic.
inline constexpr double kMaxPlausibleKnots = 1000;
inline constexpr double kClockAllowanceSeconds = 60;

// Reads formats.wdf of the program folder into the station; each bad line is told to the user
// in one message naming the file and the line. Done at start-up when the option is on, else
// when it is first used.
void LoadFormats(Station& s);

// The tool tip of the position count: its meaning and, with the option on, where the last
// position came from and what was refused.
std::string PositionCountTip(const Station& s);

}  // namespace korval
