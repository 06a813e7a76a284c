#pragma once

#include <cstddef>
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
// the refusals (EACCES for ReadOnly, ENXIO for NoReader, EISDIR or EINVAL
// for NotAFile).
struct WriteResult {
    enum class Problem {
        None,
        System,   // a call failed with `err`
        ReadOnly, // an existing file whose mode bits allow nobody to write it
        NoReader, // a named pipe that no program reads
        NotAFile, // a folder, socket or block device, never replaced
    };
    Problem problem = Problem::None;
    int err = 0;

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
// - A file with other hard links, or whose owner could not be kept, is
//   written in place once the new content is complete and the space for it
//   reserved, so that every name and the owner stay.
// - A character device (/dev/null, a terminal) and a named pipe with a
//   reader are written directly; a pipe without one is refused without
//   waiting; any other kind of file is refused.
class SaveFile {
public:
    explicit SaveFile(FileCalls &calls) : m_calls(calls) {}
    ~SaveFile();
    SaveFile(const SaveFile &) = delete;
    SaveFile &operator=(const SaveFile &) = delete;

    // The file `path` names is resolved and checked here, before any byte.
    WriteResult open(const std::string &path);
    // After a failure every later call returns that failure.
    WriteResult write(std::string_view bytes);
    WriteResult commit();

private:
    enum class Mode { Closed, Direct, Replace, InPlace };

    WriteResult openRegular(const std::string &target, const struct stat *existing);
    WriteResult createTemporary(mode_t mode);
    WriteResult nameTemporary();
    WriteResult copyInPlace();
    WriteResult fail(WriteResult result);
    void release();

    FileCalls &m_calls;
    Mode m_mode = Mode::Closed;
    WriteResult m_failure;
    int m_fd = -1;       // what is written: the new file or the device
    int m_dirFd = -1;    // the folder of the name
    bool m_folderSyncable = false;
    std::string m_name;  // the name in that folder
    std::string m_temporaryName; // the new file's name while it has one
    off_t m_size = 0;
};

// One write through SaveFile.
WriteResult writeWholeFile(const std::string &path, std::string_view bytes, FileCalls &calls);

// Replaces the file at `path` with `bytes` through SaveFile and the system's
// own calls. Returns 0 or the errno of the failure.
int replaceWholeFile(const std::string &path, std::string_view bytes);

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

} // namespace sf
