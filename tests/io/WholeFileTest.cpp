#include "io/WholeFile.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <string>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sf {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

// "name=content" for each entry of the current folder, symbolic links as
// "name->target", other kinds as "name:fifo" and "name:device", in name
// order: what a failure left on disk.
std::string folderContents()
{
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry &e : fs::directory_iterator(".")) {
        const std::string name = e.path().filename().string();
        const fs::file_status st = e.symlink_status();
        if (fs::is_symlink(st))
            entries[name] = "->" + fs::read_symlink(e.path()).string();
        else if (fs::is_fifo(st))
            entries[name] = ":fifo";
        else if (fs::is_character_file(st))
            entries[name] = ":device";
        else
            entries[name] = "=" + readBytes(e.path());
    }
    std::string text;
    for (const auto &[name, what] : entries)
        text += (text.empty() ? "" : " ") + name + what;
    return text;
}

struct Properties {
    mode_t mode;
    uid_t uid;
    gid_t gid;
};

Properties propertiesOf(const char *path)
{
    struct stat st {};
    EXPECT_EQ(::stat(path, &st), 0) << path;
    return {static_cast<mode_t>(st.st_mode & 07777), st.st_uid, st.st_gid};
}

// Our own /dev/null where we may make one; else a link to the machine's,
// which a wrong writer would replace, not follow.
std::string nullDevice()
{
    if (!test::makeNullDevice("null"))
        fs::create_symlink("/dev/null", "null");
    return "null";
}

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
            return fault(EOPNOTSUPP);
        return failing == Step::Open ? fault(err) : FileCalls::openAt(dirFd, name, flags, mode);
    }
    ssize_t write(int fd, const void *bytes, std::size_t size) override
    {
        if (failing == Step::Write && m_written > 0)
            return fault(err);
        const ssize_t n = FileCalls::write(fd, bytes, failing == Step::Write ? std::min<std::size_t>(size, 3) : size);
        m_written += n > 0 ? n : 0;
        return n;
    }
    int sync(int fd) override
    {
        struct stat st;
        const Step step = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? Step::FolderSync : Step::Sync;
        return failing == step ? fault(err) : FileCalls::sync(fd);
    }
    int linkAt(int fd, int dirFd, const char *name) override
    {
        return failing == Step::Link ? fault(err) : FileCalls::linkAt(fd, dirFd, name);
    }
    int renameAt(int dirFd, const char *from, const char *to) override
    {
        return failing == Step::Rename ? fault(err) : FileCalls::renameAt(dirFd, from, to);
    }

private:
    int fault(int e)
    {
        if (kill && e == err)
            ::_exit(9);
        errno = e;
        return -1;
    }
    ssize_t m_written = 0;
};

// Each step failing in turn, with and without O_TMPFILE, and for a file
// with a second hard link, which is written in place: what is left on disk.
TEST(WholeFile, AFailedStepLeavesTheOldFileAndNoOther)
{
    const struct {
        const char *name;
        bool tmpFile;
        bool hardLinked;
        Step failing;
        int err;
        const char *left;
    } rows[] = {
        {"unnamed, all well", true, false, Step::None, 0, "case=new content"},
        {"unnamed, open", true, false, Step::Open, EMFILE, "case=old"},
        {"unnamed, write", true, false, Step::Write, ENOSPC, "case=old"},
        {"unnamed, sync", true, false, Step::Sync, EIO, "case=old"},
        {"unnamed, link", true, false, Step::Link, EPERM, "case=old"},
        {"unnamed, rename", true, false, Step::Rename, EBUSY, "case=old"},
        // In place, but not yet for sure after a crash.
        {"unnamed, folder sync", true, false, Step::FolderSync, EIO, "case=new content"},
        {"named, all well", false, false, Step::None, 0, "case=new content"},
        {"named, open", false, false, Step::Open, EACCES, "case=old"},
        {"named, write", false, false, Step::Write, EFBIG, "case=old"},
        {"named, sync", false, false, Step::Sync, EIO, "case=old"},
        {"named, rename", false, false, Step::Rename, EBUSY, "case=old"},
        {"named, folder sync", false, false, Step::FolderSync, EIO, "case=new content"},
        {"in place, all well", true, true, Step::None, 0, "case=new content other=new content"},
        {"in place, open", true, true, Step::Open, EMFILE, "case=old other=old"},
        {"in place, write", true, true, Step::Write, ENOSPC, "case=old other=old"},
        // Written, but not yet for sure after a crash.
        {"in place, sync", true, true, Step::Sync, EIO, "case=new content other=new content"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        test::ScopedTempCwd cwd;
        writeBytes("case", "old");
        if (row.hardLinked)
            fs::create_hard_link("case", "other");
        FaultyCalls calls;
        calls.failing = row.failing;
        calls.err = row.err;
        calls.tmpFile = row.tmpFile;
        const WriteResult r = writeWholeFile("case", "new content", calls);
        EXPECT_EQ(r.err, row.err);
        EXPECT_EQ(r.ok(), row.err == 0);
        EXPECT_EQ(folderContents(), row.left);
    }
}

// A save killed mid-way. Where the new file had no name yet nothing is
// left; else its name stays until the next save into the folder.
TEST(WholeFile, AKilledSaveLeavesNothingTheNextSaveKeeps)
{
    const struct {
        const char *name;
        bool tmpFile;
        Step killedAt;
        std::size_t entriesLeft;
    } rows[] = {
        {"unnamed, in the write", true, Step::Write, 1},
        {"unnamed, before the rename", true, Step::Rename, 2},
        {"named, in the write", false, Step::Write, 2},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        test::ScopedTempCwd cwd;
        writeBytes("case", "old");
        const pid_t child = ::fork();
        if (child == 0) {
            FaultyCalls calls;
            calls.failing = row.killedAt;
            calls.err = EIO;
            calls.kill = true;
            calls.tmpFile = row.tmpFile;
            writeWholeFile("case", "new content", calls);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(WEXITSTATUS(status), 9) << "killed where the row says";
        EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), row.entriesLeft);
        EXPECT_EQ(readBytes("case"), "old");
        ASSERT_EQ(replaceWholeFile("case", "newer"), 0);
        EXPECT_EQ(folderContents(), "case=newer");
    }
}

// What a user saves with the old program: links, modes, owners and devices
// come through the replacement as they were.
TEST(WholeFile, KeepsLinksModesOwnersAndDevices)
{
    test::ScopedTempCwd cwd;
    const mode_t umask = ::umask(022);
    const std::string device = nullDevice();
    const std::string deviceShown = fs::is_symlink(device) ? "null->/dev/null" : "null:device";
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

    const struct {
        const char *path;
        int err;
    } rows[] = {
        {"link", 0}, {"private", 0}, {"readonly", EACCES}, {"hard", 0}, {"null", 0}, {"fresh", 0},
    };
    for (const auto &row : rows)
        EXPECT_EQ(replaceWholeFile(row.path, "new"), row.err) << row.path;
    ::umask(umask);

    EXPECT_EQ(folderContents(),
              "fresh=new hard=new hard2=new link->target " + deviceShown + " private=new readonly=old target=new");
    const struct {
        const char *path;
        mode_t mode;
        uid_t uid; // root only
    } kept[] = {
        {"private", 0600, 4321}, {"readonly", 0444, 0}, {"hard", 0644, 0}, {"fresh", 0644, 0}, {"target", 0644, 0},
    };
    for (const auto &row : kept) {
        const Properties p = propertiesOf(row.path);
        EXPECT_EQ(p.mode, row.mode) << row.path;
        if (root) {
            EXPECT_EQ(p.uid, row.uid) << row.path;
        }
    }
    if (root) {
        EXPECT_EQ(propertiesOf("private").gid, 4322u);
    }
    EXPECT_EQ(fs::hard_link_count("hard"), 2u);
}

TEST(WholeFile, RefusesAPipeWithoutAReaderAtOnce)
{
    test::ScopedTempCwd cwd;
    ASSERT_EQ(::mkfifo("pipe", 0666), 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(replaceWholeFile("pipe", "new"), ENXIO);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(folderContents(), "pipe:fifo");
}

// A save killed after its new file got a name leaves that file behind; the
// next save into the folder removes it. One of a live process stays.
TEST(WholeFile, RemovesTemporaryFilesOfEndedProcesses)
{
    test::ScopedTempCwd cwd;
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const std::string mine = ".b.txt.screenfilter-new-" + std::to_string(::getppid()) + "-1";
    const std::string stale = ".a.txt.screenfilter-new-" + std::to_string(ended) + "-0";
    for (const std::string &name : {mine, stale, std::string("a.txt"), std::string(".a.txt.7.0")})
        writeBytes(name, "x");
    ASSERT_EQ(replaceWholeFile("a.txt", "new"), 0);
    EXPECT_EQ(folderContents(), ".a.txt.7.0=x " + mine + "=x a.txt=new");
}

} // namespace
} // namespace sf
