#pragma once

#include <string>

#include "station/station.h"

namespace korval {

// What the core needs of the link layer: automatic links from a link box to a server's item.
// Link() replaces any link the box had (a fresh link every time) and raises error 282 when no
// server answers; Unlink() ends the box's link (link mode none). The layer delivers each new
// value of a linked item through OnLinkText (station/events.h).
class LinkPort {
public:
    virtual ~LinkPort() = default;
    virtual void Link(LinkBox box, const std::string& topic, const std::string& item) = 0;
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

// Start-up: link every source whose item is checked, in menu order.
void RelinkSources(Station& s);

// The link layer lost a live link (the source stopped or restarted) and retries it; or the
// retry succeeded. Both are written to the error log, never shown in a message box.
void LinkLost(Station& s, LinkBox box);
void LinkRestored(Station& s, LinkBox box);

// The option state that keeps a box linked (mnuPCHFDL for both PC-HFDL boxes).
bool LinkWanted(const Station& s, LinkBox box);

}  // namespace korval
