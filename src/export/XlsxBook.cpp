#include "export/XlsxBook.h"

#include "export/FileSink.h"
#include "export/TableText.h"
#include "io/Utf8.h"
#include "calc/InputFields.h"
#include "run/PointEvaluator.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <stdexcept>

namespace sf {

namespace fs = std::filesystem;

namespace {

// Excel counts a name's characters in UTF-16 units.
constexpr std::size_t SheetNameUnits = 31;
// Excel's limit for the characters of one cell.
constexpr std::size_t CellCharacters = 32767;

std::string asciiLower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The name cut to `units` UTF-16 units, characters a sheet name may not hold
// replaced by "_".
std::string sheetNameOf(std::string_view stem, std::size_t units)
{
    std::string name;
    std::size_t used = 0;
    for (std::size_t i = 0; i < stem.size();) {
        const std::size_t n = utf8Length(stem, i);
        const std::size_t width = n == 4 ? 2 : 1;
        if (used + width > units)
            break;
        used += width;
        const unsigned char c = static_cast<unsigned char>(stem[i]);
        if (n == 0 || c < 0x20 || c == 0x7F || std::string_view("[]:*?/\\").find(stem[i]) != std::string_view::npos)
            name += '_';
        else
            name.append(stem.substr(i, n));
        i += n ? n : 1;
    }
    if (!name.empty() && name.front() == '\'')
        name.front() = '_';
    if (!name.empty() && name.back() == '\'')
        name.back() = '_';
    return name;
}

} // namespace

std::vector<std::string> sheetNames(const std::vector<std::string> &caseFiles)
{
    // "History" is the name of a sheet Excel keeps for itself.
    std::set<std::string> taken = {"history"};
    std::vector<std::string> names;
    for (const std::string &file : caseFiles) {
        std::string stem = fs::path(file).filename().stem().string();
        if (stem.empty())
            stem = file;
        std::string name = sheetNameOf(stem, SheetNameUnits);
        if (name.empty())
            name = "Sheet";
        for (int k = 2; !taken.insert(asciiLower(name)).second; ++k) {
            const std::string suffix = " (" + std::to_string(k) + ")";
            name = sheetNameOf(stem, SheetNameUnits - suffix.size());
            if (name.empty())
                name = "Sheet";
            name += suffix;
        }
        names.push_back(std::move(name));
    }
    return names;
}

XlsxBook::XlsxBook(bool large, const std::string &folder)
{
    std::error_code ec;
    if (!folder.empty()) {
        // The library writes to a name: the unnamed file's own, through /proc.
        m_fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            m_file = "/proc/self/fd/" + std::to_string(m_fd);
            if (::access(m_file.c_str(), W_OK) != 0) {
                ::close(m_fd);
                m_fd = -1;
            }
        }
    }
    if (m_fd < 0) {
        const fs::path base = fs::temp_directory_path(ec);
        std::string pattern = (ec ? fs::path("/tmp") : base) / "screenfilter-xlsx-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error(systemMessage(pattern, errno));
        m_dir = pattern;
        m_file = m_dir + "/book.xlsx";
    }
    // Rows go to disk as they are written: memory stays bounded however
    // large the sheet. The library's own scratch files are unlinked as it
    // opens them.
    m_scratch = m_fd >= 0 ? folder : m_dir;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_scratch.data();
    options.use_zip64 = large ? LXW_TRUE : LXW_FALSE;
    m_book = workbook_new_opt(m_file.c_str(), &options);
    if (!m_book) {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_dir.empty())
            fs::remove_all(m_dir, ec);
        throw std::runtime_error(m_file + ": the workbook cannot be created");
    }
}

XlsxBook::~XlsxBook()
{
    if (m_book)
        lxw_workbook_free(m_book);
    if (m_fd >= 0)
        ::close(m_fd);
    std::error_code ec;
    if (!m_dir.empty())
        fs::remove_all(m_dir, ec);
}

void XlsxBook::check(int error) const
{
    if (error != LXW_NO_ERROR)
        throw std::runtime_error(std::string("xlsx: ") + lxw_strerror(static_cast<lxw_error>(error)));
}

void XlsxBook::checkRowsWritten() const
{
    // The library writes each finished row to its scratch file and checks
    // none of those writes: one that failed (a full disk, a file size limit)
    // would give a sheet cut short that reads as whole.
    FILE *rows = m_sheet ? m_sheet->optimize_tmpfile : nullptr;
    if (rows && (std::fflush(rows) != 0 || std::ferror(rows)))
        throw std::runtime_error(m_scratch + ": the workbook's rows could not all be written; is the disk full?");
}

void XlsxBook::addSheet(const std::string &name)
{
    checkRowsWritten();
    check(workbook_validate_sheet_name(m_book, name.c_str()));
    m_sheet = workbook_add_worksheet(m_book, name.c_str());
    if (!m_sheet)
        throw std::runtime_error("xlsx: sheet " + name + " cannot be added");
}

void XlsxBook::number(std::uint32_t row, std::uint16_t column, double v)
{
    check(worksheet_write_number(m_sheet, row, column, v, nullptr));
}

void XlsxBook::numberOrText(std::uint32_t row, std::uint16_t column, double v)
{
    if (std::isfinite(v)) {
        number(row, column, v);
    } else {
        std::string shown;
        appendNumber(shown, v);
        text(row, column, shown);
    }
}

void XlsxBook::text(std::uint32_t row, std::uint16_t column, std::string_view text)
{
    std::string valid;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size() && characters < CellCharacters; ++characters) {
        const std::size_t n = utf8Length(text, i);
        valid += n ? std::string(text.substr(i, n)) : "\xEF\xBF\xBD";
        i += n ? n : 1;
    }
    check(worksheet_write_string(m_sheet, row, column, valid.c_str(), nullptr));
}

void XlsxBook::finish(ByteSink &out)
{
    checkRowsWritten();
    lxw_workbook *book = m_book;
    m_book = nullptr; // closed, and freed, whatever it says
    check(workbook_close(book));
    std::FILE *file = std::fopen(m_file.c_str(), "rbe");
    if (!file)
        throw std::runtime_error(systemMessage(m_file, errno));
    std::string chunk(64 * 1024, '\0');
    for (;;) {
        const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), file);
        if (n > 0) {
            try {
                out.write(std::string_view(chunk.data(), n));
            } catch (...) {
                std::fclose(file);
                throw;
            }
        }
        if (n < chunk.size())
            break;
    }
    const bool failed = std::ferror(file);
    std::fclose(file);
    if (failed)
        throw std::runtime_error(systemMessage(m_file, EIO));
}

namespace {

// The inputs of a case as its single run reads them.
std::vector<InputCell> inputsOf(const FieldTexts &texts, char separator)
{
    PointEvaluator evaluator(texts, separator, {}, false);
    const PointResult &p = evaluator.evaluate({});
    const bool read = p.ok() || p.step != RunStep::Reading;
    return caseInputs(texts, read ? &evaluator.lastCase() : nullptr);
}

} // namespace

std::uint32_t writeCaseInputs(XlsxBook &book, std::uint32_t row, const std::string &caseName,
                              const FieldTexts &texts, char separator)
{
    book.text(row, 0, "case");
    book.text(row++, 1, caseName);
    for (const InputCell &cell : inputsOf(texts, separator)) {
        book.text(row, 0, columnKey(cell.field));
        if (cell.value)
            book.numberOrText(row, 1, *cell.value);
        else
            book.text(row, 1, cell.text);
        if (const std::string_view unit = inputField(cell.field).unit; !unit.empty())
            book.text(row, 2, unit);
        ++row;
    }
    return row + 1;
}

std::uint32_t caseInputRows(const FieldTexts &texts, char separator)
{
    return static_cast<std::uint32_t>(2 + inputsOf(texts, separator).size());
}

} // namespace sf
