#pragma once

#include <chrono>
#include <functional>
#include <string>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace korval::test {

// Runs the event loop until `done` holds or `limit` has passed; true when it holds.
inline bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QTimer deadline;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { loop.quit(); });
    poll.start(1);
    deadline.setSingleShot(true);
    deadline.start(static_cast<int>(limit.count()));
    loop.exec();
    return done();
}

// Runs the event loop for `span` whatever happens (to show that something does not arrive).
inline void RunFor(std::chrono::milliseconds span)
{
    RunUntil([] { return false; }, span);
}

}  // namespace korval::test
