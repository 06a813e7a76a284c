#pragma once

#include "RunHost.h"

namespace sf {

// One run of the Calculate command (the OK button): read the fields, shift
// the viscosity, compute the screens, take the save file name, write the
// report, show the completion dialog and refresh the file list. Any error
// that ends the run early is shown in the default error box; nothing of a
// failed run is kept.
void Calculate(RunHost &host);

} // namespace sf
