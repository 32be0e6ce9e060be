#include "station/events.h"

#include <string>
#include <string_view>

#include "intake/normalisers.h"
#include "screening/dispatch.h"
#include "screening/pipeline.h"
#include "settings/settings.h"
#include "tracking/lookups.h"
#include "tracking/regflight.h"

namespace korval {
namespace {

// Change events are the main window's.
constexpr std::string_view kWindow = "ACARS";

struct EventRow {
    LinkBox box;
    std::string_view name;
    std::string Station::*store;
    void (*event)(Station&);
};

constexpr EventRow kEvents[] = {
    {LinkBox::AirData, "AirData_Change", &Station::AirData, AirData_Change},
    {LinkBox::SkyData, "SkyData_Change", &Station::SkyData, SkyData_Change},
    {LinkBox::ANAData, "ANAData_Change", &Station::ANAData, ANAData_Change},
    {LinkBox::HFDL, "HFDL_Change", &Station::HFDL, HFDL_Change},
    {LinkBox::HFACARSData, "HFACARSData_Change", &Station::HFACARSData, HFACARSData_Change},
    {LinkBox::txtNewData, "txtNewData_Change", &Station::txtNewData, txtNewData_Change},
};

// Runs one step of HFDL_Change: a type mismatch goes on with the next step, anything else ends
// the event (and reaches OnLinkText, which logs it).
template <class F>
void HFDLStep(F&& step)
{
    try {
        step();
    } catch (const Fault& f) {
        if (f.number() != err::TypeMismatch) throw;
    }
}

}  // namespace

void StartUp(Station& s)
{
    // MinuteCount is the minute of the UTC day, so that SBS-1 ages taken modulo one day stay
    // right across the first midnight of a run (counting from 0 at start would make every
    // record heard before that midnight look a day old).
    const DateTime utc = s.clock().Utc();
    s.MinuteCount = static_cast<std::int16_t>(utc.hour * 60 + utc.minute);
    // As the main window's load: the first fault is reported and the rest of start-up skipped.
    // Missing data files are no fault; they read as empty tables.
    try {
        LoadSettings(s);
        LoadRouteTables(s);
        LoadRegFlight(s);
    } catch (...) {
        Fault f = CurrentFault();
        s.notifier().Message("Error " + std::to_string(f.number()) + " (" + f.description() + ") at line " +
                                 std::to_string(f.line()) + " in procedure Form_Load of Form ACARS",
                             "KORVAL", Icon::None);
    }
}

void OnLinkText(Station& s, LinkBox box, std::string text)
{
    for (const EventRow& row : kEvents) {
        if (row.box != box) continue;
        s.*row.store = std::move(text);
        s.SourceInHand = box;
        ++s.traffic.received[BoxIndex(box)];
        try {
            row.event(s);
            s.Notify(ChangeBoxes);
        } catch (...) {
            // Whatever escapes the chain drops this message only; the next one is processed.
            s.LogFault(CurrentFault(), row.name, kWindow);
        }
        return;
    }
}

void AirData_Change(Station& s)
{
    s.CurrentMessage = s.AirData;
    Airmaster_FIX(s);
    Dispatch_Message(s);
}

void SkyData_Change(Station& s)
{
    s.CurrentMessage = s.SkyData;
    SkySpy_FIX(s);
    Dispatch_Message(s);
}

void ANAData_Change(Station& s)
{
    s.CurrentMessage = s.ANAData;
    ANAD_FIX(s);
    Dispatch_Message(s);
}

void HFACARSData_Change(Station& s)
{
    s.CurrentMessage = s.HFACARSData;
    HFACARS_FIX(s);
    Dispatch_Message(s);
}

void HFDL_Change(Station& s)
{
    HFDLStep([&] {
        s.CurrentMessage = s.HFDL;
        Reset_Display(s);  // normal colours, no position yet, txtRepeat hidden
    });
    bool fixed = false;
    HFDLStep([&] { fixed = HFDL_FIX(s); });
    if (!fixed) return;  // a refused record goes no further
    HFDLStep([&] { Good_HFDLMessage(s); });
}

void txtNewData_Change(Station& s)
{
    s.CurrentMessage = s.txtNewData;
    // The user-defined server's DDE Format: 1 Airmaster, 2 ANAD, anything else unnormalised.
    if (s.dlg.DDEFormat == 1)
        Airmaster_FIX(s);
    else if (s.dlg.DDEFormat == 2)
        ANAD_FIX(s);
    Dispatch_Message(s);
}

}  // namespace korval
