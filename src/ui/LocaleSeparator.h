#pragma once

class QLocale;

namespace sf {

// The decimal separator a locale gives, when that is one ASCII character;
// "." for anything longer or outside ASCII.
char separatorOf(const QLocale &locale);

} // namespace sf
