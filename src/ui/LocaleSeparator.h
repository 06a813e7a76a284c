#pragma once

class QLocale;

namespace sf::ui {

// The decimal separator a locale gives, when that is one ASCII character;
// "." for anything longer or outside ASCII.
char separatorOf(const QLocale &locale);

// Reads the separator of the user's locale (QLocale::system(), which follows
// LC_ALL, LC_NUMERIC and LANG) and hands it to the core.
void takeSeparatorFromSystemLocale();

} // namespace sf::ui
