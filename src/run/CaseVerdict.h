#pragma once

// What the command line says of a computed case before it writes anything,
// as lines for the user: the reasons it is refused, or its warnings (and
// notes, when asked for). The command line and the Python module say the
// same words.

#include "calc/FieldTexts.h"
#include "run/CasePoint.h"

#include <string>
#include <vector>

namespace sf {

struct CaseVerdictOptions {
    bool noCheck = false; // findings never refuse; only a failed point does
    bool strict = false;  // a warning refuses too
    bool notes = false;   // notes are said as well
};

struct CaseVerdict {
    bool refused = false;
    // Refused: "FILE: KEY: sentence" per reason, with the window's words in
    // brackets when the window would refuse the case too. Otherwise "FILE:
    // warning: KEY: sentence" (and "FILE: note: ...").
    std::vector<std::string> lines;
};

// The verdict on case `c`, computed from `texts` (read with "."); `file`
// names it at the start of every line.
CaseVerdict caseVerdict(const std::string &file, const FieldTexts &texts, const CasePoint &c,
                        const CaseVerdictOptions &options);

} // namespace sf
