#include "CaseRun.h"

#include "calc/ReadInputs.h"
#include "calc/ScreenModel.h"
#include "calc/ShiftViscosity.h"
#include "io/ErrorBoxText.h"

#include <new>

namespace sf {

RunOutcome runCase(const FieldTexts &texts, char separator, const ReportStep &writeReport)
{
    try {
        ReadResult read = ReadInputs(texts, separator);
        if (const auto *rejected = std::get_if<InputRejection>(&read))
            return {RunOutcome::Kind::Rejected, std::string(rejected->message)};
        TFilterCase &c = std::get<TFilterCase>(read);
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

std::string errorText(const std::exception &e)
{
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return errorBoxText("メモリが不足しています");
    return errorBoxText(e.what());
}

} // namespace sf
