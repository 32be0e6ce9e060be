#include "bridge_options.h"

#include <charconv>
#include <cmath>

namespace korval::bridge {
namespace {

constexpr std::string_view kLoopback = "127.0.0.1";

std::optional<std::uint16_t> Port(std::string_view text)
{
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < 1 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<double> Seconds(std::string_view text)
{
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < 0)
        return std::nullopt;
    return value;
}

bool IsTopicName(std::string_view topic)
{
    const std::size_t bar = topic.find('|');
    return bar != std::string_view::npos && bar > 0 && bar + 1 < topic.size() &&
           topic.find('|', bar + 1) == std::string_view::npos;
}

std::chrono::milliseconds Millis(double seconds)
{
    return std::chrono::milliseconds(static_cast<long long>(std::llround(seconds * 1000)));
}

}  // namespace

std::string Endpoint::Text() const
{
    const bool v6 = host.find(':') != std::string::npos;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<Endpoint> ParseEndpoint(std::string_view text, std::uint16_t defaultPort)
{
    if (text.empty()) return std::nullopt;
    Endpoint e{std::string(kLoopback), defaultPort};
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close == 1) return std::nullopt;
        e.host = std::string(text.substr(1, close - 1));
        const std::string_view rest = text.substr(close + 1);
        if (rest.empty()) return e;
        if (rest.front() != ':') return std::nullopt;
        const std::optional<std::uint16_t> port = Port(rest.substr(1));
        if (!port) return std::nullopt;
        e.port = *port;
        return e;
    }
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        if (text.find_first_not_of("0123456789") == std::string_view::npos) {
            const std::optional<std::uint16_t> port = Port(text);
            if (!port) return std::nullopt;
            e.port = *port;
        } else if (text.find_first_of(" \t/") == std::string_view::npos) {
            e.host = std::string(text);
        } else {
            return std::nullopt;
        }
        return e;
    }
    if (text.find(':') != colon || colon == 0) return std::nullopt;  // IPv6 needs its brackets
    const std::optional<std::uint16_t> port = Port(text.substr(colon + 1));
    if (!port) return std::nullopt;
    e.host = std::string(text.substr(0, colon));
    e.port = *port;
    return e;
}

std::uint16_t DefaultPort(Source source)
{
    switch (source) {
        case Source::Acarsdec:
            return 5550;
        case Source::Dumpvdl2:
            return 5551;
        case Source::Dumphfdl:
            return 5552;
        case Source::Sbs:
            return 30003;
    }
    return 0;
}

ParsedBridgeArgs ParseBridgeArgs(const std::vector<std::string_view>& args)
{
    ParsedBridgeArgs r;
    auto fail = [&r](std::string why) {
        r.error = std::move(why);
        return r;
    };
    bool listenGiven = false, topicGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (a == "--help" || a == "-h") {
            r.help = true;
            return r;
        }
        const bool takesValue = a == "--from" || a == "--listen" || a == "--topic" || a == "--sbs-every" ||
                                a == "--sbs-retry" || a == "--report";
        if (!takesValue) return fail("unknown option " + std::string(a));
        if (i + 1 >= args.size()) return fail(std::string(a) + " needs a value");
        const std::string_view v = args[++i];

        if (a == "--from") {
            const std::optional<Source> source = SourceFromName(v);
            if (!source) return fail("unknown source " + std::string(v) + " (acarsdec, dumpvdl2, dumphfdl or sbs)");
            r.options.sources.push_back({*source, {std::string(kLoopback), DefaultPort(*source)}, {}});
            listenGiven = topicGiven = false;
        } else if (a == "--listen" || a == "--topic") {
            if (r.options.sources.empty()) return fail(std::string(a) + " belongs after the --from it is for");
            SourceSetting& s = r.options.sources.back();
            if (a == "--listen") {
                if (listenGiven) return fail("--listen given twice for one --from");
                const std::optional<Endpoint> e = ParseEndpoint(v, DefaultPort(s.source));
                if (!e) return fail("--listen needs PORT, HOST, HOST:PORT or [IPv6]:PORT, not " + std::string(v));
                s.address = *e;
                listenGiven = true;
            } else {
                if (topicGiven) return fail("--topic given twice for one --from");
                if (s.source == Source::Dumphfdl)
                    return fail(
                        "dumphfdl publishes on PCHFDL|HFDL and PCHFDL|ACARS, as PC-HFDL does; --topic is not for it");
                if (!IsTopicName(v)) return fail("--topic needs APP|TOPIC, not " + std::string(v));
                s.topic = std::string(v);
                topicGiven = true;
            }
        } else {
            const std::optional<double> seconds = Seconds(v);
            if (!seconds) return fail(std::string(a) + " needs a number of seconds, 0 or more");
            if (a == "--sbs-every") {
                r.options.sbsEvery = *seconds;
            } else if (*seconds <= 0) {
                return fail(std::string(a) + " needs a number of seconds above 0");
            } else if (a == "--sbs-retry") {
                r.options.sbsRetry = Millis(*seconds);
            } else {
                r.options.report = Millis(*seconds);
            }
        }
    }
    if (r.options.sources.empty()) return fail("--from is required");
    const auto& all = r.options.sources;
    for (std::size_t i = 0; i < all.size(); ++i) {
        for (std::size_t k = 0; k < i; ++k) {
            if (all[i].source != Source::Sbs && all[k].source != Source::Sbs &&
                all[i].address.host == all[k].address.host && all[i].address.port == all[k].address.port)
                return fail("two sources listen on " + all[i].address.Text());
        }
    }
    return r;
}

std::string BridgeHelp()
{
    return "usage: korval-link bridge --from SOURCE [--listen ADDRESS] [--topic APP|TOPIC]\n"
           "                         [--from SOURCE ...] [--sbs-every N] [--sbs-retry N] [--report N]\n"
           "\n"
           "Publishes what the Linux decoders hear as a decoder of the DDE menu would, so KORVAL\n"
           "needs only that menu item checked. Any number of sources at once; --listen and --topic\n"
           "belong to the --from before them.\n"
           "\n"
           "SOURCE     receives                            publishes (item LiveData)\n"
           "  acarsdec JSON datagrams (UDP, port 5550)     WinACARS|ACARS: Airmaster/JACARS\n"
           "  dumpvdl2 JSON datagrams (UDP, port 5551)     WinACARS|ACARS: Airmaster/JACARS\n"
           "  dumphfdl JSON datagrams (UDP, port 5552)     PCHFDL|HFDL positions, PCHFDL|ACARS\n"
           "                                               messages: PC-HFDL\n"
           "  sbs      BaseStation lines (TCP, connects    WinACARS|ACARS: SBS-1 position reports\n"
           "           to port 30003 of dump1090/readsb)   (check Filters > SBS-1 too)\n"
           "\n"
           "  --listen ADDRESS   where the source's datagrams arrive (for sbs: the server to\n"
           "                     connect to): PORT, HOST, HOST:PORT or [IPv6]:PORT. The host is\n"
           "                     127.0.0.1 unless given, so nothing listens beyond this machine.\n"
           "  --topic APP|TOPIC  publish this source under another name, for a second bridge of\n"
           "                     the same kind (link it with DDE > Other, format Airmaster).\n"
           "                     Not for dumphfdl.\n"
           "  --sbs-every N      at most one report per aircraft every N seconds (default 5;\n"
           "                     0: every position); each report redraws the maps\n"
           "  --sbs-retry N      seconds between attempts to reach the SBS server (default 10)\n"
           "  --report N         seconds between printings of the counters (default 60)\n"
           "\n"
           "Decoders, for example:\n"
           "  acarsdec --output json:udp:host=127.0.0.1,port=5550 ...   (3.x: -j 127.0.0.1:5550)\n"
           "  dumpvdl2 --output decoded:json:udp:address=127.0.0.1,port=5551 ...\n"
           "  dumphfdl --output decoded:json:udp:address=127.0.0.1,port=5552 ...\n"
           "  korval-link bridge --from acarsdec --listen 127.0.0.1:5550 --from sbs --listen 127.0.0.1:30003\n"
           "\n"
           "Each source's counters (received, published, dropped by reason) are printed to\n"
           "standard error every minute and at exit. A message that cannot be converted is\n"
           "dropped and counted; the bridge goes on. SIGINT or SIGTERM ends the bridge (status 0).\n"
           "Exit status: 0 ended by a signal, 1 a socket cannot be opened, 2 usage,\n"
           "3 a topic is already served by another program.\n";
}

}  // namespace korval::bridge
