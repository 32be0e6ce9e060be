#include "station/station.h"

#include <algorithm>
#include <fstream>

namespace korval {

Station::Station(std::filesystem::path home, Clock& clock, Notifier& notifier)
    : home_(std::move(home)), clock_(&clock), notifier_(&notifier)
{
}

int Station::Subscribe(Listener listener)
{
    listeners_.emplace_back(nextListener_, std::move(listener));
    return nextListener_++;
}

void Station::Unsubscribe(int id)
{
    std::erase_if(listeners_, [id](const auto& l) { return l.first == id; });
}

void Station::Notify(ChangeFlags what)
{
    if (what == 0) return;
    // A listener may subscribe or unsubscribe while being told; work on a copy.
    auto copy = listeners_;
    for (auto& [id, listener] : copy) listener(what);
}

void Station::LogFault(const Fault& fault, std::string_view procedure, std::string_view module)
{
    ErrProcedure = std::string(procedure);
    ErrModule = std::string(module);
    Write_ErrorLog(fault);
}

void Station::LogFaultLine(const Fault& fault, std::string_view procedure, std::string_view module)
{
    ErrProcedure = std::string(procedure);
    ErrModule = std::string(module);
    Write_ErrorLine(fault);
}

std::string Station::FullErrorEntry(const Fault& fault) const
{
    std::string e;
    e.reserve(CurrentMessage.size() + PositionText.size() + 160);
    e += "Error: " + std::to_string(fault.number()) + " (" + fault.description() + ")\r\n";
    e += "Procedure: " + ErrProcedure + " - Module: " + ErrModule + " - Line: " + std::to_string(fault.line()) + "\r\n";
    e += "Waypoints: " + PositionText + "\r\n";
    e += "Message: \r\n";
    e += CurrentMessage;
    e += "\r\n";
    return e;
}

std::string Station::ShortErrorEntry(const Fault& fault) const
{
    return "Error: " + std::to_string(fault.number()) + " (" + fault.description() + ") at line " +
           std::to_string(fault.line()) + " in procedure " + ErrProcedure + " of Module " + ErrModule + "\r\n";
}

namespace {

// Appends text + CR LF to the error log. A missing Logs folder drops the entry; the fact is
// reported once through the notifier's diagnostics so that nothing stops.
void AppendErrorLog(const std::filesystem::path& file, const std::string& text, bool& warned, Notifier& notifier)
{
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out) {
        if (!warned) {
            notifier.Diagnostic("cannot write the error log " + file.string() + "; error entries are dropped");
            warned = true;
        }
        return;
    }
    out << text << "\r\n";
    warned = false;
}

}  // namespace

void Station::Write_ErrorLog(const Fault& fault)
{
    if (fault.number() != 0) ++traffic.errorsLogged;
    ErrorFile = (LogsFolder() / "ErrorLog .txt").string();
    ErrorText = FullErrorEntry(fault);
    AppendErrorLog(ErrorFile, ErrorText, errorLogWarned_, *notifier_);
}

void Station::Write_ErrorLine(const Fault& fault)
{
    if (fault.number() != 0) ++traffic.errorsLogged;
    ErrorFile = (LogsFolder() / "ErrorLog .txt").string();
    ErrorText = ShortErrorEntry(fault);
    AppendErrorLog(ErrorFile, ErrorText, errorLogWarned_, *notifier_);
}

std::int64_t Station::TimelineNow()
{
    DateTime now = clock_->Utc();
    int minuteOfDay = now.hour * 60 + now.minute;
    if (!timelineStarted_) {
        timelineStarted_ = true;
    } else if (minuteOfDay < timelineLastHHMM_) {
        timelineDayBase_ += 1440;
    }
    timelineLastHHMM_ = minuteOfDay;
    return timelineDayBase_ + minuteOfDay;
}

}  // namespace korval
