#pragma once

#include "FilterCase.h"
#include "RunHost.h"

namespace sf {

extern const char *const ScreenCountMessage;   // "<Number of Screens> is not correct!"
extern const char *const ScreenDataMessage;    // "Number of screen data set is not enough!"

// Reads the field texts of form into c. Returns false after showing its own
// message when the number of screens or a screen in use is not readable;
// throws ConvertError or OverflowError for an unreadable main field.
bool ReadInputs(RunHost &form, TFilterCase &c);

} // namespace sf
