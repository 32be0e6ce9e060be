#include "tracking/sbs.h"

#include <memory>

#include "station/station.h"
#include "text/convert.h"
#include "tracking/lookups.h"
#include "tracking/postext.h"
#include "tracking/process.h"

namespace korval {
namespace {

constexpr std::string_view kModule = "ProcessMess";

}  // namespace

std::string AltitudeNumberText(std::string_view level)
{
    std::string text = ReplaceAll(Mid(level, 4), " ft", "");
    if (text.empty()) text = " 0 ";
    return text;
}

void Process_SBS_Message(Station& s, const std::string& identity)
{
    s.Guard("Process SBS Messsage", kModule, [&] {
        s.CurrentKey = identity;
        // Only the report's first position is used; a text without any "," is damaged.
        std::size_t comma = s.PositionText.find(',');
        if (comma == std::string::npos) Raise(err::InvalidCall);
        s.PositionText.resize(comma);
        if (s.PositionText.empty()) return;
        if (NearEquator(ParsePosition(s.PositionText).lat)) return;
        if (KeyExists(s.CurrentKey, s.SBSAircraftCol)) {
            SBSAltChange(s);
            sbs::Update_Location(s);
            s.SBSAircraftCol.Item(s.CurrentKey)->AltChange = s.AltChangeCode;
        } else {
            sbs::NewAircraft(s);
            s.SBSAircraftCol.Add(s.CurrentSBSAircraft, identity);
        }
    });
}

void SBSAltChange(Station& s)
{
    s.AltChangeCode = kLevelFlight;
    std::string oldText, newText;
    try {
        std::shared_ptr<SBSAircraft> item = s.SBSAircraftCol.Item(s.CurrentKey);
        oldText = AltitudeNumberText(item->Level);
        newText = AltitudeNumberText(s.CurrentLevel);
        const std::int64_t oldFeet = CLng(oldText);
        const std::int64_t newFeet = CLng(newText);
        if (oldFeet - newFeet >= kTrendThresholdFeet)
            s.AltChangeCode = kDescending;
        else if (newFeet - oldFeet >= kTrendThresholdFeet)
            s.AltChangeCode = kClimbing;
    } catch (...) {
        // Typically a level in another notation; the entry names both texts.
        s.LogFault(CurrentFault(), "SBSAltChange\r\nOld Level:>" + oldText + "<New Level:>" + newText + "<", kModule);
    }
}

namespace sbs {

void Update_Location(Station& s)
{
    s.Guard("Update_Location", kModule, [&] {
        std::shared_ptr<SBSAircraft> item = s.SBSAircraftCol.Item(s.CurrentKey);
        item->OldPosition = item->NewPosition;
        s.UpdatedLocation = s.PositionText;
        item->Level = s.CurrentLevel;
        item->NewPosition = s.UpdatedLocation;
        item->LastUpdate = s.MinuteCount;
    });
}

void NewAircraft(Station& s)
{
    s.Guard("NewAircraft", kModule, [&] {
        auto record = std::make_shared<SBSAircraft>();
        s.CurrentSBSAircraft = record;
        Aircraft_Details(s);
        Route(s);
        record->ID = s.CurrentID;
        record->FNo = s.CurrentFlight;
        record->NewPosition = s.PositionText;
        record->OldPosition.clear();
        record->Route = s.CurrentRoute;
        record->ACDetails = s.CurrentACDetails;
        record->Level = s.CurrentLevel;
        record->LastUpdate = s.MinuteCount;
    });
}

}  // namespace sbs
}  // namespace korval
