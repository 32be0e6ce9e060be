#include "link/quit_signals.h"

#include <csignal>
#include <utility>

#include <QtCore/QCoreApplication>
#include <QtCore/QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

namespace korval::link {
namespace {

int g_signalPipe[2] = {-1, -1};  // written by the handler, read on the event loop

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

}  // namespace

bool CatchQuitSignals()
{
    std::signal(SIGPIPE, SIG_IGN);
    if (g_signalPipe[0] >= 0) return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return false;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return true;
}

void WhenQuitSignalled(std::function<void()> quit)
{
    if (!CatchQuitSignals()) return;
    auto* app = QCoreApplication::instance();
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [notifier, quit = std::move(quit)] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
        notifier->setEnabled(false);  // a second signal while closing changes nothing
        quit();
    });
}

}  // namespace korval::link
