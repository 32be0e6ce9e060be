#include <cmath>
#include <ostream>
#include <string>
#include <string_view>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "input_lines.h"
#include "link/protocol.h"
#include "link/server.h"
#include "link_tool.h"

namespace korval::linktool {
namespace {

constexpr std::int64_t kFastBacklog = 4 * 1024 * 1024;  // bytes queued for clients before a fast run waits
constexpr int kFastBatch = 1000;                        // values per event-loop turn in a fast run
constexpr int kDrainPollMs = 10;

// Publishes the texts of a replay file as new values of one item, at a steady rate measured from
// the first value (a late timer catches up rather than slowing the run down). The input is read
// only as far as it can be without waiting: while the next line has not come, the event loop runs
// on, so every value published goes out whole and a signal ends the run at once.
class Publisher {
public:
    Publisher(const ServeOptions& options, link::LinkServer& server, int input, std::ostream& err)
        : options_(options), server_(server), in_(input), err_(err)
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &server_, [this] { Tick(); });
        in_.OnReadable([this] { Tick(); });
    }

    void Start()
    {
        if (started_) return;
        started_ = true;
        clock_.start();
        Tick();
    }

    bool Failed() const { return failed_; }

private:
    enum class Next { Published, Waiting, Done };

    // Publishes the next text of the input. Bad lines are reported and passed.
    Next PublishOne()
    {
        std::string line;
        for (;;) {
            switch (in_.Next(line)) {
                case InputLines::Result::Line:
                    break;
                case InputLines::Result::TooLong:
                    PassOver("it is longer than 8 MiB");
                    continue;
                case InputLines::Result::Waiting:
                    return Next::Waiting;
                case InputLines::Result::Failed:
                    err_ << "korval-link: the input could not be read to its end\n";
                    failed_ = true;
                    return Next::Done;
                case InputLines::Result::End:
                    return Next::Done;
            }
            ReplayLine entry = ParseReplayLine(line);
            if (entry.kind == ReplayLine::Kind::Bad) {
                PassOver(entry.reason);
                continue;
            }
            if (entry.kind == ReplayLine::Kind::Skip) continue;
            if (options_.source && entry.source != *options_.source) continue;
            if (entry.text.size() > link::kMaxValue) {
                PassOver("its text is over 1 MiB");
                continue;
            }
            server_.SetValue(options_.item, entry.text);
            ++sent_;
            return Next::Published;
        }
    }

    void PassOver(std::string_view reason)
    {
        err_ << "korval-link: line " << in_.LineNumber() << " passed over: " << reason << '\n';
    }

    // Publishes what is due; comes back by the timer, or when the input has more to read.
    void Tick()
    {
        if (finished_) return;
        if (options_.rate <= 0) {
            for (int i = 0; i < kFastBatch && server_.PendingBytes() < kFastBacklog; ++i) {
                const Next next = PublishOne();
                if (next == Next::Done) return Finish();
                if (next == Next::Waiting) return;
            }
            timer_.start(0);
            return;
        }
        const double elapsed = static_cast<double>(clock_.nsecsElapsed()) / 1e9;
        const auto due = static_cast<long long>(std::floor(elapsed * options_.rate)) + 1;
        while (sent_ < due) {
            const Next next = PublishOne();
            if (next == Next::Done) return Finish();
            if (next == Next::Waiting) return;
        }
        const double nextAt = static_cast<double>(sent_) / options_.rate;
        const auto waitMs = static_cast<int>(std::ceil((nextAt - elapsed) * 1000.0));
        timer_.start(waitMs > 0 ? waitMs : 0);
    }

    void Finish()
    {
        finished_ = true;
        err_ << "korval-link: published " << sent_ << (sent_ == 1 ? " value" : " values") << " of " << options_.item
             << '\n';
        if (!options_.exitWhenDone) return;
        QObject::disconnect(&timer_, nullptr, nullptr, nullptr);
        QObject::connect(&timer_, &QTimer::timeout, &server_, [this] { Drain(); });
        Drain();
    }

    // Waits until every value has been handed to the system, then closes and ends the run.
    void Drain()
    {
        if (server_.PendingBytes() > 0) {
            timer_.start(kDrainPollMs);
            return;
        }
        server_.Close();
        QCoreApplication::exit(failed_ ? kExitFailed : kExitOk);
    }

    const ServeOptions& options_;
    link::LinkServer& server_;
    InputLines in_;
    std::ostream& err_;
    QTimer timer_;
    QElapsedTimer clock_;
    long long sent_ = 0;
    bool started_ = false;
    bool finished_ = false;
    bool failed_ = false;
};

}  // namespace

int RunServe(const ServeOptions& options, int input, std::ostream& err)
{
    QuitOnSignals();  // before the socket appears: from then on the server may be told to stop
    link::LinkServer server;
    if (!server.AddItem(options.item)) {
        err << "korval-link: " << server.LastReason() << '\n';
        return kExitUsage;
    }
    if (!server.Listen(options.topic)) {
        err << "korval-link: cannot serve " << options.topic << ": " << server.LastReason() << '\n';
        return kExitNoLink;
    }
    Publisher publisher(options, server, input, err);
    // Nothing is published before a client takes the item, so the first client misses nothing.
    server.OnAdvise([&](const std::string& item) {
        if (link::SameName(item, options.item)) publisher.Start();
    });
    return QCoreApplication::exec();
}

}  // namespace korval::linktool
