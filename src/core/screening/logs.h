#pragma once

#include <string>
#include <string_view>

#include "station/seams.h"

namespace korval {

class Station;

// Writes the daily position log entry when a header applies (LogFile option on) and shows the
// message in LiveData whatever happens to the log. A call for the message in hand that would
// write the same header and text as the call before it for that message (the counting step's
// second call) does nothing: each message is logged and published once.
void Log_Message(Station& s);
// The rule of that: true when Log_Message already ran for the message in hand
// (`loggedInHand`) with header `lastHeader` and showed `shown`, and would now write `header`
// with `text` again.
bool RepeatsLastEntry(bool loggedInHand, std::string_view lastHeader, std::string_view shown, std::string_view header,
                      std::string_view text);
// "KorvalLog ddmmyy.wdf" for a local date.
std::string PositionLogName(const DateTime& local);
// The header the flags select, or "" when none applies.
std::string LogHeader(const Station& s);

}  // namespace korval
