#pragma once

// What the study and pack-life windows read from the main window's case,
// apart from the windows themselves, so that the main window can hand it
// over without loading them.

#include "calc/FieldTexts.h"
#include "cases/CaseFile.h"
#include "run/Diagnoses.h"

#include <QString>

#include <optional>

namespace sf {

// What the study is computed from: the main window's fields as they stand.
struct StudyInputs {
    FieldTexts texts;
    char separator = '.';
    std::optional<ValidityRange> range; // the melt's fit range, when the case has one
    QString caseName;                   // for the exported files' names
    QString folder;                     // where exports are suggested
    QString casePath;                   // the case's file, empty before it is saved
    std::optional<MeltFitRange> meltFit; // the melt's fit, while the melt is the one fitted
};

// The case in the main window, for the model's clean-pack drop.
struct LifeCaseInputs {
    FieldTexts texts;
    char separator = '.';
    std::optional<ValidityRange> range;
    QString casePath; // empty while no case is open
    QString folder;   // where exports are suggested
};

} // namespace sf
