#pragma once

// The sockets of "korval-link bridge": UDP datagrams in, a TCP connection to an SBS server, and
// one link server per topic out. Runs on the event loop of the thread that made it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string_view>

#include "bridge_convert.h"
#include "bridge_options.h"

namespace korval::bridge {

class Bridge {
public:
    Bridge(BridgeOptions options, std::ostream& err);
    ~Bridge();
    Bridge(const Bridge&) = delete;
    Bridge& operator=(const Bridge&) = delete;

    // The folder of the link servers' sockets; by default the user's link folder.
    void SetLinkFolder(std::filesystem::path folder);

    enum class Started { Ok, SocketFailed, TopicTaken };
    // Opens every source's socket, then serves every topic. Writes why when something fails.
    Started Start();

    // One line per source: where it is, and its counters.
    void Report(std::string_view when = {});

    std::size_t SourceCount() const;
    const Counters& CountersOf(std::size_t source) const;
    // Clients that take LiveData of `topic` (0 for a topic the bridge does not serve).
    int AdvisedCount(std::string_view topic) const;
    // The UDP port a source is bound to (the one asked for, or the system's choice for port 0).
    std::uint16_t LocalPort(std::size_t source) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// "korval-link bridge ...": argv[1] is "bridge". Makes the application and runs until a signal.
int BridgeMain(int argc, char** argv);

}  // namespace korval::bridge
