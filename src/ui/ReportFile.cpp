#include "ReportFile.h"

#include "io/RegularFile.h"
#include "run/CaseRun.h" // startsLikeReport

#include <QFile>

namespace sf {

namespace {

// What isReportFile reads: more than the two empty lines and the first label.
constexpr std::size_t OpeningBytes = 64;

} // namespace

bool isReportFile(const QString &path)
{
    const RegularFileRead opening = readFileOpening(QFile::encodeName(path).toStdString(), OpeningBytes);
    return opening.ok() && opening.size <= MaxReportBytes && startsLikeReport(opening.bytes);
}

} // namespace sf
