#pragma once

#include <stdexcept>
#include <string>

namespace sf {

// A file-system call failed. code() is the code of the I/O error table
// (2 file not found, 3 bad path, 4 too many files, 5 access denied,
// 101 disk full, otherwise the raw errno), not always the errno itself;
// what() is the text the user sees (UTF-8).
class InOutError : public std::runtime_error {
public:
    InOutError(int code, const std::string &text) : std::runtime_error(text), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

// The user's text for a failed file-system call. Known errno values map to
// the codes of the I/O error table (2, 3, 4, 5, 101) and their texts; any
// other shows "I/O エラー (<errno>)".
std::string ioErrorText(int err);

// ioErrorText with its table code, ready to throw.
InOutError ioError(int err);

} // namespace sf
