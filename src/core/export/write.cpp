#include "export/write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>

namespace korval {
namespace {

std::string Errno(int code)
{
    return std::strerror(code);
}

// A name beside `target` that no other writer uses: pid, a counter and a random part.
std::filesystem::path TempName(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937 random{std::random_device{}()};
    std::filesystem::path temp = target;
    temp += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
            std::to_string(random() % 1000000);
    return temp;
}

}  // namespace

bool WriteExport(const std::filesystem::path& file, std::string_view text, std::string& error)
{
    if (file.empty() || !file.has_filename()) {
        error = "cannot write \"" + file.string() + "\": not a file name";
        return false;
    }
    struct stat st {};
    mode_t mode = 0666;  // less the umask, as any new file
    if (::stat(file.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            error = "cannot write " + file.string() + ": it is a folder";
            return false;
        }
        mode = st.st_mode & 07777;
    }

    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = TempName(file);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = "cannot create " + file.string() + ": " + Errno(errno);
        return false;
    }
    auto fail = [&](int code) {
        error = "cannot write " + file.string() + ": " + Errno(code);
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        return false;
    };
    // An existing file's mode is kept even where the umask would narrow it.
    if (mode != 0666 && ::fchmod(fd, mode) != 0) return fail(errno);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(errno);
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return fail(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) return fail(errno);
    if (::rename(temp.c_str(), file.c_str()) != 0) return fail(errno);
    // The rename made durable; a failure here still leaves a whole file.
    const std::filesystem::path folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace korval
