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
        if (point.status == PointStatus::Rejected)
            return {RunOutcome::Kind::Rejected, point.message};
        // A total beyond the double range ends the report part-way, where
        // its writer meets it, as the window's report has always done.
        if (point.status == PointStatus::Failed && point.step != RunStep::Total)
            return {RunOutcome::Kind::Failed, point.message};
        // A report that could not be created is not a success.
        if (writeReport(evaluator.lastCase()) == ReportResult::CannotCreate)
            return {RunOutcome::Kind::CannotCreate, std::string(FileOpenMessage)};
        return {RunOutcome::Kind::Written, {}};
    } catch (const std::exception &e) {
        return {RunOutcome::Kind::Failed, errorText(e)};
    }
}

ReportStep reportToFile(std::string path, char separator, std::string &failure)
{
    return [path = std::move(path), separator, &failure](const FilterCase &c) {
        FileCalls system;
        const WriteResult written = writeWholeFile(path, reportText(c, separator), system);
        if (written.ok())
            return ReportResult::Written;
        failure = writeFailureText(path, written);
        return ReportResult::CannotCreate;
    };
}

ReportStep reportToDescriptor(int fd, char separator)
{
    return [fd, separator](const FilterCase &c) {
        TextFile out;
        out.assign(fd);
        WriteReport(c, out, separator);
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
