#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>

namespace sf {

// The process's current directory is the one place where the report's
// directory lives: the browser changes it, the report writer opens names
// relative to it. Paths are bytes, as the file system holds them (see
// io/Directories.h), at any length; only what is shown is decoded.

// The current directory as the system reports it (symbolic links resolved),
// or an empty path when it cannot be had (it was removed).
QByteArray currentDirectory();

// Makes path the current directory. Returns 0 or the errno of the failure;
// on failure the current directory is unchanged.
int enterDirectory(const QByteArray &path);

// A name or path as the lists show it: UTF-8, with U+FFFD for each byte
// that does not decode.
QString displayName(const QByteArray &bytes);

// The bytes of a path as the io calls take them.
inline std::string_view byteView(const QByteArray &bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace sf
