#pragma once

#include <string>
#include <string_view>

namespace sf {

// Replaces the file at `path` with `bytes`, all or nothing: the bytes go to
// a new file in the same directory, which is synced and then renamed over
// `path`. Until that rename an existing file keeps its content; after a
// failure no new file is left behind. A new file gets mode 0666 less the
// umask. Returns 0 or the errno of the failure.
int replaceWholeFile(const std::string &path, std::string_view bytes);

} // namespace sf
