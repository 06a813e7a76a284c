#pragma once

// Spreadsheet files (.xlsx) written with libxlsxwriter (Debian
// libxlsxwriter-dev): numbers stored as numbers, sheets filled row by row.

#include "export/SweepTable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;

namespace sf {

// Rows of one sheet at most.
constexpr std::uint64_t XlsxMaxRows = 1'048'576;

// The sheet names for cases named by these files: each file's name without
// folder and extension, characters a sheet name may not hold ([ ] : * ? / \,
// control characters, bytes that are no UTF-8, an apostrophe at either end)
// replaced by "_", cut to 31 characters and made unique regardless of case
// by " (2)", " (3)", ...
std::vector<std::string> sheetNames(const std::vector<std::string> &caseFiles);

// A workbook built on disk and handed over whole. Rows of a sheet must be
// written in order. Every failure throws std::runtime_error with the user's
// message.
class XlsxBook {
public:
    // `large`: the sheets may exceed 4 GB of XML, so the file is a ZIP64 one.
    // `folder`: where it is built, beside the file it becomes, as a file
    // without a name, so that no exit, not even kill -9, leaves it behind;
    // where the file system has no such files, or without a folder, in a
    // private folder of the system's temporary folder, removed at the end.
    explicit XlsxBook(bool large, const std::string &folder = {});
    ~XlsxBook();
    XlsxBook(const XlsxBook &) = delete;
    XlsxBook &operator=(const XlsxBook &) = delete;

    // A new sheet; later writes go to it. `name` is one of sheetNames().
    void addSheet(const std::string &name);
    void number(std::uint32_t row, std::uint16_t column, double v);
    // A number a cell cannot hold (a total beyond the double range in
    // another unit) as the CSV writes it, any other as a number.
    void numberOrText(std::uint32_t row, std::uint16_t column, double v);
    // Texts that are no UTF-8 have their stray bytes replaced by U+FFFD.
    void text(std::uint32_t row, std::uint16_t column, std::string_view text);

    // Closes the workbook and writes its bytes to `out`.
    void finish(ByteSink &out);

private:
    void check(int error) const;
    void checkRowsWritten() const;

    std::string m_dir;  // the private folder, when there is one
    int m_fd = -1;      // the unnamed file, when there is one
    std::string m_file; // its name for the library
    std::string m_scratch; // where the library keeps its scratch files
    lxw_workbook *m_book = nullptr;
    lxw_worksheet *m_sheet = nullptr;
};

// The top of a case's sheet from `row` on: "case" and its name, then its
// inputs as a single run takes them (key, value, unit; the texts read with
// `separator`), then a blank row. Returns the row after it.
std::uint32_t writeCaseInputs(XlsxBook &book, std::uint32_t row, const std::string &caseName,
                              const FieldTexts &texts, char separator);

// The rows writeCaseInputs takes.
std::uint32_t caseInputRows(const FieldTexts &texts, char separator);

} // namespace sf
