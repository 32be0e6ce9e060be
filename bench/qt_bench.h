#pragma once
// What the benchmarks and measuring programs over the link layer share: a private folder, bounded
// waits on the event loop, and a main() that runs the benchmarks under a Qt application.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <system_error>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace korval::bench {

// A new folder under the temporary directory, removed with everything in it at the end.
class Folder {
public:
    explicit Folder(const char* prefix = "korval-bench")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data())) {
            std::cerr << "cannot make a folder under " << std::filesystem::temp_directory_path() << '\n';
            std::exit(1);
        }
        path_ = pattern;
    }
    ~Folder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Runs the event loop until `done` holds; false after `limit`. Sleeps while nothing happens.
inline bool RunUntil(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(120))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    QTimer wake;  // looks at the clock now and then even when no event comes
    wake.start(100);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// RunUntil, ending the program with `what` when `done` does not come.
inline void Await(const std::function<bool()>& done, const char* what)
{
    if (RunUntil(done)) return;
    std::cerr << what << " did not happen within 120 s\n";
    std::exit(1);
}

// Runs the event loop until `when`, with a precise timer.
inline void RunUntilTime(std::chrono::steady_clock::time_point when)
{
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(when - std::chrono::steady_clock::now());
    if (wait.count() > 0) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(wait.count()), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    while (std::chrono::steady_clock::now() < when) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace korval::bench
