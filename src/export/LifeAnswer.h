#pragma once

// The pack's life as both front ends give it: the text answer and the
// laws' table, the JSON, the chart, and the laws' table as CSV and
// workbook. Values in, bytes out.

#include "calc/FieldTexts.h"
#include "export/SweepTable.h"
#include "life/LifeAnalysis.h"
#include "plot/Plot.h"
#include "run/CasePoint.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace sf {

// The model's clean-pack drop of a case beside the log's P0.
struct LifeCaseComparison {
    std::string file;     // the case as the answer names it
    double cleanDrop = 0; // in the log's pressure unit
};

// The case's total drop by the model, in `unit`; nullopt, with `why` set to
// the run's message, when the case does not compute.
std::optional<double> cleanPackDrop(const FieldTexts &texts, char separator, const std::optional<ValidityRange> &range,
                                    const PressureUnit &unit, std::string &why);

// "Pack life from <log>: 11 readings", and where the fit starts.
std::string lifeHeadline(const LifeAnalysis &a, const std::string &logName);
// The answer's lines after the headline: the drop, the law with P0, K and
// rms, the limit time, the time remaining with its range, the model.
std::string lifeSummary(const LifeAnalysis &a, const std::optional<LifeCaseComparison> &model);

// A row of the laws' table: the law's name, P0, K, rms (%) and the limit
// time (a clock time for a log of timestamps, "never" when it does not
// reach it); for a law left out, `leftOut` says why and the numbers are empty.
struct LifeLawRow {
    std::string law, p0, k, rms, limitAt, leftOut;
    bool best = false;
};
std::vector<LifeLawRow> lifeLawRows(const LifeAnalysis &a);
// The headings of those columns, with the units: "P0 (bar)", "K (1/min)".
std::array<std::string, 5> lifeLawHeadings(const LifeAnalysis &a);

// The whole text answer of screenfilter-cli life.
std::string lifeText(const LifeAnalysis &a, const std::string &logName, const std::optional<LifeCaseComparison> &model);
std::string lifeJson(const LifeAnalysis &a, const std::optional<LifeCaseComparison> &model);

// The readings (at most two per pixel column of the picture, the column's
// lowest and highest, however long the log), each fitted law's curve from
// the first reading fitted, the limit and where each curve crosses it.
PlotSpec lifePlot(const LifeAnalysis &a, const std::string &logName);

// The laws' table with every number in its shortest exact form: a header
// of names with units, a row per law; a comma as the separator makes ";"
// the delimiter.
std::string lifeLawsCsv(const LifeAnalysis &a, char separator);
// The same as a workbook of one sheet named `sheet`, numbers as numbers.
// Throws std::runtime_error with the user's message.
void writeLifeWorkbook(ByteSink &out, const std::string &sheet, const LifeAnalysis &a);

} // namespace sf
