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
    const NameCase& c = GetParam();
    EXPECT_EQ(SocketFileName(c.topic), c.file);
}

INSTANTIATE_TEST_SUITE_P(
    Link, SocketNames,
    ::testing::Values(NameCase{"decoder", "WinACARS|ACARS", "winacars%7cacars"},
                      NameCase{"sameInAnyCase", "winacars|acars", "winacars%7cacars"},
                      NameCase{"blanksAndSlashes", "My Server|a/b", "my%20server%7ca%2fb"},
                      NameCase{"dotsKept", "..|..", "..%7c.."}, NameCase{"percentEscaped", "a%|b", "a%25%7cb"},
                      NameCase{"highBytes", "\xe9|x", "%e9%7cx"}, NameCase{"secondBarEscaped", "a|b|c", "a%7cb%7cc"},
                      NameCase{"noBar", "WinACARS", std::nullopt}, NameCase{"noApplication", "|ACARS", std::nullopt},
                      NameCase{"noTopic", "WinACARS|", std::nullopt}, NameCase{"empty", "", std::nullopt}),
    test::CaseName());

TEST(LinkNaming, LongNamesStayShortAndDistinct)
{
    const std::string a = "App|" + std::string(200, 't');
    const std::string b = "App|" + std::string(199, 't') + "u";
    const auto fa = SocketFileName(a);
    const auto fb = SocketFileName(b);
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

TEST(LinkNaming, FolderIsMadePrivate)
{
    test::TempHome home(false);
    const fs::path fresh = home.path() / "fresh";
    const FolderResult made = PrepareFolder(fresh);
    ASSERT_EQ(made.path, fresh) << made.reason;
    EXPECT_EQ(ModeOf(fresh), 0700u);

    const fs::path open = home.path() / "open";
    ASSERT_EQ(::mkdir(open.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    EXPECT_EQ(PrepareFolder(open).path, open);
    EXPECT_EQ(ModeOf(open), 0700u);
}

TEST(LinkNaming, FolderThatIsNotAFolderIsRefused)
{
    test::TempHome home(false);
    home.Write("file", "x");
    const FolderResult file = PrepareFolder(home.path() / "file");
    EXPECT_TRUE(file.path.empty());
    EXPECT_NE(file.reason.find("not a folder"), std::string::npos) << file.reason;

    // A link planted where the folder should be could lead the sockets anywhere.
    fs::create_directory(home.path() / "elsewhere");
    fs::create_directory_symlink(home.path() / "elsewhere", home.path() / "planted");
    EXPECT_TRUE(PrepareFolder(home.path() / "planted").path.empty());

    const FolderResult missingParent = PrepareFolder(home.path() / "no" / "such");
    EXPECT_TRUE(missingParent.path.empty());
    EXPECT_FALSE(missingParent.reason.empty());
}

// Restores an environment variable at the end of a test.
class EnvGuard {
public:
    explicit EnvGuard(const char* name) : name_(name)
    {
        if (const char* v = std::getenv(name)) old_ = v;
    }
    ~EnvGuard()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(LinkNaming, UserFolderUnderRuntimeFolderElseTemporaryFolder)
{
    EnvGuard runtime("XDG_RUNTIME_DIR");
    EnvGuard tmp("TMPDIR");
    test::TempHome home(false);
    fs::create_directory(home.path() / "run");
    fs::create_directory(home.path() / "tmp");

    ::setenv("XDG_RUNTIME_DIR", (home.path() / "run").c_str(), 1);
    const FolderResult inRuntime = LinkFolder();
    ASSERT_FALSE(inRuntime.path.empty()) << inRuntime.reason;
    EXPECT_EQ(inRuntime.path.parent_path(), home.path() / "run");
    EXPECT_EQ(inRuntime.path.filename().string().rfind("korval-", 0), 0u);
    EXPECT_EQ(ModeOf(inRuntime.path), 0700u);

    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", (home.path() / "tmp").c_str(), 1);
    const FolderResult inTemp = LinkFolder();
    ASSERT_FALSE(inTemp.path.empty()) << inTemp.reason;
    EXPECT_EQ(inTemp.path.parent_path(), home.path() / "tmp");
    EXPECT_EQ(inTemp.path.filename(), inRuntime.path.filename());
    EXPECT_EQ(ModeOf(inTemp.path), 0700u);
}

}  // namespace
}  // namespace korval::link
