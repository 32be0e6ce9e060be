#include "screening/pipeline.h"

#include "maps/refresh.h"
#include "reformat/getpos.h"
#include "reformat/reformat.h"
#include "reformat/waypoints.h"
#include "screening/dispatch.h"
#include "screening/expanders.h"
#include "screening/extended.h"
#include "screening/extractors.h"
#include "screening/logs.h"
#include "station/station.h"
#include "text/fields.h"
#include "tracking/process.h"
#include "tracking/sbs.h"

namespace korval {

void Good_Message(Station& s)
{
    s.Guard("Good_Message", "Messages", [&] {
        // ACARS aircraft are tracked under their registration as the Aircraft box shows it.
        s.CurrentFlight = s.box.Flight.Text;
        s.CurrentID = s.box.Aircraft.Text;

        // Exactly one expander, or the rewrite rules (and, with Decode Modern Formats, the
        // decoders of the message as it arrived).
        const char* source = nullptr;
        if (fields::IsSAMessage(s.CurrentMessage)) {
            SA_Message(s);
            source = "SA message";
        } else if (fields::IsB9Message(s.CurrentMessage)) {
            TI_Message(s);
            source = "B9 message";
        } else if (fields::IsSBSReport(s.CurrentMessage)) {
            if (s.opt.mnuSBS) {
                SBS_Message(s);
                Level(s);
            }
            source = "SBS-1";
        } else {
            ReformatData(s);
            if (s.opt.mnuExtendedDecoding) DecodeArrivedMessage(s);
        }

        if (Oceanic_Messages(s)) ExpandWaypoints(s);
        Log_Message(s);
        GetPos(s);  // reads what Log_Message put into LiveData
        SettlePositions(s, source);

        // Uplinks are shown but never plotted.
        if (Is_Uplink(s) || !s.PositionFound) return;
        if (s.SBSMessage) {
            Process_SBS_Message(s, s.CurrentID);
            ClearOldSBS(s);
        } else {
            Process_Message(s, s.CurrentID);
            Limit_Plots(s);
        }
        RefreshMaps(s);
    });
}

void Good_HFDLMessage(Station& s)
{
    s.Guard("Good_HFDLMessage", "Messages", [&] {
        s.HFFlightAsID = false;
        s.CurrentFlight = s.box.Flight.Text;
        // Without a flight id an HFDL message is neither logged, shown nor plotted.
        if (s.CurrentFlight.empty()) return;

        bool flightAsID = false;
        if (s.opt.mnuHF_FlNo) {
            s.CurrentID = s.CurrentFlight;
            flightAsID = true;
        } else if (!s.box.Aircraft.Text.empty()) {
            s.CurrentID = s.box.Aircraft.Text;
        } else {
            s.CurrentID = s.CurrentFlight;
        }

        // The per-message flags are cleared here; the identity choice just made survives it.
        Clear_Flags(s);
        s.HFFlightAsID = flightAsID;
        s.HFDLMessage = true;

        Log_Message(s);
        GetPos(s);
        SettlePositions(s, "HFDL");
        if (!s.PositionFound) return;
        Process_Message(s, s.CurrentID);
        Limit_Plots(s);
        RefreshMaps(s);
    });
}

}  // namespace korval
