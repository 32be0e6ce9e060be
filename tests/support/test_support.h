#pragma once

#include <concepts>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "station/seams.h"
#include "station/station.h"

namespace korval::test {

// A Notifier that remembers every message box and beep.
class RecordingNotifier final : public Notifier {
public:
    struct Entry {
        std::string text, title;
        Icon icon;
    };
    void Message(std::string_view text, std::string_view title, Icon icon) override
    {
        messages.push_back({std::string(text), std::string(title), icon});
    }
    void Beep() override { ++beeps; }
    void Diagnostic(std::string_view line) override { diagnostics.emplace_back(line); }
    std::vector<Entry> messages;
    std::vector<std::string> diagnostics;
    int beeps = 0;
};

// A fresh program folder under the system's temporary folder, removed at destruction.
class TempHome {
public:
    explicit TempHome(bool withLogs = true);
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    const std::filesystem::path& path() const { return path_; }
    void Write(const std::string& name, std::string_view content) const;
    std::string Read(const std::string& name) const;  // "" when missing
    bool Exists(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// A station over a temporary folder with a manual clock (2026-12-05 12:00:00 UTC) and a
// recording notifier: everything a test needs.
struct Rig {
    explicit Rig(bool withLogs = true) : home(withLogs), station(home.path(), clock, notes) {}
    TempHome home;
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    RecordingNotifier notes;
    Station station;
};

// Canonical message text from its parts (CR LF line ends), as a decoder of the Airmaster family
// sends it after normalising.
std::string Canonical(std::string_view reg7, std::string_view label, char block, std::string_view msgNo,
                      std::string_view flight6, std::string_view content, char prefix = '1', char mode = '2');

// An aircraft shown on the maps at `location` ("51234/-10500"): flight "FN" + id, M080, F350,
// EGLL-KJFK, a B744.
std::shared_ptr<Aircraft> AddAircraft(Station& s, const std::string& id, const std::string& location);

// Text of a file under tests/data.
std::string ReadTestData(const std::string& name);

// The error number of the korval::Fault that `call` raises; 0 when it raises none.
int FaultOf(const std::function<void()>& call);

// A row of a test table: a struct whose `name` names the case.
template <class Row>
concept NamedRow = requires(const Row& row)
{
    std::string_view(row.name);
};

// The row's name in GoogleTest's messages ("where GetParam() = upsideDown"), not its bytes.
// A test file brings it in with `using korval::test::PrintTo;` beside its tables.
template <NamedRow Row>
void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

// The name generator of a table of named rows: Suite/Test/upsideDown.
struct CaseName {
    template <NamedRow Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const
    {
        return std::string(info.param.name);
    }
};

}  // namespace korval::test

// Expects `statement` to raise a korval::Fault of error `number` (0: to raise none).
#define EXPECT_FAULT(statement, number) EXPECT_EQ(::korval::test::FaultOf([&] { statement; }), (number))
