#include "Calculator.h"

#include "CaseRun.h"
#include "StopReason.h"
#include "calc/DecimalSeparator.h"

namespace sf {

void Calculator::setDecimalSeparator(char c)
{
    m_separator = usableSeparator(c);
}

void Calculator::Calculate(RunHost &host)
{
    try {
        const FieldTexts texts = host.fieldTexts();
        const int directory = host.saveDirectory();
        const RunOutcome outcome = runCase(texts, m_separator, [&](const FilterCase &c, const PackTotal &total) {
            // The name is taken only now, after the calculation has
            // succeeded; nothing can have changed the field since the texts
            // were read.
            m_reportFileName = texts[Field::SaveFileName];
            return WriteReport(c, total, directory, m_reportFileName.str(), m_separator);
        });
        switch (outcome.kind) {
        case RunOutcome::Kind::Rejected:
        case RunOutcome::Kind::CannotCreate:
            host.showMessage(outcome.text, outcome.english);
            return;
        case RunOutcome::Kind::Failed:
            host.showError(outcome.text, outcome.english);
            return;
        case RunOutcome::Kind::Written:
            break;
        }
        host.showFinished();
        try {
            host.refreshFileList();
        } catch (const std::exception &e) {
            host.showError(errorText(e), "The report is written, but the file list could not be read again. " +
                                             englishErrorText(e));
        }
    } catch (const std::exception &e) {
        host.showError(errorText(e), englishErrorText(e));
    }
}

} // namespace sf
