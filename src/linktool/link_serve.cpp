#include <cmath>
#include <istream>
#include <ostream>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "link/protocol.h"
#include "link/server.h"
#include "link_tool.h"

namespace korval::linktool {
namespace {

constexpr std::int64_t kFastBacklog = 4 * 1024 * 1024;  // bytes queued for clients before a fast run waits
constexpr int kFastBatch = 1000;                        // values per event-loop turn in a fast run
constexpr int kDrainPollMs = 10;

// Publishes the texts of a replay file as new values of one item, at a steady rate measured from
// the first value (a late timer catches up rather than slowing the run down).
class Publisher {
public:
    Publisher(const ServeOptions& options, link::LinkServer& server, std::istream& in, std::ostream& err)
        : options_(options), server_(server), in_(in), err_(err)
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &server_, [this] { Tick(); });
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
    // The next text to publish, or nothing at the end of the input. Bad lines are reported and passed.
    std::optional<std::string> NextText()
    {
        std::string line;
        // The next read may wait on a pipe: what was published must not wait with it.
        if (in_.rdbuf()->in_avail() <= 0) server_.Flush();
        while (std::getline(in_, line)) {
            ++lineNo_;
            ReplayLine entry = ParseReplayLine(line);
            if (entry.kind == ReplayLine::Kind::Bad) {
                err_ << "korval-link: line " << lineNo_ << " passed over: " << entry.reason << '\n';
                continue;
            }
            if (entry.kind == ReplayLine::Kind::Skip) continue;
            if (options_.source && entry.source != *options_.source) continue;
            if (entry.text.size() > link::kMaxValue) {
                err_ << "korval-link: line " << lineNo_ << " passed over: its text is over 1 MiB\n";
                continue;
            }
            return std::move(entry.text);
        }
        if (in_.bad()) {
            err_ << "korval-link: the input could not be read to its end\n";
            failed_ = true;
        }
        return std::nullopt;
    }

    bool PublishOne()
    {
        std::optional<std::string> text = NextText();
        if (!text) return false;
        server_.SetValue(options_.item, *text);
        ++sent_;
        return true;
    }

    void Tick()
    {
        if (options_.rate <= 0) {
            for (int i = 0; i < kFastBatch && server_.PendingBytes() < kFastBacklog; ++i) {
                if (!PublishOne()) return Finish();
            }
            timer_.start(0);
            return;
        }
        const double elapsed = static_cast<double>(clock_.nsecsElapsed()) / 1e9;
        const auto due = static_cast<long long>(std::floor(elapsed * options_.rate)) + 1;
        while (sent_ < due) {
            if (!PublishOne()) return Finish();
        }
        const double nextAt = static_cast<double>(sent_) / options_.rate;
        const auto waitMs = static_cast<int>(std::ceil((nextAt - elapsed) * 1000.0));
        timer_.start(waitMs > 0 ? waitMs : 0);
    }

    void Finish()
    {
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
    std::istream& in_;
    std::ostream& err_;
    QTimer timer_;
    QElapsedTimer clock_;
    long long sent_ = 0;
    long long lineNo_ = 0;
    bool started_ = false;
    bool failed_ = false;
};

}  // namespace

int RunServe(const ServeOptions& options, std::istream& in, std::ostream& err)
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
    Publisher publisher(options, server, in, err);
    // Nothing is published before a client takes the item, so the first client misses nothing.
    server.OnAdvise([&](const std::string& item) {
        if (link::SameName(item, options.item)) publisher.Start();
    });
    return QCoreApplication::exec();
}

}  // namespace korval::linktool
