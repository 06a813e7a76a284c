#pragma once

#include "BusyPointer.h"

#include <QByteArray>
#include <QStringList>

namespace sf {

// A listing that reaches this many names shows the busy pointer from then
// on: a short one is over before the pointer could be seen.
inline constexpr int BusyPointerFromName = 100;

// The names of the regular files in `directory` (links to regular files
// count), hidden ones left out, sorted ignoring case, each as shown. Throws InOutError when the directory
// cannot be read; the busy pointer, once shown, is restored either way.
QStringList readFileNames(const QByteArray &directory, BusyPointer &busy);

} // namespace sf
