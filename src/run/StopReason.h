#pragma once

// Why a run stopped, in plain English: the window's dialogs show their own
// words, and beside them this line, built from the same findings the command
// line and the study window give.

#include "calc/FieldTexts.h"
#include "run/Diagnoses.h"
#include "run/PointEvaluator.h"

#include <exception>
#include <string>

namespace sf {

struct StopReason {
    Finding cause;           // the finding that explains the stop
    std::string consequence; // how the window took it, when its words do not say: "so the window
                             // counts screen 1 as not given"; empty otherwise
    std::string label;       // the field as the window labels it: "No. 1 Screen Wire Dia. (cm)";
                             // empty when the cause is no one field

    // "<label>: <sentence>[; <consequence>]."
    std::string line() const;
};

// The reason a point that did not compute (`point.ok()` is false) stopped:
// the finding of the field it stopped at, or, for an arithmetic fault, the
// error of the inputs behind it and the step and screen the fault came from.
StopReason stopReason(const FieldTexts &texts, char separator, const PointResult &point);

// The field a finding's key names as the window labels it, with its screen
// row and single blanks: "No. 1 Screen Wire Dia. (cm)", "Density (g/cm3)",
// "No. 3 Screen" for "screens.3"; empty for a key that names no field.
std::string windowLabelOfKey(const std::string &key);

// An error that left a run outside its arithmetic (memory, a file), in
// English.
std::string englishErrorText(const std::exception &e);

} // namespace sf
