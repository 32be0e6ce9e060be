#include "link/naming.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/protocol.h"

namespace korval::link {
namespace {

constexpr std::size_t kLongName = 64;
constexpr std::size_t kKeptPrefix = 40;

bool SafeInFileName(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
}

// FNV-1a, 64 bits: stable across runs and builds, which std::hash is not.
std::uint64_t Fnv1a(std::string_view text)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ULL;
    }
    return h;
}

std::string UserName()
{
    const uid_t uid = geteuid();
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    std::string name;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name) {
        name = found->pw_name;
    }
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                        c == '_' || c == '-';
        if (!ok) {
            name.clear();
            break;
        }
    }
    if (name.empty() || name == "." || name == "..") name = "uid" + std::to_string(uid);
    return name;
}

std::string SystemReason(const std::string& what, const std::filesystem::path& path, int error)
{
    return what + " " + path.string() + ": " + std::strerror(error);
}

}  // namespace

std::optional<std::string> SocketFileName(std::string_view topic)
{
    const std::size_t bar = topic.find('|');
    if (bar == std::string_view::npos || bar == 0 || bar + 1 == topic.size()) return std::nullopt;

    const std::string folded = FoldCase(topic);
    std::string name;
    name.reserve(folded.size() + 8);
    for (char c : folded) {
        if (SafeInFileName(c)) {
            name.push_back(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02x", static_cast<unsigned char>(c));
            name.append(hex);
        }
    }
    if (name.size() > kLongName) {
        char hash[20];
        std::snprintf(hash, sizeof hash, "-%016llx", static_cast<unsigned long long>(Fnv1a(folded)));
        name.resize(kKeptPrefix);
        name.append(hash);
    }
    return name;
}

std::string NotAServerName(std::string_view topic)
{
    std::string reason = "a server is named \"Application|Topic\", not \"";
    reason.append(topic).append("\"");
    return reason;
}

FolderResult PrepareFolder(const std::filesystem::path& folder)
{
    FolderResult r;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        r.reason = SystemReason("cannot create", folder, errno);
        return r;
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        r.reason = SystemReason("cannot examine", folder, errno);
        return r;
    }
    if (!S_ISDIR(info.st_mode)) {
        r.reason = folder.string() + " is not a folder";
        return r;
    }
    if (info.st_uid != geteuid()) {
        r.reason = folder.string() + " belongs to another user";
        return r;
    }
    if ((info.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) {
        r.reason = SystemReason("cannot restrict", folder, errno);
        return r;
    }
    r.path = folder;
    return r;
}

FolderResult LinkFolder()
{
    std::filesystem::path base;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        base = runtime;
    } else {
        std::error_code ec;
        base = std::filesystem::temp_directory_path(ec);
        if (ec) base = "/tmp";
    }
    return PrepareFolder(base / ("korval-" + UserName()));
}

}  // namespace korval::link
