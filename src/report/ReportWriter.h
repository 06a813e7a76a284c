#pragma once

#include "calc/FilterCase.h"
#include "calc/RunHost.h"

namespace sf {

extern const char *const FileOpenMessage; // "File can not open!"

// Writes the report of c into the file named by ReportFileName, replacing
// it. When the file cannot be created it shows "File can not open!", writes
// nothing and returns false. A failed write or close throws InOutError; what
// reached the disk by then stays there.
bool WriteReport(const TFilterCase &c, MessageDialog &dialog);

} // namespace sf
