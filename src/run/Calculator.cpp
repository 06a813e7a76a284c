#include "Calculator.h"

#include "CaseRun.h"
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
            host.showMessage(outcome.text);
            return;
        case RunOutcome::Kind::Failed:
            host.showError(outcome.text);
            return;
        case RunOutcome::Kind::Written:
            break;
        }
        host.showFinished();
        host.refreshFileList();
    } catch (const std::exception &e) {
        host.showError(errorText(e));
    }
}

} // namespace sf
