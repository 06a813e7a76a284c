#pragma once

// The study's curves as a table: a row per flow rate, a column of total
// pressure drops per temperature, and each curve's answer to the limit
// below. As CSV and as a workbook of one sheet.

#include "export/SweepTable.h"
#include "run/Limit.h"
#include "run/Study.h"

#include <optional>
#include <string>

namespace sf {

// CSV: "flow_rate_kg_per_h,total_bar_190C,..." and a row per flow rate that
// any curve has (a point that did not compute is an empty cell); with a
// limit, a blank line, "limit,<label>", and a row per curve: temperature_C,
// the flow rate where the limit is met, the pressure there (in `unit`), the
// outcome and solve's message when it was not found. Numbers in their
// shortest exact form with `separator`; a comma as the separator makes ";"
// the delimiter.
std::string studyCurvesCsv(const Study &study, const PressureUnit &unit, const std::optional<PressureLimit> &limit,
                           char separator);

// The same as a workbook: the case's name and inputs at the top as the
// other sheets have them, then the table, numbers stored as numbers. Throws
// std::runtime_error with the user's message when it cannot be made.
void writeStudyCurvesWorkbook(ByteSink &out, const std::string &caseName, const FieldTexts &texts, char separator,
                              const Study &study, const PressureUnit &unit, const std::optional<PressureLimit> &limit);

} // namespace sf
