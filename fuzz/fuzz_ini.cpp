// The settings file reader: any bytes as KORVAL.ini. The document must give back the bytes it
// read, a key it set must read back, and loading the settings into a station must not crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_home.h"
#include "settings/ini.h"
#include "settings/settings.h"
#include "station/seams.h"
#include "station/station.h"

namespace {

korval::fuzz::Home& TheHome()
{
    static korval::fuzz::Home home("ini");
    return home;
}

void Check(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korval;
    const std::string text(reinterpret_cast<const char*>(data), size);

    IniDocument doc = IniDocument::Parse(text);
    Check(doc.Text() == text);
    (void)doc.Get("KORVAL", "Left");
    (void)doc.Get("Map1 Settings", "MapPath");
    if (doc.Set("Menus", "RefOCA", "True")) {
        const auto value = doc.Get("Menus", "RefOCA");
        Check(value && *value == "True");
        const IniDocument reread = IniDocument::Parse(doc.Text());
        const auto again = reread.Get("Menus", "RefOCA");
        Check(again && *again == "True");
    }

    TheHome().Write("KORVAL.ini", text);
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    NullNotifier notifier;
    Station s(TheHome().path(), clock, notifier);
    try {
        LoadSettings(s);
    } catch (...) {
        // A fault reaches the main window's load, which shows it; it is no crash.
    }
    return 0;
}
