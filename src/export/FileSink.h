#pragma once

#include "export/SweepTable.h"

#include <string>
#include <string_view>

namespace sf {

// A table written to a file or to standard output through a 64 KiB buffer.
// Every failure, the close included, throws std::runtime_error with
// "<name>: <what the system says>".
class FileSink : public ByteSink {
public:
    // "-" is standard output; any other path is created or replaced.
    explicit FileSink(const std::string &path);
    ~FileSink() override;
    FileSink(const FileSink &) = delete;
    FileSink &operator=(const FileSink &) = delete;

    void write(std::string_view bytes) override;
    // Hands over what is buffered and closes the file (not standard output).
    void close();

private:
    void flush();
    void writeAll(std::string_view bytes);
    [[noreturn]] void fail(int err);

    std::string m_name;
    int m_fd = -1;
    bool m_owned = false;
    std::string m_buffer;
};

// A message for the user about a path: "<path>: <strerror>".
std::string systemMessage(const std::string &path, int err);

} // namespace sf
