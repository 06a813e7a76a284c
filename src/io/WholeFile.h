#pragma once

#include <string>
#include <string_view>

namespace sf {

// Hands all of `bytes` to fd, however many writes that takes, waiting out
// interruptions. Returns 0 or the errno of the failed write (ENOSPC when
// the system takes nothing without saying why).
int writeAll(int fd, std::string_view bytes);

// Replaces the file at `path` with `bytes`, all or nothing: the bytes go to
// a new file in the same directory, which is synced and then renamed over
// `path`. Until that rename an existing file keeps its content; after a
// failure no new file is left behind. A new file gets mode 0666 less the
// umask. Returns 0 or the errno of the failure.
int replaceWholeFile(const std::string &path, std::string_view bytes);

} // namespace sf
