#include "export/FileSink.h"

#include <cstring>
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

FileSink::FileSink(const std::string &path) : m_name(path == "-" ? "standard output" : path), m_file(m_calls)
{
    if (path == "-")
        m_toStandardOutput = true;
    else if (const WriteResult r = m_file.open(path); !r.ok())
        throw std::runtime_error(writeFailureText(path, r));
    m_buffer.reserve(BufferBytes);
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
    if (m_toStandardOutput) {
        if (const int err = sf::writeAll(STDOUT_FILENO, bytes); err != 0)
            fail(WriteResult::system(err));
    } else if (const WriteResult r = m_file.write(bytes); !r.ok()) {
        fail(r);
    }
}

void FileSink::close()
{
    flush();
    if (m_toStandardOutput)
        return;
    if (const WriteResult r = m_file.commit(); !r.ok())
        fail(r);
}

void FileSink::fail(const WriteResult &result)
{
    m_buffer.clear();
    throw std::runtime_error(writeFailureText(m_name, result));
}

} // namespace sf
