#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "link/naming.h"
#include "test_support.h"

namespace korval::link {
namespace {

using korval::test::PrintTo;
namespace fs = std::filesystem;

struct NameCase {
    const char* name;
    std::string topic;
    std::optional<std::string> file;
};

class SocketNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(SocketNames, LowerCasedAndEscaped)
{
    EXPECT_EQ(SocketFileName(GetParam().topic), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(Link, SocketNames,
                         ::testing::Values(NameCase{"decoder", "WinACARS|ACARS", "winacars%7cacars"},
                                           NameCase{"blanksAndSlashes", "My Server|a/b", "my%20server%7ca%2fb"},
                                           NameCase{"percentEscaped", "a%|b", "a%25%7cb"},
                                           NameCase{"highBytes", "\xe9|x", "%e9%7cx"},
                                           NameCase{"noBar", "WinACARS", std::nullopt},
                                           NameCase{"noTopic", "WinACARS|", std::nullopt}),
                         test::CaseName());

TEST(LinkNaming, LongNamesStayShortAndDistinct)
{
    const auto fa = SocketFileName("App|" + std::string(200, 't'));
    const auto fb = SocketFileName("App|" + std::string(199, 't') + "u");
    ASSERT_TRUE(fa && fb);
    EXPECT_LE(fa->size(), 64u);
    EXPECT_NE(*fa, *fb);
    EXPECT_EQ(SocketFileName("APP|" + std::string(200, 'T')), fa);  // still without regard to case
}

mode_t ModeOf(const fs::path& p)
{
    struct stat info {};
    EXPECT_EQ(::lstat(p.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST(LinkNaming, FolderIsMadePrivateOrRefused)
{
    test::TempHome home(false);
    const fs::path fresh = home.path() / "fresh", open = home.path() / "open";
    ASSERT_EQ(PrepareFolder(fresh).path, fresh);
    EXPECT_EQ(ModeOf(fresh), 0700u);
    ASSERT_EQ(::mkdir(open.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    EXPECT_EQ(PrepareFolder(open).path, open);
    EXPECT_EQ(ModeOf(open), 0700u);

    // A file, a link planted where the folder should be (it could lead the sockets anywhere), and
    // a folder whose parent is missing.
    home.Write("file", "x");
    fs::create_directory(home.path() / "elsewhere");
    fs::create_directory_symlink(home.path() / "elsewhere", home.path() / "planted");
    for (const char* name : {"file", "planted", "no/such"}) {
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

// Without a runtime folder the user's folder is under the temporary folder (the program tests run
// with one).
TEST(LinkNaming, UserFolderIsUnderTheTemporaryFolderWithoutARuntimeFolder)
{
    EnvGuard runtime{"XDG_RUNTIME_DIR"}, tmp{"TMPDIR"};
    test::TempHome home(false);
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", home.path().c_str(), 1);
    const FolderResult folder = LinkFolder();
    EXPECT_EQ(folder.path.parent_path(), home.path()) << folder.reason;
    EXPECT_TRUE(folder.path.filename().string().starts_with("korval-")) << folder.path;
    EXPECT_EQ(ModeOf(folder.path), 0700u);
}

}  // namespace
}  // namespace korval::link
