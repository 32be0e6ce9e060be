#pragma once
// A program folder of its own for a fuzz target: made once under the system's temporary folder,
// removed when the target ends. The logs written into it are cleared now and then, so that a run
// of hours does not fill the disk.
#include <unistd.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace korval::fuzz {

class Home {
public:
    explicit Home(std::string_view target)
        : path_(std::filesystem::temp_directory_path() /
                ("korval-fuzz-" + std::string(target) + "-" + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_ / "Logs");
    }
    ~Home()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    Home(const Home&) = delete;
    Home& operator=(const Home&) = delete;

    const std::filesystem::path& path() const { return path_; }

    void Write(const std::string& name, std::string_view content) const
    {
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }

    // Every `every` calls the Logs folder is emptied.
    void ClearLogsNowAndThen(std::size_t every = 512)
    {
        if (++calls_ % every != 0) return;
        std::error_code ec;
        std::filesystem::remove_all(path_ / "Logs", ec);
        std::filesystem::create_directories(path_ / "Logs", ec);
    }

private:
    std::filesystem::path path_;
    std::size_t calls_ = 0;
};

}  // namespace korval::fuzz
