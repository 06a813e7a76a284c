#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace sf {

// Directory paths as bytes. A name on Linux is any bytes but "/" and NUL,
// whatever the locale says (folders copied from old shares keep their
// Shift_JIS names), and a path may be longer than PATH_MAX, which the
// system refuses in a single call. These calls take both as they are:
// a path is opened one name at a time from its start.

// The current directory, symbolic links resolved, at any length; empty when
// it cannot be had (it was removed).
std::string currentDirectoryPath();

// Makes `path` the current directory. Returns 0 or the errno of the failure;
// the current directory is then unchanged.
int enterDirectoryPath(std::string_view path);

enum class EntryType {
    File,      // a regular file
    Directory,
    Other,     // a device, pipe, socket or a link leading nowhere
};

// Calls `each` with every name in directory `path` except "." and "..", and
// the type of what the name leads to (a symbolic link counts as its target).
// Returns 0, or the errno of opening or reading the directory.
int readDirectory(std::string_view path, const std::function<void(std::string_view name, EntryType type)> &each);

} // namespace sf
