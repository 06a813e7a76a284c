#include "export/FileSink.h"

#include "io/WholeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace sf {

namespace {
constexpr std::size_t BufferBytes = 64 * 1024;
}

std::string systemMessage(const std::string &path, int err)
{
    return path + ": " + std::strerror(err);
}

FileSink::FileSink(const std::string &path) : m_name(path == "-" ? "standard output" : path)
{
    if (path == "-") {
        m_fd = STDOUT_FILENO;
    } else {
        m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
        if (m_fd < 0)
            throw std::runtime_error(systemMessage(path, errno));
        m_owned = true;
    }
    m_buffer.reserve(BufferBytes);
}

FileSink::~FileSink()
{
    if (m_owned && m_fd >= 0)
        ::close(m_fd);
}

void FileSink::write(std::string_view bytes)
{
    if (m_buffer.size() + bytes.size() > BufferBytes)
        flush();
    // Large pieces go out as they are, without a copy.
    if (bytes.size() >= BufferBytes)
        writeAll(bytes);
    else
        m_buffer.append(bytes);
}

void FileSink::flush()
{
    writeAll(m_buffer);
    m_buffer.clear();
}

void FileSink::writeAll(std::string_view bytes)
{
    if (const int err = sf::writeAll(m_fd, bytes); err != 0)
        fail(err);
}

void FileSink::close()
{
    flush();
    if (!m_owned)
        return;
    const int fd = m_fd;
    m_fd = -1;
    m_owned = false;
    if (::close(fd) != 0 && errno != EINTR)
        fail(errno);
}

void FileSink::fail(int err)
{
    m_buffer.clear();
    throw std::runtime_error(systemMessage(m_name, err));
}

} // namespace sf
