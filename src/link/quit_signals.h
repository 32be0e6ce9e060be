#pragma once

#include <functional>

// SIGINT and SIGTERM for the programs with an event loop: a signal is never the default action
// (which would end a program without saving), it is handed to the event loop as one call.
namespace korval::link {

// Catches SIGINT and SIGTERM from now on, before any event loop exists, and ignores SIGPIPE (a
// reader that went away is a failed write, not a killed program). Safe to call again.
// False when the signals cannot be watched (they then keep their default action).
bool CatchQuitSignals();

// Calls `quit` on the running QCoreApplication's event loop for the first SIGINT or SIGTERM,
// also for one caught before this call; later signals change nothing. Catches them if not yet.
void WhenQuitSignalled(std::function<void()> quit);

}  // namespace korval::link
