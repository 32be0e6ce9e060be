#include "input_lines.h"

#include <cerrno>

#include <QSocketNotifier>
#include <QTimer>

#include <poll.h>
#include <unistd.h>

namespace korval::linktool {
namespace {

constexpr std::size_t kChunk = 64 * 1024;  // bytes asked of the input per read

}  // namespace

InputLines::InputLines(int fd, std::size_t maxLine, std::size_t turnBytes)
    : fd_(fd), maxLine_(maxLine), turnBytes_(turnBytes)
{
}

InputLines::~InputLines() = default;

InputLines::Result InputLines::Next(std::string& line)
{
    for (;;) {
        if (discarding_) {
            const std::size_t lf = buffer_.find('\n', start_);
            if (lf != std::string::npos) {
                discarding_ = false;
                start_ = scan_ = lf + 1;
                continue;
            }
            buffer_.clear();
            start_ = scan_ = 0;
        } else {
            const std::size_t lf = buffer_.find('\n', scan_);
            if (lf != std::string::npos) {
                const std::size_t begin = start_;
                start_ = scan_ = lf + 1;
                ++lineNo_;
                if (lf - begin > maxLine_) return Result::TooLong;  // whatever the reads it came in
                line.assign(buffer_, begin, lf - begin);
                return Result::Line;
            }
            scan_ = buffer_.size();
            if (buffer_.size() - start_ > maxLine_) {
                ++lineNo_;
                discarding_ = true;
                buffer_.clear();
                start_ = scan_ = 0;
                return Result::TooLong;
            }
        }
        if (ended_) {
            if (start_ < buffer_.size()) {
                line.assign(buffer_, start_, buffer_.size() - start_);
                buffer_.clear();
                start_ = scan_ = 0;
                ++lineNo_;
                return Result::Line;
            }
            return failed_ ? Result::Failed : Result::End;
        }
        if (start_ > 0) {  // keep only the line being read
            buffer_.erase(0, start_);
            scan_ -= start_;
            start_ = 0;
        }
        if (readThisTurn_ >= turnBytes_) {
            Pause();
            return Result::Waiting;
        }
        switch (ReadChunk()) {
            case Read::Got:
                break;
            case Read::NotReady:
                Wait();
                return Result::Waiting;
            case Read::Error:
                failed_ = true;
                [[fallthrough]];
            case Read::Eof:
                ended_ = true;
                break;
        }
    }
}

InputLines::Read InputLines::ReadChunk()
{
    pollfd ready{fd_, POLLIN, 0};
    int polled = 0;
    do {
        polled = ::poll(&ready, 1, 0);
    } while (polled < 0 && errno == EINTR);
    if (polled < 0) return Read::Error;
    if (polled == 0) return Read::NotReady;
    // Readable, at its end or failed: a read now returns without waiting.
    const std::size_t had = buffer_.size();
    buffer_.resize(had + kChunk);
    ssize_t got = 0;
    do {
        got = ::read(fd_, buffer_.data() + had, kChunk);
    } while (got < 0 && errno == EINTR);
    buffer_.resize(had + (got > 0 ? static_cast<std::size_t>(got) : 0));
    if (got > 0) {
        readThisTurn_ += static_cast<std::size_t>(got);
        return Read::Got;
    }
    if (got == 0) return Read::Eof;
    return errno == EAGAIN || errno == EWOULDBLOCK ? Read::NotReady : Read::Error;
}

void InputLines::Wait()
{
    readThisTurn_ = 0;
    if (!notifier_) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
            notifier_->setEnabled(false);  // Next reads, and waits again when it must
            if (onReadable_) onReadable_();
        });
    }
    notifier_->setEnabled(true);
}

void InputLines::Pause()
{
    readThisTurn_ = 0;
    if (!later_) {
        later_ = std::make_unique<QTimer>();
        later_->setSingleShot(true);
        later_->setInterval(0);
        QObject::connect(later_.get(), &QTimer::timeout, later_.get(), [this] {
            if (onReadable_) onReadable_();
        });
    }
    later_->start();
}

}  // namespace korval::linktool
