#pragma once

// One point's per-screen table: as the study window shows it, and as CSV
// and xlsx files hold it.

#include "export/SweepTable.h"
#include "run/PointEvaluator.h"
#include "run/Sweep.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

// A screen's computed quantities, in table order; the pressure drop last,
// in kgf/cm2.
struct ScreenQuantity {
    std::string_view name; // "wall_shear_rate"
    std::string_view unit; // "1/s"
    double ScreenResult::*value;
};
extern const std::array<ScreenQuantity, 8> ScreenQuantities;

// Decimals of a pressure in `unit` on screen: the report's two for kgf/cm2,
// and about the same resolution in the others.
int pressureDecimals(const PressureUnit &unit);

// The table of an Ok point as the window shows it, numbers with
// `separator`: a row per screen in use (its number, then each quantity,
// the open area in %, the drop in `unit`), then "Total" with only the
// total. Wire, opening, screen factor and kgf/cm2 drops carry the report's
// decimals. Empty for a point that did not compute.
std::vector<std::array<std::string, 1 + ScreenQuantities.size()>> studyTableTexts(const PointResult &point,
                                                                                 const PressureUnit &unit,
                                                                                 char separator);

// The same table as CSV: a header of names with units, then the rows with
// every number in its shortest exact form; a comma as the separator makes
// ";" the delimiter.
std::string studyTableCsv(const PointResult &point, const PressureUnit &unit, char separator);

// The same table as a workbook of one sheet: the case's name and its inputs
// (the texts read with `separator`) at the top as a sweep's sheets have
// them, then a header with units and the rows, numbers stored as numbers.
// Throws std::runtime_error with the user's message when it cannot be made.
void writeStudyWorkbook(ByteSink &out, const std::string &caseName, const FieldTexts &texts, char separator,
                        const PointResult &point, const PressureUnit &unit);

} // namespace sf
