#include "CaseRun.h"

#include "run/StopReason.h"
#include "run/StudyEvaluator.h"
#include "calc/QuotedText.h"
#include "calc/ShortString.h"
#include "io/ErrorBoxText.h"
#include "io/IoErrors.h"
#include "io/TextFile.h"
#include "io/WholeFile.h"

#include <cerrno>
#include <new>

namespace sf {

RunOutcome runCase(const FieldTexts &texts, char separator, const ReportStep &writeReport)
{
    try {
        StudyEvaluator evaluator(texts, separator, {}, false);
        const StudyPoint &point = evaluator.evaluate({});
        auto why = [&] { return stopReason(texts, separator, point).line(); };
        if (point.status == PointStatus::Rejected)
            return {RunOutcome::Kind::Rejected, point.message, why()};
        // A total beyond the double range ends the report part-way, where
        // its writer meets it, as the window's report has always done.
        if (point.status == PointStatus::Failed && point.step != RunStep::Total)
            return {RunOutcome::Kind::Failed, point.message, why()};
        // Failed at its total: the writer stops part-way, and the point says why.
        const std::string english = point.ok() ? std::string() : why();
        try {
            // A report that could not be created is not a success.
            if (writeReport(evaluator.lastCase()) == ReportResult::CannotCreate)
                return {RunOutcome::Kind::CannotCreate, std::string(FileOpenMessage),
                        windowLabelOfKey("report.file") + ": the report file " +
                            quotedText(reportFileNameOf(texts), "'", "'") +
                            " cannot be created; give a name in a folder that exists and can be written to."};
        } catch (const std::exception &e) {
            return {RunOutcome::Kind::Failed, errorText(e), english.empty() ? englishErrorText(e) : english};
        }
        return {RunOutcome::Kind::Written, {}, {}};
    } catch (const std::exception &e) {
        return {RunOutcome::Kind::Failed, errorText(e), englishErrorText(e)};
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

ReportStep reportToDescriptor(int fd, char separator, std::string fdName, std::string &failure)
{
    return [fd, separator, fdName = std::move(fdName), &failure](const FilterCase &c) {
        TextFile out;
        out.assign(fd);
        try {
            WriteReport(c, out, separator);
        } catch (const InOutError &e) {
            // Its reader has gone: a pipe closed early, as `| head` does.
            failure = e.code() == EPIPE ? fdName + " was closed"
                                        : fdName + ": the report could not be written (system error " +
                                              std::to_string(e.code()) + ")";
            throw;
        }
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
