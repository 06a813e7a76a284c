#pragma once

// Physical sense, checked apart from the arithmetic: what is wrong with a
// case, where, and what would fix it, in plain English. The window's OK
// button shows none of this (its words are its own); the command line and
// the study window do.

#include "calc/FieldTexts.h"
#include "run/PointEvaluator.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sf {

enum class Severity {
    Error,   // the case means nothing physically; the command line refuses it
    Warning, // it computes, but a result is doubtful
    Note,    // said, never a failure
};

struct Finding {
    std::string code;     // stable, for scripts: "no-opening", "small-open-area", ...
    Severity severity;
    std::string key;      // the case-file key it concerns: "screens.3.wire", "process.density"
    std::string value;    // the value as the case holds it (a text, or a computed value)
    std::string sentence; // what is wrong and what would fix it

    bool operator==(const Finding &) const = default;
};

// The range of melt data a viscosity fit was made from (a case's
// [melt.fit]); outside it the model is extrapolated.
struct ValidityRange {
    double temperatureMin = 0, temperatureMax = 0; // degrees Celsius
    double shearRateMin = 0, shearRateMax = 0;     // 1/s
};

// Screen open area below this share of the face is doubtful: the worked
// example's tightest screens have 25 to 29 %.
constexpr double SmallOpenArea = 0.15;

// The findings of a case: its texts read with `separator`, and, when it was
// computed, its point (with details, for the shear-rate range). Errors come
// first, in the order of the fields, then warnings, then notes.
std::vector<Finding> diagnose(const FieldTexts &texts, char separator, const PointResult *point = nullptr,
                              const std::optional<ValidityRange> &range = std::nullopt);

// The codes of a computed point's value findings, blank-separated, each
// once, in the order diagnose() would give them (a sweep's warnings column).
// `c` is the case as the evaluator left it (PointEvaluator::lastCase()).
struct FindingCodes {
    std::string codes;
    bool error = false; // one of them is an error
};
FindingCodes findingCodes(const FilterCase &c, const PointResult &point,
                          const std::optional<ValidityRange> &range = std::nullopt);

// The same, point after point: the checks of the screens, which their mesh
// and wire alone decide, are kept while the pack stays the same bit for bit.
class PointFindings {
public:
    FindingCodes codes(const FilterCase &c, const PointResult &point,
                       const std::optional<ValidityRange> &range = std::nullopt);

private:
    int m_count = -1; // screens of the pack checked last; -1 before the first
    std::array<double, 2 * MaxScreens> m_pack{}; // their mesh and wire
    std::vector<std::pair<const char *, Severity>> m_screenFindings;
};

// The finding that says where a point's arithmetic stopped, when no check
// of the inputs explains it: its step and screen as a key.
Finding faultFinding(const PointResult &point);

const char *severityName(Severity s); // "error", "warning", "note"

} // namespace sf
