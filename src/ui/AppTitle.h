#pragma once

#include <QString>

namespace sf {

// The application title made from the executable's path: the name after the
// last "/" or "\", cut at its first ".", first character in capitals and
// the rest lower-cased ("C:\bin\MYCALC.EXE" gives "Mycalc", "screenfilter"
// gives "Screenfilter").
QString applicationTitle(const QString &executablePath);

// The title every message box is captioned with, as set at start-up.
QString messageBoxCaption();

} // namespace sf
