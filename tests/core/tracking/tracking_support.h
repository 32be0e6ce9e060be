#pragma once

// Builds the state the good-message pipeline leaves for the position update, so the tracking,
// oceanic, map and main-window tests can deliver a message in one call.

#include <string>

#include "station/station.h"
#include "test_support.h"
#include "tracking/process.h"

namespace korval::test {

struct TrackMsg {
    std::string positions{};  // PositionText, entries "lat/lon,"
    std::string reg = "N923UP";
    std::string flight = "UP0001";
    std::string id{};  // CurrentID; the registration when empty
    bool oceanic = false, request = false, gander = false;
    // A clearance's flight data: written into the message text for the extractors and set as
    // their results as well, so the test holds whichever of the two is in force.
    std::string ept = "1230", mach = "M080", level = "F350", nat = "NAT A";
};

// Sets the state as the pipeline leaves it for `m` and runs the position update.
inline void DeliverTrackMsg(Station& s, const TrackMsg& m)
{
    s.box.Aircraft.Text = m.reg;
    s.box.Flight.Text = m.flight;
    s.CurrentID = m.id.empty() ? m.reg : m.id;
    s.CurrentFlight = m.flight;
    s.PositionText = m.positions;
    s.PositionFound = true;
    s.OceanicMessage = m.oceanic;
    s.REQPWIMessage = m.request;
    s.GanderMessage = m.gander;
    s.PositionReformatted = true;
    std::string content = "POS " + m.positions + "\r\n";
    if (m.oceanic) {
        content = "CLX 1200 " + m.nat + " " + m.mach + " " + m.level + " EPT /" + m.ept + " " + content;
        s.CurrentNAT = m.nat;
        s.CurrentMach = m.mach;
        s.CurrentLevel = m.level;
        s.CurrentEPT = m.ept;
    }
    std::string reg7 = "." + m.reg;
    reg7.resize(7, ' ');
    s.CurrentMessage = Canonical(reg7, "H1", '2', "M76A", m.flight, content);
    Process_Message(s, s.CurrentID);
}

// The error log's text ("" when nothing was logged).
inline std::string ErrorLog(const Rig& rig)
{
    return rig.home.Read("Logs/ErrorLog .txt");
}

}  // namespace korval::test
