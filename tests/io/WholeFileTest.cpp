#include "io/WholeFile.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sf {
namespace {

namespace fs = std::filesystem;
using test::folderContents;
using test::writeBytes;

enum class Step { None, Open, Write, Sync, Link, Rename, FolderSync };

// The system's calls, one step of which fails with `err` or, with `kill`,
// ends the process there as a kill would. A failing write first takes 3
// bytes, as a disk that fills up does.
class FaultyCalls : public FileCalls {
public:
    Step failing = Step::None;
    int err = 0;
    bool kill = false;
    bool tmpFile = true; // whether the file system offers O_TMPFILE

    int openAt(int dirFd, const char *name, int flags, mode_t mode) override
    {
        if (!tmpFile && (flags & O_TMPFILE) == O_TMPFILE)
            return fault(Step::None, EOPNOTSUPP);
        return failing == Step::Open ? fault(Step::Open, err) : FileCalls::openAt(dirFd, name, flags, mode);
    }
    ssize_t write(int fd, const void *bytes, std::size_t size) override
    {
        if (failing == Step::Write && m_written > 0)
            return fault(Step::Write, err);
        const ssize_t n = FileCalls::write(fd, bytes, failing == Step::Write ? std::min<std::size_t>(size, 3) : size);
        m_written += n > 0 ? n : 0;
        return n;
    }
    int sync(int fd) override
    {
        struct stat st;
        const Step step = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? Step::FolderSync : Step::Sync;
        return failing == step ? fault(step, err) : FileCalls::sync(fd);
    }
    int linkAt(int fd, int dirFd, const char *name) override
    {
        return failing == Step::Link ? fault(Step::Link, err) : FileCalls::linkAt(fd, dirFd, name);
    }
    int renameAt(int dirFd, const char *from, const char *to) override
    {
        return failing == Step::Rename ? fault(Step::Rename, err) : FileCalls::renameAt(dirFd, from, to);
    }

private:
    int fault(Step step, int e)
    {
        if (kill && step != Step::None)
            ::_exit(99);
        errno = e;
        return -1;
    }
    ssize_t m_written = 0;
};

// Each step failing in turn, or the process killed there, with and without
// O_TMPFILE, and for a file with a second hard link, which is written in
// place: what the write said (99: killed) and what is left on disk. The
// next save then finds the folder as it should: temporaries of ended
// processes gone, those of a running one and other names kept.
TEST(WholeFile, AFailedStepLeavesTheOldFileAndNoOther)
{
    const struct {
        const char *name;
        bool tmpFile;
        bool hardLinked;
        Step failing;
        bool kill;
        int err; // the errno, or 99 for a kill
        const char *left;
    } rows[] = {
        {"unnamed, all well", true, false, Step::None, false, 0, "case=new content"},
        {"unnamed, open", true, false, Step::Open, false, EMFILE, "case=old"},
        {"unnamed, write", true, false, Step::Write, false, ENOSPC, "case=old"},
        {"unnamed, sync", true, false, Step::Sync, false, EIO, "case=old"},
        {"unnamed, link", true, false, Step::Link, false, EPERM, "case=old"},
        {"unnamed, rename", true, false, Step::Rename, false, EBUSY, "case=old"},
        // In place, but not yet for sure after a crash.
        {"unnamed, folder sync", true, false, Step::FolderSync, false, EIO, "case=new content"},
        {"unnamed, killed in the write", true, false, Step::Write, true, 99, "case=old"},
        {"unnamed, killed before the rename", true, false, Step::Rename, true, 99,
         ".case.screenfilter-new-*=new content case=old"},
        {"named, all well", false, false, Step::None, false, 0, "case=new content"},
        {"named, open", false, false, Step::Open, false, EACCES, "case=old"},
        {"named, write", false, false, Step::Write, false, EFBIG, "case=old"},
        {"named, sync", false, false, Step::Sync, false, EIO, "case=old"},
        {"named, rename", false, false, Step::Rename, false, EBUSY, "case=old"},
        {"named, folder sync", false, false, Step::FolderSync, false, EIO, "case=new content"},
        {"named, killed in the write", false, false, Step::Write, true, 99, ".case.screenfilter-new-*=new case=old"},
        {"in place, all well", true, true, Step::None, false, 0, "case=new content other=new content"},
        {"in place, open", true, true, Step::Open, false, EMFILE, "case=old other=old"},
        {"in place, write", true, true, Step::Write, false, ENOSPC, "case=old other=old"},
        // Written, but not yet for sure after a crash.
        {"in place, sync", true, true, Step::Sync, false, EIO, "case=new content other=new content"},
    };
    const std::string running = ".a.screenfilter-new-" + std::to_string(::getppid()) + "-1";
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        test::ScopedTempCwd cwd;
        writeBytes("case", "old");
        if (row.hardLinked)
            fs::create_hard_link("case", "other");
        const pid_t child = ::fork();
        if (child == 0) {
            FaultyCalls calls;
            calls.failing = row.failing;
            calls.err = row.err;
            calls.kill = row.kill;
            calls.tmpFile = row.tmpFile;
            const WriteResult r = writeWholeFile("case", "new content", calls);
            ::_exit(r.ok() == (r.err == 0) ? r.err : 98);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_EQ(WEXITSTATUS(status), row.err);
        EXPECT_EQ(folderContents(), row.left);

        writeBytes(running, "x");
        writeBytes(".case.7.0", "x");
        ASSERT_EQ(replaceWholeFile("case", "newer"), 0);
        EXPECT_EQ(folderContents(), std::string(".a.screenfilter-new-*=x .case.7.0=x case=newer") +
                                        (row.hardLinked ? " other=newer" : ""));
    }
}

// What a user saves with the old program: links, modes, owners, devices
// and pipes come through as they were. CI runs as root, so the owner is
// checked there and the refusal comes from the mode bits alone.
TEST(WholeFile, KeepsLinksModesOwnersAndDevices)
{
    test::ScopedTempCwd cwd;
    const mode_t umask = ::umask(022);
    // Our own /dev/null where we may make one; else a link to the machine's,
    // which a wrong writer would replace, not follow.
    if (!test::makeNullDevice("null"))
        fs::create_symlink("/dev/null", "null");
    const std::string device = fs::is_symlink("null") ? "null->/dev/null" : "null:device";
    writeBytes("target", "old");
    fs::create_symlink("target", "link");
    writeBytes("private", "old");
    ::chmod("private", 0600);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown("private", 4321, 4322), 0);
    }
    writeBytes("readonly", "old");
    ::chmod("readonly", 0444);
    writeBytes("hard", "old");
    fs::create_hard_link("hard", "hard2");
    ASSERT_EQ(::mkfifo("pipe", 0644), 0);

    // Each file's answer, then its mode and (as root) its owner and group.
    const struct {
        const char *path;
        int err;
        mode_t mode;
        uid_t uid;
        gid_t gid;
    } rows[] = {
        {"link", 0, 0644, 0, 0},        {"private", 0, 0600, 4321, 4322}, {"readonly", EACCES, 0444, 0, 0},
        {"hard", 0, 0644, 0, 0},        {"fresh", 0, 0644, 0, 0},         {"pipe", ENXIO, 0644, 0, 0},
        {"null", 0, 0666, 0, 0},
    };
    const auto start = std::chrono::steady_clock::now();
    for (const auto &row : rows)
        EXPECT_EQ(replaceWholeFile(row.path, "new"), row.err) << row.path;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "never waits for a reader";
    ::umask(umask);

    EXPECT_EQ(folderContents(), "fresh=new hard=new hard2=new link->target " + device +
                                    " pipe:fifo private=new readonly=old target=new");
    for (const auto &row : rows) {
        struct stat st {};
        ASSERT_EQ(::stat(row.path, &st), 0) << row.path;
        EXPECT_EQ(st.st_mode & 07777, row.mode) << row.path;
        if (root) {
            EXPECT_EQ(st.st_uid, row.uid) << row.path;
            EXPECT_EQ(st.st_gid, row.gid) << row.path;
        }
    }
}

} // namespace
} // namespace sf
