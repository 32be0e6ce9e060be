#pragma once

#include <string>

#include "station/station.h"

namespace korval {

// What the core needs of the link layer: automatic links from a link box to a server's item.
// Link() replaces any link the box had (a fresh link every time) and raises error 282 when no
// server answers; Unlink() ends the box's link (link mode none). LinkLater() keeps a link that
// no server answered yet: the layer tries it again (every 10 seconds) until a server answers,
// then calls LinkRestored, or until Unlink(). The layer delivers each new value of a linked
// item through OnLinkText (station/events.h).
class LinkPort {
public:
    virtual ~LinkPort() = default;
    virtual void Link(LinkBox box, const std::string& topic, const std::string& item) = 0;
    virtual void LinkLater(LinkBox box, const std::string& topic, const std::string& item) = 0;
    virtual void Unlink(LinkBox box) = 0;
};

// The topic ("Application|Topic") a box links to; txtNewData's comes from the DDE server dialog.
std::string LinkTopic(const Station& s, LinkBox box);

// Link procedures: set the topic, link afresh; error 282 gives a beep, the source's message and
// an unchecked menu item. Link_ANAD and Link_PCHFDL check their item first; Link_PCHFDL links
// HFDL, then HFACARSData.
void Link_Airmaster(Station& s);
void Link_SkySpy(Station& s);
void Link_ANAD(Station& s);
void Link_PCHFDL(Station& s);
void Link_Other(Station& s);

// The DDE menu items: check and link, or uncheck and unlink.
void mnuAir_Click(Station& s);
void mnuSky_Click(Station& s);
void mnuANAD_Click(Station& s);
void mnuPCHFDL_Click(Station& s);
void mnuNew_Click(Station& s);

// Start-up: link every source whose item is checked, in menu order. A source that is not
// running yet gives its message once (beep, message box) and an error-log line, and its item
// stays checked: the link is tried again until the source answers or the user unchecks it, so
// decoders may start after the program, and the saved choice is only ever the user's.
void RelinkSources(Station& s);

// The link layer lost a live link (the source stopped or restarted) and retries it; or the
// retry succeeded. Both are written to the error log, never shown in a message box.
void LinkLost(Station& s, LinkBox box);
void LinkRestored(Station& s, LinkBox box);

// The option state that keeps a box linked (mnuPCHFDL for both PC-HFDL boxes).
bool LinkWanted(const Station& s, LinkBox box);

// The box's name ("AirData") and the source it belongs to, as the DDE menu names it
// ("Airmaster/JACARS"; "PC-HFDL HFDL" and "PC-HFDL ACARS" for the two PC-HFDL boxes).
const char* BoxName(LinkBox box);
const char* SourceName(LinkBox box);

// What befell a link, as one line for the operator: "link made: Airmaster/JACARS
// (WinACARS|ACARS)". Made is the first time a box's link is up after it was chosen (at once or
// after waiting for the source); lost and restored follow a source that stops and comes back.
enum class LinkEvent { Made, Lost, Restored };
std::string LinkEventLine(const Station& s, LinkBox box, LinkEvent event);

}  // namespace korval
