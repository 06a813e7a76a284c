#pragma once

#include <QString>

namespace sf {

// The process's current directory is the one place where the report's
// directory lives: the browser changes it, the report writer opens names
// relative to it. These wrap the system calls so that failures keep their
// errno for the error box.

// The current directory as the system reports it (symbolic links resolved),
// or an empty string when it cannot be had (it was removed).
QString currentDirectory();

// Makes path the current directory. Returns 0 or the errno of the failure;
// on failure the current directory is unchanged.
int enterDirectory(const QString &path);

} // namespace sf
