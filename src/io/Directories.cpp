#include "Directories.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace sf {

namespace {

// Opens directory `path` (absolute, or relative to the directory `base`)
// one name at a time, the last one with `lastFlags`. Returns the descriptor
// or -errno. O_PATH on the way down needs search permission only, as a
// path handed to the system whole would.
int openDirectory(int base, std::string_view path, int lastFlags)
{
    if (path.empty())
        return -ENOENT;
    // A NUL would end the name early and open another directory.
    if (path.find('\0') != std::string_view::npos)
        return -EINVAL;
    // An absolute path starts from "/", whatever base is.
    int at = ::openat(base, path.front() == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (at < 0)
        return -errno;
    std::size_t start = 0;
    for (;;) {
        while (start < path.size() && path[start] == '/')
            ++start;
        const std::size_t end = std::min(path.find('/', start), path.size());
        std::size_t next = end;
        while (next < path.size() && path[next] == '/')
            ++next;
        const bool last = next == path.size();
        // The root alone has no name: the walk opens "/" itself.
        const std::string name = end > start ? std::string(path.substr(start, end - start)) : ".";
        const int fd = ::openat(at, name.c_str(), (last ? lastFlags : O_PATH) | O_DIRECTORY | O_CLOEXEC);
        const int err = errno;
        ::close(at);
        if (fd < 0)
            return -err;
        if (last)
            return fd;
        at = fd;
        start = next;
    }
}

EntryType typeOf(int dirFd, const dirent &entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return EntryType::File;
    case DT_DIR:
        return EntryType::Directory;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default:
        return EntryType::Other;
    }
    struct stat st;
    if (::fstatat(dirFd, entry.d_name, &st, 0) != 0)
        return EntryType::Other;
    if (S_ISREG(st.st_mode))
        return EntryType::File;
    return S_ISDIR(st.st_mode) ? EntryType::Directory : EntryType::Other;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The path the system keeps for fd, when it still leads there. There is
// none beyond a page (4,096 bytes), and a removed directory's ends in
// " (deleted)", which leads nowhere or elsewhere.
std::string keptPath(int fd, const struct stat &held)
{
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::vector<char> buffer(PATH_MAX);
    const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size() || buffer[0] != '/')
        return {};
    std::string path(buffer.data(), static_cast<std::size_t>(n));
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !sameFile(st, held))
        return {};
    return path;
}

struct DirCloser {
    void operator()(DIR *dir) const { ::closedir(dir); }
};

// The name under which `parent` holds the directory `child`; empty when it
// holds none (the child was removed).
std::string nameIn(int parent, const struct stat &child)
{
    const int fd = ::openat(parent, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return {};
    }
    while (const dirent *entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == ".." || (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN))
            continue;
        // A mount point's d_ino is the covered directory's; fstatat
        // leads into the mounted one, as a path does.
        struct stat st;
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(st, child))
            return std::string(name);
    }
    return {};
}

// The path found by climbing "..", looking for each directory's name in its
// parent, as getcwd does where the system cannot: at any length, where the
// parents can be read.
std::string climbedPath(int fd, struct stat st)
{
    std::vector<std::string> names;
    int at = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    while (at >= 0) {
        const int parent = ::openat(at, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        ::close(at);
        at = parent;
        struct stat up;
        if (at < 0 || ::fstat(at, &up) != 0)
            break;
        // The root is its own parent.
        if (sameFile(up, st)) {
            ::close(at);
            std::string path;
            for (auto name = names.rbegin(); name != names.rend(); ++name)
                path += '/' + *name;
            return path.empty() ? "/" : path;
        }
        names.push_back(nameIn(at, st));
        if (names.back().empty())
            break;
        st = up;
    }
    if (at >= 0)
        ::close(at);
    return {};
}

} // namespace

HeldDirectory::HeldDirectory(HeldDirectory &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

HeldDirectory &HeldDirectory::operator=(HeldDirectory &&other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

HeldDirectory::~HeldDirectory()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int HeldDirectory::open(int at, std::string_view path)
{
    const int found = openDirectory(at, path, O_PATH);
    if (found < 0)
        return -found;
    // O_PATH asks nothing of the directory itself; looking up "." in it
    // asks for search permission, as entering it would.
    const int fd = ::openat(found, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int err = errno;
    ::close(found);
    if (fd < 0)
        return err;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    return 0;
}

std::string HeldDirectory::path() const
{
    return directoryPath(m_fd);
}

std::string directoryPath(int fd)
{
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {};
    std::string path = keptPath(fd, st);
    return path.empty() ? climbedPath(fd, st) : path;
}

int readDirectory(std::string_view path, const std::function<void(std::string_view name, EntryType type)> &each)
{
    const int fd = openDirectory(AT_FDCWD, path, O_RDONLY);
    if (fd < 0)
        return -fd;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
        const int err = errno;
        ::close(fd);
        return err;
    }
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir.get());
        if (!entry)
            return errno;
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        each(name, typeOf(::dirfd(dir.get()), *entry));
    }
}

} // namespace sf
