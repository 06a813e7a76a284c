#pragma once

#include "io/Directories.h"

#include <QByteArray>
#include <QString>

#include <string_view>

namespace sf {

// The save directory is a value the window holds (a HeldDirectory), not
// the process's current directory, which is read once, when the window is
// made, and never changed. Paths are bytes, as the file system holds them
// (see io/Directories.h), at any length; only what is shown is decoded.

// The directory the program was started in, held open; nothing is held
// when it cannot be opened.
HeldDirectory startUpDirectory();

// The path of a held directory (symbolic links resolved), or an empty path
// when it cannot be had (it was removed).
QByteArray pathOf(const HeldDirectory &directory);

// A name or path as the lists show it: UTF-8, with U+FFFD for each byte
// that does not decode.
QString displayName(const QByteArray &bytes);

// The bytes of a path as the io calls take them.
inline std::string_view byteView(const QByteArray &bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace sf
