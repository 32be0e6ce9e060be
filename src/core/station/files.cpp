#include "station/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace korval {
namespace {

FileRead Refused(FileStatus status, std::string reason)
{
    FileRead r;
    r.status = status;
    r.reason = std::move(reason);
    return r;
}

FileRead NotRegular(mode_t mode)
{
    return Refused(FileStatus::NotRegular, S_ISDIR(mode) ? "it is a folder" : "it is not a regular file");
}

FileRead TooLarge(std::size_t maxBytes)
{
    return Refused(FileStatus::TooLarge, "larger than " + std::to_string(maxBytes) + " bytes");
}

}  // namespace

FileRead ReadRegularFile(const std::filesystem::path& file, std::size_t maxBytes)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return Refused(errno == ENOENT ? FileStatus::Missing : FileStatus::Failed, std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return NotRegular(st.st_mode);
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) return TooLarge(maxBytes);

    // O_NONBLOCK: should a FIFO take the file's place after the check, opening it still returns
    // at once, and the type check on the open file refuses it.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return Refused(errno == ENOENT ? FileStatus::Missing : FileStatus::Failed, std::strerror(errno));
    FileRead r;
    if (::fstat(fd, &st) != 0) {
        r = Refused(FileStatus::Failed, std::strerror(errno));
    } else if (!S_ISREG(st.st_mode)) {
        r = NotRegular(st.st_mode);
    } else {
        r.status = FileStatus::Read;
        r.text.reserve(static_cast<std::size_t>(st.st_size));
        char buf[16384];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                r = Refused(FileStatus::Failed, std::strerror(errno));
                break;
            }
            if (n == 0) break;
            if (r.text.size() + static_cast<std::size_t>(n) > maxBytes) {
                r = TooLarge(maxBytes);
                break;
            }
            r.text.append(buf, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return r;
}

}  // namespace korval
