#pragma once

// Where the socket of a link server lives.
//
// Every server of one user listens in one folder of that user's (mode 0700, so no other user can
// link): "korval-<user>" under $XDG_RUNTIME_DIR, or under the temporary folder when that is not set.
// A server "Application|Topic" is the socket file named for the lower-cased name, so names compare
// without regard to case, as link names always have.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korval::link {

// The file name of the socket for `topic` ("Application|Topic", both parts non-empty), or nothing
// when `topic` is not such a name. Bytes other than a-z, 0-9, '.', '_' and '-' appear as "%xx"; a
// name over 64 bytes keeps its first 40 and gains a hash of the whole, which keeps socket paths
// well inside the 107 bytes the system allows.
std::optional<std::string> SocketFileName(std::string_view topic);
// Why `topic` is refused as a server name.
std::string NotAServerName(std::string_view topic);

struct FolderResult {
    std::filesystem::path path;  // empty when the folder cannot be used
    std::string reason;
};

// Makes sure the user's link folder exists, is a real folder (not a link), belongs to this user and
// has mode 0700 (a wider mode is narrowed), and returns it.
FolderResult LinkFolder();

// The same checks on a folder chosen by the caller (created when missing).
FolderResult PrepareFolder(const std::filesystem::path& folder);

}  // namespace korval::link
