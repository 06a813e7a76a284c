#include "ReadInputs.h"

#include "Errors.h"
#include "NumberReaders.h"

namespace sf {

ReadResult ReadInputs(const FieldTexts &texts, char separator)
{
    FilterCase c;
    auto decimal = [&](Field field) { return readDecimal(texts[field], separator); };

    // Unguarded: the first unreadable text ends the run with its own error.
    // The table lists them in reading order.
    for (const InputField &f : InputFields)
        if (f.kind == FieldKind::CaseValue)
            c.*f.value = decimal(f.id);

    int count = 0;
    try {
        count = readWholeNumber(texts[Field::ScreenCount]);
    } catch (const ConvertError &) {
        count = 0;
    }
    if (count < 1 || count > MaxScreens)
        return ScreenCountRejection;
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
        if (c.ScreenCount > pairsRead)
            return ScreenDataRejection;
    }

    for (int k = 0; k < c.ScreenCount; ++k) {
        c.Screens[k].Mesh = c.ScreenPairs[k].Mesh;
        c.Screens[k].WireDia = c.ScreenPairs[k].WireDia;
    }
    return c;
}

} // namespace sf
