#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "link/naming.h"
#include "test_support.h"

namespace korval::link {
namespace {

namespace fs = std::filesystem;

// Lower-cased, every byte but a-z, 0-9, '.', '_' and '-' escaped; nothing without both parts.
TEST(LinkNaming, SocketFileNamesAreLowerCasedEscapedAndShort)
{
    const std::pair<std::string, std::optional<std::string>> names[] = {
        {"My Server|a/b%\xe9", "my%20server%7ca%2fb%25%e9"}, {"WinACARS", std::nullopt}, {"WinACARS|", std::nullopt}};
    for (const auto& [topic, file] : names) EXPECT_EQ(SocketFileName(topic), file) << topic;

    const auto fa = SocketFileName("App|" + std::string(200, 't'));
    const auto fb = SocketFileName("App|" + std::string(199, 't') + "u");
    ASSERT_TRUE(fa && fb);
    EXPECT_LE(fa->size(), 64u);
    EXPECT_NE(*fa, *fb);
    EXPECT_EQ(SocketFileName("APP|" + std::string(200, 'T')), fa);  // still without regard to case
}

TEST(LinkNaming, FolderIsMadePrivateOrRefused)
{
    test::TempHome home(false);
    const fs::path open = home.path() / "open";
    ASSERT_TRUE(fs::create_directory(open));
    fs::permissions(open, fs::perms::all);
    EXPECT_EQ(PrepareFolder(open).path, open);
    EXPECT_EQ(fs::status(open).permissions(), fs::perms::owner_all);

    // A link planted where the folder should be (it could lead the sockets anywhere), and a folder
    // whose parent is missing.
    fs::create_directory_symlink(open, home.path() / "planted");
    for (const char* name : {"planted", "no/such"}) {
        const FolderResult refused = PrepareFolder(home.path() / name);
        EXPECT_TRUE(refused.path.empty()) << name;
        EXPECT_FALSE(refused.reason.empty()) << name;
    }
}

// Restores an environment variable at the end of a test.
struct EnvGuard {
    const char* name;
    std::optional<std::string> old = std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt;
    ~EnvGuard() { old ? ::setenv(name, old->c_str(), 1) : ::unsetenv(name); }
};

// Without a runtime folder the user's folder is made under the temporary folder (the program tests
// run with one).
TEST(LinkNaming, UserFolderIsUnderTheTemporaryFolderWithoutARuntimeFolder)
{
    EnvGuard runtime{"XDG_RUNTIME_DIR"}, tmp{"TMPDIR"};
    test::TempHome home(false);
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", home.path().c_str(), 1);
    const FolderResult folder = LinkFolder();
    EXPECT_EQ(folder.path.parent_path(), home.path()) << folder.reason;
    EXPECT_TRUE(folder.path.filename().string().starts_with("korval-")) << folder.path;
    EXPECT_EQ(fs::symlink_status(folder.path).permissions(), fs::perms::owner_all);
}

}  // namespace
}  // namespace korval::link
