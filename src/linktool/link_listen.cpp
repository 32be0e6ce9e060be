#include <chrono>
#include <ostream>

#include <QCoreApplication>
#include <QTimer>

#include "link/client.h"
#include "link_tool.h"
#include "text/fault.h"

namespace korval::linktool {
namespace {

constexpr std::chrono::milliseconds kWaitRetry{1000};

}  // namespace

int RunListen(const ListenOptions& options, std::ostream& out, std::ostream& err)
{
    QuitOnSignals();
    link::LinkClient client;
    long long received = 0;
    bool said = false;  // "waiting" is said once, not every second

    client.OnValue([&](std::string_view item, std::string_view value) {
        out << ValueLine(item, value) << '\n' << std::flush;
        if (!out) {
            err << "korval-link: the output cannot be written\n";
            client.Unlink();
            QCoreApplication::exit(kExitFailed);
            return;
        }
        if (options.count > 0 && ++received >= options.count) {
            client.Unlink();  // no value past the count is printed
            QCoreApplication::exit(kExitOk);
        }
    });
    client.OnError([&](const std::string& text) {
        err << "korval-link: " << options.topic << " refused: " << text << '\n';
        client.Unlink();
        QCoreApplication::exit(kExitNoLink);
    });
    client.OnLost([&](const std::string& reason) {
        if (options.wait) {
            err << "korval-link: link to " << options.topic << " lost (" << reason << "); retrying\n";
            return;
        }
        err << "korval-link: link to " << options.topic << " lost (" << reason << ")\n";
        QCoreApplication::exit(kExitNoLink);
    });
    client.OnRestored([&] { err << "korval-link: link to " << options.topic << " restored\n"; });
    if (options.wait) client.SetRetryInterval(kWaitRetry);

    // Returns false when the link failed and will not be tried again.
    auto tryLink = [&]() -> bool {
        try {
            client.Link(options.topic, options.item);
            return true;
        } catch (const Fault& fault) {
            if (!options.wait || fault.number() != err::DdeNoAnswer) {
                err << "korval-link: error " << fault.number() << ": " << fault.description() << " ("
                    << client.LastReason() << ")\n";
                return false;
            }
            if (!said) {
                err << "korval-link: waiting for " << options.topic << " (error " << fault.number() << ": "
                    << client.LastReason() << ")\n";
                said = true;
            }
            return true;
        }
    };

    if (!tryLink()) return kExitNoLink;
    QTimer waiting;
    if (!client.IsLinked()) {
        waiting.setInterval(static_cast<int>(kWaitRetry.count()));
        QObject::connect(&waiting, &QTimer::timeout, &client, [&] {
            if (!tryLink()) {
                QCoreApplication::exit(kExitNoLink);
            } else if (client.IsLinked()) {
                waiting.stop();
            }
        });
        waiting.start();
    }
    return QCoreApplication::exec();
}

}  // namespace korval::linktool
