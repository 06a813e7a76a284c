#pragma once

// What the side windows share: the pressure units they offer, a message
// in red, and the file dialog of their exports.

#include "io/PressureUnit.h"

#include <QString>

#include <array>

class QLabel;
class QWidget;

namespace sf {

// The pressure units offered, as the windows write them.
struct ShownUnit {
    const char *name; // pressureUnitNamed's
    const char16_t *shown;
};
inline constexpr ShownUnit ShownPressureUnits[] = {
    {"kgf/cm2", u"kgf/cm²"}, {"bar", u"bar"}, {"MPa", u"MPa"}, {"psi", u"psi"}};

// The units of ShownPressureUnits, in its order.
const std::array<PressureUnit, std::size(ShownPressureUnits)> &pressureUnits();

// A problem is named in dark red, never in a dialog.
void paintRed(QLabel *label);

// A save dialog for an export to a file of `filters`, starting at
// `suggested`; empty when cancelled.
QString askForFile(QWidget *parent, const QString &title, const QString &filters, const QString &suggested);

} // namespace sf
