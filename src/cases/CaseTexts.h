#pragma once

#include "calc/FieldTexts.h"

#include <string>

namespace sf {

// Case files are written with "." whatever the locale; the window shows
// numbers with its own separator. Swapping the two characters in every
// field but the save file name turns one into the other, and back again
// unchanged, whatever the texts hold.
FieldTexts swapSeparator(FieldTexts texts, char separator);

// The texts of the case file at `path` (bytes, as the system names it) as
// the window shows them. Throws CaseFileError.
FieldTexts loadCase(const std::string &path, char separator);

// Writes the texts the window shows as the case file at `path`, replacing
// it only once the new content is complete. Returns 0 or the errno.
int saveCase(const std::string &path, const FieldTexts &shown, char separator);

} // namespace sf
