// The whole text chain: OnLinkText on a fresh station in a program folder of its own.
//
// Input: the first byte chooses the link box (low three bits: AirData, SkyData, ANAData, HFDL,
// HFACARSData, txtNewData) and options (bit 3 oceanic reformatting, bit 4 waypoint expansion, bit
// 5 the position log, bit 6 registration/flight correction, bit 7 "HF Flight Nos."); the rest is
// the text. Nothing may crash or trip a sanitizer, and a message may not take longer than the
// run's -timeout.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_home.h"
#include "station/events.h"
#include "station/seams.h"
#include "station/station.h"

namespace {

korval::fuzz::Home& TheHome()
{
    static korval::fuzz::Home home("chain");
    return home;
}

void WriteDataFiles(const korval::fuzz::Home& home)
{
    home.Write("waypoints.wdf", "!route points\r\nBOBTU=N5000W05000\r\n$LIMRI=N5200W01500\r\n");
    home.Write("OCAwaypoints.wdf", "BOBTU=N5000W05000\r\nCRONO=N5100W04000\r\n");
    home.Write("RegFlight.wdf", "G-EUPJ,BA0117,G-EUPK,BA0118\r\n");
}

constexpr korval::LinkBox kBoxes[] = {
    korval::LinkBox::AirData,     korval::LinkBox::SkyData,    korval::LinkBox::ANAData, korval::LinkBox::HFDL,
    korval::LinkBox::HFACARSData, korval::LinkBox::txtNewData, korval::LinkBox::AirData, korval::LinkBox::txtNewData};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    WriteDataFiles(TheHome());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korval;
    if (size == 0) return 0;
    const std::uint8_t choice = data[0];
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    NullNotifier notifier;
    Station s(TheHome().path(), clock, notifier);
    s.opt.mnuRefOCA = (choice & 0x08) != 0;
    s.opt.mnuWaypoints = (choice & 0x10) != 0;
    s.opt.mnuTag = (choice & 0x20) != 0;
    s.opt.mnuRegFlight = (choice & 0x40) != 0;
    s.opt.mnuHF_FlNo = (choice & 0x80) != 0;
    s.dlg.DDEFormat = 1 + choice % 3;
    OnLinkText(s, kBoxes[choice & 0x07], std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    TheHome().ClearLogsNowAndThen();
    return 0;
}
