#pragma once

// korval-link: a stand-in decoder that publishes recorded messages over a local link ("serve"),
// and a listener that prints every value of a linked item as a JSON line ("listen").

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "text/bytes.h"

namespace korval::linktool {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // output could not be written, or a bad input file
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoLink = 3;  // no server answers (error 282), or the link was lost or refused

// JSON strings carry message bytes one character each: U+0000..U+00FF stand for the bytes 0..255.
using korval::BytesFromUtf8;  // nothing when a character is above U+00FF
using korval::Utf8FromBytes;

// One line of a replay file: {"source": S, "text": T}. Lines with "tick", lines without "text"
// and blank lines are skipped; a line that is not such an object is bad and says why.
struct ReplayLine {
    enum class Kind { Text, Skip, Bad } kind = Kind::Skip;
    std::string source;
    std::string text;  // bytes
    std::string reason;
};
ReplayLine ParseReplayLine(std::string_view line);

// {"item": "LiveData", "value": "..."} for one delivered value, without the line end.
std::string ValueLine(std::string_view item, std::string_view value);

struct ServeOptions {
    std::string topic;
    std::string item = "LiveData";
    std::optional<std::string> source;  // publish only lines of this source
    double rate = 10;                   // values per second; 0: as fast as the client takes them
    bool exitWhenDone = false;
};

struct ListenOptions {
    std::string topic;
    std::string item = "LiveData";
    long long count = 0;  // exit after this many values; 0: run until killed
    bool wait = false;    // retry every second until the server is there (and after a lost link)
};

// Both run the event loop of the QCoreApplication that the caller made. Serve reads its replay
// lines from the descriptor `input` (a file, a pipe or a terminal) without ever waiting on it.
int RunServe(const ServeOptions& options, int input, std::ostream& err);
int RunListen(const ListenOptions& options, std::ostream& out, std::ostream& err);

// SIGINT and SIGTERM end the event loop with status 0.
void QuitOnSignals();

}  // namespace korval::linktool
