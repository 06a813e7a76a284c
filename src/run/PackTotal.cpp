#include "run/PackTotal.h"

#include "calc/Errors.h"
#include "calc/ExtendedMath.h"

namespace sf {

PackTotal totalPressureDrop(const FilterCase &c)
{
    PackTotal total;
    for (int i = 0; i < c.ScreenCount; ++i) {
        try {
            total.value = ext::store(ext::add(total.value, c.Screens[i].PressDrop));
        } catch (const OverflowError &) {
            total.overflowScreen = i + 1;
            break;
        }
    }
    return total;
}

} // namespace sf
