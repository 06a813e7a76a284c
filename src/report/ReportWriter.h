#pragma once

#include "calc/FilterCase.h"

#include <string>
#include <string_view>

namespace sf {

class TextFile;

enum class ReportResult {
    Written,
    CannotCreate, // nothing was written; the run shows FileOpenMessage
};

inline constexpr std::string_view FileOpenMessage = "File can not open!";

// Writes the report of c with its `total` (as the run summed it), numbers
// with `separator`, into the file `fileName` (absolute, or relative to the
// directory open as `directory`), replacing it. The file is open only while
// this runs. A failed write or close throws InOutError; a total that went
// beyond the double range throws OverflowError after the row of the screen
// that took it there. What reached the disk by then stays there, in whole
// 128-byte blocks.
ReportResult WriteReport(const FilterCase &c, const PackTotal &total, int directory, const std::string &fileName,
                         char separator);

// The same report written into a file already open, which it then closes.
void WriteReport(const FilterCase &c, const PackTotal &total, TextFile &file, char separator);

// The bytes of the same report, for a file that is written whole. Throws
// OverflowError as WriteReport does; nothing is written then.
std::string reportText(const FilterCase &c, const PackTotal &total, char separator);

// Whether `bytes`, the start of a file, open the way every report does: two
// empty lines, then the flow rate's label. Line ends may be CR LF or LF, so
// a report that a copy turned into LF lines still counts.
bool startsLikeReport(std::string_view bytes);

} // namespace sf
