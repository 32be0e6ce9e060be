// The line protocol of a local link: the parsers of client commands and server frames over any
// bytes, as they arrive on a connection.
//
// Input: the first byte chooses the parser (bit 0: frames, else commands) and small limits (bits
// 1-2: the line limit, bits 3-4: the value limit), so the limits are reached as well; the rest is
// the bytes received. Besides crashing, a parser may not:
//   - take more bytes than it was given, or report a value outside them;
//   - decide differently on a prefix: every proper prefix of a complete input is incomplete, and
//     bytes added after a complete or malformed input change nothing;
//   - read back other than what the encoders wrote.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "link/protocol.h"

namespace {

using namespace korval::link;

void Check(bool condition)
{
    if (!condition) std::abort();
}

bool Inside(std::string_view part, std::string_view whole)
{
    return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

constexpr std::size_t kLines[] = {kMaxLine, 16, 64, 300};
constexpr std::size_t kValues[] = {kMaxValue, 0, 8, 100};

struct Limits {
    std::size_t line;
    std::size_t value;
};

Parsed<Frame> Frames(std::string_view input, const Limits& limits)
{
    return ParseFrame(input, limits.value, limits.line);
}

Parsed<Command> Commands(std::string_view input, const Limits& limits)
{
    return ParseCommand(input, limits.line);
}

bool Same(const Frame& a, const Frame& b)
{
    return a.kind == b.kind && a.item == b.item && a.value == b.value;
}

bool Same(const Command& a, const Command& b)
{
    return a.verb == b.verb && a.item == b.item;
}

void CheckInside(const Frame& f, std::string_view input)
{
    Check(Inside(f.item, input) && Inside(f.value, input));
    if (f.kind == FrameKind::Data) Check(IsItemName(f.item));
}

void CheckInside(const Command& c, std::string_view input)
{
    Check(Inside(c.item, input));
    if (c.verb != Verb::Unknown) Check(IsItemName(c.item));
}

// One parse and its agreement with the parses of a prefix and of a longer input.
template <class T, class Parse>
void CheckStream(std::string_view input, const Limits& limits, Parse parse)
{
    const Parsed<T> r = parse(input, limits);
    switch (r.state) {
        case ParseState::Complete: {
            Check(r.used > 0 && r.used <= input.size());
            CheckInside(r.value, input);
            Check(parse(input.substr(0, r.used - 1), limits).state == ParseState::Incomplete);
            Check(parse(input.substr(0, r.used / 2), limits).state == ParseState::Incomplete);
            const std::string longer = std::string(input) + "\nX";
            const Parsed<T> again = parse(longer, limits);
            Check(again.state == ParseState::Complete && again.used == r.used && Same(again.value, r.value));
            break;
        }
        case ParseState::Malformed: {
            Check(!r.reason.empty());
            const std::string longer = std::string(input) + "\n";
            Check(parse(longer, limits).state == ParseState::Malformed);
            break;
        }
        case ParseState::Incomplete:
            Check(r.used == 0);
            break;
    }
}

// Everything a connection would take out of its buffer, one value after another.
template <class T, class Parse>
void Drain(std::string_view input, const Limits& limits, Parse parse)
{
    std::size_t pos = 0;
    while (pos < input.size()) {
        const Parsed<T> r = parse(input.substr(pos), limits);
        if (r.state != ParseState::Complete) break;
        pos += r.used;
    }
}

// What the encoders write is read back whole, with nothing left over.
void CheckEncoders(std::string_view bytes)
{
    const std::size_t blank = bytes.find_first_of(" \r\n");
    const std::string_view item = bytes.substr(0, blank == std::string_view::npos ? bytes.size() : blank);
    const std::string_view value = blank == std::string_view::npos ? std::string_view{} : bytes.substr(blank + 1);

    std::string error;
    AppendError(error, bytes);
    const Parsed<Frame> e = ParseFrame(error);
    Check(e.state == ParseState::Complete && e.used == error.size() && e.value.kind == FrameKind::Error);
    Check(e.value.value.size() == error.size() - 7);  // "ERROR " and the LF

    if (!IsItemName(item)) return;
    std::string data;
    AppendData(data, item, value);
    const Parsed<Frame> d = ParseFrame(data);
    Check(d.state == ParseState::Complete && d.used == data.size());
    Check(d.value.kind == FrameKind::Data && d.value.item == item && d.value.value == value);

    for (Verb verb : {Verb::Advise, Verb::Unadvise, Verb::Request}) {
        const std::string line = EncodeCommand(verb, item);
        const Parsed<Command> c = ParseCommand(line);
        Check(c.state == ParseState::Complete && c.used == line.size());
        Check(c.value.verb == verb && c.value.item == item);
    }
    Check(SameName(item, FoldCase(item)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::uint8_t choice = data[0];
    const Limits limits{kLines[(choice >> 1) & 3], kValues[(choice >> 3) & 3]};
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    if (choice & 1) {
        CheckStream<Frame>(input, limits, Frames);
        Drain<Frame>(input, limits, Frames);
    } else {
        CheckStream<Command>(input, limits, Commands);
        Drain<Command>(input, limits, Commands);
    }
    CheckEncoders(input);
    return 0;
}
