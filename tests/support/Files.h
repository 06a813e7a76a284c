#pragma once

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#ifndef SCREENFILTER_TEST_DATA
#error "SCREENFILTER_TEST_DATA names the folder of the golden files"
#endif

namespace sf::test {

inline std::string readBytes(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path &file, const std::string &bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

// Makes `path` a character device that writes like /dev/null (major 1,
// minor 3), so that a writer that goes wrong replaces a node in the test's
// scratch folder, never the machine's. Only root may make one, and not in a
// folder mounted nodev: false then.
inline bool makeNullDevice(const std::string &path)
{
    if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        return false;
    const int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0) {
        ::unlink(path.c_str());
        return false;
    }
    ::close(fd);
    return true;
}

// The report of the worked example, exact bytes (CR LF, Shift_JIS degree
// sign), with "." and with "," as the decimal separator.
inline const std::string &goldenReport()
{
    static const std::string bytes = readBytes(SCREENFILTER_TEST_DATA "/default-report.txt");
    return bytes;
}

inline const std::string &goldenCommaReport()
{
    static const std::string bytes = readBytes(SCREENFILTER_TEST_DATA "/default-report-comma.txt");
    return bytes;
}

} // namespace sf::test
