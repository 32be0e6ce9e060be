#include "screening/dispatch.h"

#include <string>
#include <string_view>

#include "screening/logs.h"
#include "screening/pipeline.h"
#include "station/station.h"
#include "text/convert.h"
#include "text/fields.h"
#include "text/regexp.h"
#include "tracking/regflight.h"

namespace korval {
namespace {

constexpr std::string_view kModule = "Messages";

// The repeat store never holds more than this many characters after an append; a longer store
// is cut to its last kStoreKeep characters (which may begin inside a key).
constexpr std::size_t kStoreLimit = 645;
constexpr std::size_t kStoreKeep = 640;

// Repeat key of the message in hand: registration and message number, blanks trimmed.
std::string KeyOf(const Station& s)
{
    return Trim(s.CurrentReg) + "," + Trim(s.CurrentMsgNo);
}

// True when `key` stands in the store as a whole entry: preceded by the CR LF that opens every
// entry and followed by the next entry's CR LF or the end of the store. A fragment left at the
// front by the trimming has no CR LF before it and so never counts; neither does a key that
// only stands inside a longer one. A store that was cut between CR and LF still opens its first
// whole entry with the LF.
bool StoreHoldsKey(std::string_view store, std::string_view key)
{
    if (key.empty()) return false;
    for (std::size_t p = store.find(key); p != std::string_view::npos; p = store.find(key, p + 1)) {
        bool opens = (p >= 2 && store[p - 2] == '\r' && store[p - 1] == '\n') || (p == 1 && store[0] == '\n');
        std::size_t end = p + key.size();
        bool closes = end == store.size() || store.substr(end, 2) == CRLF;
        if (opens && closes) return true;
    }
    return false;
}

}  // namespace

void Dispatch_Message(Station& s)
{
    // No fault may end the program: one that reaches here drops the message with a log entry.
    s.Guard("Dispatch_Message", kModule, [&] {
        Reset_Display(s);
        Clear_Flags(s);
        if (s.opt.mnuRegFlight) CorrectRegFlight(s);

        s.CurrentReg = fields::RegistrationField(s.CurrentMessage);
        s.box.Aircraft.Text = fields::DisplayRegistration(s.CurrentMessage);
        s.box.Flight.Text = fields::DisplayFlight(s.CurrentMessage);

        if (Is_Loop_Or_SQ(s)) {
            Show_SQ(s);
            return;
        }
        if (Is_Uplink(s)) {
            if (Bad_UpMessage(s)) {
                Decode_Error(s);
                return;
            }
            s.box.Flight.Text = "UPLINK";
            s.box.Flight.BackColor = colour::Orange;
            s.box.Aircraft.BackColor = colour::Orange;
            Good_Message(s);
            Store_Messages(s);
            return;
        }
        KL_FlightFix(s);
        if (Bad_DownMessage(s)) {
            Decode_Error(s);
            return;
        }
        if (Down_Repeat(s)) {
            Show_Repeat(s);
            return;
        }
        Good_Message(s);
        Store_Messages(s);
    });
}

void Reset_Display(Station& s)
{
    s.box.LiveData.ForeColor = colour::WindowText;
    s.box.LiveData.BackColor = colour::PaleYellow;
    s.box.Flight.BackColor = colour::DarkRed;
    s.box.Flight.ForeColor = colour::White;
    s.box.Aircraft.BackColor = colour::DarkRed;
    s.box.Aircraft.ForeColor = colour::White;
    s.box.txtCount.BackColor = colour::Navy;
    s.PositionFound = false;
    s.box.txtRepeat.Visible = false;
}

void Clear_Flags(Station& s)
{
    s.Flags() = MessageFlags{};
}

bool Is_Loop_Or_SQ(const Station& s)
{
    return fields::IsLoopOrSquitter(s.CurrentMessage);
}

bool Is_Uplink(const Station& s)
{
    return fields::IsUplink(s.CurrentMessage);
}

bool Bad_UpMessage(Station& s)
{
    bool bad = false;
    s.Guard("Bad_UpMessage", kModule, [&] { bad = RegExp("[^A-Z0-9\\-]+").Test(s.box.Aircraft.Text); });
    return bad;
}

bool Bad_DownMessage(Station& s)
{
    bool bad = false;
    s.Guard("Bad_DownMessage", kModule, [&] {
        bad = RegExp("[^A-Z0-9 ]+").Test(s.box.Flight.Text) || RegExp("[^A-Z0-9\\-]+").Test(s.box.Aircraft.Text);
    });
    return bad;
}

bool Down_Repeat(Station& s)
{
    bool repeat = false;
    s.Guard("Down_Repeat", kModule, [&] {
        s.CurrentMsgNo = fields::MessageNumberField(s.CurrentMessage);
        s.RepeatKey = KeyOf(s);
        if (s.CurrentMsgNo == "000") return;
        repeat = StoreHoldsKey(s.txtMessCheck, s.RepeatKey);
    });
    return repeat;
}

void KL_FlightFix(Station& s)
{
    RegExp re("Flight id: (KL0000)([\\s\\S]*)(KL\\d{4})");
    if (re.Test(s.CurrentMessage)) s.CurrentMessage = re.Replace(s.CurrentMessage, "Flight id: $3 $2$3");
}

void Decode_Error(Station& s)
{
    s.Guard("Decode_Error", kModule, [&] {
        if (s.opt.mnuDecErr) {
            s.box.Aircraft.Text = "DECODE";
            s.box.Flight.Text = "ERROR";
            s.box.Aircraft.BackColor = colour::Red;
            s.box.Flight.BackColor = colour::Red;
            return;
        }
        Good_Message(s);
    });
}

void Show_Repeat(Station& s)
{
    if (s.opt.mnuRepeats) {
        Mark_Repeat(s);
        return;
    }
    Good_Message(s);
}

void Mark_Repeat(Station& s)
{
    if (!s.opt.mnuRepeats) return;
    s.box.txtRepeat.Visible = true;
    s.box.txtRepeat.Width = 255;
    s.box.txtRepeat.Text = std::string("R");  // not a literal assignment: GCC 12 -O2 misreports -Wrestrict
    s.box.txtRepeat.BackColor = colour::Yellow;
    s.box.Aircraft.BackColor = colour::Yellow;
    s.box.Aircraft.ForeColor = colour::Black;
    s.box.Flight.BackColor = colour::Yellow;
    s.box.Flight.ForeColor = colour::Black;
    s.Notify(ChangeBoxes);
}

void Show_SQ(Station& s)
{
    s.box.Aircraft.Text.clear();
    s.box.Flight.Text.clear();
    if (s.opt.mnuSQ) {
        s.box.txtRepeat.Visible = true;
        s.box.txtRepeat.Width = 355;
        s.box.txtRepeat.Text = "SQ";
        s.box.txtRepeat.BackColor = colour::Cyan;
        s.box.Aircraft.BackColor = colour::Cyan;
        s.box.Flight.BackColor = colour::Cyan;
        return;
    }
    Log_Message(s);
}

void Store_Messages(Station& s)
{
    s.Guard("Store_Messages", kModule, [&] {
        s.CurrentMsgNo = fields::MessageNumberField(s.CurrentMessage);
        std::string key = KeyOf(s);
        if (key == ",") return;
        s.txtMessCheck += CRLF;
        s.txtMessCheck += key;
        if (s.txtMessCheck.size() > kStoreLimit) s.txtMessCheck = Right(s.txtMessCheck, kStoreKeep);
    });
}

}  // namespace korval
