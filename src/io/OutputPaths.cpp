#include "OutputPaths.h"

#include <filesystem>

namespace sf {

namespace fs = std::filesystem;

bool leavesFolder(const std::string &name)
{
    const fs::path path(name);
    if (path.has_root_directory())
        return true;
    int depth = 0;
    for (const fs::path &part : path) {
        if (part == "..")
            --depth;
        else if (!part.empty() && part != ".")
            ++depth;
        if (depth < 0)
            return true;
    }
    return false;
}

std::string placeInFolder(const std::string &folder, const std::string &name)
{
    return (fs::path(folder) / name).lexically_normal().string();
}

} // namespace sf
