#include "WholeFile.h"

#include "IoErrors.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace sf {

namespace {

// A new file is named ".<name>.screenfilter-new-<pid>-<n>" while it has a
// name, so that a later write can tell whose it was.
constexpr std::string_view TemporaryMark = ".screenfilter-new-";
// Of the target's name, so that the temporary one stays under NAME_MAX.
constexpr std::size_t NameKept = 200;
constexpr int MaxSymlinks = 40;
// A writer in place waits this long for another one to finish.
constexpr int LockSeconds = 10;

std::atomic<unsigned> temporaryCount{0};

std::string temporaryName(const std::string &name)
{
    return "." + name.substr(0, NameKept) + std::string(TemporaryMark) + std::to_string(::getpid()) + "-" +
           std::to_string(temporaryCount++);
}

bool allDigits(std::string_view s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process a temporary name of ours was made by, or 0 for any other name.
pid_t temporaryOwner(std::string_view entry)
{
    const std::size_t mark = entry.rfind(TemporaryMark);
    if (entry.empty() || entry[0] != '.' || mark == std::string_view::npos)
        return 0;
    const std::string_view rest = entry.substr(mark + TemporaryMark.size());
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos || !allDigits(rest.substr(0, dash)) || !allDigits(rest.substr(dash + 1)))
        return 0;
    pid_t pid = 0;
    std::from_chars(rest.data(), rest.data() + dash, pid);
    return pid;
}

// Removes the temporary files that processes of this program, ended since,
// left in the folder (killed between giving the new file a name and the
// rename). Those of running processes may still become a file.
void removeStaleTemporaries(int dirFd)
{
    const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    std::vector<std::string> stale;
    while (const dirent *entry = ::readdir(dir)) {
        const pid_t pid = temporaryOwner(entry->d_name);
        if (pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH)
            stale.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string &name : stale) {
        struct stat st;
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(dirFd, name.c_str(), 0);
    }
}

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string nameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file `path` stands for once symbolic links are followed: an existing
// regular file by its canonical path; a missing one where the last link
// points (a dangling link names the file to create). Any other kind of file
// keeps `path`, which the system follows when it is opened.
WriteResult resolve(const std::string &path, std::string &target, struct stat &st, bool &exists)
{
    target = path;
    exists = ::stat(path.c_str(), &st) == 0;
    if (exists) {
        if (S_ISREG(st.st_mode)) {
            char *real = ::realpath(path.c_str(), nullptr);
            if (!real)
                return WriteResult::system(errno);
            target = real;
            std::free(real);
        }
        return {};
    }
    if (errno != ENOENT)
        return WriteResult::system(errno);
    for (int hops = 0;; ++hops) {
        struct stat link;
        if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            return {};
        if (hops == MaxSymlinks)
            return WriteResult::system(ELOOP);
        std::string to(static_cast<std::size_t>(link.st_size > 0 ? link.st_size : 4096), '\0');
        const ssize_t n = ::readlink(target.c_str(), to.data(), to.size());
        if (n < 0)
            return WriteResult::system(errno);
        to.resize(static_cast<std::size_t>(n));
        target = !to.empty() && to[0] == '/' ? to : folderOf(target) + to;
    }
}

// Whether the mode bits let this process write an existing file. Root may
// write anything, so for root any write bit will do; everyone else asks the
// system, which knows groups and access lists.
bool modeAllowsWriting(const std::string &path, const struct stat &st)
{
    if (::geteuid() == 0)
        return (st.st_mode & 0222) != 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 || errno != EACCES;
}

// Gives fd every extended attribute of the file at `path`, its access
// control list among them; false when one could not be read or given.
bool copyAttributes(const std::string &path, int fd)
{
    std::vector<char> names(1024);
    ssize_t listed = 0;
    while ((listed = ::llistxattr(path.c_str(), names.data(), names.size())) < 0) {
        // A file system without them has none to keep.
        if (errno == ENOTSUP)
            return true;
        const ssize_t needed = errno == ERANGE ? ::llistxattr(path.c_str(), nullptr, 0) : -1;
        if (needed < 0)
            return false;
        names.resize(static_cast<std::size_t>(needed) + 256);
    }
    std::vector<char> value(256);
    for (std::size_t at = 0; at < static_cast<std::size_t>(listed);) {
        const char *name = names.data() + at;
        at += std::strlen(name) + 1;
        // The system drops a capability from a file that is written to.
        if (std::string_view(name) == "security.capability")
            continue;
        ssize_t size = 0;
        while ((size = ::lgetxattr(path.c_str(), name, value.data(), value.size())) < 0) {
            const ssize_t needed = errno == ERANGE ? ::lgetxattr(path.c_str(), name, nullptr, 0) : -1;
            if (needed < 0)
                return false;
            value.resize(static_cast<std::size_t>(needed) + 256);
        }
        if (::fsetxattr(fd, name, value.data(), static_cast<std::size_t>(size), 0) != 0)
            return false;
    }
    return true;
}

int writeAll(FileCalls &calls, int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = calls.write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Copies the first `size` bytes of `from` over the start of `to`, cut to
// that size, and syncs `to`. Returns 0 or the errno.
int copyContent(FileCalls &calls, int from, int to, off_t size)
{
    if (::lseek(to, 0, SEEK_SET) != 0)
        return errno;
    std::vector<char> buffer(64 * 1024);
    for (off_t at = 0; at < size;) {
        const ssize_t n = ::pread(from, buffer.data(), std::min<off_t>(size - at, buffer.size()), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        if (const int err = writeAll(calls, to, std::string_view(buffer.data(), static_cast<std::size_t>(n))))
            return err;
        at += n;
    }
    if (::ftruncate(to, size) != 0 || calls.sync(to) != 0)
        return errno;
    return 0;
}

int lock(int fd, int operation, int seconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (::flock(fd, operation | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        // A file system without locks: nothing to wait for.
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL)
            return 0;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= until)
            return errno;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

} // namespace

int FileCalls::openAt(int dirFd, const char *name, int flags, mode_t mode)
{
    return ::openat(dirFd, name, flags, mode);
}

ssize_t FileCalls::write(int fd, const void *bytes, std::size_t size)
{
    return ::write(fd, bytes, size);
}

int FileCalls::sync(int fd)
{
    return ::fsync(fd);
}

int FileCalls::linkAt(int fd, int dirFd, const char *name)
{
    // Through /proc any user may; AT_EMPTY_PATH asks for CAP_DAC_READ_SEARCH.
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, proc.c_str(), dirFd, name, AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != ENOENT)
        return -1;
    return ::linkat(fd, "", dirFd, name, AT_EMPTY_PATH);
}

int FileCalls::renameAt(int dirFd, const char *from, const char *to)
{
    return ::renameat(dirFd, from, dirFd, to);
}

SaveFile::~SaveFile()
{
    release();
}

void SaveFile::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_heldFd >= 0)
        ::close(m_heldFd);
    if (!m_temporaryName.empty())
        ::unlinkat(m_dirFd, m_temporaryName.c_str(), 0);
    if (m_dirFd >= 0)
        ::close(m_dirFd);
    m_fd = m_dirFd = m_heldFd = -1;
    m_temporaryName.clear();
    m_name.clear();
    m_folder.clear();
    m_mode = Mode::Closed;
    m_prepared = false;
    m_size = 0;
}

WriteResult SaveFile::fail(WriteResult result)
{
    release();
    m_failure = result;
    return result;
}

WriteResult SaveFile::open(const std::string &path, const SaveOptions &options)
{
    release();
    m_failure = {};
    m_options = options;
    if (path.empty())
        return fail(WriteResult::system(ENOENT));
    // The system would take the name only up to a NUL: another file.
    if (path.find('\0') != std::string::npos)
        return fail(WriteResult::system(EINVAL));
    std::string target;
    struct stat st;
    bool exists = false;
    if (const WriteResult r = resolve(path, target, st, exists); !r.ok())
        return fail(r);
    if (!exists)
        return openRegular(target, nullptr);

    if (S_ISDIR(st.st_mode))
        return fail({WriteResult::Problem::NotAFile, EISDIR});
    if (options.regularOnly && !S_ISREG(st.st_mode))
        return fail({WriteResult::Problem::NotRegular, ENXIO});
    if (!S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode))
        return fail({WriteResult::Problem::NotAFile, EINVAL});
    if (!modeAllowsWriting(path, st))
        return fail({WriteResult::Problem::ReadOnly, EACCES});
    if (S_ISREG(st.st_mode))
        return openRegular(target, &st);

    // Without O_NONBLOCK, opening a pipe waits until some program reads it.
    const int fd = m_calls.openAt(AT_FDCWD, path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK, 0);
    if (fd < 0) {
        if (errno == ENXIO && S_ISFIFO(st.st_mode))
            return fail({WriteResult::Problem::NoReader, ENXIO});
        return fail(WriteResult::system(errno));
    }
    m_fd = fd;
    m_mode = Mode::Direct;
    // Then writes wait as usual for a slow device or reader.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return fail(WriteResult::system(errno));
    return {};
}

WriteResult SaveFile::openRegular(const std::string &target, const struct stat *existing)
{
    m_name = nameOf(target);
    if (m_name.empty())
        return fail(WriteResult::system(EISDIR));
    m_folder = folderOf(target);
    const std::string &folder = m_folder;
    m_dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    m_folderSyncable = m_dirFd >= 0;
    // A folder we may write but not list can still take the file; it cannot
    // be synced then.
    if (m_dirFd < 0 && errno == EACCES)
        m_dirFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_dirFd < 0)
        return fail(WriteResult::system(errno));
    removeStaleTemporaries(m_dirFd);
    // Private until its mode is set: the old file may be someone's secret.
    if (const WriteResult r = createTemporary(existing ? 0600 : 0666); !r.ok())
        return fail(r);
    m_mode = Mode::Replace;
    if (!existing)
        return {};

    const uid_t uid = ::geteuid();
    bool ownerKept = existing->st_uid == uid && existing->st_gid == ::getegid();
    if (!ownerKept && (uid == 0 || existing->st_uid == uid))
        ownerKept = ::fchown(m_fd, existing->st_uid, existing->st_gid) == 0;
    // A new file would take the name away from the other links, or give the
    // file to us: the old one is overwritten instead, from the complete new
    // content.
    if (!ownerKept || existing->st_nlink > 1) {
        m_mode = Mode::InPlace;
        return {};
    }
    const mode_t mode = existing->st_mode & 07777;
    if (::fchmod(m_fd, mode) != 0) {
        // Some file systems (FAT) take no mode: a narrower one is fine.
        const int err = errno;
        struct stat now;
        if (::fstat(m_fd, &now) != 0 || (now.st_mode & 07777 & ~mode) != 0)
            return fail(WriteResult::system(err));
    }
    // After the mode, which a new access control list would otherwise not
    // match. What cannot be given to a new file stays on the old one.
    if (!copyAttributes(target, m_fd))
        m_mode = Mode::InPlace;
    return {};
}

namespace {

// A new file in the folder dirFd for `name`: unnamed where the file system
// allows (O_TMPFILE), so that a killed process leaves nothing behind, else
// under a temporary name, given in `temporary`. Returns the descriptor, or
// -1 with errno set.
int openTemporary(FileCalls &calls, int dirFd, const std::string &name, mode_t mode, std::string &temporary)
{
    temporary.clear();
    // Read back when the old file is overwritten in place.
    const int fd = calls.openAt(dirFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = temporaryName(name);
        const int named = calls.openAt(dirFd, candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (named >= 0) {
            temporary = candidate;
            return named;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

WriteResult SaveFile::createTemporary(mode_t mode)
{
    m_fd = openTemporary(m_calls, m_dirFd, m_name, mode, m_temporaryName);
    return m_fd >= 0 ? WriteResult{} : WriteResult::system(errno);
}

WriteResult SaveFile::write(std::string_view bytes)
{
    if (!m_failure.ok())
        return m_failure;
    if (m_mode == Mode::Closed)
        return WriteResult::system(EBADF);
    if (const int err = writeAll(m_calls, m_fd, bytes); err != 0)
        return fail(WriteResult::system(err));
    m_size += static_cast<off_t>(bytes.size());
    return {};
}

WriteResult SaveFile::nameTemporary()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporaryName(m_name);
        if (m_calls.linkAt(m_fd, m_dirFd, name.c_str()) == 0) {
            m_temporaryName = name;
            return {};
        }
        if (errno != EEXIST)
            return WriteResult::system(errno);
    }
    return WriteResult::system(EEXIST);
}

WriteResult SaveFile::holdExisting()
{
    if (m_heldFd >= 0)
        return {};
    // Written through in place, and read for the backup. Not followed: the
    // name was resolved at the open, and a link put there since is not that
    // file.
    const int access = m_mode == Mode::InPlace ? O_RDWR : O_RDONLY;
    const int fd = m_calls.openAt(m_dirFd, m_name.c_str(), access | O_NOCTTY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0);
    if (fd < 0) {
        if (errno == ENOENT && m_options.unchanged)
            return {WriteResult::Problem::Changed, ESTALE};
        return WriteResult::system(errno);
    }
    m_heldFd = fd;
    if (const int err = lockExclusive(fd, LockSeconds); err != 0)
        return WriteResult::system(err);
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return WriteResult::system(errno);
    if (!S_ISREG(st.st_mode) || (m_options.unchanged && fileStamp(st) != *m_options.unchanged))
        return {WriteResult::Problem::Changed, ESTALE};
    return {};
}

WriteResult SaveFile::copyInPlace()
{
    const int fd = m_heldFd;
    struct stat old;
    if (::fstat(fd, &old) != 0)
        return WriteResult::system(errno);
    // Where a size limit forbids the new content or its backup, the old
    // stays whole (past the limit the system would end the process).
    struct rlimit limit;
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(std::max(m_size, old.st_size)) > limit.rlim_cur)
        return WriteResult::system(EFBIG);
    // So is it where the disk has no room for the new content.
    if (m_size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, m_size) != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
        return WriteResult::system(errno);
    WriteResult result = overwriteKeepingBackup(fd, old);
    m_heldFd = -1;
    if (::close(fd) != 0 && errno != EINTR && result.ok())
        result = WriteResult::system(errno);
    return result;
}

WriteResult SaveFile::overwriteKeepingBackup(int fd, const struct stat &old)
{
    const WriteResult inTheWay(WriteResult::Problem::BackupInTheWay, EEXIST);
    const std::string backup = m_name + "~";
    struct stat taken;
    if (::fstatat(m_dirFd, backup.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
        return inTheWay;
    // Named NAME~ only once it is whole and synced, and never over another
    // file of that name, so that a NAME~ is always a whole copy.
    std::string temporary;
    const int copy = openTemporary(m_calls, m_dirFd, backup, 0600, temporary);
    if (copy < 0)
        return WriteResult::system(errno);
    // Readable by whom the file is, writable by us alone.
    int err = ::fchmod(copy, (old.st_mode & 0444) | 0200) == 0 ? 0 : errno;
    if (err == 0)
        err = copyContent(m_calls, fd, copy, old.st_size);
    bool named = false;
    if (err == 0) {
        named = (temporary.empty() ? m_calls.linkAt(copy, m_dirFd, backup.c_str())
                                   : ::linkat(m_dirFd, temporary.c_str(), m_dirFd, backup.c_str(), 0)) == 0;
        err = named ? 0 : errno;
    }
    if (!temporary.empty())
        ::unlinkat(m_dirFd, temporary.c_str(), 0);
    auto syncFolder = [this] { return !m_folderSyncable || m_calls.sync(m_dirFd) == 0; };
    if (err == 0 && !syncFolder())
        err = errno;
    if (err != 0) {
        ::close(copy);
        if (named)
            ::unlinkat(m_dirFd, backup.c_str(), 0);
        return err == EEXIST ? inTheWay : WriteResult::system(err);
    }
    WriteResult result;
    bool backupNeeded = false;
    if ((err = copyContent(m_calls, m_fd, fd, m_size)) != 0) {
        result = WriteResult::system(err);
        // The file is torn: the earlier content goes back from the backup,
        // which stays where even that fails.
        backupNeeded = copyContent(m_calls, copy, fd, old.st_size) != 0;
    }
    ::close(copy);
    if (backupNeeded) {
        result.backup = m_folder + backup;
        return result;
    }
    // A backup that comes back after a crash holds the old content: harmless.
    if (::unlinkat(m_dirFd, backup.c_str(), 0) == 0)
        syncFolder();
    return result;
}

WriteResult SaveFile::prepare()
{
    if (!m_failure.ok())
        return m_failure;
    if (m_mode == Mode::Closed)
        return WriteResult::system(EBADF);
    if (m_mode == Mode::Direct || m_prepared)
        return {};
    if (m_mode == Mode::Replace) {
        if (m_calls.sync(m_fd) != 0)
            return fail(WriteResult::system(errno));
        if (m_temporaryName.empty()) {
            if (const WriteResult r = nameTemporary(); !r.ok())
                return fail(r);
        }
    }
    // Held until the new content is in place, so that no writer of ours
    // comes in between.
    if (m_mode == Mode::InPlace || m_options.unchanged) {
        if (const WriteResult r = holdExisting(); !r.ok())
            return fail(r);
    }
    m_prepared = true;
    return {};
}

WriteResult SaveFile::commit()
{
    if (!m_failure.ok())
        return m_failure;
    switch (m_mode) {
    case Mode::Closed:
        return WriteResult::system(EBADF);
    case Mode::Direct: {
        const int fd = m_fd;
        m_fd = -1;
        const bool closed = ::close(fd) == 0 || errno == EINTR;
        if (!closed)
            return fail(WriteResult::system(errno));
        release();
        return {};
    }
    case Mode::InPlace:
        if (const WriteResult r = prepare(); !r.ok())
            return r;
        if (const WriteResult r = copyInPlace(); !r.ok())
            return fail(r);
        release();
        return {};
    case Mode::Replace:
        break;
    }
    if (const WriteResult r = prepare(); !r.ok())
        return r;
    if (m_calls.renameAt(m_dirFd, m_temporaryName.c_str(), m_name.c_str()) != 0)
        return fail(WriteResult::system(errno));
    m_temporaryName.clear(); // it is the file now
    // Until the folder is synced a crash may still bring back the old file.
    if (m_folderSyncable && m_calls.sync(m_dirFd) != 0)
        return fail(WriteResult::system(errno));
    release();
    return {};
}

WriteResult writeWholeFile(const std::string &path, std::string_view bytes, FileCalls &calls)
{
    SaveFile file(calls);
    if (const WriteResult r = file.open(path); !r.ok())
        return r;
    if (const WriteResult r = file.write(bytes); !r.ok())
        return r;
    return file.commit();
}

int replaceWholeFile(const std::string &path, std::string_view bytes)
{
    FileCalls system;
    return writeWholeFile(path, bytes, system).err;
}

WriteResult replaceRegularFile(const std::string &path, std::string_view bytes)
{
    FileCalls system;
    SaveFile file(system);
    SaveOptions options;
    options.regularOnly = true;
    if (const WriteResult r = file.open(path, options); !r.ok())
        return r;
    if (const WriteResult r = file.write(bytes); !r.ok())
        return r;
    return file.commit();
}

std::string windowWriteFailureText(const WriteResult &result)
{
    std::string text;
    switch (result.problem) {
    case WriteResult::Problem::NotRegular:
        text = "通常のファイルではありません (not a regular file: a named pipe, a device or a socket)";
        break;
    case WriteResult::Problem::Changed:
        text = "ほかのプログラムが変更しました (another program changed it since it was read)";
        break;
    case WriteResult::Problem::BackupInTheWay:
        text = "バックアップ (名前~) がすでにあります (its backup, the name followed by ~, is there already: "
               "move it away first)";
        break;
    default:
        text = ioErrorText(result.err);
    }
    if (!result.backup.empty())
        text += " (以前の内容: the earlier content is in " + result.backup + ")";
    return text;
}

std::string writeFailureText(const std::string &path, const WriteResult &result)
{
    std::string words;
    switch (result.problem) {
    case WriteResult::Problem::None:
        return path;
    case WriteResult::Problem::ReadOnly:
        words = "read-only (its mode allows no writing)";
        break;
    case WriteResult::Problem::NoReader:
        words = "no reader (a named pipe that no program reads)";
        break;
    case WriteResult::Problem::NotAFile:
        words = result.err == EISDIR ? "a folder, not a file" : "neither a file nor a device that can be written";
        break;
    case WriteResult::Problem::NotRegular:
        words = "not a regular file (a FIFO, a device or a socket)";
        break;
    case WriteResult::Problem::Changed:
        words = "changed by another program since it was read; nothing written, run again";
        break;
    case WriteResult::Problem::BackupInTheWay:
        words = "its backup (the name followed by ~) is there already, perhaps from a write that was cut off: "
                "move it away first";
        break;
    case WriteResult::Problem::System:
        switch (result.err) {
        case EFBIG:
            words = "file too large";
            break;
        case ENOSPC:
        case EDQUOT:
            words = "disk full";
            break;
        case EROFS:
            words = "read-only file system";
            break;
        case EWOULDBLOCK:
            words = "still locked by another writer";
            break;
        default:
            words = std::strerror(result.err);
        }
    }
    if (!result.backup.empty())
        words += "; the earlier content is in " + result.backup;
    return path + ": " + words;
}

std::optional<FileIdentity> fileIdentity(const std::string &path)
{
    std::string target;
    struct stat st;
    bool exists = false;
    if (path.empty() || path.find('\0') != std::string::npos || !resolve(path, target, st, exists).ok())
        return std::nullopt;
    if (exists)
        return FileIdentity{S_ISREG(st.st_mode) ? FileIdentity::Kind::Existing : FileIdentity::Kind::Other, st.st_dev,
                            st.st_ino, {}};
    struct stat folder;
    if (::stat(folderOf(target).c_str(), &folder) != 0)
        return std::nullopt;
    return FileIdentity{FileIdentity::Kind::New, folder.st_dev, folder.st_ino, nameOf(target)};
}

int writeAll(int fd, std::string_view bytes)
{
    FileCalls system;
    return writeAll(system, fd, bytes);
}

int lockExclusive(int fd, int seconds)
{
    return lock(fd, LOCK_EX, seconds);
}

int lockShared(int fd, int seconds)
{
    return lock(fd, LOCK_SH, seconds);
}

} // namespace sf
