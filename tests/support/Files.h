#pragma once

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
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

// What a folder holds, to compare with a literal: "name=content" for each
// entry in name order (a content beyond 40 bytes as "=<N bytes>"), links as
// "name->target", pipes as "name:fifo", devices as "name:device", and the
// temporary files of the whole-file writer as ".NAME.screenfilter-new-*".
inline std::string folderContents(const std::filesystem::path &folder = ".")
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    for (const fs::directory_entry &e : fs::directory_iterator(folder)) {
        std::string name = e.path().filename().string();
        if (const std::size_t mark = name.find(".screenfilter-new-"); mark != std::string::npos)
            name = name.substr(0, mark) + ".screenfilter-new-*";
        const fs::file_status st = e.symlink_status();
        if (fs::is_symlink(st)) {
            entries[name] = "->" + fs::read_symlink(e.path()).string();
        } else if (fs::is_fifo(st)) {
            entries[name] = ":fifo";
        } else if (fs::is_character_file(st)) {
            entries[name] = ":device";
        } else if (fs::is_regular_file(st)) {
            const std::string bytes = readBytes(e.path());
            entries[name] = bytes.size() > 40 ? "=<" + std::to_string(bytes.size()) + " bytes>" : "=" + bytes;
        }
    }
    std::string text;
    for (const auto &[name, what] : entries)
        text += (text.empty() ? "" : " ") + name + what;
    return text;
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
    if (fd >= 0)
        ::close(fd);
    if (fd < 0 || ::chmod(path.c_str(), 0666) != 0) { // 0666 whatever the umask, as /dev/null
        ::unlink(path.c_str());
        return false;
    }
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
