#pragma once

// FIFOs in place of the program's files, and a bounded way to run code that must not wait on them.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace korval::test {

inline void MakeFifo(const std::filesystem::path& path)
{
    if (::mkfifo(path.c_str(), 0644) != 0) throw std::runtime_error("mkfifo " + path.string());
}

// Runs `work` on a thread of its own and gives it `limit` to finish; true when it did. Code that
// opens or reads one of `fifos` would wait there for a writer for ever: when the limit has
// passed, each FIFO is opened for writing and closed again (a waiting open returns and its read
// sees the end of the file), for a bounded number of rounds, so a fault makes the test fail
// instead of hanging it. Work that even then does not end aborts the test program.
inline bool FinishesWithin(std::chrono::milliseconds limit, const std::vector<std::filesystem::path>& fifos,
                           const std::function<void()>& work)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread runner([done, work] {
        try {
            work();
            done->set_value();
        } catch (...) {
            done->set_exception(std::current_exception());
        }
    });
    const bool inTime = finished.wait_for(limit) == std::future_status::ready;
    for (int round = 0; round < 50 && finished.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready;
         ++round) {
        for (const auto& fifo : fifos) {
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) ::close(fd);
        }
    }
    if (finished.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready) {
        runner.join();
        finished.get();  // a fault of the work is the test's
        return inTime;
    }
    // Still stuck: the work holds references into the test, so the process cannot go on.
    std::fprintf(stderr, "work still waiting on a FIFO after %lld ms and every unblocking round\n",
                 static_cast<long long>(limit.count()));
    std::abort();
}

}  // namespace korval::test
