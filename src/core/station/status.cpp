#include "station/status.h"

#include "station/links.h"

namespace korval {
namespace {

constexpr LinkBox kBoxOrder[] = {LinkBox::AirData, LinkBox::SkyData,     LinkBox::ANAData,
                                 LinkBox::HFDL,    LinkBox::HFACARSData, LinkBox::txtNewData};

// Counts that went backwards (a view that kept a copy from another station) read as 0.
std::uint64_t Since(std::uint64_t now, std::uint64_t before)
{
    return now >= before ? now - before : 0;
}

}  // namespace

std::string StatusLine(const TrafficCounts& now, const TrafficCounts& before,
                       const std::array<bool, kLinkBoxes>& chosen, std::size_t aircraft, std::size_t sbsAircraft,
                       const char* span)
{
    std::string sources;
    for (LinkBox box : kBoxOrder) {
        const std::size_t i = BoxIndex(box);
        const std::uint64_t received = Since(now.received[i], before.received[i]);
        if (!chosen[i] && received == 0) continue;
        if (!sources.empty()) sources += ", ";
        sources += std::string(SourceName(box)) + " " + std::to_string(received) + " received, " +
                   std::to_string(Since(now.counted[i], before.counted[i])) + " counted";
    }
    if (sources.empty()) sources = "no source chosen";
    return std::string(span) + ": " + sources + "; " + std::to_string(aircraft) + " aircraft tracked, " +
           std::to_string(sbsAircraft) + " SBS-1; " + std::to_string(Since(now.errorsLogged, before.errorsLogged)) +
           " errors logged";
}

std::string StatusLine(const Station& s, const TrafficCounts& before, const char* span)
{
    std::array<bool, kLinkBoxes> chosen{};
    for (LinkBox box : kBoxOrder) chosen[BoxIndex(box)] = LinkWanted(s, box);
    return StatusLine(s.traffic, before, chosen, s.AircraftCol.Count(), s.SBSAircraftCol.Count(), span);
}

}  // namespace korval
