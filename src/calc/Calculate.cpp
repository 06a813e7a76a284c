#include "Calculate.h"

#include "Errors.h"
#include "FilterCase.h"
#include "InputFields.h"
#include "ReadInputs.h"
#include "ScreenModel.h"
#include "ShiftViscosity.h"
#include "report/ReportWriter.h"

#include <new>

namespace sf {

void Calculate(RunHost &host)
{
    try {
        TFilterCase c;
        if (!ReadInputs(host, c))
            return;
        ShiftViscosity(c);
        ComputeScreens(c);
        // The name is taken only now, after the calculation has succeeded.
        ReportFileName = host.fieldText(SaveFileNameField);
        // A report that could not be created is not a success: the run
        // ends after "File can not open!".
        if (!WriteReport(c, host))
            return;
        host.showFinished();
        host.refreshFileList();
    } catch (const std::bad_alloc &) {
        host.showError(errorBoxText("メモリが不足しています"));
    } catch (const std::exception &e) {
        host.showError(errorBoxText(e.what()));
    }
}

} // namespace sf
