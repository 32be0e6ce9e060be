#pragma once

// Which of the web view's own paths a request names. Nothing here reads a file: the page is a
// fixed table of resources built into the program, so a path either names one of them or is
// refused. Pure functions over the request line, without Qt.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace korval::web {

// The page's parts; Socket is the WebSocket the page opens.
enum class Resource { None, Page, Script, Style, Icon, Socket };

struct Route {
    int status = 404;  // 200, or the HTTP status of the refusal
    Resource resource = Resource::None;
    std::string reason;  // why a request was refused (for the response body)
};

// A request target longer than this is refused with 414 before it is looked at.
inline constexpr std::size_t kMaxTargetBytes = 2048;

// Decodes %XX escapes once. False (and `out` unspecified) for a "%" not followed by two hex
// digits and for an escape that decodes to a byte below 0x20, to 0x7F or above.
bool PercentDecode(std::string_view in, std::string& out);

// The route of a request: `method` as sent ("GET"), `target` the request target (origin form
// "/path?query", or an absolute form whose path is used). GET and HEAD only (405 otherwise).
// A path whose decoded segments hold "." or "..", a "/" or "\" that was escaped, a backslash, a
// control byte, or a "%" left after decoding (double escaping) is refused with 400; a path that
// is none of the page's is 404. The query is ignored.
Route RouteRequest(std::string_view method, std::string_view target);

// The path a resource is served at ("/" for the page), and its media type.
std::string_view PathOf(Resource r);
std::string_view MediaTypeOf(Resource r);

// The bytes of a file of the page built into the program ("index.html", "app.js", "style.css",
// "icon.svg"); empty for any other name.
std::span<const unsigned char> EmbeddedFile(std::string_view name);

}  // namespace korval::web
