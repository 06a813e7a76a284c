#pragma once

// What the main window needs to know of reports without the viewer: which
// files are reports, so that the file list opens them in the viewer and
// everything else with the desktop's application.

#include <QString>

#include <cstddef>

namespace sf {

// A report of twelve screens is about 1.6 KB. Nothing much larger is one of
// ours, and the viewer does not load it.
inline constexpr std::size_t MaxReportBytes = 64 * 1024;

// Whether the file at `path` is a report to show in the viewer: a regular
// file no larger than a report can be that opens the way every report
// does. Reads its first bytes only, and never waits on a pipe.
bool isReportFile(const QString &path);

} // namespace sf
