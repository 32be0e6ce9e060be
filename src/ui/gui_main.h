#pragma once

namespace korval {
class LinkPort;
class Station;
}  // namespace korval

// Runs KORVAL with its windows until the main window is closed; returns the exit code.
//
// The caller builds the Station over the program folder, its clock and a
// korval::ui::QtNotifier (so message boxes are Qt boxes), and passes the link layer that
// delivers decoder texts through OnLinkText, or null to run without links. A QApplication is
// created here when there is none yet. The main window runs its start-up (splash, settings,
// tables, relinking the checked sources, the checked map windows, the timers), and closing it
// saves the settings and ends the event loop; the links are ended first.
int RunKorvalGui(int argc, char** argv, korval::Station& station, korval::LinkPort* links);
