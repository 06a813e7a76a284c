#pragma once

#include "calc/DecimalSeparator.h"
#include "calc/FieldTexts.h"
#include "calc/FilterCase.h"
#include "report/ReportWriter.h"
#include "run/PointEvaluator.h"

#include <exception>
#include <functional>
#include <string>

namespace sf {

// What the run of one case came to, in the words the window shows.
struct RunOutcome {
    enum class Kind {
        Written,      // the report is written
        Rejected,     // a check of the inputs failed; `text` goes to the message dialog
        CannotCreate, // the report file could not be created; `text` goes to the message dialog
        Failed,       // an error left the run; `text` goes to the default error box
    };
    Kind kind;
    std::string text;
};

// Writes the report of a computed case wherever the caller wants it.
using ReportStep = std::function<ReportResult(const FilterCase &, const PackTotal &)>;

// The steps of the Calculate command from the field texts to the report:
// read them with `separator` as the decimal separator, shift the viscosity,
// compute the screens, then hand the case to `writeReport`. Nothing after a
// failed step runs. The window and the command-line program both run cases
// through here, so both answer the same texts with the same bytes and words.
RunOutcome runCase(const FieldTexts &texts, char separator, const ReportStep &writeReport);

// The steps of runCase after the computation, for a case computed already:
// `point` as the evaluator gave it, `computed` and `total` as it left them.
RunOutcome reportPoint(const PointResult &point, const FilterCase &computed, const PackTotal &total,
                       const ReportStep &writeReport);

// Report steps for a front end, both in the report's own format with
// `separator` as its decimal separator. To the file at `path` (relative
// names against the current directory), written whole or not at all
// (io/SaveFile): when that fails the step says CannotCreate, leaves the
// earlier file as it was and puts what went wrong, in the command line's
// words, into `failure`, which must outlive the step. Or into `fd`, which
// stays open (standard output).
ReportStep reportToFile(std::string path, char separator, std::string &failure);
ReportStep reportToDescriptor(int fd, char separator);

// The report file a case names: its save file name, cut to the 255 bytes the
// window takes.
std::string reportFileNameOf(const FieldTexts &texts);

// The default error box's text for an error that left a run.
std::string errorText(const std::exception &e);

} // namespace sf
