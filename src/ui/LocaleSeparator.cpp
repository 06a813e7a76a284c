#include "LocaleSeparator.h"

#include "calc/DecimalSeparator.h"

#include <QLocale>

namespace sf::ui {

char separatorOf(const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && point.front().unicode() < 0x80)
        return static_cast<char>(point.front().unicode());
    return '.';
}

void takeSeparatorFromSystemLocale()
{
    setDecimalSeparator(separatorOf(QLocale::system()));
}

} // namespace sf::ui
