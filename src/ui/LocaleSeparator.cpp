#include "LocaleSeparator.h"

#include <QLocale>

namespace sf {

char separatorOf(const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && point.front().unicode() < 0x80)
        return static_cast<char>(point.front().unicode());
    return '.';
}

} // namespace sf
