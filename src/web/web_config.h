#pragma once

// Where the web view listens: from the command line (--http ADDRESS:PORT) or from the settings
// file ([Web] Listen=ADDRESS:PORT; absent means no web view).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <QHostAddress>

namespace korval::web {

struct ListenAddress {
    QHostAddress address;
    quint16 port = 0;  // 0: any free port (tests)
};

// Parses "ADDRESS:PORT": an IPv4 address, an IPv6 address in brackets ("[::1]:8080"), or
// "localhost" (the loopback address); PORT 0..65535. A bare ":PORT" or "PORT" listens on the
// loopback address only: the view is reachable from other machines only when an address says so.
// nullopt with a reason for anything else (host names are not looked up).
std::optional<ListenAddress> ParseListen(std::string_view text, std::string* reason = nullptr);

// What the settings file says: nullopt without the key (the web view stays off); a value that
// does not parse is nullopt with `reason` set.
std::optional<ListenAddress> ListenFromSettings(const std::filesystem::path& iniFile, std::string* reason = nullptr);

// "127.0.0.1:8080", "[::1]:8080": how to name the address in messages and URLs.
std::string ToText(const ListenAddress& a);

}  // namespace korval::web
