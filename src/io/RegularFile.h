#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sf {

// What a read of a file through readRegularFile or readFileOpening gave.
struct RegularFileRead {
    enum class Problem {
        None,
        System,     // a call failed with `err`
        Directory,  // a folder
        NotRegular, // a named pipe, a socket or a device: it may never end, or never answer
        TooLarge,   // more than the limit, when it was found or while it was read
    };
    Problem problem = Problem::None;
    int err = 0;
    std::string bytes;
    std::uint64_t size = 0; // the whole file's, as it was when opened

    bool ok() const { return problem == Problem::None; }
};

// The bytes of the regular file at `path`, at most `maxBytes` of them.
// Never waits: a named pipe is opened without waiting for a writer and
// refused, as is anything but a regular file. A file that has grown past
// `maxBytes` since it was found is TooLarge too.
RegularFileRead readRegularFile(const std::string &path, std::size_t maxBytes);

// The first `bytes` bytes of the regular file at `path` (fewer when it is
// shorter), and its size; refused as readRegularFile refuses, but never
// TooLarge.
RegularFileRead readFileOpening(const std::string &path, std::size_t bytes);

} // namespace sf
