#include "RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sf {

namespace {

RegularFileRead readAtMost(const std::string &path, std::size_t limit, bool refuseLarger)
{
    RegularFileRead r;
    auto failed = [&r](RegularFileRead::Problem problem, int err = 0) {
        r.problem = problem;
        r.err = err;
        r.bytes.clear();
        return r;
    };
    // Without O_NONBLOCK, opening a named pipe waits until some other
    // program writes to it: the command line would hang and the window
    // would never paint again.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failed(RegularFileRead::Problem::System, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return failed(RegularFileRead::Problem::System, errno);
    if (S_ISDIR(st.st_mode))
        return failed(RegularFileRead::Problem::Directory);
    if (!S_ISREG(st.st_mode))
        return failed(RegularFileRead::Problem::NotRegular);
    r.size = static_cast<std::uint64_t>(st.st_size);
    if (refuseLarger && r.size > limit)
        return failed(RegularFileRead::Problem::TooLarge);

    // One byte past the limit tells a file that grew from one that ends there.
    const std::size_t wanted = refuseLarger ? limit + 1 : limit;
    char buf[65536];
    while (r.bytes.size() < wanted) {
        const std::size_t room = wanted - r.bytes.size();
        const ssize_t n = ::read(fd, buf, room < sizeof buf ? room : sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(RegularFileRead::Problem::System, errno);
        if (n == 0)
            break;
        r.bytes.append(buf, static_cast<std::size_t>(n));
    }
    if (r.bytes.size() > limit)
        return failed(RegularFileRead::Problem::TooLarge);
    return r;
}

} // namespace

RegularFileRead readRegularFile(const std::string &path, std::size_t maxBytes)
{
    return readAtMost(path, maxBytes, true);
}

RegularFileRead readFileOpening(const std::string &path, std::size_t bytes)
{
    return readAtMost(path, bytes, false);
}

} // namespace sf
