#pragma once

#include <string>

#include "station/seams.h"

namespace korval {

class Station;

// Writes the daily position log entry when a header applies (LogFile option on) and shows the
// message in LiveData whatever happens to the log.
void Log_Message(Station& s);
// "KorvalLog ddmmyy.wdf" for a local date.
std::string PositionLogName(const DateTime& local);
// The header the flags select, or "" when none applies.
std::string LogHeader(const Station& s);

}  // namespace korval
