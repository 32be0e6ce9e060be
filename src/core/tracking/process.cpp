#include "tracking/process.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "oceanic/oceanic.h"
#include "screening/dispatch.h"
#include "screening/extractors.h"
#include "station/mainwindow.h"
#include "station/station.h"
#include "text/convert.h"
#include "text/regexp.h"
#include "tracking/lookups.h"
#include "tracking/postext.h"

namespace korval {
namespace {

constexpr std::string_view kModule = "ProcessMess";

// Clearances and requests jump far between their points: 10 and 20 degrees, in thousandths.
constexpr std::int32_t kOceanicLatLimit = 10000;
constexpr std::int32_t kOceanicLonLimit = 20000;
constexpr std::int64_t kFullCircle = 360000;  // thousandths of a degree

// The identity shown on the maps: the registration, or the flight id when there is none.
const std::string& DisplayId(const Station& s)
{
    return s.CurrentID == "NO-REG" ? s.CurrentFlight : s.CurrentID;
}

// Difference of two longitudes the shorter way round, so a flight across the 180 degree
// meridian is compared over the few degrees it flew, not the 360 less them.
std::int64_t LongitudeGap(std::int32_t a, std::int32_t b)
{
    std::int64_t d = std::llabs(static_cast<std::int64_t>(a) - b) % kFullCircle;
    return std::min(d, kFullCircle - d);
}

}  // namespace

std::string TrackingKey(const Station& s)
{
    const std::string& reg = s.box.Aircraft.Text;
    const std::string& flight = s.box.Flight.Text;
    if (s.OceanicMessage) return reg + flight + "OCA";
    if (s.REQPWIMessage) return reg + flight + "REQPWI";
    if (s.HFFlightAsID) return flight + flight;
    return reg + flight;
}

PlotLimits TooFarLimits(const Station& s)
{
    if (s.OceanicMessage || s.REQPWIMessage) return {kOceanicLatLimit, kOceanicLonLimit};
    return {ToInt32(std::int64_t{CLng(s.dlg.txtTooLat)} * 1000), ToInt32(std::int64_t{CLng(s.dlg.txtTooLong)} * 1000)};
}

const std::string& CurrentElement(const Station& s)
{
    if (s.PosIndex < 0 || static_cast<std::size_t>(s.PosIndex) >= s.PositionArray.size()) Raise(err::Subscript);
    return s.PositionArray[static_cast<std::size_t>(s.PosIndex)];
}

void Process_Message(Station& s, const std::string& /*registration: the key comes from the boxes*/)
{
    s.Guard("Process Message", kModule, [&] {
        s.CurrentKey = TrackingKey(s);
        s.PositionArray = Split(s.PositionText, ",");
        const std::int16_t n = NumOfWaypoints(s);
        // The flags are read afresh for every position: a step may clear one for those after it.
        for (s.PosIndex = 0; s.PosIndex <= n; ++s.PosIndex) {
            const std::string& el = CurrentElement(s);
            if (el.empty() || !PosDataOK(s)) continue;
            if (NearEquator(ParsePosition(el).lat)) continue;
            if (!KeyExists(s.CurrentKey, s.AircraftCol)) {
                NewAircraft(s);
                s.AircraftCol.Add(s.CurrentAircraft, s.CurrentKey);
            } else {
                OldAircraft(s);
            }
        }
        if (KeyExists(s.CurrentKey, s.AircraftCol)) OCA_Times(s);
        Fill_Boxes(s);
    });
}

bool PosDataOK(Station& s)
{
    bool ok = false;
    s.Guard("Bad PosData", kModule, [&] {
        static const RegExp kNotPositionText("[^0-9/\\-]+", true, false);
        ok = !kNotPositionText.Test(CurrentElement(s));
    });
    return ok;
}

void NewAircraft(Station& s)
{
    s.Guard("NewAircraft", kModule, [&] {
        auto record = std::make_shared<Aircraft>();
        s.CurrentAircraft = record;
        Aircraft_Details(s);
        Route(s);
        if (s.OceanicMessage) {
            Mach(s);
            Level(s);
            NAT(s);
            EPTime(s);
            s.ShowNewAircraft = false;
        } else {
            // CurrentEPT keeps what the last clearance left: it is not read for this record.
            s.CurrentMach.clear();
            s.CurrentLevel.clear();
            s.CurrentNAT.clear();
            s.ShowNewAircraft = true;
        }
        record->ID = DisplayId(s);
        record->FNo = s.CurrentFlight;
        record->NewLocation = CurrentElement(s);
        record->OldLocation.clear();
        record->Route = s.CurrentRoute;
        record->ACDetails = s.CurrentACDetails;
        record->Mach = s.CurrentMach;
        record->Level = s.CurrentLevel;
        record->LastTime = s.CurrentEPT;
        record->Show = s.ShowNewAircraft;
        // A clearance without an entry time cannot be timed: its points become plain reports.
        if (s.CurrentEPT == "0") {
            s.OceanicMessage = false;
            record->Oceanic = false;
        }
    });
}

void OldAircraft(Station& s)
{
    s.Guard("OldAircraft", kModule, [&] {
        std::shared_ptr<Aircraft> item = s.AircraftCol.Item(s.CurrentKey);
        // A clearance or request already taken is marked as a repeat, never processed again.
        if (item->Oceanic && s.OceanicMessage) {
            Mark_Repeat(s);
            s.OceanicMessage = false;
            s.PositionReformatted = false;
        } else if (item->REQPWI && s.REQPWIMessage) {
            Mark_Repeat(s);
            s.REQPWIMessage = false;
            s.PositionReformatted = false;
        } else {
            Update_Location(s);
            NewRouteline(s);
        }
    });
}

void Update_Location(Station& s)
{
    s.Guard("Update_Location", kModule, [&] {
        std::shared_ptr<Aircraft> item = s.AircraftCol.Item(s.CurrentKey);
        item->OldLocation = item->NewLocation;
        // A refused position keeps the aircraft where it was (and still makes a segment).
        if (!s.opt.mnuTooFar || !TooFar(s))
            s.UpdatedLocation = CurrentElement(s);
        else
            s.UpdatedLocation = item->OldLocation;
        item->NewLocation = s.UpdatedLocation;
        s.RouteOldPos = item->OldLocation;
        s.RouteNewPos = s.UpdatedLocation;
    });
}

bool TooFar(Station& s)
{
    std::string oldLat, oldLon;
    try {
        std::shared_ptr<Aircraft> item = s.AircraftCol.Item(s.CurrentKey);
        PositionParts old = SplitAtSlash(item->OldLocation);
        oldLat = old.lat;
        oldLon = old.lon;
        const LatLon from{CLng(oldLat), CLng(oldLon)};
        const LatLon to = ParsePosition(CurrentElement(s));
        const PlotLimits limit = TooFarLimits(s);
        // Equal to the limit is accepted.
        const bool latTooFar = std::llabs(static_cast<std::int64_t>(to.lat) - from.lat) > limit.lat;
        const bool lonTooFar = LongitudeGap(to.lon, from.lon) > limit.lon;
        return latTooFar || lonTooFar;
    } catch (...) {
        const Fault fault = CurrentFault();
        // An empty or damaged old location or limit box: name the texts that were read.
        if (fault.number() == err::TypeMismatch || fault.number() == err::InvalidCall)
            s.LogFault(fault, "TooFar: OldLat = " + oldLat + ", OldLong = " + oldLon, kModule);
        else
            s.LogFault(fault, "TooFar", kModule);
        return false;
    }
}

void NewRouteline(Station& s)
{
    s.Guard("NewRouteline", kModule, [&] {
        auto line = std::make_shared<RouteLine>();
        s.CurrentRouteLine = line;
        line->ID = DisplayId(s);
        line->OldPosition = s.RouteOldPos;
        line->NewPosition = s.RouteNewPos;
        line->Style = s.REQPWIMessage ? 2 : 0;  // 2 is drawn dotted
        // One segment of a clearance carries the NAT track label: the first one for a Gander
        // clearance, else the last one.
        if (s.OceanicMessage) {
            if (s.GanderMessage) {
                if (s.PosIndex == 1) {
                    line->NATPos = line->OldPosition;
                    line->NATrack = s.CurrentNAT;
                }
            } else if (s.PosIndex == NumOfWaypoints(s) - 1) {
                line->NATPos = line->NewPosition;
                line->NATrack = s.CurrentNAT;
            }
        }
        s.RouteLineCol.Add(line);
    });
}

}  // namespace korval
