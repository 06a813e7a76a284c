#pragma once

// A solved case as `solve --format json` gives it: the key, the limit, the
// range searched, the outcome and, when found, lo, hi, the pressures at
// both, where the limit is met, the direction and the diagnoses there.

#include "calc/FieldTexts.h"
#include "run/Limit.h"
#include "run/SolveCase.h"

#include <string>

namespace sf {

// One case's answer as a JSON object, every line after the first led by
// `indent`; pressures in the limit's unit. `name` is the case as the user
// named it.
std::string solveAnswerJson(const std::string &name, Field field, const PressureLimit &limit, const SolvedCase &s,
                            const std::string &indent);

} // namespace sf
