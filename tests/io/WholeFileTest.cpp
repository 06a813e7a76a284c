#include "io/WholeFile.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace sf {
namespace {

namespace fs = std::filesystem;
using test::folderContents;
using test::writeBytes;

enum class Step { None, Open, Write, Sync, Link, Rename, FolderSync };

// The system's calls, one step of which fails with `err` or, with `kill`,
// ends the process there as a kill would: the step's first `after` calls
// succeed, then `times` calls fail. A failing write first takes 3 bytes, as
// a disk that fills up does.
class FaultyCalls : public FileCalls {
public:
    Step failing = Step::None;
    int err = 0;
    bool kill = false;
    bool tmpFile = true; // whether the file system offers O_TMPFILE
    int after = 0;
    int times = 1;

    int openAt(int dirFd, const char *name, int flags, mode_t mode) override
    {
        if (!tmpFile && (flags & O_TMPFILE) == O_TMPFILE)
            return fault(Step::None, EOPNOTSUPP);
        return failsNow(Step::Open) ? fault(Step::Open, err) : FileCalls::openAt(dirFd, name, flags, mode);
    }
    ssize_t write(int fd, const void *bytes, std::size_t size) override
    {
        if (failing == Step::Write && m_count == after && !m_partial) {
            m_partial = true;
            return FileCalls::write(fd, bytes, std::min<std::size_t>(size, 3));
        }
        return failsNow(Step::Write) ? fault(Step::Write, err) : FileCalls::write(fd, bytes, size);
    }
    int sync(int fd) override
    {
        struct stat st;
        const Step step = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? Step::FolderSync : Step::Sync;
        return failsNow(step) ? fault(step, err) : FileCalls::sync(fd);
    }
    int linkAt(int fd, int dirFd, const char *name) override
    {
        return failsNow(Step::Link) ? fault(Step::Link, err) : FileCalls::linkAt(fd, dirFd, name);
    }
    int renameAt(int dirFd, const char *from, const char *to) override
    {
        return failsNow(Step::Rename) ? fault(Step::Rename, err) : FileCalls::renameAt(dirFd, from, to);
    }

private:
    bool failsNow(Step step)
    {
        if (step != failing)
            return false;
        const int call = m_count++;
        return call >= after && call < after + times;
    }
    int fault(Step step, int e)
    {
        if (kill && step != Step::None)
            ::_exit(99);
        errno = e;
        return -1;
    }
    int m_count = 0;
    bool m_partial = false;
};

// Each step failing in turn, or the process killed there, with and without
// O_TMPFILE, and for a file with a second hard link, which is written in
// place with its earlier content kept as case~ until the new one is whole
// and synced: what the write said (99: killed) and what is left on disk.
// The next save then finds the folder as it should: temporaries of ended
// processes gone, those of a running one and other names kept; a case~
// left behind is never written over (EEXIST).
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
        // Calls of the failing step that succeed first, and that fail. In
        // place, writes: the new file, the backup, over the file (3 bytes,
        // then the fault), the restore; syncs: the backup, the file.
        int after = 0, times = 1;
        int next = 0; // the errno of the next save
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
        // The backup's sync: nothing was written in place yet.
        {"in place, sync", true, true, Step::Sync, false, EIO, "case=old other=old"},
        {"in place, named backup", false, true, Step::None, false, 0, "case=new content other=new content"},
        {"in place, backup's folder sync", true, true, Step::FolderSync, false, EIO, "case=old other=old"},
        {"in place, torn, then restored", true, true, Step::Write, false, ENOSPC, "case=old other=old", 2},
        {"in place, torn, not restored", true, true, Step::Write, false, ENOSPC, "case=new case~=old other=new", 2, 2,
         EEXIST},
        {"in place, killed while torn", true, true, Step::Write, true, 99, "case=new case~=old other=new", 2, 1, EEXIST},
        // The backup has no name until it is whole and synced.
        {"in place, killed before the backup's sync", true, true, Step::Sync, true, 99, "case=old other=old"},
        {"in place, backup named", true, true, Step::Link, false, EPERM, "case=old other=old"},
        {"in place, file not synced, restored", true, true, Step::Sync, false, EIO, "case=old other=old", 1},
        {"in place, killed before the file's sync", true, true, Step::Sync, true, 99,
         "case=new content case~=old other=new content", 1, 1, EEXIST},
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
            calls.after = row.after;
            calls.times = row.times;
            const WriteResult r = writeWholeFile("case", "new content", calls);
            ::_exit(r.ok() == (r.err == 0) ? r.err : 98);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_EQ(WEXITSTATUS(status), row.err);
        EXPECT_EQ(folderContents(), row.left);

        writeBytes(running, "x");
        writeBytes(".case.7.0", "x");
        ASSERT_EQ(replaceWholeFile("case", "newer"), row.next);
        EXPECT_EQ(folderContents(), std::string(".a.screenfilter-new-*=x .case.7.0=x ") +
                                        (row.next ? row.left : row.hardLinked ? "case=newer other=newer" : "case=newer"));
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

// An access control list as the system stores it (version 2; entries of
// tag, permissions, id): owner rw, user 1234 r, group r, mask r, others none.
const std::string AccessList("\x02\0\0\0\x01\0\x06\0\xff\xff\xff\xff\x02\0\x04\0\xd2\x04\0\0"
                             "\x04\0\x04\0\xff\xff\xff\xff\x10\0\x04\0\xff\xff\xff\xff\x20\0\0\0\xff\xff\xff\xff",
                             44);

// Extended attributes and the access list stay, as the mode does, on a
// file replaced by a new one and on one written in place.
TEST(WholeFile, KeepsExtendedAttributesAndAccessLists)
{
    test::ScopedTempCwd cwd;
    for (const char *name : {"replaced", "hard"}) {
        writeBytes(name, "old");
        if (::setxattr(name, "user.origin", "lab 3", 5, 0) != 0 ||
            ::setxattr(name, "system.posix_acl_access", AccessList.data(), AccessList.size(), 0) != 0)
            GTEST_SKIP() << "no user attributes or access lists here: " << std::strerror(errno);
    }
    fs::create_hard_link("hard", "hard2");
    for (const char *name : {"replaced", "hard"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(replaceWholeFile(name, "new"), 0);
        EXPECT_EQ(test::readBytes(name), "new");
        std::string origin(16, '\0'), list(64, '\0');
        origin.resize(std::max<ssize_t>(0, ::getxattr(name, "user.origin", origin.data(), origin.size())));
        list.resize(std::max<ssize_t>(0, ::getxattr(name, "system.posix_acl_access", list.data(), list.size())));
        EXPECT_EQ(origin, "lab 3");
        EXPECT_EQ(list, AccessList);
        EXPECT_EQ(fs::status(name).permissions(), fs::perms(0640));
    }
}

// An edit of a file read earlier is put in place only while the file is
// the one read: not once another program wrote, replaced or removed it,
// whether the edit replaces the file or is written in place (hard link).
TEST(WholeFile, AnEditIsRefusedWhenTheFileChangedSinceItWasRead)
{
    const struct {
        const char *name;
        void (*meanwhile)();
        const char *left; // in "case"
    } changes[] = {
        {"untouched", [] {}, "edit"},
        {"rewritten, same size",
         [] {
             writeBytes("case", "OLD");
             const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
             ::utimensat(AT_FDCWD, "case", times, 0);
         },
         "OLD"},
        {"grown", [] { std::ofstream("case", std::ios::app) << "more"; }, "oldmore"},
        {"replaced", [] { writeBytes("new", "old"); fs::rename("new", "case"); }, "old"},
        {"removed", [] { fs::remove("case"); }, ""},
    };
    for (const bool hardLinked : {false, true}) {
        for (const auto &change : changes) {
            SCOPED_TRACE(std::string(change.name) + (hardLinked ? ", in place" : ""));
            test::ScopedTempCwd cwd;
            writeBytes("case", "old");
            if (hardLinked)
                fs::create_hard_link("case", "link");
            struct stat st {};
            ASSERT_EQ(::stat("case", &st), 0);
            FileCalls calls;
            SaveFile file(calls);
            ASSERT_TRUE(file.open("case", {false, fileStamp(st)}).ok());
            ASSERT_TRUE(file.write("edit").ok());
            change.meanwhile();
            const WriteResult r = file.commit();
            EXPECT_EQ(r.ok() ? "" : writeFailureText("case", r),
                      std::string(change.name) == "untouched"
                          ? ""
                          : "case: changed by another program since it was read; nothing written, run again");
            EXPECT_EQ(test::readBytes("case"), change.left);
        }
    }
}

} // namespace
} // namespace sf
