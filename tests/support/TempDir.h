#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace sf::test {

// A fresh directory that is the process's current directory for the
// lifetime of the object; the previous one is restored and the tree removed.
class ScopedTempCwd {
public:
    ScopedTempCwd()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "screenfilter-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_dir = pattern;
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir);
    }
    ~ScopedTempCwd()
    {
        std::error_code ec;
        std::filesystem::current_path(m_previous, ec);
        std::filesystem::remove_all(m_dir, ec);
    }
    ScopedTempCwd(const ScopedTempCwd &) = delete;
    ScopedTempCwd &operator=(const ScopedTempCwd &) = delete;

    const std::filesystem::path &path() const { return m_dir; }

private:
    std::filesystem::path m_dir;
    std::filesystem::path m_previous;
};

// Makes a chain of directories with 200-byte names below the current
// directory and enters the last one, one name at a time: its path is longer
// than PATH_MAX (4,096 bytes), so the system takes it in no single call.
inline void enterDeeperThanPathMax()
{
    const std::string name(200, 'd');
    for (int level = 0; level < 22; ++level) {
        if (::mkdir(name.c_str(), 0777) != 0 || ::chdir(name.c_str()) != 0)
            throw std::runtime_error("cannot go deeper");
    }
}

} // namespace sf::test
