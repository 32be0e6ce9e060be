#pragma once

// Converters from the Linux decoders' output to the text forms of the decoders that the DDE menu
// offers, so that a bridge can publish what acarsdec, dumpvdl2 and dumphfdl heard as if Airmaster
// or PC-HFDL had heard it. Pure functions over bytes: no sockets, no clock of their own.
//
// Forms produced (line ends as the original decoders send them):
//   Airmaster ("WinACARS|ACARS"), CR LF:
//     ACARS mode: 2  Aircraft reg: .N923UP
//     Message label: H1  Block id: 4  Msg. no: M76A
//     Flight id: UP6567
//     Message content:-
//     <text lines>
//     ----------------------------------------------------------[05/12/2026 12:00]
//   PC-HFDL HF ACARS ("PCHFDL|ACARS"): the same with a prefix character, bare LF, and the flight id
//     on the message number's line ("Msg. no: M76A Flight id: UP6567").
//   PC-HFDL HFDL record ("PCHFDL|HFDL"), one line:
//     flight,registration,hh:mm:ss,kHz,lonDeg,lonMin,lonTenth,E|W,latDeg,latMin,latTenth,N|S;

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korval::bridge {

enum class Source { Acarsdec, Dumpvdl2, Dumphfdl, Sbs };

std::string_view SourceName(Source source);
std::optional<Source> SourceFromName(std::string_view name);

// Where a converted text goes: the decoder form it is written in, and so the link topic.
enum class Form { Airmaster, HfAcars, Hfdl };

inline constexpr std::string_view kAirmasterTopic = "WinACARS|ACARS";
inline constexpr std::string_view kHfAcarsTopic = "PCHFDL|ACARS";
inline constexpr std::string_view kHfdlTopic = "PCHFDL|HFDL";
inline constexpr std::string_view kItem = "LiveData";

std::string_view DefaultTopic(Form form);

// A datagram over this many bytes is refused whole: a reassembled ACARS message is at most
// 16 blocks of 220 characters, so even with the decoders' JSON around it a real one is far smaller.
inline constexpr std::size_t kMaxDatagram = 32 * 1024;

struct Message {
    Form form = Form::Airmaster;
    std::string text;  // bytes
};

// What one source received, published and dropped. Every message received is either published or
// dropped for one reason, so received == published + dropped (once the publisher has counted).
struct Counters {
    long long received = 0;
    long long published = 0;
    std::map<std::string, long long> dropped;  // by reason, in a stable order for the report

    void Drop(std::string_view reason, long long n = 1);
    long long DroppedTotal() const;
    // "received 12, published 10, dropped 2 (broken JSON 1, not ACARS 1)".
    std::string Summary() const;
};

// The fields of one ACARS message as the decoders give them.
struct AcarsFields {
    char mode = '2';
    std::string reg;     // with or without leading dots
    std::string label;   // "_d" stands for "_" and DEL
    char block = ' ';    // ' ' when the decoder gave none
    std::string msgNo;   // four characters for a downlink, empty for an uplink
    std::string flight;  // six characters for a downlink, empty for an uplink
    std::string text;
    std::int64_t time = 0;  // seconds since 1970-01-01 UTC: the trailer's date and time
};

std::string AirmasterText(const AcarsFields& m);
std::string HfAcarsText(const AcarsFields& m);

// The trailer's date and time, "dd/mm/yyyy hh:mm" (UTC).
std::string TrailerTime(std::int64_t unixSeconds);

struct HfdlPosition {
    std::string flight;
    std::string reg;   // empty when unknown
    std::string time;  // hh:mm:ss, or empty
    std::string kHz;   // or empty
    double lat = 0, lon = 0;
};
std::string HfdlRecord(const HfdlPosition& p);

// Converts one UDP datagram of `source` (acarsdec, dumpvdl2 or dumphfdl JSON). A datagram may hold
// several JSON objects one after another; each is one message. `now` (seconds since 1970, UTC)
// stands in for a message that carries no time. Messages to publish are appended to `out`.
void ConvertDatagram(Source source, std::string_view datagram, std::int64_t now, std::vector<Message>& out,
                     Counters& counters);

// The datagram cut into the JSON values it holds, in order; whatever is not a complete value
// (a datagram cut short, text between values) is one piece of its own.
std::vector<std::string_view> SplitJsonValues(std::string_view datagram);

}  // namespace korval::bridge
