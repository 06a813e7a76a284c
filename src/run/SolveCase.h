#pragma once

// A case solved for one key as `solve` answers it: the search, the
// diagnoses at the answer and the answer's line. The command line and the
// study window both ask here, so the two give the same digits.

#include "calc/FieldTexts.h"
#include "run/Diagnoses.h"
#include "run/Limit.h"
#include "run/Solve.h"

#include <optional>
#include <string>
#include <vector>

namespace sf {

struct SolvedCase {
    SolveRange range; // the one searched: the given one, or the key's default
    SolveAnswer answer;
    std::vector<Finding> findings; // diagnose()'s at the answer, when Found
};

// Solves the case (texts read with `separator`) for `key`, over `range` or
// else defaultSolveRange around the case's own value; `fit` is the melt's
// fit range, which the diagnoses check the answer's point against.
SolvedCase solveCase(const FieldTexts &texts, char separator, Field key, const PressureLimit &limit,
                     const std::optional<SolveRange> &range, const std::optional<ValidityRange> &fit);

// A Found answer's line, "flow_rate = 9.0123 kg/hr: total 149.99 bar, limit
// 150 bar (rises with flow_rate)", then each finding at the answer on its
// own line led by two spaces; "\n" after every line. `key` as the user
// wrote it.
std::string solvedCaseText(const std::string &key, Field field, const PressureLimit &limit, const SolvedCase &solved);

// Every key solve takes, in the fields' order: "flow_rate", ...,
// "screens.12.wire".
std::vector<Field> solvableKeys();

// The field `key` names as a key to solve for ("flow_rate",
// "screens.3.wire"). Throws UsageError (run/Sweep.h) with the user's line,
// "--find: ...", for a key that is none (naming the closest) or that solve
// cannot search.
Field solveKeyOf(const std::string &key);

// "FROM:TO" as the range to search for `key`; throws UsageError, "--range:
// ...", for anything else, for FROM not below TO, and for a range reaching
// zero or below where `key` makes sense above zero only.
SolveRange solveRangeOf(std::string_view spec, Field key);

} // namespace sf
