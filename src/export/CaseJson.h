#pragma once

// The run of one case with every screen's details, as a JSON object: the
// inputs, each screen's mesh, wire, opening, open area, screen factor, wall
// shear rate, apparent viscosity and pressure drop, the total and the units.

#include "io/PressureUnit.h"
#include "run/Diagnoses.h"
#include "run/PointEvaluator.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

struct CaseJson {
    std::string text;    // the object, every line after the first led by `indent`, no final line break
    PointStatus status = PointStatus::Ok;
    std::string message; // the window's words when the run did not end well
};

// Runs the case whose `texts` are read with `separator`, as a single run
// would, and writes what it came to. `name` is the case as the user named
// it. Numbers are in their shortest exact form, always with ".". `range`
// is that of the data its melt was fitted to, for the diagnoses. Pressure
// drops and the total are in `unit`.
CaseJson caseDetailsJson(std::string_view name, const FieldTexts &texts, char separator, std::string_view indent = "",
                         const std::optional<ValidityRange> &range = std::nullopt,
                         const PressureUnit &unit = PressureUnits[0]);

// `"diagnoses": [...]` of `findings`, each object on its own line led by
// `pad` and two blanks, appended to `out`.
void appendFindingsJson(std::string &out, const std::vector<Finding> &findings, const std::string &pad);

} // namespace sf
