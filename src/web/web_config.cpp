#include "web/web_config.h"

#include <charconv>

#include "settings/ini.h"

namespace korval::web {
namespace {

std::optional<ListenAddress> Fail(std::string* reason, std::string why)
{
    if (reason) *reason = std::move(why);
    return std::nullopt;
}

}  // namespace

std::optional<ListenAddress> ParseListen(std::string_view text, std::string* reason)
{
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    std::string_view host, port = text;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':')
            return Fail(reason, quoted + " is not [IPv6 address]:PORT");
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (host.find(':') != std::string_view::npos)
            return Fail(reason, quoted + ": write an IPv6 address in brackets, [ADDRESS]:PORT");
    }

    unsigned value = 0;
    const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (port.empty() || ec != std::errc() || end != port.data() + port.size() || value > 65535)
        return Fail(reason, quoted + " has no port number 0-65535 after the last \":\"");

    ListenAddress a;
    a.port = static_cast<quint16>(value);
    if (host.empty() || host == "localhost") {
        a.address = QHostAddress(QHostAddress::LocalHost);
    } else if (!a.address.setAddress(QString::fromLatin1(host.data(), static_cast<qsizetype>(host.size())))) {
        return Fail(reason, quoted + ": \"" + std::string(host) + "\" is not an IP address");
    }
    return a;
}

std::optional<ListenAddress> ListenFromSettings(const std::filesystem::path& iniFile, std::string* reason)
{
    if (reason) reason->clear();
    const IniFileRead read = ReadIniFile(iniFile);
    if (read.status != IniFileStatus::Read) return std::nullopt;
    const std::optional<std::string_view> value = read.doc.Get("Web", "Listen");
    if (!value || value->empty()) return std::nullopt;
    std::string why;
    std::optional<ListenAddress> a = ParseListen(*value, &why);
    if (!a && reason) *reason = "[Web] Listen=" + std::string(*value) + ": " + why;
    return a;
}

std::string ToText(const ListenAddress& a)
{
    const std::string host = a.address.toString().toStdString();
    const bool v6 = a.address.protocol() == QAbstractSocket::IPv6Protocol;
    return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(a.port);
}

}  // namespace korval::web
