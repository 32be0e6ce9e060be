// The bridge converters: the decoders' JSON datagrams and the BaseStation stream to the texts
// published on the link.
//
// Input: the first byte chooses the source (low two bits: acarsdec, dumpvdl2, dumphfdl, SBS) and,
// for SBS, the size of the pieces the stream arrives in (the other bits); the rest is the datagram
// or the stream. Besides crashing, a converter may not:
//   - lose a message: each one received is published or dropped for a reason;
//   - break a text's fixed layout (a header line of another length, a line end inside a field);
//   - read a stream differently because it arrived in other pieces.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "bridge_convert.h"
#include "bridge_sbs.h"

namespace {

using namespace korval::bridge;

constexpr std::int64_t kNow = 1796472000;  // 2026-12-05 12:00 UTC

void Check(bool condition)
{
    if (!condition) std::abort();
}

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

bool EndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The last line: the dashes and "[dd/mm/yyyy hh:mm]".
void CheckTrailer(std::string_view t, std::string_view eol)
{
    constexpr std::string_view kDashes = "----------------------------------------------------------";
    constexpr std::string_view kForm = "[dd/mm/yyyy hh:mm]";
    const std::size_t length = kDashes.size() + kForm.size() + eol.size();
    Check(t.size() >= length && EndsWith(t, eol));
    const std::string_view last = t.substr(t.size() - length, kDashes.size() + kForm.size());
    Check(StartsWith(last, kDashes));
    const std::string_view time = last.substr(kDashes.size());
    for (std::size_t i = 0; i < kForm.size(); ++i) {
        const char f = kForm[i];
        const bool digit = f >= 'a' && f <= 'z';
        Check(digit ? (time[i] >= '0' && time[i] <= '9') : time[i] == f);
    }
}

// The header of the Airmaster family: each field at its place whatever the decoder sent.
void CheckAcarsText(std::string_view t, std::string_view prefix, std::string_view eol, std::string_view flightSep)
{
    Check(StartsWith(t, prefix));
    t.remove_prefix(prefix.size());
    Check(StartsWith(t, "ACARS mode: ") && t.substr(13, 16) == "  Aircraft reg: ");
    t.remove_prefix(36);
    Check(StartsWith(t, eol));
    t.remove_prefix(eol.size());
    Check(StartsWith(t, "Message label: ") && t.substr(17, 12) == "  Block id: " && t.substr(30, 11) == "  Msg. no: ");
    t.remove_prefix(45);
    Check(StartsWith(t, flightSep));
    t.remove_prefix(flightSep.size());
    Check(StartsWith(t, "Flight id: "));
    t.remove_prefix(17);
    Check(StartsWith(t, eol));
    t.remove_prefix(eol.size());
    Check(StartsWith(t, "Message content:-"));
    CheckTrailer(t, eol);
}

void CheckHfdlRecord(std::string_view r)
{
    Check(std::count(r.begin(), r.end(), ',') == 11 && std::count(r.begin(), r.end(), ';') == 1);
    Check(EndsWith(r, ";"));
    for (char c : r) Check(static_cast<unsigned char>(c) >= 0x20);
}

void CheckMessage(Source source, const Message& m)
{
    switch (m.form) {
        case Form::Airmaster:
            Check(source != Source::Dumphfdl);
            if (source == Source::Sbs) {
                CheckAcarsText(m.text, "1", "\r\n", "\r\n");
                Check(std::count(m.text.begin(), m.text.end(), '\n') == 7);
                Check(std::count(m.text.begin(), m.text.end(), '\r') == 7);
            } else {
                CheckAcarsText(m.text, "", "\r\n", "\r\n");
            }
            break;
        case Form::HfAcars:
            Check(source == Source::Dumphfdl);
            CheckAcarsText(m.text, "1", "\n", " ");
            Check(m.text.find('\r') == std::string::npos);
            break;
        case Form::Hfdl:
            Check(source == Source::Dumphfdl);
            CheckHfdlRecord(m.text);
            break;
    }
}

void CheckCounted(const Counters& c, const std::vector<Message>& out)
{
    Check(c.received == static_cast<long long>(out.size()) + c.DroppedTotal());
}

void Json(Source source, std::string_view datagram)
{
    const std::vector<std::string_view> pieces = SplitJsonValues(datagram);
    const char* at = datagram.data();
    for (std::string_view piece : pieces) {
        Check(!piece.empty() && piece.data() >= at && piece.data() + piece.size() <= datagram.data() + datagram.size());
        at = piece.data() + piece.size();
    }

    std::vector<Message> out;
    Counters counters;
    ConvertDatagram(source, datagram, kNow, out, counters);
    CheckCounted(counters, out);
    if (datagram.size() <= kMaxDatagram) Check(counters.received == static_cast<long long>(pieces.size()));
    for (const Message& m : out) CheckMessage(source, m);
}

struct SbsRun {
    std::vector<Message> out;
    Counters counters;
};

SbsRun Sbs(std::string_view stream, std::size_t piece)
{
    SbsOptions options;
    options.maxLine = 256;
    SbsConverter converter(options);
    SbsRun run;
    for (std::size_t pos = 0; pos < stream.size(); pos += piece)
        converter.Feed(stream.substr(pos, piece), 0.0, kNow, run.out, run.counters);
    converter.Close(run.counters);
    return run;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::uint8_t choice = data[0];
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    constexpr Source kSources[] = {Source::Acarsdec, Source::Dumpvdl2, Source::Dumphfdl, Source::Sbs};
    const Source source = kSources[choice & 3];
    if (source != Source::Sbs) {
        Json(source, input);
        return 0;
    }
    const SbsRun whole = Sbs(input, input.size() + 1);
    const SbsRun pieces = Sbs(input, 1 + (choice >> 2));
    CheckCounted(whole.counters, whole.out);
    Check(pieces.counters.received == whole.counters.received && pieces.counters.dropped == whole.counters.dropped);
    Check(pieces.out.size() == whole.out.size());
    for (std::size_t i = 0; i < whole.out.size(); ++i) {
        Check(pieces.out[i].text == whole.out[i].text);
        CheckMessage(source, whole.out[i]);
    }
    return 0;
}
