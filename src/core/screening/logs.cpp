#include "screening/logs.h"

#include <filesystem>
#include <fstream>

#include "station/station.h"
#include "text/convert.h"
#include "text/fields.h"

namespace korval {
namespace {

// What was done to the message in hand.
enum LogFlag : unsigned {
    kReformatted = 1u << 0,  // PositionReformatted
    kCorrected = 1u << 1,    // RegFlightCorrected
    kOceanic = 1u << 2,      // OceanicMessage
    kUplink = 1u << 3,       // Is_Uplink
    kHFDL = 1u << 4,         // HFDLMessage
    kSA = 1u << 5,           // SAExpanded
    kB9 = 1u << 6,           // B9Expanded
};

// The first rule whose flags are all set and whose excluded flags are all clear gives the header.
struct HeaderRule {
    unsigned need;
    unsigned exclude;
    const char* header;
};

constexpr HeaderRule kHeaderRules[] = {
    {kReformatted, kUplink | kCorrected, "--Position Reformatted--"},
    {kReformatted | kCorrected, kUplink, "--Position Reformatted & RegFlight Corrected--"},
    {kOceanic, kCorrected, "--Oceanic Message--"},
    {kHFDL, 0, "--HF ACARS Position Reformatted--"},
    {kOceanic | kCorrected, 0, "--Oceanic Message with RegFlight Corrected--"},
    {kCorrected, kReformatted | kOceanic, "--RegFlight Corrected--"},
    {kSA, 0, "--Expanded SA Message--"},
    {kB9, 0, "--Expanded B9 Message--"},
};

// The header of the first rule that holds, or "" when none does (a literal of the table).
std::string_view HeaderOf(const Station& s);

unsigned Flags(const Station& s)
{
    unsigned f = 0;
    if (s.PositionReformatted) f |= kReformatted;
    if (s.RegFlightCorrected) f |= kCorrected;
    if (s.OceanicMessage) f |= kOceanic;
    if (fields::IsUplink(s.CurrentMessage)) f |= kUplink;
    if (s.HFDLMessage) f |= kHFDL;
    if (s.SAExpanded) f |= kSA;
    if (s.B9Expanded) f |= kB9;
    return f;
}

// Appends one entry to the day's position log: header, CR LF, the message without its prefix
// character, CR LF. The file is opened and closed here, so other programs may read it between
// entries. A missing Logs folder is told once until a write succeeds again (a live stream would
// otherwise raise one message box per message); other write failures are silent.
void AppendEntry(Station& s, const std::string& header)
{
    std::error_code ec;
    if (!std::filesystem::is_directory(s.LogsFolder(), ec)) {
        if (!s.LogsFolderMissingShown) {
            s.notifier().Message("Can't find  a Logs Folder in your Korval Folder!", "KORVAL", Icon::Exclamation);
            s.LogsFolderMissingShown = true;
        }
        return;
    }
    std::ofstream out(s.LogsFolder() / PositionLogName(s.clock().Local()), std::ios::binary | std::ios::app);
    if (!out) return;
    const std::string& m = s.CurrentMessage;
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    out.write(CRLF.data(), static_cast<std::streamsize>(CRLF.size()));
    if (m.size() > 1) out.write(m.data() + 1, static_cast<std::streamsize>(m.size() - 1));
    out.write(CRLF.data(), static_cast<std::streamsize>(CRLF.size()));
    out.close();
    if (out) s.LogsFolderMissingShown = false;
}

}  // namespace

void Log_Message(Station& s)
{
    std::string_view header;
    try {
        header = HeaderOf(s);
        if (RepeatsLastEntry(s.LoggedInHand, s.LoggedHeader, s.box.LiveData.Text, header, s.CurrentMessage)) return;
        if (s.opt.mnuTag && !header.empty()) AppendEntry(s, std::string(header));
    } catch (...) {
        s.LogFault(CurrentFault(), "Log_Message", "Messages");
    }
    s.LoggedInHand = true;
    s.LoggedHeader = header;
    // The output whatever became of the log: the position parser reads this text next.
    s.box.LiveData.Text = s.CurrentMessage;
    s.Notify(ChangeLiveData);
}

bool RepeatsLastEntry(bool loggedInHand, std::string_view lastHeader, std::string_view shown, std::string_view header,
                      std::string_view text)
{
    return loggedInHand && header == lastHeader && shown == text;
}

std::string PositionLogName(const DateTime& local)
{
    int yy = ((local.year % 100) + 100) % 100;
    return "KorvalLog " + Format(local.day, "00") + Format(local.month, "00") + Format(yy, "00") + ".wdf";
}

std::string LogHeader(const Station& s)
{
    return std::string(HeaderOf(s));
}

namespace {

std::string_view HeaderOf(const Station& s)
{
    const unsigned f = Flags(s);
    for (const HeaderRule& r : kHeaderRules)
        if ((f & r.need) == r.need && (f & r.exclude) == 0) return r.header;
    return {};
}

}  // namespace

}  // namespace korval
