#pragma once

// The line protocol of a local link, both directions.
//
// Client to server, one command per line (LF, an optional CR before it is dropped):
//     ADVISE <item>      every new value of <item> is sent from now on
//     UNADVISE <item>    no more values of <item>
//     REQUEST <item>     the current value of <item> is sent once
// Server to client:
//     DATA <item> <length> LF, then exactly <length> bytes (the value; any bytes, CR LF kept)
//     ERROR <text> LF    an unknown item or command; the connection stays up
//
// Lines are printable ASCII. Item names are 1 to 255 bytes without blanks and compare without
// regard to case. The parsers below look only at the bytes they are given and keep no state: they
// report a complete value with the number of bytes it took, "need more bytes", or a reason the
// input can never become valid (the connection is then closed).

#include <cstddef>
#include <string>
#include <string_view>

namespace korval::link {

inline constexpr std::size_t kMaxValue = 1024 * 1024;  // bytes of one value: 1 MiB
inline constexpr std::size_t kMaxLine = 1024;          // bytes of a command or frame header, LF included
inline constexpr std::size_t kMaxItem = 255;           // bytes of an item name

enum class ParseState { Incomplete, Complete, Malformed };

template <class T>
struct Parsed {
    ParseState state = ParseState::Incomplete;
    T value{};
    std::size_t used = 0;  // bytes of the input taken by the value (Complete only)
    std::string reason;    // why the input is unusable (Malformed only)
};

enum class Verb { Advise, Unadvise, Request, Unknown };

// One client command. Views point into the parsed input.
struct Command {
    Verb verb = Verb::Unknown;
    std::string_view item;  // for Unknown: the first word of the line as sent
};

enum class FrameKind { Data, Error };

// One server frame. Views point into the parsed input.
struct Frame {
    FrameKind kind = FrameKind::Data;
    std::string_view item;   // Data only
    std::string_view value;  // Data: the value; Error: the text
};

Parsed<Command> ParseCommand(std::string_view input, std::size_t maxLine = kMaxLine);
Parsed<Frame> ParseFrame(std::string_view input, std::size_t maxValue = kMaxValue, std::size_t maxLine = kMaxLine);

bool IsItemName(std::string_view item);
// Why `item` is refused as an item name.
std::string NotAnItemName(std::string_view item);

// ASCII lower case; names of servers and items are compared in this form.
std::string FoldCase(std::string_view text);
bool SameName(std::string_view a, std::string_view b);

// Encoders. The item must satisfy IsItemName and the value be at most kMaxValue bytes; error texts
// are cut to fit one line and their unprintable bytes shown as '?'.
std::string EncodeCommand(Verb verb, std::string_view item);
void AppendData(std::string& out, std::string_view item, std::string_view value);
void AppendError(std::string& out, std::string_view text);

}  // namespace korval::link
