#include "station/mainwindow.h"

#include <charconv>
#include <limits>

#include "maps/refresh.h"
#include "oceanic/oceanic.h"
#include "screening/logs.h"
#include "station/station.h"
#include "text/convert.h"

namespace korval {
namespace {

constexpr int kMinutesPerDay = 1440;

void Count(Station& s, Box& counter)
{
    counter.Text = std::to_string(CounterValue(counter.Text) + 1);
    s.Notify(ChangeCounters);
}

// LiveData's colours for a counted message; the registration and flight boxes turn red.
void Colour(Station& s, std::uint32_t liveBack)
{
    s.box.LiveData.ForeColor = colour::White;
    s.box.LiveData.BackColor = liveBack;
    s.box.Flight.BackColor = colour::Red;
    s.box.Aircraft.BackColor = colour::Red;
    s.Notify(ChangeBoxes);
    if (s.opt.mnuBeep) s.notifier().Beep();
}

}  // namespace

std::int64_t CounterValue(std::string_view text)
{
    const std::string t = Trim(text);
    std::int64_t v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size() || v < 0 || v == std::numeric_limits<std::int64_t>::max())
        return 0;
    return v;
}

void Fill_Boxes(Station& s)
{
    if (s.OceanicMessage) {
        Oceanic_Color(s);
        Count(s, s.box.txtOCA);
    } else if (s.REQPWIMessage || s.PositionReformatted) {
        Box_Color(s);
        Count(s, s.box.txtCount);
    } else {
        return;  // neither counted nor logged
    }
    if (s.SourceInHand) ++s.traffic.counted[BoxIndex(*s.SourceInHand)];
    // The second Log_Message for this message: it writes and publishes only what changed since
    // the first (a header the counting made different, a text rewritten on the way).
    Log_Message(s);
}

void Box_Color(Station& s)
{
    Colour(s, colour::Navy);
}
void Oceanic_Color(Station& s)
{
    Colour(s, colour::Green);
}

void Timer1_Timer(Station& s)
{
    const DateTime utc = s.clock().Utc();
    const std::string label = "UTC: " + Format(utc.hour, "00") + Format(utc.minute, "00");
    if (label != s.box.labUTC) {
        s.box.labUTC = label;
        s.Notify(ChangeClock);
    }
    // Seen every second, the timeline of the oceanic estimate never misses a day.
    s.TimelineNow();
    DailyClearing(s, utc);
}

void Timer2_Timer(Station& s)
{
    // The oceanic estimate runs every second minute.
    if (++s.Timer2Ticks >= 2) {
        MidWaypoint(s);
        s.Timer2Ticks = 0;
    }
    // Minutes since 00:00 UTC, the clock of SBS-1 ageing. A day without a tick at 0000 (a late
    // timer) wraps it all the same, so ages measured modulo one day stay right.
    if (Mid(s.box.labUTC, 6) == "0000")
        s.MinuteCount = 0;
    else
        s.MinuteCount = static_cast<std::int16_t>((s.MinuteCount + 1) % kMinutesPerDay);
}

void OnTimer1(Station& s)
{
    s.Guard("Timer1_Timer", "ACARS", [&] { Timer1_Timer(s); });
}

void OnTimer2(Station& s)
{
    s.Guard("Timer2_Timer", "ACARS", [&] { Timer2_Timer(s); });
}

bool cmdDelete(Station& s, const std::string& typedId)
{
    if (typedId.empty()) return false;
    // IDs are shown in capitals; what is typed is compared in capitals, exactly.
    const std::string id = UCase(typedId);
    const std::size_t removed = s.AircraftCol.RemoveIf([&](const Aircraft& a) { return a.ID == id; });
    if (removed > 0)
        s.RouteLineCol.RemoveIf([&](const RouteLine& r) { return r.ID == id; });
    else
        s.notifier().Message(kNoMatchingAircraft, "KORVAL", Icon::None);
    RefreshMaps(s);
    return removed > 0;
}

}  // namespace korval
