#include "export/SweepTable.h"

#include "calc/InputFields.h"
#include "export/PlotCurve.h"
#include "export/XlsxBook.h"
#include "run/StudyEvaluator.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace sf {

namespace {

// Points per unit of work: large enough that threads rarely meet, small
// enough that the rows waiting to be written stay a few megabytes.
constexpr std::uint64_t ChunkPoints = 2048;

std::string unitSuffix(std::string_view unit)
{
    std::string s(unit);
    std::replace(s.begin(), s.end(), '/', '_');
    return s;
}

// Screens in use at most: at each case's first point, or all twelve when
// the pack itself is varied.
int dropColumns(const SweepOptions &o)
{
    std::vector<Field> fields;
    std::vector<double> first;
    for (const Vary &v : o.vary) {
        if (inputField(v.field).kind == FieldKind::ScreenCount || inputField(v.field).screen != 0)
            return MaxScreens;
        fields.push_back(v.field);
        first.push_back(v.values.front());
    }
    int columns = 0;
    for (const SweepCase &c : o.cases)
        columns = std::max(columns, StudyEvaluator(c.texts, '.', fields, false).screensInUse(first));
    return columns;
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
    const std::string &caseName;
    const std::vector<double> &values;
    const StudyPoint &point;
    const FilterCase *read; // the case as the point read it, null when it could not
    const std::string &warnings; // its finding codes, blank-separated
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
    }

    const std::vector<Column> &columns() const { return m_columns; }

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
        const StudyPoint &p = row.point;
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
        for (const Column &c : m_columns) {
            if (c.kind == ColumnKind::Case) {
                appendCsvField(out, row.caseName, m_delimiter);
                continue;
            }
            out += m_delimiter;
            if (c.kind == ColumnKind::Status)
                appendCsvField(out, row.point.ok() ? "ok" : row.point.message, m_delimiter);
            else if (c.kind == ColumnKind::Warnings)
                appendCsvField(out, row.warnings, m_delimiter);
            else if (const std::optional<double> v = number(c, row))
                appendNumber(out, *v, m_o.numbers);
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
        const StudyPoint &r = row.point;
        out += "{\"case\":";
        appendJsonString(out, row.caseName);
        for (const Column &c : m_columns) {
            if (c.kind != ColumnKind::Varied && c.kind != ColumnKind::Input)
                continue;
            out += ',';
            appendJsonString(out, c.name);
            out += ':';
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

    const SweepOptions &m_o;
    std::vector<Column> m_columns;
    char m_delimiter;
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

struct ChunkResult {
    std::string rows;           // CSV and JSON Lines
    std::vector<SheetRow> cells; // xlsx
    std::vector<PlotPoint> plot;
    std::uint64_t failed = 0;
};

// The grid, point by point: case, then the first key, then the second.
class Grid {
public:
    explicit Grid(const SweepOptions &o) : m_o(o)
    {
        m_first = o.vary[0].values.size();
        m_second = o.vary.size() > 1 ? o.vary[1].values.size() : 1;
        m_total = static_cast<std::uint64_t>(o.cases.size()) * m_first * m_second;
    }
    std::uint64_t size() const { return m_total; }

    // The point's case, its values and its curve.
    std::size_t place(std::uint64_t point, std::vector<double> &values, std::size_t &curve) const
    {
        const std::uint64_t perCase = static_cast<std::uint64_t>(m_first) * m_second;
        const auto caseIndex = static_cast<std::size_t>(point / perCase);
        const std::uint64_t rest = point % perCase;
        const auto i = static_cast<std::size_t>(rest / m_second);
        const auto j = static_cast<std::size_t>(rest % m_second);
        values[0] = m_o.vary[0].values[i];
        if (m_o.vary.size() > 1)
            values[1] = m_o.vary[1].values[j];
        curve = caseIndex * m_second + j;
        return caseIndex;
    }

    // The values of the second key that get a curve, and the curves: per
    // case, one per such value.
    std::size_t curveValues() const { return m_o.plotSecondValues.empty() ? m_second : m_o.plotSecondValues.size(); }
    std::size_t curves() const { return m_o.cases.size() * curveValues(); }

    // The summary's curve of a grid curve (place's), if it gets one.
    std::optional<std::size_t> plotCurve(std::size_t curve) const
    {
        const std::size_t caseIndex = curve / m_second, j = curve % m_second;
        const std::vector<std::size_t> &kept = m_o.plotSecondValues;
        if (kept.empty())
            return curve;
        const auto it = std::lower_bound(kept.begin(), kept.end(), j);
        if (it == kept.end() || *it != j)
            return std::nullopt;
        return caseIndex * kept.size() + static_cast<std::size_t>(it - kept.begin());
    }

    // The second key's value of the summary's curve i.
    std::size_t secondValueOf(std::size_t i) const
    {
        const std::size_t k = i % curveValues();
        return m_o.plotSecondValues.empty() ? k : m_o.plotSecondValues[k];
    }

private:
    const SweepOptions &m_o;
    std::size_t m_first = 0, m_second = 0;
    std::uint64_t m_total = 0;
};

// The value a curve shows at a point that was computed, in the unit.
std::optional<double> plotValue(const SweepOptions &o, const StudyPoint &r)
{
    if (o.plotScreen == 0)
        return r.total * o.unit.perKgfCm2;
    if (o.plotScreen > r.screenCount)
        return std::nullopt;
    return r.screens[static_cast<std::size_t>(o.plotScreen - 1)].pressureDrop * o.unit.perKgfCm2;
}

// One thread's share: its own evaluators, one per case, keep their caches.
class Worker {
public:
    Worker(const SweepOptions &o, const Grid &grid, const RowWriter &rows)
        : m_o(o), m_grid(grid), m_rows(rows), m_evaluators(o.cases.size()), m_values(o.vary.size())
    {
        for (const Vary &v : o.vary)
            m_fields.push_back(v.field);
    }

    ChunkResult compute(std::uint64_t first, std::uint64_t last)
    {
        ChunkResult out;
        const bool sheet = m_o.format == TableFormat::Xlsx;
        // A row of 16 numbers in their shortest forms is rarely longer.
        if (!sheet)
            out.rows.reserve(static_cast<std::size_t>(last - first) * 320 * (m_o.details || m_o.inputs ? 3 : 1));
        for (std::uint64_t p = first; p < last; ++p) {
            std::size_t curve = 0;
            const std::size_t c = m_grid.place(p, m_values, curve);
            if (!m_evaluators[c])
                m_evaluators[c].emplace(m_o.cases[c].texts, '.', m_fields, m_o.details || m_o.cases[c].range.has_value());
            StudyEvaluator &e = *m_evaluators[c];
            const StudyPoint &computed = e.evaluate(m_values);
            const StudyPoint *shown = &computed;
            const bool read = computed.ok() || computed.step != RunStep::Reading;
            FindingCodes found;
            if (m_o.warnings && read) {
                found = findingCodes(e.lastCase(), computed, m_o.cases[c].range);
                if (m_o.refuseErrors && found.error && computed.ok()) {
                    m_refused = computed;
                    m_refused.status = PointStatus::Rejected;
                    m_refused.message = "refused";
                    shown = &m_refused;
                }
            }
            const StudyPoint &r = *shown;
            const Row row{m_o.cases[c].name, m_values, r, read ? &e.lastCase() : nullptr, found.codes};
            if (sheet) {
                out.cells.emplace_back();
                out.cells.back().caseIndex = c;
                m_rows.row(out.cells.back(), row);
            } else {
                m_rows.row(out.rows, row);
            }
            if (!r.ok()) {
                ++out.failed;
            } else if (m_o.keepPlotPoints) {
                const std::optional<std::size_t> kept = m_grid.plotCurve(curve);
                const std::optional<double> y = plotValue(m_o, r);
                if (kept && y)
                    out.plot.push_back({*kept, m_values[0], *y});
            }
        }
        return out;
    }

private:
    const SweepOptions &m_o;
    const Grid &m_grid;
    const RowWriter &m_rows;
    std::vector<std::optional<StudyEvaluator>> m_evaluators;
    std::vector<Field> m_fields;
    std::vector<double> m_values;
    StudyPoint m_refused;
};

} // namespace

std::uint64_t sheetRows(const FieldTexts &texts, std::uint64_t points)
{
    return caseInputRows(texts, '.') + 1 + points;
}

SweepSummary runSweep(const SweepOptions &o, ByteSink &out)
{
    const Grid grid(o);
    const RowWriter rows(o, dropColumns(o));
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
        summary.curves.resize(grid.curves());
        plotCurves.reserve(grid.curves());
        for (std::size_t i = 0; i < summary.curves.size(); ++i) {
            summary.curves[i].caseIndex = i / grid.curveValues();
            summary.curves[i].secondValue = grid.secondValueOf(i);
            plotCurves.emplace_back(xFrom, xTo, o.plotColumns, o.plotLevel);
        }
    }
    {
        std::string header;
        rows.header(header);
        out.write(header);
    }

    const std::uint64_t chunks = (grid.size() + ChunkPoints - 1) / ChunkPoints;
    const unsigned threads = static_cast<unsigned>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(o.threads, chunks)));
    // Work may run this many chunks ahead of the writer, which bounds memory.
    const std::uint64_t window = 4ull * threads;

    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::uint64_t, ChunkResult> done;
    std::uint64_t next = 0;
    std::uint64_t written = 0;
    bool stop = false;
    std::exception_ptr workerError;

    auto work = [&] {
        Worker worker(o, grid, rows);
        for (;;) {
            std::uint64_t chunk = 0;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= chunks || next < written + window; });
                if (stop || next >= chunks)
                    return;
                chunk = next++;
            }
            ChunkResult result;
            try {
                const std::uint64_t first = chunk * ChunkPoints;
                result = worker.compute(first, std::min(grid.size(), first + ChunkPoints));
            } catch (...) {
                std::lock_guard lock(mutex);
                workerError = std::current_exception();
                stop = true;
                changed.notify_all();
                return;
            }
            std::lock_guard lock(mutex);
            done.emplace(chunk, std::move(result));
            changed.notify_all();
        }
    };

    std::vector<std::thread> pool;
    pool.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        pool.emplace_back(work);

    auto finish = [&] {
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        changed.notify_all();
        for (std::thread &t : pool)
            t.join();
    };

    try {
        while (written < chunks) {
            ChunkResult result;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return workerError || done.count(written) > 0; });
                if (workerError)
                    std::rethrow_exception(workerError);
                auto it = done.find(written);
                result = std::move(it->second);
                done.erase(it);
            }
            if (sheets)
                for (const SheetRow &r : result.cells)
                    sheets->write(r);
            else
                out.write(result.rows);
            summary.failed += result.failed;
            for (const PlotPoint &p : result.plot)
                plotCurves[p.curve].add(p.x, p.y);
            {
                std::lock_guard lock(mutex);
                ++written;
            }
            changed.notify_all();
            if (o.progress)
                o.progress(std::min(grid.size(), written * ChunkPoints), grid.size());
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    for (std::size_t i = 0; i < plotCurves.size(); ++i) {
        summary.curves[i].points = plotCurves[i].points();
        summary.curves[i].crossings = plotCurves[i].crossings();
    }
    if (sheets)
        sheets->finish(out);
    return summary;
}

} // namespace sf
