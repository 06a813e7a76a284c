#pragma once

#include <string>

namespace sf {

// Whether a file name taken from a case file leaves the case's folder: an
// absolute name, or one that climbs above the folder with "..", such as
// "../x" or "a/../../x". "sub/../x" and "./x" stay inside.
bool leavesFolder(const std::string &name);

// `name` taken in `folder` (an absolute name as it is), with "." and ".."
// worked out on the text alone, as the user is shown where a file goes.
std::string placeInFolder(const std::string &folder, const std::string &name);

} // namespace sf
