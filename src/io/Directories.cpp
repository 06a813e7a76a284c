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
#include <vector>

namespace sf {

namespace {

// Opens directory `path` (absolute, or relative to the current directory)
// one name at a time, the last one with `lastFlags`. Returns the descriptor
// or -errno. O_PATH on the way down needs search permission only, as a
// path handed to the system whole would.
int openDirectory(std::string_view path, int lastFlags)
{
    if (path.empty())
        return -ENOENT;
    // A NUL would end the name early and open another directory.
    if (path.find('\0') != std::string_view::npos)
        return -EINVAL;
    int at = ::open(path.front() == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
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

struct DirCloser {
    void operator()(DIR *dir) const { ::closedir(dir); }
};

} // namespace

std::string currentDirectoryPath()
{
    std::vector<char> buffer(PATH_MAX);
    // glibc finds a path beyond PATH_MAX by itself; ERANGE only asks for room.
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

int enterDirectoryPath(std::string_view path)
{
    const int fd = openDirectory(path, O_PATH);
    if (fd < 0)
        return -fd;
    const int err = ::fchdir(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

int readDirectory(std::string_view path, const std::function<void(std::string_view name, EntryType type)> &each)
{
    const int fd = openDirectory(path, O_RDONLY);
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
