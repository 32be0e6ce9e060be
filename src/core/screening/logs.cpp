#include "screening/logs.h"

#include "station/station.h"

namespace korval {

void Log_Message(Station& s)
{
    s.box.LiveData.Text = s.CurrentMessage;
    s.Notify(ChangeLiveData);
}
std::string PositionLogName(const DateTime&) { return {}; }
std::string LogHeader(const Station&) { return {}; }

}  // namespace korval
