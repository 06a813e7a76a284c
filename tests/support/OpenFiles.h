#pragma once

#include <filesystem>
#include <iterator>

namespace sf::test {

// The file descriptors this process holds open.
inline long openFileCount()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator());
}

} // namespace sf::test
