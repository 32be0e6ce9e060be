#include <QCoreApplication>

#include "link/quit_signals.h"
#include "link_tool.h"

namespace korval::linktool {

void QuitOnSignals()
{
    link::WhenQuitSignalled([] { QCoreApplication::exit(kExitOk); });
}

}  // namespace korval::linktool
