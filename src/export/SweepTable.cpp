#include "export/SweepTable.h"

#include "calc/InputFields.h"
#include "export/PlotCurve.h"
#include "run/StudyEvaluator.h"

#include <algorithm>
#include <charconv>
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

void appendNumber(std::string &out, double v)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// JSON has no infinity: a total beyond the double range in another unit is null.
void appendJsonNumber(std::string &out, double v)
{
    if (std::isfinite(v))
        appendNumber(out, v);
    else
        out += "null";
}

// RFC 4180: a field with a comma, quote or line break is quoted, quotes doubled.
void appendCsvField(std::string &out, std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// The length of the valid UTF-8 character at text[i], or 0.
std::size_t utf8Length(std::string_view text, std::size_t i)
{
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 0;
    return n;
}

// A JSON string; bytes that are no UTF-8 (a file name in another code page)
// become U+FFFD.
void appendJsonString(std::string &out, std::string_view text)
{
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t n = utf8Length(text, i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[(c >> 4) & 0xF];
            out += hex[c & 0xF];
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    out += '"';
}

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

class RowWriter {
public:
    RowWriter(const SweepOptions &o, int columns) : m_o(o), m_columns(columns) {}

    void header(std::string &out) const
    {
        if (m_o.format != TableFormat::Csv)
            return;
        const std::string unit = unitSuffix(m_o.unit.name);
        out += "case";
        for (const Vary &v : m_o.vary) {
            out += ',';
            appendCsvField(out, v.key);
        }
        out += ",total_" + unit;
        for (int i = 1; i <= m_columns; ++i)
            out += ",drop_" + std::to_string(i) + "_" + unit;
        out += m_o.warnings ? ",status,warnings\n" : ",status\n";
    }

    void row(std::string &out, const std::string &caseName, const std::vector<double> &values,
             const StudyPoint &r, const std::string &warnings) const
    {
        const double f = m_o.unit.perKgfCm2;
        if (m_o.format == TableFormat::Csv) {
            appendCsvField(out, caseName);
            for (double v : values) {
                out += ',';
                appendNumber(out, v);
            }
            out += ',';
            if (r.ok())
                appendNumber(out, r.total * f);
            for (int i = 0; i < m_columns; ++i) {
                out += ',';
                if (r.ok() && i < r.screenCount)
                    appendNumber(out, r.screens[static_cast<std::size_t>(i)].pressureDrop * f);
            }
            out += ',';
            appendCsvField(out, r.ok() ? "ok" : r.message);
            if (m_o.warnings) {
                out += ',';
                appendCsvField(out, warnings);
            }
            out += '\n';
            return;
        }
        out += "{\"case\":";
        appendJsonString(out, caseName);
        for (std::size_t i = 0; i < values.size(); ++i) {
            out += ',';
            appendJsonString(out, m_o.vary[i].key);
            out += ':';
            appendNumber(out, values[i]);
        }
        out += ",\"unit\":";
        appendJsonString(out, m_o.unit.name);
        if (r.ok()) {
            out += ",\"total\":";
            appendJsonNumber(out, r.total * f);
            out += ",\"drops\":[";
            for (int i = 0; i < r.screenCount; ++i) {
                if (i)
                    out += ',';
                appendJsonNumber(out, r.screens[static_cast<std::size_t>(i)].pressureDrop * f);
            }
            out += "],\"status\":\"ok\"";
        } else {
            out += ",\"total\":null,\"drops\":null,\"status\":";
            appendJsonString(out, r.message);
        }
        if (m_o.warnings) {
            out += ",\"warnings\":[";
            for (std::size_t start = 0; start < warnings.size();) {
                const std::size_t end = std::min(warnings.find(' ', start), warnings.size());
                if (start)
                    out += ',';
                appendJsonString(out, std::string_view(warnings).substr(start, end - start));
                start = end + 1;
            }
            out += ']';
        }
        out += "}\n";
    }

private:
    const SweepOptions &m_o;
    int m_columns;
};

struct PlotPoint {
    std::size_t curve; // index into the summary's curves
    double x, y;
};

struct ChunkResult {
    std::string rows;
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
        // A row of 16 numbers in their shortest forms is rarely longer.
        out.rows.reserve(static_cast<std::size_t>(last - first) * 320);
        for (std::uint64_t p = first; p < last; ++p) {
            std::size_t curve = 0;
            const std::size_t c = m_grid.place(p, m_values, curve);
            if (!m_evaluators[c])
                m_evaluators[c].emplace(m_o.cases[c].texts, '.', m_fields, m_o.cases[c].range.has_value());
            const StudyPoint &computed = m_evaluators[c]->evaluate(m_values);
            const StudyPoint *shown = &computed;
            FindingCodes found;
            if (m_o.warnings && computed.step != RunStep::Reading) {
                found = findingCodes(m_evaluators[c]->lastCase(), computed, m_o.cases[c].range);
                if (m_o.refuseErrors && found.error && computed.ok()) {
                    m_refused = computed;
                    m_refused.status = PointStatus::Rejected;
                    m_refused.message = "refused";
                    shown = &m_refused;
                }
            }
            const StudyPoint &r = *shown;
            m_rows.row(out.rows, m_o.cases[c].name, m_values, r, found.codes);
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

SweepSummary runSweep(const SweepOptions &o, ByteSink &out)
{
    const Grid grid(o);
    const RowWriter rows(o, dropColumns(o));
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
    return summary;
}

} // namespace sf
