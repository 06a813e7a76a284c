#include "WholeFile.h"

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
    if (!m_temporaryName.empty())
        ::unlinkat(m_dirFd, m_temporaryName.c_str(), 0);
    if (m_dirFd >= 0)
        ::close(m_dirFd);
    m_fd = m_dirFd = -1;
    m_temporaryName.clear();
    m_name.clear();
    m_mode = Mode::Closed;
    m_size = 0;
}

WriteResult SaveFile::fail(WriteResult result)
{
    release();
    m_failure = result;
    return result;
}

WriteResult SaveFile::open(const std::string &path)
{
    release();
    m_failure = {};
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
    const std::string folder = folderOf(target);
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
    return {};
}

WriteResult SaveFile::createTemporary(mode_t mode)
{
    // Read back when the old file is overwritten in place.
    const int fd = m_calls.openAt(m_dirFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (fd >= 0) {
        m_fd = fd;
        return {};
    }
    // File systems or kernels without O_TMPFILE: a named file.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return WriteResult::system(errno);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = temporaryName(m_name);
        const int named = m_calls.openAt(m_dirFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (named >= 0) {
            m_fd = named;
            m_temporaryName = name;
            return {};
        }
        if (errno != EEXIST)
            return WriteResult::system(errno);
    }
    return WriteResult::system(EEXIST);
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

WriteResult SaveFile::copyInPlace()
{
    // Where a size limit forbids the new content, the old stays whole.
    struct rlimit limit;
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(m_size) > limit.rlim_cur)
        return WriteResult::system(EFBIG);
    const int fd = m_calls.openAt(m_dirFd, m_name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK, 0);
    if (fd < 0)
        return WriteResult::system(errno);
    WriteResult result = [&]() -> WriteResult {
        if (const int err = lockExclusive(fd, LockSeconds); err != 0)
            return WriteResult::system(err);
        // So is it where the disk has no room for the new content.
        if (m_size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, m_size) != 0 && errno != EOPNOTSUPP &&
            errno != ENOSYS)
            return WriteResult::system(errno);
        std::vector<char> buffer(64 * 1024);
        for (off_t at = 0; at < m_size;) {
            const ssize_t n = ::pread(m_fd, buffer.data(), buffer.size(), at);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return WriteResult::system(n < 0 ? errno : EIO);
            if (const int err = writeAll(m_calls, fd, std::string_view(buffer.data(), static_cast<std::size_t>(n))))
                return WriteResult::system(err);
            at += n;
        }
        if (::ftruncate(fd, m_size) != 0 || m_calls.sync(fd) != 0)
            return WriteResult::system(errno);
        return {};
    }();
    if (::close(fd) != 0 && errno != EINTR && result.ok())
        result = WriteResult::system(errno);
    return result;
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
        if (const WriteResult r = copyInPlace(); !r.ok())
            return fail(r);
        release();
        return {};
    case Mode::Replace:
        break;
    }
    if (m_calls.sync(m_fd) != 0)
        return fail(WriteResult::system(errno));
    if (m_temporaryName.empty()) {
        if (const WriteResult r = nameTemporary(); !r.ok())
            return fail(r);
    }
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
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
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

} // namespace sf
