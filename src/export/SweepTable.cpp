#include "export/SweepTable.h"

#include "calc/InputFields.h"
#include "export/PlotCurve.h"
#include "export/XlsxBook.h"
#include "run/PointEvaluator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

namespace sf {

namespace {

std::string unitSuffix(std::string_view unit)
{
    std::string s(unit);
    std::replace(s.begin(), s.end(), '/', '_');
    return s;
}

enum class ColumnKind { Case, Varied, Input, Total, Drop, WallShearRate, ApparentViscosity, Status, Warnings };

struct Column {
    ColumnKind kind;
    std::size_t index = 0;         // the varied key's; the screen's, from 0
    Field field = Field::FlowRate; // an input's
    std::string name;              // in the default header
    std::string unitName;          // in a header with units
};

bool isVaried(const SweepOptions &o, Field field)
{
    return std::any_of(o.vary.begin(), o.vary.end(), [field](const Vary &v) { return v.field == field; });
}

// Case, varied keys, the inputs not varied, total, each screen's drop, their
// wall shear rates, their apparent viscosities, status.
std::vector<Column> tableColumns(const SweepOptions &o, int screens)
{
    using K = ColumnKind;
    const std::string unit = unitSuffix(o.unit.name);
    std::vector<Column> columns;
    columns.push_back({K::Case, 0, {}, "case", "case"});
    for (std::size_t i = 0; i < o.vary.size(); ++i)
        columns.push_back({K::Varied, i, o.vary[i].field, o.vary[i].key,
                           nameWithUnit(o.vary[i].key, inputField(o.vary[i].field).unit)});
    if (o.inputs)
        for (const InputField &f : InputFields) {
            if (f.kind == FieldKind::SaveFileName || f.screen > screens || isVaried(o, f.id))
                continue;
            const std::string key = columnKey(f.id);
            columns.push_back({K::Input, 0, f.id, key, nameWithUnit(key, f.unit)});
        }
    columns.push_back({K::Total, 0, {}, "total_" + unit, nameWithUnit("total", o.unit.name)});
    auto perScreen = [&](K kind, const std::string &quantity, std::string_view unitName, const std::string &plainUnit) {
        for (int i = 1; i <= screens; ++i) {
            const std::string name = quantity + "_" + std::to_string(i);
            columns.push_back({kind, static_cast<std::size_t>(i - 1), {}, name + plainUnit, nameWithUnit(name, unitName)});
        }
    };
    perScreen(K::Drop, "drop", o.unit.name, "_" + unit);
    if (o.details) {
        perScreen(K::WallShearRate, "wall_shear_rate", "1/s", "");
        perScreen(K::ApparentViscosity, "apparent_viscosity", "Pa.s", "");
    }
    columns.push_back({K::Status, 0, {}, "status", "status"});
    if (o.warnings)
        columns.push_back({K::Warnings, 0, {}, "warnings", "warnings"});
    return columns;
}

// One point as a row is written from it.
struct Row {
    std::size_t caseIndex;
    std::span<const double> values;
    const PointResult &point;
    const FilterCase *read; // the case as the point read it, null when it could not
    const std::string &warnings; // its finding codes, blank-separated
    std::array<std::size_t, 2> valueAt{}; // each varied value's index among its key's values
};

// A row of a workbook: its numbers, one for each column (none in the case's
// and the status's), and its status.
struct SheetRow {
    std::size_t caseIndex = 0;
    std::vector<std::optional<double>> numbers;
    std::string status;
    std::string warnings;
};

class RowWriter {
public:
    RowWriter(const SweepOptions &o, int screens)
        : m_o(o), m_columns(tableColumns(o, screens)), m_delimiter(o.numbers.separator == ',' ? ';' : ',')
    {
        // A delimiter and a number (a varied value's text is one) per
        // column, and what the last may write past its end.
        m_numbersRoom = NumberRoom - NumberChars;
        for (const Column &c : m_columns)
            if (isNumber(c.kind))
                m_numbersRoom += 1 + NumberChars;
        // Each case's name and each varied value recur on many rows: their
        // texts are made once.
        if (o.format == TableFormat::Xlsx)
            return;
        for (const SweepCase &c : o.cases) {
            std::string &field = m_caseFields.emplace_back();
            if (o.format == TableFormat::Csv)
                appendCsvField(field, c.name, m_delimiter);
            else
                appendJsonString(field, c.name);
        }
        for (const Vary &v : o.vary) {
            VariedTexts &texts = m_variedTexts.emplace_back();
            if (v.values.size() > MaxVariedTexts)
                continue;
            for (double value : v.values) {
                if (o.format == TableFormat::Csv)
                    appendNumber(texts.text, value, o.numbers);
                else
                    appendJsonNumber(texts.text, value, o.numbers);
                texts.ends.push_back(static_cast<std::uint32_t>(texts.text.size()));
            }
        }
    }

    const std::vector<Column> &columns() const { return m_columns; }

    static bool isNumber(ColumnKind kind)
    {
        return kind != ColumnKind::Case && kind != ColumnKind::Status && kind != ColumnKind::Warnings;
    }

    void header(std::string &out) const
    {
        if (m_o.format != TableFormat::Csv)
            return;
        for (const Column &c : m_columns) {
            if (c.kind != ColumnKind::Case)
                out += m_delimiter;
            appendCsvField(out, m_o.unitsInHeader ? c.unitName : c.name, m_delimiter);
        }
        out += '\n';
    }

    std::optional<double> number(const Column &c, const Row &row) const
    {
        const PointResult &p = row.point;
        auto screen = [&](double ScreenResult::*quantity, double factor) -> std::optional<double> {
            if (!p.ok() || c.index >= static_cast<std::size_t>(p.screenCount))
                return std::nullopt;
            return p.screens[c.index].*quantity * factor;
        };
        switch (c.kind) {
        case ColumnKind::Varied:
            return row.values[c.index];
        case ColumnKind::Input:
            return row.read ? inputValue(*row.read, c.field) : std::nullopt;
        case ColumnKind::Total:
            return p.ok() ? std::optional(p.total * m_o.unit.perKgfCm2) : std::nullopt;
        case ColumnKind::Drop:
            return screen(&ScreenResult::pressureDrop, m_o.unit.perKgfCm2);
        case ColumnKind::WallShearRate:
            return screen(&ScreenResult::wallShearRate, 1);
        case ColumnKind::ApparentViscosity:
            return screen(&ScreenResult::apparentViscosity, 1);
        case ColumnKind::Case:
        case ColumnKind::Status:
        case ColumnKind::Warnings:
            break;
        }
        return std::nullopt;
    }

    void row(std::string &out, const Row &row) const
    {
        if (m_o.format == TableFormat::Csv)
            csvRow(out, row);
        else
            jsonRow(out, row);
    }

    void row(SheetRow &out, const Row &row) const
    {
        out.numbers.clear();
        for (const Column &c : m_columns)
            out.numbers.push_back(number(c, row));
        out.status = row.point.ok() ? "ok" : row.point.message;
        out.warnings = row.warnings;
    }

private:
    void csvRow(std::string &out, const Row &row) const
    {
        out += m_caseFields[row.caseIndex];
        // The varied values and the numbers after them are written in place,
        // into room for the longest they could be.
        const std::size_t at = out.size();
        out.resize(at + m_numbersRoom);
        char *p = out.data() + at;
        std::size_t i = 1;
        for (; i < m_columns.size() && isNumber(m_columns[i].kind); ++i) {
            const Column &c = m_columns[i];
            *p++ = m_delimiter;
            if (c.kind == ColumnKind::Varied) {
                if (const std::string_view text = variedText(c, row); !text.empty()) {
                    std::memcpy(p, text.data(), text.size());
                    p += text.size();
                    continue;
                }
            }
            if (const std::optional<double> v = number(c, row))
                p = writeNumber(p, *v, m_o.numbers);
        }
        out.resize(static_cast<std::size_t>(p - out.data()));
        for (; i < m_columns.size(); ++i) {
            out += m_delimiter;
            if (m_columns[i].kind == ColumnKind::Status) {
                if (row.point.ok())
                    out += "ok";
                else
                    appendCsvField(out, row.point.message, m_delimiter);
            } else if (!row.warnings.empty()) {
                appendCsvField(out, row.warnings, m_delimiter);
            }
        }
        out += '\n';
    }

    // A list of the screens' values of one kind, null when the point failed.
    void jsonList(std::string &out, std::string_view name, ColumnKind kind, const Row &row) const
    {
        out += ",\"";
        out += name;
        out += "\":";
        if (!row.point.ok()) {
            out += "null";
            return;
        }
        out += '[';
        bool first = true;
        for (const Column &c : m_columns)
            if (c.kind == kind && c.index < static_cast<std::size_t>(row.point.screenCount)) {
                if (!first)
                    out += ',';
                first = false;
                appendJsonNumber(out, *number(c, row), m_o.numbers);
            }
        out += ']';
    }

    void jsonRow(std::string &out, const Row &row) const
    {
        const PointResult &r = row.point;
        out += "{\"case\":";
        out += m_caseFields[row.caseIndex];
        for (const Column &c : m_columns) {
            if (c.kind != ColumnKind::Varied && c.kind != ColumnKind::Input)
                continue;
            out += ',';
            appendJsonString(out, c.name);
            out += ':';
            if (const std::string_view text = c.kind == ColumnKind::Varied ? variedText(c, row) : std::string_view();
                !text.empty()) {
                out += text;
                continue;
            }
            if (const std::optional<double> v = number(c, row))
                appendJsonNumber(out, *v, m_o.numbers);
            else
                out += "null";
        }
        out += ",\"unit\":";
        appendJsonString(out, m_o.unit.name);
        out += ",\"total\":";
        if (r.ok())
            appendJsonNumber(out, r.total * m_o.unit.perKgfCm2, m_o.numbers);
        else
            out += "null";
        jsonList(out, "drops", ColumnKind::Drop, row);
        if (m_o.details) {
            jsonList(out, "wall_shear_rates", ColumnKind::WallShearRate, row);
            jsonList(out, "apparent_viscosities", ColumnKind::ApparentViscosity, row);
        }
        out += ",\"status\":";
        appendJsonString(out, r.ok() ? "ok" : r.message);
        if (m_o.warnings) {
            out += ",\"warnings\":[";
            const std::string &w = row.warnings;
            for (std::size_t start = 0; start < w.size();) {
                const std::size_t end = std::min(w.find(' ', start), w.size());
                if (start)
                    out += ',';
                appendJsonString(out, std::string_view(w).substr(start, end - start));
                start = end + 1;
            }
            out += ']';
        }
        out += "}\n";
    }

    // The varied value's text as made beforehand; empty when it was not.
    std::string_view variedText(const Column &c, const Row &row) const
    {
        const VariedTexts &texts = m_variedTexts[c.index];
        const std::size_t at = row.valueAt[c.index];
        if (at >= texts.ends.size())
            return {};
        const std::size_t from = at == 0 ? 0 : texts.ends[at - 1];
        return std::string_view(texts.text).substr(from, texts.ends[at] - from);
    }

    // Keys with more values than this are formatted row by row: the texts
    // of a million values would cost tens of megabytes.
    static constexpr std::size_t MaxVariedTexts = 100'000;
    struct VariedTexts {
        std::string text;                // the values' texts, one after another
        std::vector<std::uint32_t> ends; // where each ends in `text`
    };

    const SweepOptions &m_o;
    std::vector<Column> m_columns;
    char m_delimiter;
    std::size_t m_numbersRoom = 0; // a CSV row's, from its first varied value to its last number
    std::vector<VariedTexts> m_variedTexts; // one per varied key; none for a workbook
    std::vector<std::string> m_caseFields;  // each case's name as a field; none for a workbook
};

// The workbook of a sweep: a sheet for each case, begun at its first row.
class SheetWriter {
public:
    SheetWriter(const SweepOptions &o, const std::vector<Column> &columns, bool large)
        : m_o(o), m_columns(columns), m_book(large, o.workbookFolder)
    {
        std::vector<std::string> files;
        for (const SweepCase &c : o.cases)
            files.push_back(c.name);
        m_names = sheetNames(files);
    }

    void write(const SheetRow &r)
    {
        if (r.caseIndex != m_case)
            begin(r.caseIndex);
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            const auto column = static_cast<std::uint16_t>(i);
            if (m_columns[i].kind == ColumnKind::Case)
                m_book.text(m_row, column, m_o.cases[r.caseIndex].name);
            else if (m_columns[i].kind == ColumnKind::Status)
                m_book.text(m_row, column, r.status);
            else if (m_columns[i].kind == ColumnKind::Warnings)
                m_book.text(m_row, column, r.warnings);
            else if (const std::optional<double> &v = r.numbers[i])
                m_book.numberOrText(m_row, column, *v);
        }
        ++m_row;
    }

    void finish(ByteSink &out) { m_book.finish(out); }

private:
    // The case's name, its inputs (key, value, unit), a blank row, the header.
    void begin(std::size_t caseIndex)
    {
        m_case = caseIndex;
        m_book.addSheet(m_names[caseIndex]);
        m_row = writeCaseInputs(m_book, 0, m_o.cases[caseIndex].name, m_o.cases[caseIndex].texts, '.');
        for (std::size_t i = 0; i < m_columns.size(); ++i)
            m_book.text(m_row, static_cast<std::uint16_t>(i), m_columns[i].unitName);
        ++m_row;
    }

    const SweepOptions &m_o;
    const std::vector<Column> &m_columns;
    XlsxBook m_book;
    std::vector<std::string> m_names;
    std::optional<std::size_t> m_case;
    std::uint32_t m_row = 0;
};

struct PlotPoint {
    std::size_t curve; // index into the summary's curves
    double x, y;
};

// What a worker makes of a chunk of points.
struct TableChunk : SweepChunk {
    std::string rows;            // CSV and JSON Lines
    std::vector<SheetRow> cells; // xlsx
    std::vector<PlotPoint> plot;
    std::uint64_t failed = 0;
};

// The curves a plot keeps: per case, one for each value of the second key
// that gets one. A point's grid curve is its case and its second value.
class CurveChoice {
public:
    CurveChoice(const SweepOptions &o, const SweepGrid &grid) : m_o(o), m_second(grid.secondCount()) {}

    // The values of the second key that get a curve, and the curves.
    std::size_t curveValues() const { return m_o.plotSecondValues.empty() ? m_second : m_o.plotSecondValues.size(); }
    std::size_t curves() const { return m_o.cases.size() * curveValues(); }

    // The summary's curve of a point, if its curve is kept.
    std::optional<std::size_t> plotCurve(const SweepGrid::Place &place) const
    {
        const std::vector<std::size_t> &kept = m_o.plotSecondValues;
        if (kept.empty())
            return place.caseIndex * m_second + place.second;
        const auto it = std::lower_bound(kept.begin(), kept.end(), place.second);
        if (it == kept.end() || *it != place.second)
            return std::nullopt;
        return place.caseIndex * kept.size() + static_cast<std::size_t>(it - kept.begin());
    }

    // The second key's value of the summary's curve i.
    std::size_t secondValueOf(std::size_t i) const
    {
        const std::size_t k = i % curveValues();
        return m_o.plotSecondValues.empty() ? k : m_o.plotSecondValues[k];
    }

private:
    const SweepOptions &m_o;
    std::size_t m_second;
};

// The value a curve shows at a point that was computed, in the unit.
std::optional<double> plotValue(const SweepOptions &o, const PointResult &r)
{
    if (o.plotScreen == 0)
        return r.total * o.unit.perKgfCm2;
    if (o.plotScreen > r.screenCount)
        return std::nullopt;
    return r.screens[static_cast<std::size_t>(o.plotScreen - 1)].pressureDrop * o.unit.perKgfCm2;
}

// Rows are made on the worker threads and written, with the plot's points,
// on the calling thread in grid order.
class TableWriter : public SweepConsumer {
public:
    TableWriter(const SweepOptions &o, const RowWriter &rows, const CurveChoice &curves, ByteSink &out,
                SheetWriter *sheets, std::vector<PlotCurve> &plotCurves, SweepSummary &summary)
        : m_o(o), m_rows(rows), m_curves(curves), m_out(out), m_sheets(sheets), m_plotCurves(plotCurves),
          m_summary(summary)
    {
    }

    std::unique_ptr<SweepChunk> newChunk(std::uint64_t points) const override
    {
        auto chunk = std::make_unique<TableChunk>();
        // A row of 16 numbers in their shortest forms is rarely longer.
        if (!m_sheets)
            chunk->rows.reserve(static_cast<std::size_t>(points) * 320 * (m_o.details || m_o.inputs ? 3 : 1));
        return chunk;
    }

    void add(SweepChunk &chunk, const SweepPoint &p) const override
    {
        TableChunk &out = static_cast<TableChunk &>(chunk);
        const PointResult &r = p.result;
        const std::size_t c = p.place.caseIndex;
        const Row row{c, p.values, r, p.read, p.findings, {p.place.first, p.place.second}};
        if (m_sheets) {
            out.cells.emplace_back();
            out.cells.back().caseIndex = c;
            m_rows.row(out.cells.back(), row);
        } else {
            m_rows.row(out.rows, row);
        }
        if (!r.ok()) {
            ++out.failed;
        } else if (m_o.keepPlotPoints) {
            const std::optional<std::size_t> kept = m_curves.plotCurve(p.place);
            const std::optional<double> y = plotValue(m_o, r);
            if (kept && y)
                out.plot.push_back({*kept, p.values[0], *y});
        }
    }

    void take(std::unique_ptr<SweepChunk> chunk, std::uint64_t done) override
    {
        const TableChunk &result = static_cast<const TableChunk &>(*chunk);
        if (m_sheets)
            for (const SheetRow &r : result.cells)
                m_sheets->write(r);
        else
            m_out.write(result.rows);
        m_summary.failed += result.failed;
        for (const PlotPoint &p : result.plot)
            m_plotCurves[p.curve].add(p.x, p.y);
        if (m_o.progress)
            m_o.progress(done, m_summary.points);
    }

private:
    const SweepOptions &m_o;
    const RowWriter &m_rows;
    const CurveChoice &m_curves;
    ByteSink &m_out;
    SheetWriter *m_sheets;
    std::vector<PlotCurve> &m_plotCurves;
    SweepSummary &m_summary;
};

} // namespace

std::uint64_t sheetRows(const FieldTexts &texts, std::uint64_t points)
{
    return caseInputRows(texts, '.') + 1 + points;
}

SweepSummary runSweep(const SweepOptions &o, ByteSink &out)
{
    const SweepGrid grid(o.cases, o.vary);
    const CurveChoice curves(o, grid);
    const RowWriter rows(o, sweepScreens(o.cases, o.vary));
    std::optional<SheetWriter> sheets;
    if (o.format == TableFormat::Xlsx) {
        const std::uint64_t points = o.cases.empty() ? 0 : grid.size() / o.cases.size();
        std::uint64_t most = 0;
        for (const SweepCase &c : o.cases) {
            const std::uint64_t needed = sheetRows(c.texts, points);
            if (needed > XlsxMaxRows)
                throw std::runtime_error("xlsx: a sheet holds at most " + std::to_string(XlsxMaxRows) + " rows; " +
                                         c.name + " needs " + std::to_string(needed) + " for its " +
                                         std::to_string(points) + " points (csv or json take any number)");
            most = std::max(most, needed);
        }
        // A sheet's XML takes some 50 bytes a cell; past 4 GB the file must
        // be a ZIP64 one, which older readers may refuse, so only then.
        sheets.emplace(o, rows.columns(), most * rows.columns().size() > 4'000'000'000ull / 64);
    }
    SweepSummary summary;
    summary.points = grid.size();
    // Each curve is reduced as its points come in, so that what a plot keeps
    // stays within 2 x plotColumns points per curve however fine the grid.
    std::vector<PlotCurve> plotCurves;
    if (o.keepPlotPoints) {
        const std::vector<double> &xs = o.vary[0].values;
        const auto [lo, hi] = std::minmax_element(xs.begin(), xs.end());
        // A range swept downwards is drawn from right to left.
        const bool leftward = xs.front() > xs.back();
        const double xFrom = leftward ? *hi : *lo, xTo = leftward ? *lo : *hi;
        summary.curves.resize(curves.curves());
        plotCurves.reserve(curves.curves());
        for (std::size_t i = 0; i < summary.curves.size(); ++i) {
            summary.curves[i].caseIndex = i / curves.curveValues();
            summary.curves[i].secondValue = curves.secondValueOf(i);
            plotCurves.emplace_back(xFrom, xTo, o.plotColumns, o.plotLevel);
        }
    }
    {
        std::string header;
        rows.header(header);
        out.write(header);
    }

    TableWriter writer(o, rows, curves, out, sheets ? &*sheets : nullptr, plotCurves, summary);
    computeSweep(grid, {o.details, o.warnings, o.refuseErrors, o.threads}, writer);
    for (std::size_t i = 0; i < plotCurves.size(); ++i) {
        summary.curves[i].points = plotCurves[i].points();
        summary.curves[i].crossings = plotCurves[i].crossings();
    }
    if (sheets)
        sheets->finish(out);
    return summary;
}

} // namespace sf
