#include "io/Directories.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string>

namespace sf {
namespace {

namespace fs = std::filesystem;

TEST(Directories, HoldsThePathsTheSystemWouldEnterAndNoOthers)
{
    test::ScopedTempCwd cwd;
    fs::create_directories("a/b");
    test::writeBytes("a/file", "");
    const std::string root = fs::current_path().string();
    using namespace std::string_literals;
    const struct {
        std::string path;
        int err;
        std::string entered;
    } rows[] = {
        {"/", 0, "/"},
        {root + "//a///b/", 0, root + "/a/b"},
        {"a/b/..", 0, root + "/a"},
        {"", ENOENT, root},
        {"a/missing", ENOENT, root},
        {"a/file/b", ENOTDIR, root},
        {"a/" + std::string(300, 'n'), ENAMETOOLONG, root},
        // Not a/b: the name holds a NUL, so no directory has it.
        {"a\0/b"s, EINVAL, root},
    };
    for (const auto &row : rows) {
        HeldDirectory held;
        ASSERT_EQ(held.open(AT_FDCWD, root), 0);
        // Relative paths start from the directory held.
        EXPECT_EQ(held.open(held.fd(), row.path), row.err) << row.path;
        EXPECT_EQ(held.path(), row.entered) << row.path;
    }
}

} // namespace
} // namespace sf
