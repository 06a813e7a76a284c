#include "Calculator.h"

#include "calc/DecimalSeparator.h"
#include "calc/ReadInputs.h"
#include "calc/ScreenModel.h"
#include "calc/ShiftViscosity.h"
#include "io/ErrorBoxText.h"
#include "report/ReportWriter.h"

#include <new>

namespace sf {

void Calculator::setDecimalSeparator(char c)
{
    m_separator = usableSeparator(c);
}

void Calculator::Calculate(RunHost &host)
{
    try {
        const FieldTexts texts = host.fieldTexts();
        ReadResult read = ReadInputs(texts, m_separator);
        if (const auto *rejected = std::get_if<InputRejection>(&read)) {
            host.showMessage(std::string(rejected->message));
            return;
        }
        TFilterCase &c = std::get<TFilterCase>(read);
        ShiftViscosity(c);
        ComputeScreens(c);
        // The name is taken only now, after the calculation has succeeded;
        // nothing can have changed the field since the texts were read.
        m_reportFileName = texts[SaveFileNameField];
        // A report that could not be created is not a success: the run
        // ends after "File can not open!".
        if (WriteReport(c, m_reportFileName.str(), m_separator) == ReportResult::CannotCreate) {
            host.showMessage(std::string(FileOpenMessage));
            return;
        }
        host.showFinished();
        host.refreshFileList();
    } catch (const std::bad_alloc &) {
        host.showError(errorBoxText("メモリが不足しています"));
    } catch (const std::exception &e) {
        host.showError(errorBoxText(e.what()));
    }
}

} // namespace sf
