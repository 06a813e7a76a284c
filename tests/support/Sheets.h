#pragma once

// A workbook read back as a spreadsheet shows it.

#include "support/Files.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace sf::test {

using SheetRows = std::vector<std::vector<std::string>>;

// A workbook's first sheet, read back with unzip: rows of cell texts, numbers
// to 15 digits as a spreadsheet shows them, cells left out as "".
inline SheetRows sheetRows(const std::string &xlsx)
{
    ScopedTempCwd cwd;
    writeBytes("book.xlsx", xlsx);
    const std::string xml = runProcess("/usr/bin/unzip", {"-p", "book.xlsx", "xl/worksheets/sheet1.xml"}).out;
    SheetRows rows;
    // By hand: std::regex recurses once a character, too deep for a full cell.
    for (std::size_t at = xml.find("<c r=\""); at != std::string::npos; at = xml.find("<c r=\"", at + 1)) {
        const std::string cell = xml.substr(at, xml.find("</c>", at) - at);
        const std::size_t row = std::stoul(cell.substr(7)) - 1, column = static_cast<std::size_t>(cell[6] - 'A');
        rows.resize(std::max(rows.size(), row + 1));
        rows[row].resize(std::max(rows[row].size(), column + 1));
        char number[32];
        const std::size_t v = cell.find("<v>"), t = cell.find('>', cell.find("<t"));
        std::snprintf(number, sizeof number, "%.15g", v == std::string::npos ? 0 : std::stod(cell.substr(v + 3)));
        rows[row][column] = v != std::string::npos ? number : cell.substr(t + 1, cell.find("</t>") - t - 1);
    }
    return rows;
}

} // namespace sf::test
