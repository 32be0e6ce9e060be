#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korval {

class Station;

// The SBS-1 track update (module "ProcessMess").
void Process_SBS_Message(Station& s, const std::string& identity);

// Vertical trend of an SBS-1 aircraft between two reports (AltChange, AltChangeCode).
enum AltTrend : std::int16_t { kLevelFlight = 0, kDescending = 1, kClimbing = 2 };
// A change of at least this many feet between two reports is a climb or a descent.
inline constexpr std::int32_t kTrendThresholdFeet = 200;

// The altitude text "Ht: 35000 ft " reduced to its number text (" 35000 "); " 0 " when nothing
// is left, so a report without an altitude counts as 0 feet.
std::string AltitudeNumberText(std::string_view level);

// The steps of the update, for tests. The SBS-1 forms of Update_Location and NewAircraft work on
// SBSAircraftCol and CurrentSBSAircraft.
void SBSAltChange(Station& s);
namespace sbs {
void Update_Location(Station& s);
void NewAircraft(Station& s);
}  // namespace sbs

}  // namespace korval
