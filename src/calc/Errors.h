#pragma once

#include <stdexcept>

namespace sf {

// Every error that ends a calculation carries the exact text the user sees
// (UTF-8).
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

} // namespace sf
