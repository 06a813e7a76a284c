#include "TextFile.h"

#include "IoErrors.h"
#include "WholeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sf {

namespace {

// A writer waits this long for another one to finish with the file.
constexpr int LockSeconds = 10;

// 0 when the report may be written into what fd opened, else the errno.
// The old content of a regular file goes only once no other writer holds
// it, so that two writers never interleave their blocks.
int checkOpened(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return errno;
    // A report is never written into a pipe or a socket: the write would
    // wait for a reader or fail once it is gone. The system answers a
    // socket, and a pipe without a reader, with ENXIO, so a pipe with one
    // gets that too. Character devices (/dev/null, a terminal) stay usable.
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))
        return ENXIO;
    // Writes block as usual, so that a slow device is waited for.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return errno;
    if (const int err = lockExclusive(fd, LockSeconds); err != 0)
        return err;
    if (S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0)
        return errno;
    return 0;
}

} // namespace

TextFile::~TextFile()
{
    release();
}

void TextFile::release()
{
    if (m_fd >= 0 && m_owned)
        ::close(m_fd);
    m_fd = -1;
    m_owned = false;
    m_used = 0;
}

int TextFile::rewrite(int directory, const std::string &name)
{
    release();
    if (name.empty())
        return ENOENT;
    // The system would take the name only up to a NUL and write to another
    // file than the one named.
    if (name.find('\0') != std::string::npos)
        return EINVAL;
    // Without O_NONBLOCK, opening a named pipe waits until some other program
    // reads it. The file is truncated once it is locked.
    const int fd = ::openat(directory, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0)
        return errno;
    if (const int err = checkOpened(fd); err != 0) {
        ::close(fd);
        return err;
    }
    m_fd = fd;
    m_owned = true;
    return 0;
}

void TextFile::assign(int fd)
{
    release();
    m_fd = fd;
}

void TextFile::writeLine(std::string_view line)
{
    put(line);
    put("\r\n");
}

void TextFile::put(std::string_view bytes)
{
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), BufferSize - m_used);
        std::memcpy(m_buffer.data() + m_used, bytes.data(), n);
        m_used += n;
        bytes.remove_prefix(n);
        if (m_used == BufferSize)
            flush();
    }
}

void TextFile::flush()
{
    if (const int err = writeAll(m_fd, std::string_view(m_buffer.data(), m_used)); err != 0)
        fail(err);
    m_used = 0;
}

void TextFile::close()
{
    flush();
    const int fd = m_fd;
    const bool owned = m_owned;
    m_fd = -1;
    m_owned = false;
    if (owned && ::close(fd) != 0 && errno != EINTR)
        throw ioError(errno);
}

void TextFile::abandon()
{
    release();
}

void TextFile::fail(int err)
{
    abandon();
    throw ioError(err);
}

} // namespace sf
