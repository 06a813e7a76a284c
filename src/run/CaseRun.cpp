#include "CaseRun.h"

#include "calc/ReadInputs.h"
#include "calc/ScreenModel.h"
#include "calc/ShiftViscosity.h"
#include "calc/ShortString.h"
#include "io/ErrorBoxText.h"
#include "io/TextFile.h"

#include <new>

namespace sf {

RunOutcome runCase(const FieldTexts &texts, char separator, const ReportStep &writeReport)
{
    try {
        ReadResult read = ReadInputs(texts, separator);
        if (const auto *rejected = std::get_if<InputRejection>(&read))
            return {RunOutcome::Kind::Rejected, std::string(rejected->message)};
        FilterCase &c = std::get<FilterCase>(read);
        ShiftViscosity(c);
        ComputeScreens(c);
        // A report that could not be created is not a success.
        if (writeReport(c) == ReportResult::CannotCreate)
            return {RunOutcome::Kind::CannotCreate, std::string(FileOpenMessage)};
        return {RunOutcome::Kind::Written, {}};
    } catch (const std::exception &e) {
        return {RunOutcome::Kind::Failed, errorText(e)};
    }
}

ReportStep reportToFile(std::string path, char separator)
{
    return [path = std::move(path), separator](const FilterCase &c) { return WriteReport(c, path, separator); };
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
