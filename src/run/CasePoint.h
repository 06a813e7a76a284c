#pragma once

// A case as one run computes it, with what the checks say of it: the one
// evaluation behind the command line's run (findings, then the report),
// a run's details and the study window's table.

#include "calc/FieldTexts.h"
#include "calc/FilterCase.h"
#include "run/Diagnoses.h"
#include "run/PointEvaluator.h"

#include <optional>
#include <vector>

namespace sf {

struct CasePoint {
    PointResult point;  // with each screen's open area, wall shear rate and apparent viscosity
    FilterCase computed; // the case as the run left it: read, shifted and computed up to where it stopped
    PackTotal total;     // the total as the report prints it
    bool read = false;   // past reading: `computed` holds every value the run took
    std::vector<Finding> findings; // diagnose()'s
    // When the point did not compute and no error among the findings says
    // why: where its arithmetic stopped.
    std::optional<Finding> fault;
};

// The case whose `texts` are read with `separator`, as a single run
// computes it; `range` is that of the data its melt was fitted to.
CasePoint evaluateCase(const FieldTexts &texts, char separator,
                       const std::optional<ValidityRange> &range = std::nullopt);

} // namespace sf
