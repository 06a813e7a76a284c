#include "WholeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace sf {

namespace {

// ".<name>.<pid>.<n>" next to the target, where a rename is atomic.
std::string temporaryName(const std::string &path, unsigned attempt)
{
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return dir + "." + name + "." + std::to_string(::getpid()) + "." + std::to_string(attempt);
}

} // namespace

int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
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

int replaceWholeFile(const std::string &path, std::string_view bytes)
{
    if (path.empty() || path.back() == '/')
        return path.empty() ? ENOENT : EISDIR;
    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = temporaryName(path, attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;

    int err = writeAll(fd, bytes);
    if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0 && errno != EINTR)
        err = errno;
    if (err == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        err = errno;
    if (err != 0)
        ::unlink(temporary.c_str());
    return err;
}

} // namespace sf
