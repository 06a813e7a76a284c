#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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
