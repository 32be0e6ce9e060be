#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;
class QTimer;

namespace korval::linktool {

// The lines of an input (a file, a pipe, a terminal) read without ever waiting for it, so the
// event loop that sends what was published keeps running between two lines. Nor does an input
// that never runs dry keep the loop: after a turn's share of bytes the reader pauses until the
// loop's next turn. The descriptor is only polled and read: its flags are left as they are, as a
// terminal shared with a shell needs.
class InputLines {
public:
    enum class Result {
        Line,     // a complete line, without its LF
        TooLong,  // a line over the ceiling: it is passed over up to its LF, nothing of it is kept
        Waiting,  // nothing more can be read now, or the turn's share is read; the readable handler
                  // is called when Next may go on
        End,      // the input ended (after its last line, also one without a LF)
        Failed,   // the input could not be read to its end
    };

    // Bytes of a line, its LF not counted. 8 MiB: room for a replay line holding a text of 1 MiB
    // written in JSON escapes.
    static constexpr std::size_t kMaxLine = 8 * 1024 * 1024;
    // Bytes read in one turn of the event loop.
    static constexpr std::size_t kTurnBytes = 1024 * 1024;

    explicit InputLines(int fd, std::size_t maxLine = kMaxLine, std::size_t turnBytes = kTurnBytes);
    ~InputLines();
    InputLines(const InputLines&) = delete;
    InputLines& operator=(const InputLines&) = delete;

    Result Next(std::string& line);
    // Lines seen so far, complete or too long; the number of the line Next returned last.
    long long LineNumber() const { return lineNo_; }
    // Called on the event loop when more can be read after Next said Waiting.
    void OnReadable(std::function<void()> handler) { onReadable_ = std::move(handler); }

private:
    enum class Read { Got, NotReady, Eof, Error };
    Read ReadChunk();
    void Wait();
    void Pause();

    int fd_;
    std::size_t maxLine_;
    std::size_t turnBytes_;
    std::size_t readThisTurn_ = 0;
    std::string buffer_;
    std::size_t start_ = 0;  // where the current line begins in buffer_
    std::size_t scan_ = 0;   // bytes of buffer_ already searched for a LF
    bool discarding_ = false;
    bool ended_ = false;
    bool failed_ = false;
    long long lineNo_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;  // while the input has nothing to read
    std::unique_ptr<QTimer> later_;              // while the reader pauses for the turn
    std::function<void()> onReadable_;
};

}  // namespace korval::linktool
