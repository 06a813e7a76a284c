#pragma once

#include <array>
#include <string>
#include <string_view>

namespace sf {

// A text file written through a 128-byte buffer that is handed to the
// operating system when it is full and at the close, so that what a failure
// leaves on disk is whole 128-byte blocks. Lines end in CR LF.
class TextFile {
public:
    static constexpr std::size_t BufferSize = 128;

    TextFile() = default;
    TextFile(const TextFile &) = delete;
    TextFile &operator=(const TextFile &) = delete;
    ~TextFile();

    // Creates or truncates `name` (mode 0666 before the umask): absolute, or
    // relative to the directory open as `directory` (as openat takes it).
    // Holds an exclusive advisory lock (flock) on it until the close: the old
    // content goes only once another writer of the file has closed it, which
    // is waited for up to 10 seconds. Returns 0 or the errno; ENXIO for a
    // named pipe or a socket, which are never written into, EINVAL for a
    // name holding a NUL byte, EWOULDBLOCK when the other writer kept the
    // lock. Never waits for a reader.
    int rewrite(int directory, const std::string &name);

    // Writes into a descriptor that stays its owner's (standard output):
    // close() hands over the rest but leaves it open.
    void assign(int fd);

    // Write and close throw InOutError; after a failure the file is closed.
    void writeLine(std::string_view line);
    void close();

    // Closes without handing over what is still buffered.
    void abandon();

private:
    void put(std::string_view bytes);
    void flush();
    [[noreturn]] void fail(int err);

    void release();

    int m_fd = -1;
    bool m_owned = false;
    std::array<char, BufferSize> m_buffer{};
    std::size_t m_used = 0;
};

} // namespace sf
