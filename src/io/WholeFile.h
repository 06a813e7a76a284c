#pragma once

#include "RegularFile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace sf {

// The system calls that decide whether a file is written whole: each returns
// as the call it stands for does (-1 with errno set on failure). The writer
// below makes these through an object of this class, so that a test can
// fail any one of them on purpose.
class FileCalls {
public:
    virtual ~FileCalls() = default;
    virtual int openAt(int dirFd, const char *name, int flags, mode_t mode);
    virtual ssize_t write(int fd, const void *bytes, std::size_t size);
    // Both the new file's sync and its folder's.
    virtual int sync(int fd);
    // Gives the unnamed file fd (O_TMPFILE) the name `name` in dirFd.
    virtual int linkAt(int fd, int dirFd, const char *name);
    virtual int renameAt(int dirFd, const char *from, const char *to);
};

// How a write came out. `err` is 0 on success, otherwise an errno, also for
// the refusals (EACCES for ReadOnly, ENXIO for NoReader and NotRegular,
// EISDIR or EINVAL for NotAFile, ESTALE for Changed, EEXIST for
// BackupInTheWay).
struct WriteResult {
    enum class Problem {
        None,
        System,         // a call failed with `err`
        ReadOnly,       // an existing file whose mode bits allow nobody to write it
        NoReader,       // a named pipe that no program reads
        NotAFile,       // a folder, socket or block device, never replaced
        NotRegular,     // a pipe, device or socket where only a regular file may be written
        Changed,        // not the file that was read any more: another program wrote it
        BackupInTheWay, // a write in place finds NAME~ taken, perhaps the only whole copy
    };
    WriteResult(Problem problem = Problem::None, int err = 0) : problem(problem), err(err) {}

    Problem problem;
    int err;
    // Where a write in place failed half-way and the earlier content could
    // not be put back: the backup that holds it (NAME~), otherwise empty.
    std::string backup;

    bool ok() const { return problem == Problem::None; }
    static WriteResult system(int err) { return {Problem::System, err}; }
};

// A file written whole or not at all, after Qt's QSaveFile: open() starts
// it, write() adds bytes, commit() puts them in place. Without a commit (a
// failure, the destructor) the old file is left as it was.
//
// - A regular file is written as a new file in the same folder (O_TMPFILE
//   where the file system has it, so that a killed process leaves nothing
//   behind), synced, renamed over the name and the folder synced. Temporary
//   files this program left in that folder are removed when their process
//   has ended.
// - A symbolic link is followed and the file it names is replaced.
// - An existing file keeps its mode and, where the caller may give it, its
//   owner and group. One whose mode bits forbid writing is refused, also
//   for root, for whom the system would never refuse.
// - Its extended attributes (access control lists among them) are kept
//   too, all but a file capability, which a write in place would drop too.
// - A file with other hard links, or whose owner or extended attributes
//   could not be kept, is written in place once the new content is
//   complete and the space for it reserved, so that every name, the owner
//   and the attributes stay. The earlier content is first copied to NAME~
//   beside it and synced, and that copy removed once the new content is
//   whole and synced: a crash leaves the new file, or the old one as NAME~.
//   A NAME~ that is there already may be such a copy and is never
//   replaced: the write is refused.
// - A character device (/dev/null, a terminal) and a named pipe with a
//   reader are written directly; a pipe without one is refused without
//   waiting; any other kind of file is refused.
struct SaveOptions {
    // Refuses a named pipe, a device or a socket (NotRegular) instead of
    // writing into it, for a window that must never wait on a reader.
    bool regularOnly = false;
    // The file as it was read, for an edit of it: when the file at the path
    // is another one by the commit, or was written since, the commit is
    // refused (Changed) and nothing is written. The check is made holding
    // the file's exclusive lock (flock), which this program's readers share.
    std::optional<FileStamp> unchanged;
};

class SaveFile {
public:
    explicit SaveFile(FileCalls &calls) : m_calls(calls) {}
    ~SaveFile();
    SaveFile(const SaveFile &) = delete;
    SaveFile &operator=(const SaveFile &) = delete;

    // The file `path` names is resolved and checked here, before any byte.
    WriteResult open(const std::string &path, const SaveOptions &options = {});
    // After a failure every later call returns that failure.
    WriteResult write(std::string_view bytes);
    // All a commit does short of putting the file in place: the new file's
    // sync and name, and the existing file's lock and the check that it is
    // unchanged, held until the commit; so that several files can be made
    // ready before the first one replaces anything. commit() does it when
    // it was not done.
    WriteResult prepare();
    WriteResult commit();

private:
    enum class Mode { Closed, Direct, Replace, InPlace };

    WriteResult openRegular(const std::string &target, const struct stat *existing);
    WriteResult createTemporary(mode_t mode);
    WriteResult nameTemporary();
    WriteResult holdExisting();
    WriteResult copyInPlace();
    WriteResult overwriteKeepingBackup(int fd, const struct stat &old);
    WriteResult fail(WriteResult result);
    void release();

    FileCalls &m_calls;
    SaveOptions m_options;
    Mode m_mode = Mode::Closed;
    bool m_prepared = false;
    WriteResult m_failure;
    int m_fd = -1;       // what is written: the new file or the device
    int m_dirFd = -1;    // the folder of the name
    int m_heldFd = -1;   // the existing file, locked until the new content is in place
    bool m_folderSyncable = false;
    std::string m_name;  // the name in that folder
    std::string m_folder; // that folder's path, ending in "/"
    std::string m_temporaryName; // the new file's name while it has one
    off_t m_size = 0;
};

// One write through SaveFile.
WriteResult writeWholeFile(const std::string &path, std::string_view bytes, FileCalls &calls);

// Replaces the file at `path` with `bytes` through SaveFile and the system's
// own calls. Returns 0 or the errno of the failure.
int replaceWholeFile(const std::string &path, std::string_view bytes);

// The same for a window's exports and saves: only a regular file (or a new
// one) is written, never a pipe, device or socket that could keep the
// window waiting.
WriteResult replaceRegularFile(const std::string &path, std::string_view bytes);

// The window's words for a failed write: those of ioErrorText for the
// errno, for a refused kind of file "通常のファイルではありません (not a
// regular file: a named pipe, a device or a socket)", and the other
// refusals of SaveFile in words of their own, with where a backup was kept.
std::string windowWriteFailureText(const WriteResult &result);

// "<path>: <what went wrong>" in words for the command line: "file too
// large", "disk full", "read-only ...", "no reader", otherwise the system's
// words for the errno.
std::string writeFailureText(const std::string &path, const WriteResult &result);

// Which file a write of `path` through SaveFile would put its bytes in, so
// that two paths can be told to name one file. Symbolic links are followed
// as SaveFile follows them, so a link, a hard link or another spelling of
// the path to an existing file gives the same identity.
struct FileIdentity {
    enum class Kind {
        Existing, // a regular file: its device and inode
        New,      // none yet: its folder's device and inode, and its name
        Other,    // a device, pipe or folder: never replaced
    };
    Kind kind = Kind::New;
    dev_t device = 0;
    ino_t inode = 0;
    std::string name;

    bool operator==(const FileIdentity &) const = default;
};

// nullopt when neither the file nor its folder can be found.
std::optional<FileIdentity> fileIdentity(const std::string &path);

// Hands all of `bytes` to fd, however many writes that takes, waiting out
// interruptions. Returns 0 or the errno of the failed write (ENOSPC when
// the system takes nothing without saying why).
int writeAll(int fd, std::string_view bytes);

// Takes an exclusive advisory lock (flock) on fd, waiting at most `seconds`
// for another writer to let go. Returns 0 or the errno (EWOULDBLOCK after
// the wait).
int lockExclusive(int fd, int seconds);

// The same with a shared lock, for a reader: it waits only for a writer.
int lockShared(int fd, int seconds);

} // namespace sf
