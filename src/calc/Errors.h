#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace sf {

// Every error that ends a run carries the exact text the user sees (UTF-8).
class ScreenFilterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A field text that does not read as a number (either reader), or a decimal
// text whose value is beyond the 80-bit extended range.
class ConvertError : public ScreenFilterError {
public:
    using ScreenFilterError::ScreenFilterError;
};

// Floating-point faults of the calculation (and of storing a read number).
class MathError : public ScreenFilterError {
public:
    using ScreenFilterError::ScreenFilterError;
};

// A division of a non-zero value by zero, or the logarithm of zero.
class ZeroDivideError : public MathError {
public:
    ZeroDivideError() : MathError("0 による浮動小数点数除算") {}
};

// 0/0, or the logarithm of a negative value.
class InvalidOpError : public MathError {
public:
    InvalidOpError() : MathError("不正な浮動小数点数演算命令") {}
};

// A result beyond the extended range, or a value beyond the double range
// when it is stored.
class OverflowError : public MathError {
public:
    OverflowError() : MathError("浮動小数点数のオーバーフロー") {}
};

// A file-system call failed. code() is the code of the I/O error table
// (2 file not found, 3 bad path, 4 too many files, 5 access denied,
// 101 disk full, otherwise the raw errno), not always the errno itself.
class InOutError : public ScreenFilterError {
public:
    InOutError(int code, const std::string &text) : ScreenFilterError(text), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

// The text of the default error box: the message, with "." appended when its
// last character sorts after "." (letters, digits, any multi-byte character;
// not ".", "!", ")" or a blank). In UTF-8 the last byte of a multi-byte
// character is >= 0x80, so comparing the last byte gives the same answer.
std::string errorBoxText(std::string_view message);

} // namespace sf
