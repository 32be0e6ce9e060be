#pragma once

#include <string>
#include <string_view>

namespace korval {

struct DateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

// Time comes in only through this seam: UTC for the clock label, the timers and the oceanic
// estimate; local time for the daily log's file name.
class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime Utc() const = 0;
    virtual DateTime Local() const = 0;
};

// The wall clock of the machine.
class SystemClock final : public Clock {
public:
    DateTime Utc() const override;
    DateTime Local() const override;
};

// A clock that shows what it is told (tests and korval-replay). Local time is UTC plus an offset.
class ManualClock final : public Clock {
public:
    explicit ManualClock(DateTime utc = {}, int localOffsetMinutes = 0) : utc_(utc), offset_(localOffsetMinutes) {}
    void Set(const DateTime& utc) { utc_ = utc; }
    void SetUtcTime(int hour, int minute, int second = 0)
    {
        utc_.hour = hour;
        utc_.minute = minute;
        utc_.second = second;
    }
    void SetLocalOffsetMinutes(int minutes) { offset_ = minutes; }
    DateTime Utc() const override { return utc_; }
    DateTime Local() const override;

private:
    DateTime utc_;
    int offset_;
};

enum class Icon { None, Exclamation, Information, Critical };

// User messages: message boxes and beeps. The GUI shows a QMessageBox, headless programs print
// one line to standard error, tests record.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void Message(std::string_view text, std::string_view title = "KORVAL", Icon icon = Icon::Exclamation) = 0;
    virtual void Beep() = 0;
    // A line for whoever runs the program, not a message box: a trouble the program works
    // around (an error log that cannot be written). Printed on standard error unless overridden.
    virtual void Diagnostic(std::string_view line);
};

// Prints each message as one line on standard error; beeps are silent.
class StderrNotifier final : public Notifier {
public:
    void Message(std::string_view text, std::string_view title, Icon icon) override;
    void Beep() override {}
};

// Swallows everything.
class NullNotifier final : public Notifier {
public:
    void Message(std::string_view, std::string_view, Icon) override {}
    void Beep() override {}
};

}  // namespace korval
