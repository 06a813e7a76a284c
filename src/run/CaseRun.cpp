#include "CaseRun.h"

#include "run/PointEvaluator.h"
#include "calc/ShortString.h"
#include "io/ErrorBoxText.h"
#include "io/TextFile.h"
#include "io/WholeFile.h"

#include <new>

namespace sf {

RunOutcome runCase(const FieldTexts &texts, char separator, const ReportStep &writeReport)
{
    try {
        PointEvaluator evaluator(texts, separator, {}, false);
        const PointResult &point = evaluator.evaluate({});
        return reportPoint(point, evaluator.lastCase(), evaluator.lastTotal(), writeReport);
    } catch (const std::exception &e) {
        return {RunOutcome::Kind::Failed, errorText(e)};
    }
}

RunOutcome reportPoint(const PointResult &point, const FilterCase &computed, const PackTotal &total,
                       const ReportStep &writeReport)
{
    try {
        if (point.status == PointStatus::Rejected)
            return {RunOutcome::Kind::Rejected, point.message};
        // A total beyond the double range ends the report part-way, where
        // its writer meets it, as the window's report has always done.
        if (point.status == PointStatus::Failed && point.step != RunStep::Total)
            return {RunOutcome::Kind::Failed, point.message};
        // A report that could not be created is not a success.
        if (writeReport(computed, total) == ReportResult::CannotCreate)
            return {RunOutcome::Kind::CannotCreate, std::string(FileOpenMessage)};
        return {RunOutcome::Kind::Written, {}};
    } catch (const std::exception &e) {
        return {RunOutcome::Kind::Failed, errorText(e)};
    }
}

ReportStep reportToFile(std::string path, char separator, std::string &failure)
{
    return [path = std::move(path), separator, &failure](const FilterCase &c, const PackTotal &total) {
        FileCalls system;
        const WriteResult written = writeWholeFile(path, reportText(c, total, separator), system);
        if (written.ok())
            return ReportResult::Written;
        failure = writeFailureText(path, written);
        return ReportResult::CannotCreate;
    };
}

ReportStep reportToDescriptor(int fd, char separator)
{
    return [fd, separator](const FilterCase &c, const PackTotal &total) {
        TextFile out;
        out.assign(fd);
        WriteReport(c, total, out, separator);
        return ReportResult::Written;
    };
}

std::string reportFileNameOf(const FieldTexts &texts)
{
    return ShortString(texts[Field::SaveFileName]).str();
}

std::string errorText(const std::exception &e)
{
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return errorBoxText("メモリが不足しています");
    return errorBoxText(e.what());
}

} // namespace sf
