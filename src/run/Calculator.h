#pragma once

#include "RunHost.h"
#include "calc/ShortString.h"

namespace sf {

// The Calculate command (the OK button) with the two values that outlive a
// run: the decimal separator in force and the last save file name taken.
// Each window owns one; the save directory is the host's. Nothing here is
// shared between objects, so two calculators can run side by side on two
// threads.
class Calculator {
public:
    // Takes c when it can serve as the separator (usableSeparator), "." otherwise.
    void setDecimalSeparator(char c);
    char decimalSeparator() const { return m_separator; }

    // The save file name of the last run that reached the report step.
    const ShortString &ReportFileName() const { return m_reportFileName; }

    // One run: read the fields, shift the viscosity, compute the screens,
    // take the save file name, write the report, show the completion dialog
    // and refresh the file list. Any error that ends the run early is shown
    // in the default error box; nothing of a failed run is kept.
    void Calculate(RunHost &host);

private:
    char m_separator = '.';
    ShortString m_reportFileName;
};

} // namespace sf
