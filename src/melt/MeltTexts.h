#pragma once

// A melt's five values as texts: a fit's, as a case file keeps it and as
// its table and plot show it, and a melt typed by hand, read the way a run
// reads the window's fields. The command line and the window's melt dialog
// both take their texts from here.

#include "MeltFit.h"
#include "ViscosityPoints.h"
#include "calc/FieldTexts.h"
#include "cases/CaseFile.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sf {

// The melt's fields, in the window's order.
inline constexpr std::array<Field, 5> MeltFields{Field::StandardViscosity, Field::StandardShearRate,
                                                 Field::PowerLawFactor, Field::ShiftA, Field::ShiftB};

// The fit's five values as a case file's texts: shortest round trip, "." as
// the decimal separator. Every other text is empty.
FieldTexts meltTexts(const MeltFit &fit);

// The fit's η0 in `unit` as the same kind of text: in gf·s/cm² and Pa·s its
// own values, in another unit converted from Pa·s.
std::string fitViscosityText(const MeltFit &fit, ViscosityUnit unit);

// The range of the points the fit was made from, as [melt.fit] keeps it;
// `source` names the points file.
MeltFitRange meltFitRange(const MeltFit &fit, const std::string &source);

// One point of a fit as its table shows it, "." as the decimal separator:
// temperature, shear rate, measured and fitted viscosity to six significant
// digits, and the deviation in % with its sign and two decimals.
using FitRow = std::array<std::string, 5>;
std::vector<FitRow> fitRows(const ViscosityPoints &points, const MeltFit &fit);

// What a plot of a fit draws for one temperature of the points: the points
// measured there and the fitted line across the shear rates of all points,
// at `linePoints` rates evenly spaced in log; viscosity in the points' unit.
struct FitCurve {
    double temperature; // °C
    std::vector<std::pair<double, double>> measured; // (shear rate, viscosity), in the file's order
    std::vector<double> deviations;                  // |deviation %| of each measured point
    std::vector<std::pair<double, double>> fitted;   // empty for a temperature without a line
};
// One per temperature, lowest first. The fitted lines, all parallel in log
// space, go to at most `maxLines` temperatures spread evenly, the lowest and
// highest among them: thousands of temperatures fill the same band with
// lines a pixel apart, and drawing them all only takes time.
constexpr std::size_t MaxFitLines = 200;
std::vector<FitCurve> fitCurves(const ViscosityPoints &points, const MeltFit &fit, int linePoints,
                                std::size_t maxLines = MaxFitLines);

// A melt typed by hand, as a case file would hold it.
struct TypedMelt {
    FieldTexts texts;                  // the melt fields, "." as separator, η0 in gf·s/cm²
    std::vector<std::string> problems; // one per value that does not read, in field order
};

// Reads the melt fields of `typed` as a run reads them, with the decimal
// reader and `separator`, η0 being given in `viscosityUnit`. A text that
// reads is kept as typed; η0 in another unit becomes its value in gf·s/cm²
// (shortest round trip). Each problem names its field: "Power Law Factor:
// 'O.4' is not a number; ...".
TypedMelt readTypedMelt(const FieldTexts &typed, ViscosityUnit viscosityUnit, char separator);

// A viscosity typed in `from` as the text of the same viscosity in `to`
// (shortest round trip), both with `separator`; nullopt when it does not
// read.
std::optional<std::string> viscosityTextIn(std::string_view text, ViscosityUnit from, ViscosityUnit to,
                                           char separator);

} // namespace sf
