#pragma once

#include "calc/Errors.h"

#include <string>

namespace sf {

// The user's text for a failed file-system call. Known errno values map to
// the codes of the I/O error table (2, 3, 4, 5, 101) and their texts; any
// other shows "I/O エラー (<errno>)".
std::string ioErrorText(int err);

// ioErrorText with its table code, ready to throw.
InOutError ioError(int err);

} // namespace sf
