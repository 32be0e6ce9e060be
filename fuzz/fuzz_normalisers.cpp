// The source normalisers over any text: each decoder's normaliser runs on the input as if that
// decoder had sent it. Nothing may crash, hang or trip a sanitizer; a refused HFDL record must
// leave the boxes empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_home.h"
#include "intake/normalisers.h"
#include "station/seams.h"
#include "station/station.h"

namespace {

korval::fuzz::Home& TheHome()
{
    static korval::fuzz::Home home("normalisers");
    return home;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korval;
    const std::string text(reinterpret_cast<const char*>(data), size);
    ManualClock clock{DateTime{2026, 12, 5, 12, 0, 0}};
    NullNotifier notifier;
    Station s(TheHome().path(), clock, notifier);
    for (void (*normaliser)(Station&) : {Airmaster_FIX, SkySpy_FIX, ANAD_FIX, HFACARS_FIX}) {
        s.CurrentMessage = text;
        normaliser(s);
    }
    s.CurrentMessage = text;
    s.box.Aircraft.Text = "BEFORE";
    s.box.Flight.Text = "BEFORE";
    if (!HFDL_FIX(s) && (!s.box.Aircraft.Text.empty() || !s.box.Flight.Text.empty())) std::abort();
    TheHome().ClearLogsNowAndThen();
    return 0;
}
