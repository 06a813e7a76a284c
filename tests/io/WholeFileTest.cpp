#include "io/WholeFile.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
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
        // The backup's sync: nothing was written in place yet.
        {"in place, sync", true, true, Step::Sync, false, EIO, "case=old other=old"},
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

// A file with a second hard link is written in place: the earlier content
// is kept as case~ until the new one is whole and synced. Each step failing
// or the process killed there: what the write said (99: killed), what is
// left, and what the next save then does.
TEST(WholeFile, InPlaceTheEarlierContentStaysAsBackupUntilTheNewIsWhole)
{
    // Write calls: 1 the new file, 2 the backup, 3 over the old content (3
    // bytes, then the fault), 4 the restore. Syncs: 1 the backup, 2 the file.
    const struct {
        const char *name;
        Step failing;
        int after, times;
        bool kill;
        int err;
        const char *left;
        const char *backupText; // of the result, after the folder
        int next;               // the errno of the next save
    } rows[] = {
        {"all well", Step::None, 0, 0, false, 0, "case=abcdefgh other=abcdefgh", "", 0},
        {"torn, then restored", Step::Write, 2, 1, false, ENOSPC, "case=0123456789 other=0123456789", "", 0},
        {"torn, restore failed", Step::Write, 2, 2, false, ENOSPC, "case=abc3456789 case~=0123456789 other=abc3456789",
         "case~", EEXIST},
        {"killed while torn", Step::Write, 2, 1, true, 99, "case=abc3456789 case~=0123456789 other=abc3456789", "",
         EEXIST},
        {"backup not synced", Step::Sync, 0, 1, false, EIO, "case=0123456789 other=0123456789", "", 0},
        {"killed before the backup's sync", Step::Sync, 0, 1, true, 99,
         "case=0123456789 case~=0123456789 other=0123456789", "", EEXIST},
        {"new content not synced, restored", Step::Sync, 1, 1, false, EIO, "case=0123456789 other=0123456789", "", 0},
        {"killed before the new content's sync", Step::Sync, 1, 1, true, 99,
         "case=abcdefgh case~=0123456789 other=abcdefgh", "", EEXIST},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        test::ScopedTempCwd cwd;
        writeBytes("case", "0123456789");
        fs::create_hard_link("case", "other");
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            FaultyCalls calls;
            calls.failing = row.failing;
            calls.err = row.err;
            calls.kill = row.kill;
            calls.after = row.after;
            calls.times = row.times;
            const WriteResult r = writeWholeFile("case", "abcdefgh", calls);
            (void)!::write(pipeFds[1], r.backup.data(), r.backup.size());
            ::_exit(r.ok() == (r.err == 0) ? r.err : 98);
        }
        ::close(pipeFds[1]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        std::array<char, 4096> backup{};
        const ssize_t n = ::read(pipeFds[0], backup.data(), backup.size());
        ::close(pipeFds[0]);
        EXPECT_EQ(WEXITSTATUS(status), row.err);
        EXPECT_EQ(folderContents(), row.left);
        const std::string expectedBackup = *row.backupText ? (cwd.path() / row.backupText).string() : "";
        EXPECT_EQ(std::string(backup.data(), n > 0 ? n : 0), expectedBackup);

        const std::string before = folderContents();
        EXPECT_EQ(replaceWholeFile("case", "newer"), row.next);
        EXPECT_EQ(folderContents(), row.next == 0 ? "case=newer other=newer" : before);
    }
}

// An access control list as the system stores it (version 2; entries of
// tag, permissions, id): owner rw, user 1234 r, group r, mask r, others none.
const std::string AccessList("\x02\0\0\0"
                             "\x01\0\x06\0\xff\xff\xff\xff"
                             "\x02\0\x04\0\xd2\x04\0\0"
                             "\x04\0\x04\0\xff\xff\xff\xff"
                             "\x10\0\x04\0\xff\xff\xff\xff"
                             "\x20\0\0\0\xff\xff\xff\xff",
                             44);

std::string attribute(const char *path, const char *name)
{
    std::string value(256, '\0');
    const ssize_t n = ::getxattr(path, name, value.data(), value.size());
    return n < 0 ? "<none>" : value.substr(0, static_cast<std::size_t>(n));
}

// Extended attributes and the access list stay on a replaced file, a new
// one or one written in place, as the mode does.
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
        EXPECT_EQ(attribute(name, "user.origin"), "lab 3");
        EXPECT_EQ(attribute(name, "system.posix_acl_access"), AccessList);
        struct stat st {};
        ASSERT_EQ(::stat(name, &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }
}

// The window's writer refuses what is no regular file at once, a pipe that
// has a reader among them, and leaves it as it was.
TEST(WholeFile, RegularOnlyRefusesPipesDevicesAndSockets)
{
    test::ScopedTempCwd cwd;
    ASSERT_EQ(::mkfifo("read-pipe", 0666), 0);
    // Held open for reading and never read: a write would fill it and wait.
    const int reader = ::open("read-pipe", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, "socket");
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    fs::create_symlink("/dev/null", "null");
    fs::create_symlink("read-pipe", "to-pipe");
    writeBytes("plain", "old");

    const struct {
        const char *path;
        WriteResult::Problem problem;
        const char *shown;
    } rows[] = {
        {"read-pipe", WriteResult::Problem::NotRegular,
         "通常のファイルではありません (not a regular file: a named pipe, a device or a socket)"},
        {"to-pipe", WriteResult::Problem::NotRegular,
         "通常のファイルではありません (not a regular file: a named pipe, a device or a socket)"},
        {"null", WriteResult::Problem::NotRegular,
         "通常のファイルではありません (not a regular file: a named pipe, a device or a socket)"},
        {"socket", WriteResult::Problem::NotRegular,
         "通常のファイルではありません (not a regular file: a named pipe, a device or a socket)"},
        {"plain", WriteResult::Problem::None, ""},
        {"fresh", WriteResult::Problem::None, ""},
        {"missing/fresh", WriteResult::Problem::System, "ファイルが見つかりません"},
    };
    const std::string picture(1 << 20, 'x'); // more than a pipe holds
    const auto start = std::chrono::steady_clock::now();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.path);
        const WriteResult r = replaceRegularFile(row.path, picture);
        EXPECT_EQ(r.problem, row.problem);
        EXPECT_EQ(r.ok() ? std::string() : windowWriteFailureText(r), row.shown);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << "never waits for a reader";
    EXPECT_EQ(folderContents(), "fresh=<1048576 bytes> null->/dev/null plain=<1048576 bytes> read-pipe:fifo "
                                "to-pipe->read-pipe");
    char byte;
    EXPECT_EQ(::read(reader, &byte, 1), 0) << "nothing went into the pipe";
    ::close(reader);
    ::close(sock);
}

// An edit of a file read earlier is put in place only while the file is
// the one read: not once another program wrote, replaced or removed it,
// whether the edit replaces the file or is written in place (hard link).
TEST(WholeFile, AnEditIsRefusedWhenTheFileChangedSinceItWasRead)
{
    const struct {
        const char *name;
        void (*meanwhile)();
        const char *left; // "case" in the end
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
        {"replaced", [] { writeBytes("other-file", "old"); fs::rename("other-file", "case"); }, "old"},
        {"removed", [] { fs::remove("case"); }, nullptr},
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
            SaveOptions options;
            options.unchanged = fileStamp(st);
            ASSERT_TRUE(file.open("case", options).ok());
            ASSERT_TRUE(file.write("edit").ok());
            change.meanwhile();
            const WriteResult r = file.commit();
            const bool untouched = std::string(change.name) == "untouched";
            EXPECT_EQ(r.problem, untouched ? WriteResult::Problem::None : WriteResult::Problem::Changed);
            if (!untouched) {
                EXPECT_EQ(writeFailureText("case", r),
                          "case: changed by another program since it was read; nothing written, run again");
            }
            EXPECT_EQ(change.left ? test::readBytes("case") : "<removed>", change.left ? change.left : "<removed>");
            EXPECT_FALSE(fs::exists("case~"));
        }
    }
}

// The check holds the file's lock: a writer in place of ours that holds it
// is waited for, and what it wrote meanwhile refuses the edit.
TEST(WholeFile, AnEditWaitsForAWriterInPlaceAndThenSeesItsWrite)
{
    test::ScopedTempCwd cwd;
    writeBytes("case", "old");
    struct stat st {};
    ASSERT_EQ(::stat("case", &st), 0);
    const int writer = ::open("case", O_WRONLY);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    std::thread other([writer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        (void)!::pwrite(writer, "new", 3, 0);
        ::flock(writer, LOCK_UN);
    });
    FileCalls calls;
    SaveFile file(calls);
    SaveOptions options;
    options.unchanged = fileStamp(st);
    ASSERT_TRUE(file.open("case", options).ok());
    ASSERT_TRUE(file.write("edit").ok());
    const WriteResult r = file.commit();
    other.join();
    ::close(writer);
    EXPECT_EQ(r.problem, WriteResult::Problem::Changed);
    EXPECT_EQ(test::readBytes("case"), "new");
}

} // namespace
} // namespace sf
