#include "station/seams.h"

#include <chrono>
#include <ctime>
#include <iostream>

namespace korval {
namespace {

DateTime FromTm(const std::tm& t)
{
    return DateTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

}  // namespace

DateTime SystemClock::Utc() const
{
    std::time_t now = std::time(nullptr);
    std::tm t{};
    gmtime_r(&now, &t);
    return FromTm(t);
}

DateTime SystemClock::Local() const
{
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return FromTm(t);
}

DateTime ManualClock::Local() const
{
    if (offset_ == 0) return utc_;
    std::tm t{};
    t.tm_year = utc_.year - 1900;
    t.tm_mon = utc_.month - 1;
    t.tm_mday = utc_.day;
    t.tm_hour = utc_.hour;
    t.tm_min = utc_.minute + offset_;
    t.tm_sec = utc_.second;
    std::time_t when = timegm(&t);
    std::tm out{};
    gmtime_r(&when, &out);
    return FromTm(out);
}

void Notifier::Diagnostic(std::string_view line)
{
    std::cerr << "KORVAL: " << line << '\n';
}

void StderrNotifier::Message(std::string_view text, std::string_view title, Icon)
{
    std::cerr << title << ": " << text << '\n';
}

}  // namespace korval
