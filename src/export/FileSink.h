#pragma once

#include "export/SweepTable.h"
#include "io/WholeFile.h"

#include <string>
#include <string_view>

namespace sf {

// A table written to a file or to standard output through a 64 KiB buffer.
// A file is written whole or not at all (io/SaveFile): until the close
// succeeds an earlier file of that name stays as it was. Every failure, the
// close included, throws std::runtime_error with "<name>: <what went wrong>"
// in the words of writeFailureText.
class FileSink : public ByteSink {
public:
    // "-" is standard output; any other path is created or replaced.
    explicit FileSink(const std::string &path);
    FileSink(const FileSink &) = delete;
    FileSink &operator=(const FileSink &) = delete;

    void write(std::string_view bytes) override;
    // Hands over what is buffered and puts the file in place (standard
    // output stays open).
    void close();

private:
    void flush();
    void writeAll(std::string_view bytes);
    [[noreturn]] void fail(const WriteResult &result);

    std::string m_name;
    bool m_toStandardOutput = false;
    FileCalls m_calls;
    SaveFile m_file;
    std::string m_buffer;
};

// A message for the user about a path: "<path>: <strerror>".
std::string systemMessage(const std::string &path, int err);

} // namespace sf
