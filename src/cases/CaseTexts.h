#pragma once

#include "CaseFile.h"
#include "calc/FieldTexts.h"

#include <optional>
#include <string>

namespace sf {

// Case files are written with "." whatever the locale; the window shows
// numbers with its own separator. Swapping the two characters in every
// field but the save file name turns one into the other, and back again
// unchanged, whatever the texts hold.
FieldTexts swapSeparator(FieldTexts texts, char separator);

// The case file at `path` (bytes, as the system names it) with its texts
// as the window shows them. Throws CaseFileError.
CaseContent loadCase(const std::string &path, char separator);

// Writes the texts the window shows, and the melt's fit range and the study
// when given, as the case file at `path`, replacing it only once the new
// content is complete. Returns 0 or the errno: ENXIO for a named pipe, a
// device or a socket, which the window never writes into (a pipe that
// nobody reads would keep it waiting).
int saveCase(const std::string &path, const FieldTexts &shown, char separator,
             const std::optional<MeltFitRange> &meltFit, const std::optional<CaseStudy> &study = std::nullopt);

// The fit range a save keeps: `meltFit`, read or last saved with the texts
// `opened`, while the five melt texts of `shown` (in the same form) are
// still those; none once any of them differs, as the fit no longer
// describes that melt.
std::optional<MeltFitRange> keptMeltFit(const std::optional<MeltFitRange> &meltFit, const FieldTexts &opened,
                                        const FieldTexts &shown);

} // namespace sf
