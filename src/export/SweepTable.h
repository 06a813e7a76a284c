#pragma once

#include "run/Diagnoses.h"
#include "export/TableText.h"
#include "run/Sweep.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

// Where a table goes; write() throws std::runtime_error with the user's
// message when the bytes cannot be written.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(std::string_view bytes) = 0;
};

// Gathers what is written, for the whole-file writer or a test.
class StringSink : public ByteSink {
public:
    void write(std::string_view bytes) override { text += bytes; }
    std::string text;
};

// Xlsx: one sheet per case, the case's inputs at its top, then a header
// with units and one row per point, numbers stored as numbers.
enum class TableFormat { Csv, JsonLines, Xlsx };

struct SweepOptions {
    std::vector<SweepCase> cases;
    std::vector<Vary> vary; // one or two keys; the first is the outer loop
    TableFormat format = TableFormat::Csv;
    PressureUnit unit{"kgf/cm2", 1.0};
    bool details = false;       // each screen's wall shear rate and apparent viscosity
    bool inputs = false;        // the inputs that are not varied, as each point took them
    bool unitsInHeader = false; // CSV: every column's name ends in its unit
    // CSV and JSON Lines. A comma as the separator makes ";" the CSV's
    // delimiter; JSON always has ".".
    NumberStyle numbers;
    unsigned threads = 1;
    bool keepPlotPoints = false;
    // A "warnings" column: each computed point's finding codes. With
    // refuseErrors, a point with an error-level finding is refused (no
    // values, status "refused") like one that failed.
    bool warnings = false;
    bool refuseErrors = false;
    // What the curves hold, when kept: screen plotScreen's drop, or the total
    // when 0. Each curve keeps at most 2 x plotColumns points, whatever the
    // grid (see PlotCurve), and the places where it crosses plotLevel (in
    // `unit`) when that is given.
    int plotScreen = 0;
    std::size_t plotColumns = 960;
    std::optional<double> plotLevel;
    // The values of the second key (indices into vary[1].values, ascending)
    // that get a curve; empty: every one.
    std::vector<std::size_t> plotSecondValues;
    // Called on the calling thread now and then with the points written so
    // far and the number of all points.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
};

// One curve of total pressure drop (or one screen's drop) against the first
// key: one per case and per value of the second key that gets one.
struct Curve {
    std::size_t caseIndex = 0;
    std::size_t secondValue = 0; // index into vary[1].values, 0 without one
    std::vector<std::pair<double, double>> points; // (first key's value, pressure in the unit)
    std::vector<double> crossings; // the first key's values where it crosses plotLevel
};

struct SweepSummary {
    std::uint64_t points = 0;
    std::uint64_t failed = 0; // rejected or faulted points
    std::vector<Curve> curves; // filled when keepPlotPoints
};

// Computes every point of the grid (cases x first key x second key, in that
// order) on `threads` threads (computeSweep) and writes a CSV header, then
// one row per point to `out`, rows in grid order whatever the thread count. Memory stays bounded: rows are
// written as they are done; an xlsx workbook is built on disk and written to
// `out` when complete. Throws what `out` throws, and std::runtime_error
// before any point is computed when a case has more rows than a sheet holds.
SweepSummary runSweep(const SweepOptions &options, ByteSink &out);

// The rows a case's xlsx sheet needs: the case's name, its inputs, a blank
// row, the header and one row per point.
std::uint64_t sheetRows(const FieldTexts &texts, std::uint64_t points);

} // namespace sf
