#include "ReadInputs.h"

#include "Errors.h"
#include "InputFields.h"
#include "NumberReaders.h"

namespace sf {

const char *const ScreenCountMessage = "<Number of Screens> is not correct!";
const char *const ScreenDataMessage = "Number of screen data set is not enough!";

bool ReadInputs(RunHost &form, TFilterCase &c)
{
    const char sep = decimalSeparator();
    auto decimal = [&](int field) { return readDecimal(form.fieldText(field), sep); };

    // Unguarded: the first unreadable text ends the run with its own error.
    c.FlowRate = decimal(1);
    c.ScreenDiameter = decimal(2);
    c.Density = decimal(3);
    c.Temperature = decimal(4);
    c.StdViscosity = decimal(30);
    c.StdShearRate = decimal(31);
    c.PowerLawFactor = decimal(32);
    c.ShiftParamA = decimal(33);
    c.ShiftParamB = decimal(34);

    int count = 0;
    try {
        count = readWholeNumber(form.fieldText(ScreenCountField));
    } catch (const ConvertError &) {
        count = 0;
    }
    if (count < 1 || count > MaxScreens) {
        form.showMessage(ScreenCountMessage);
        return false;
    }
    c.ScreenCount = static_cast<std::uint8_t>(count);

    // Pairs are read until the first failure; one past the screens in use
    // is no error, as those pairs are never used.
    std::uint8_t pairsRead = 0;
    try {
        for (int k = 1; k <= MaxScreens; ++k) {
            c.ScreenPairs[k - 1].Mesh = decimal(meshField(k));
            c.ScreenPairs[k - 1].WireDia = decimal(wireField(k));
            pairsRead = static_cast<std::uint8_t>(k);
        }
    } catch (const ScreenFilterError &) {
        if (c.ScreenCount > pairsRead) {
            form.showMessage(ScreenDataMessage);
            return false;
        }
    }

    for (int k = 0; k < c.ScreenCount; ++k) {
        c.Screens[k].Mesh = c.ScreenPairs[k].Mesh;
        c.Screens[k].WireDia = c.ScreenPairs[k].WireDia;
    }
    return true;
}

} // namespace sf
