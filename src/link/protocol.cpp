#include "link/protocol.h"

#include <cstdint>
#include <cstdio>

namespace korval::link {
namespace {

constexpr std::string_view kAdvise = "ADVISE";
constexpr std::string_view kUnadvise = "UNADVISE";
constexpr std::string_view kRequest = "REQUEST";
constexpr std::string_view kData = "DATA";
constexpr std::string_view kError = "ERROR";
constexpr std::size_t kMaxLengthDigits = 10;

bool Printable(char c)
{
    return c >= 0x20 && c <= 0x7E;
}

std::string ByteReason(std::string_view what, unsigned char byte)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    return std::string(what) + " holds the byte " + hex;
}

// One line of printable ASCII ended by LF (a CR just before the LF is dropped). Unprintable bytes
// are reported as soon as they are seen, so binary garbage is refused without waiting for a LF.
Parsed<std::string_view> ReadLine(std::string_view input, std::size_t maxLine)
{
    Parsed<std::string_view> r;
    const std::size_t window = input.size() < maxLine ? input.size() : maxLine;
    for (std::size_t i = 0; i < window; ++i) {
        const char c = input[i];
        if (c == '\n') {
            std::string_view line = input.substr(0, i);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            r.state = ParseState::Complete;
            r.value = line;
            r.used = i + 1;
            return r;
        }
        if (Printable(c)) continue;
        if (c == '\r' && (i + 1 == input.size() || input[i + 1] == '\n')) continue;
        r.state = ParseState::Malformed;
        r.reason = ByteReason("a line", static_cast<unsigned char>(c));
        return r;
    }
    if (input.size() >= maxLine) {
        r.state = ParseState::Malformed;
        r.reason = "a line is longer than " + std::to_string(maxLine) + " bytes";
    }
    return r;
}

// Splits "word rest" at the first blank; rest is empty when there is no blank.
std::pair<std::string_view, std::string_view> FirstWord(std::string_view line, bool& hasBlank)
{
    const std::size_t blank = line.find(' ');
    hasBlank = blank != std::string_view::npos;
    if (!hasBlank) return {line, {}};
    return {line.substr(0, blank), line.substr(blank + 1)};
}

template <class T>
Parsed<T> Malformed(std::string reason)
{
    Parsed<T> r;
    r.state = ParseState::Malformed;
    r.reason = std::move(reason);
    return r;
}

}  // namespace

bool IsItemName(std::string_view item)
{
    if (item.empty() || item.size() > kMaxItem) return false;
    for (char c : item) {
        if (c <= 0x20 || c > 0x7E) return false;
    }
    return true;
}

std::string NotAnItemName(std::string_view item)
{
    std::string reason = "\"";
    reason.append(item).append("\" is not an item name (1 to 255 printable characters, no blanks)");
    return reason;
}

std::string FoldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

Parsed<Command> ParseCommand(std::string_view input, std::size_t maxLine)
{
    Parsed<std::string_view> line = ReadLine(input, maxLine);
    if (line.state == ParseState::Malformed) return Malformed<Command>(std::move(line.reason));
    if (line.state == ParseState::Incomplete) return {};
    if (line.value.empty()) return Malformed<Command>("an empty line");

    bool hasBlank = false;
    auto [word, rest] = FirstWord(line.value, hasBlank);
    Command command;
    if (word == kAdvise)
        command.verb = Verb::Advise;
    else if (word == kUnadvise)
        command.verb = Verb::Unadvise;
    else if (word == kRequest)
        command.verb = Verb::Request;

    if (command.verb == Verb::Unknown) {
        command.item = word;
    } else {
        if (!IsItemName(rest)) return Malformed<Command>(std::string(word) + " needs one item name");
        command.item = rest;
    }
    Parsed<Command> r;
    r.state = ParseState::Complete;
    r.value = command;
    r.used = line.used;
    return r;
}

Parsed<Frame> ParseFrame(std::string_view input, std::size_t maxValue, std::size_t maxLine)
{
    Parsed<std::string_view> line = ReadLine(input, maxLine);
    if (line.state == ParseState::Malformed) return Malformed<Frame>(std::move(line.reason));
    if (line.state == ParseState::Incomplete) return {};

    bool hasBlank = false;
    auto [word, rest] = FirstWord(line.value, hasBlank);
    Parsed<Frame> r;
    if (word == kError) {
        r.state = ParseState::Complete;
        r.value.kind = FrameKind::Error;
        r.value.value = rest;
        r.used = line.used;
        return r;
    }
    if (word != kData) {
        if (line.value.empty()) return Malformed<Frame>("an empty line");
        return Malformed<Frame>("a frame starts with an unknown word");
    }

    const std::size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return Malformed<Frame>("DATA needs an item and a length");
    const std::string_view item = rest.substr(0, blank);
    const std::string_view digits = rest.substr(blank + 1);
    if (!IsItemName(item)) return Malformed<Frame>("DATA names no valid item");
    if (digits.empty() || digits.size() > kMaxLengthDigits) return Malformed<Frame>("DATA has no valid length");
    std::uint64_t length = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return Malformed<Frame>("DATA has no valid length");
        length = length * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (length > maxValue) {
        return Malformed<Frame>("a value of " + std::to_string(length) + " bytes is over the limit of " +
                                std::to_string(maxValue));
    }
    if (input.size() - line.used < length) return {};

    r.state = ParseState::Complete;
    r.value.kind = FrameKind::Data;
    r.value.item = item;
    r.value.value = input.substr(line.used, static_cast<std::size_t>(length));
    r.used = line.used + static_cast<std::size_t>(length);
    return r;
}

std::string EncodeCommand(Verb verb, std::string_view item)
{
    std::string_view word = kRequest;
    if (verb == Verb::Advise)
        word = kAdvise;
    else if (verb == Verb::Unadvise)
        word = kUnadvise;
    std::string line;
    line.reserve(word.size() + item.size() + 2);
    line.append(word).append(1, ' ').append(item).append(1, '\n');
    return line;
}

void AppendData(std::string& out, std::string_view item, std::string_view value)
{
    const std::string length = std::to_string(value.size());
    out.reserve(out.size() + kData.size() + item.size() + length.size() + 3 + value.size());
    out.append(kData).append(1, ' ').append(item).append(1, ' ').append(length).append(1, '\n').append(value);
}

void AppendError(std::string& out, std::string_view text)
{
    const std::size_t room = kMaxLine - kError.size() - 2;  // the blank and the LF
    if (text.size() > room) text = text.substr(0, room);
    out.append(kError).append(1, ' ');
    for (char c : text) out.push_back(Printable(c) ? c : '?');
    out.push_back('\n');
}

}  // namespace korval::link
