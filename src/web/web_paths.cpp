#include "web/web_paths.h"

#include <array>

namespace korval::web {
namespace {

struct Served {
    std::string_view path;
    Resource resource;
    std::string_view mediaType;
};

// Every path the web view answers; "/" and "/index.html" are the same page.
constexpr std::array<Served, 6> kServed = {{
    {"/", Resource::Page, "text/html; charset=utf-8"},
    {"/index.html", Resource::Page, "text/html; charset=utf-8"},
    {"/app.js", Resource::Script, "text/javascript; charset=utf-8"},
    {"/style.css", Resource::Style, "text/css; charset=utf-8"},
    {"/icon.svg", Resource::Icon, "image/svg+xml"},
    {"/ws", Resource::Socket, ""},
}};

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Route Refuse(int status, std::string reason)
{
    return {status, Resource::None, std::move(reason)};
}

// The path part of a request target: from the first "/" after an absolute form's authority, up
// to "?" or "#".
std::string_view PathPart(std::string_view target)
{
    if (const std::size_t scheme = target.find("://"); scheme != std::string_view::npos && target[0] != '/') {
        const std::size_t slash = target.find('/', scheme + 3);
        target = slash == std::string_view::npos ? std::string_view("/") : target.substr(slash);
    }
    return target.substr(0, target.find_first_of("?#"));
}

}  // namespace

bool PercentDecode(std::string_view in, std::string& out)
{
    out.clear();
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (c == '%') {
            if (i + 2 >= in.size()) return false;
            const int hi = HexValue(in[i + 1]), lo = HexValue(in[i + 2]);
            if (hi < 0 || lo < 0) return false;
            c = static_cast<char>(hi * 16 + lo);
            i += 2;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) return false;
        out += c;
    }
    return true;
}

Route RouteRequest(std::string_view method, std::string_view target)
{
    if (target.size() > kMaxTargetBytes) return Refuse(414, "request target too long");
    if (method != "GET" && method != "HEAD") return Refuse(405, "only GET and HEAD are answered");
    const std::string_view raw = PathPart(target);
    if (raw.empty() || raw[0] != '/') return Refuse(400, "the path must start with /");

    std::string path;
    if (!PercentDecode(raw, path)) return Refuse(400, "bad escape or control byte in the path");
    if (path.find('%') != std::string::npos) return Refuse(400, "escaped escape in the path");
    if (path.find('\\') != std::string::npos) return Refuse(400, "backslash in the path");
    // An escaped separator would make a segment of the decoded path that the raw one lacks.
    for (std::string_view escaped : {"%2f", "%2F", "%5c", "%5C"})
        if (raw.find(escaped) != std::string_view::npos) return Refuse(400, "escaped separator in the path");
    for (std::size_t start = 1; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view segment = std::string_view(path).substr(start, end - start);
        if (segment == "." || segment == "..") return Refuse(400, "dot segment in the path");
        start = end + 1;
    }

    for (const Served& s : kServed)
        if (s.path == path) return {200, s.resource, {}};
    return Refuse(404, "not one of the page's paths");
}

std::string_view PathOf(Resource r)
{
    for (const Served& s : kServed)
        if (s.resource == r) return s.path;
    return {};
}

std::string_view MediaTypeOf(Resource r)
{
    for (const Served& s : kServed)
        if (s.resource == r) return s.mediaType;
    return "application/octet-stream";
}

}  // namespace korval::web
