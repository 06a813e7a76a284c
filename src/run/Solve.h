#pragma once

// Solving for a limit: the value of one key of a case at which a pressure
// (the total over the pack, or one screen's drop) just reaches a limit. The
// answer is a pair of adjacent doubles, the limit met at one and not at the
// other, each evaluated as a single run of the case with that value would
// be: exact for the model, not an interpolation.

#include "calc/FieldTexts.h"
#include "run/Limit.h"
#include "run/PointEvaluator.h"

#include <optional>
#include <string>

namespace sf {

// A key solve may vary: a case value or one screen's mesh/wire.
// Refused: ScreenCount (a whole number) and PowerLawFactor (the total need
// not be monotone in it), and the report's file name.
enum class SolveOutcome {
    Found,       // lo and hi bracket the limit
    NotReached,  // the limit is met everywhere in the range, or nowhere
    NotMonotone, // the pressure falls and rises within the range, or does not change
    Fault,       // a point in the range is refused or stops with an error
    Refused,     // the key, the range or the limit cannot be solved for
};

struct SolveRange {
    double from = 0, to = 0;
};

struct SolveAnswer {
    SolveOutcome outcome = SolveOutcome::Refused;
    // Found: two adjacent doubles, lo < hi; the limit is met at one and not
    // the other (met: the pressure in the limit's unit is at most the
    // limit's value). Fault: both the value where the run stopped.
    double lo = 0, hi = 0;
    double measureLo = 0, measureHi = 0; // the limited pressure at lo and hi, kgf/cm2
    bool rises = true;                   // the limited pressure rises with the key
    std::string message;                 // English, names the key and range, when not Found
    // Found: the points at lo and hi, with details (for diagnoses). Fault:
    // atLo is the point that stopped.
    PointResult atLo, atHi;
    int evaluations = 0; // runs of the case the search took

    // The side of the pair where the limit is met: the answer to quote.
    double within() const { return metAtLo() ? lo : hi; }
    double measureWithin() const { return metAtLo() ? measureLo : measureHi; }
    const PointResult &pointWithin() const { return metAtLo() ? atLo : atHi; }
    bool metAtLo() const { return rises; }
};

// Why a key cannot be solved for, or nullopt when it can.
std::optional<std::string> solveRefusal(Field key);

// Keys that only positive values make sense for: their ranges lie above zero
// and are searched nearly logarithmically.
bool solvesPositiveOnly(Field key);

// The key's value in the case (its text read with `separator`), or nullopt
// when the text is not a number.
std::optional<double> caseValueOf(const FieldTexts &texts, char separator, Field key);

// A sensible default range for a key around the case's current value:
// flow rate, standard viscosity and standard shear rate a hundredth to a
// hundred times it; density and screen diameter a tenth to ten times; mesh
// and wire half to twice; temperature 200 degrees either side; shift
// parameter A a quarter of its size either side, B 5 either side. A
// positive-only key whose value is not above zero is taken around the
// worked example's value instead.
SolveRange defaultSolveRange(Field key, double current);

// Solves one case (texts read with `separator`) for `key` so that `limit`
// is just reached within `range`. The search starts from a coarse sample of
// the range that holds the case's own value, checks that the pressure is
// monotone on it, then bisects the bracketing pair on the doubles' ordered
// bit patterns (at most 64 steps) down to two adjacent doubles.
SolveAnswer solveLimit(const FieldTexts &texts, char separator, Field key, const PressureLimit &limit,
                       SolveRange range);

const char *solveOutcomeName(SolveOutcome outcome); // "found", "not-reached", ...

} // namespace sf
