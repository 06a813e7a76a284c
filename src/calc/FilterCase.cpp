#include "FilterCase.h"

namespace sf {

ShortString ReportFileName;

} // namespace sf
