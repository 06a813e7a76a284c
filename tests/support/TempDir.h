#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
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

} // namespace sf::test
