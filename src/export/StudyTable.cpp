#include "export/StudyTable.h"

#include "export/TableText.h"
#include "export/XlsxBook.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace sf {

const std::array<ScreenQuantity, 8> ScreenQuantities = {{
    {"mesh", "1/in", &ScreenResult::mesh},
    {"wire", "cm", &ScreenResult::wire},
    {"opening", "cm", &ScreenResult::opening},
    {"open_area", "-", &ScreenResult::openArea},
    {"screen_factor", "cm^-n", &ScreenResult::screenFactor},
    {"wall_shear_rate", "1/s", &ScreenResult::wallShearRate},
    {"apparent_viscosity", "Pa.s", &ScreenResult::apparentViscosity},
    {"pressure_drop", "kgf/cm2", &ScreenResult::pressureDrop},
}};

namespace {

constexpr std::size_t Columns = 1 + ScreenQuantities.size();
constexpr std::size_t DropColumn = Columns - 1;

// How the window shows each quantity: a fixed number of decimals, or
// significant digits where values span decades from one melt to another.
struct Shown {
    int decimals = -1;    // fixed notation with this many decimals
    int significant = 0;  // or this many significant digits
    double scale = 1;     // open area as a percentage
};
constexpr Shown ShownAs[ScreenQuantities.size() - 1] = {
    {-1, 6},    // mesh, as typed
    {5},        // wire, cm: the report's
    {5},        // opening, cm: the report's
    {1, 0, 100}, // open area, %
    {3},        // screen factor: the report's
    {-1, 4},    // wall shear rate, 1/s
    {-1, 4},    // apparent viscosity, Pa.s
};

std::string fixed(double v, int decimals, char separator)
{
    std::string text;
    if (!std::isfinite(v) || std::fabs(v) >= 1e15) {
        appendNumber(text, v, {separator, 0});
        return text;
    }
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    text.assign(buf, r.ptr);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

std::string shown(double v, const Shown &how, char separator)
{
    v *= how.scale;
    if (how.decimals >= 0)
        return fixed(v, how.decimals, separator);
    std::string text;
    appendNumber(text, v, {separator, how.significant});
    return text;
}

std::string columnName(const ScreenQuantity &q, const PressureUnit &unit)
{
    if (&q == &ScreenQuantities.back())
        return nameWithUnit(q.name, unit.name);
    // Fs's unit depends on n: no name can carry it.
    return q.unit == "cm^-n" ? std::string(q.name) : nameWithUnit(q.name, q.unit);
}

double valueOf(const ScreenResult &s, const ScreenQuantity &q, const PressureUnit &unit)
{
    const double v = s.*q.value;
    return &q == &ScreenQuantities.back() ? v * unit.perKgfCm2 : v;
}

} // namespace

int pressureDecimals(const PressureUnit &unit)
{
    // 0.01 kgf/cm2 is 0.0098 bar, 0.00098 MPa, 0.14 psi.
    if (unit.name == "MPa")
        return 3;
    if (unit.name == "psi")
        return 1;
    return 2;
}

std::vector<std::array<std::string, 1 + ScreenQuantities.size()>> studyTableTexts(const PointResult &point,
                                                                                 const PressureUnit &unit,
                                                                                 char separator)
{
    std::vector<std::array<std::string, Columns>> rows;
    if (!point.ok())
        return rows;
    for (int k = 0; k < point.screenCount; ++k) {
        const ScreenResult &s = point.screens[static_cast<std::size_t>(k)];
        std::array<std::string, Columns> row;
        row[0] = std::to_string(k + 1);
        for (std::size_t i = 0; i + 1 < ScreenQuantities.size(); ++i)
            row[i + 1] = shown(s.*ScreenQuantities[i].value, ShownAs[i], separator);
        row[DropColumn] = fixed(s.pressureDrop * unit.perKgfCm2, pressureDecimals(unit), separator);
        rows.push_back(std::move(row));
    }
    std::array<std::string, Columns> total;
    total[0] = "Total";
    total[DropColumn] = fixed(point.total * unit.perKgfCm2, pressureDecimals(unit), separator);
    rows.push_back(std::move(total));
    return rows;
}

std::string studyTableCsv(const PointResult &point, const PressureUnit &unit, char separator)
{
    const char delimiter = separator == ',' ? ';' : ',';
    const NumberStyle numbers{separator, 0};
    std::string out = "screen";
    for (const ScreenQuantity &q : ScreenQuantities) {
        out += delimiter;
        appendCsvField(out, columnName(q, unit), delimiter);
    }
    out += '\n';
    if (!point.ok())
        return out;
    for (int k = 0; k < point.screenCount; ++k) {
        out += std::to_string(k + 1);
        for (const ScreenQuantity &q : ScreenQuantities) {
            out += delimiter;
            appendNumber(out, valueOf(point.screens[static_cast<std::size_t>(k)], q, unit), numbers);
        }
        out += '\n';
    }
    out += "total";
    out.append(ScreenQuantities.size(), delimiter);
    appendNumber(out, point.total * unit.perKgfCm2, numbers);
    out += '\n';
    return out;
}

void writeStudyWorkbook(ByteSink &out, const std::string &caseName, const FieldTexts &texts, char separator,
                        const PointResult &point, const PressureUnit &unit)
{
    XlsxBook book(false);
    book.addSheet(sheetNames({caseName}).front());
    std::uint32_t row = writeCaseInputs(book, 0, caseName, texts, separator);
    book.text(row, 0, "screen");
    for (std::size_t i = 0; i < ScreenQuantities.size(); ++i)
        book.text(row, static_cast<std::uint16_t>(i + 1), columnName(ScreenQuantities[i], unit));
    ++row;
    if (point.ok()) {
        for (int k = 0; k < point.screenCount; ++k, ++row) {
            book.number(row, 0, k + 1);
            for (std::size_t i = 0; i < ScreenQuantities.size(); ++i)
                book.numberOrText(row, static_cast<std::uint16_t>(i + 1),
                                  valueOf(point.screens[static_cast<std::size_t>(k)], ScreenQuantities[i], unit));
        }
        book.text(row, 0, "total");
        book.numberOrText(row, static_cast<std::uint16_t>(DropColumn), point.total * unit.perKgfCm2);
    }
    book.finish(out);
}

} // namespace sf
