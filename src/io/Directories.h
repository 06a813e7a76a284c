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

// A directory held open by an O_PATH descriptor: where the window saves.
// It is held as the process holds its current directory, not as a path:
// renamed, it is the same directory and still receives files; removed,
// nothing can be created in it (ENOENT), even when another directory
// takes its path. A path would instead lose a renamed directory and find
// its stand-in.
class HeldDirectory {
public:
    HeldDirectory() = default; // holds none: names relative to it fail (EBADF)
    HeldDirectory(HeldDirectory &&other) noexcept;
    HeldDirectory &operator=(HeldDirectory &&other) noexcept;
    HeldDirectory(const HeldDirectory &) = delete;
    HeldDirectory &operator=(const HeldDirectory &) = delete;
    ~HeldDirectory();

    // Holds directory `path`: absolute, or relative to the directory `at`
    // (a descriptor as openat takes it). It must be searchable, as for
    // entering it. Returns 0 or the errno of the failure; what was held
    // before is then still held.
    int open(int at, std::string_view path);

    // The descriptor, for openat; -1 when none is held.
    int fd() const { return m_fd; }

    // Its path now, symbolic links resolved, at any length; empty when it
    // cannot be had (it was removed).
    std::string path() const;

private:
    int m_fd = -1;
};

// The path of the directory open as `fd`, as HeldDirectory::path.
std::string directoryPath(int fd);

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
