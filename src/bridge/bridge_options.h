#pragma once

// The command line of "korval-link bridge".

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge_convert.h"

namespace korval::bridge {

struct Endpoint {
    std::string host;  // a name or an address; IPv6 without brackets
    std::uint16_t port = 0;
    std::string Text() const;  // "127.0.0.1:5550", "[::1]:5550"
};

// "PORT", "HOST", "HOST:PORT" or "[IPv6]:PORT"; a missing host is the loopback address, a missing
// port `defaultPort`. Nothing when the text is none of these or the port is not 1 to 65535.
std::optional<Endpoint> ParseEndpoint(std::string_view text, std::uint16_t defaultPort);

// Where each source is expected when --listen is not given (sbs: where its server is).
std::uint16_t DefaultPort(Source source);

struct SourceSetting {
    Source source = Source::Acarsdec;
    Endpoint address;
    std::string topic;  // empty: the topic of the decoder form (see DefaultTopic)
};

struct BridgeOptions {
    std::vector<SourceSetting> sources;
    double sbsEvery = 5;                        // seconds between two reports of one aircraft
    std::chrono::milliseconds sbsRetry{10000};  // between attempts to reach an SBS server
    std::chrono::milliseconds report{60000};    // between two printings of the counters
};

struct ParsedBridgeArgs {
    BridgeOptions options;
    bool help = false;
    std::string error;  // empty when the line is good
};

// The arguments after "bridge".
ParsedBridgeArgs ParseBridgeArgs(const std::vector<std::string_view>& args);

std::string BridgeHelp();

}  // namespace korval::bridge
