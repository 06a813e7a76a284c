#pragma once

// What the side windows share: the pressure units they offer, a message
// in red, and the file dialog and writing of their exports.

#include "io/PressureUnit.h"

#include <QString>

#include <array>
#include <functional>
#include <string>

class QLabel;
class QWidget;

namespace sf {

class StringSink;
struct PlotSpec;

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

// `bytes` as the file `path`, replaced whole; a failure in the error box.
// Only into a regular file: a pipe nobody reads would keep the window waiting.
void writeExport(QWidget *parent, const QString &path, const std::string &bytes);

// The chart `spec` as the PNG or SVG that `path` names.
void exportChart(QWidget *parent, const PlotSpec &spec, const QString &path);

// A table as `path` names it: the text `csv` gives, or the workbook
// `workbook` writes for .xlsx; any other suffix is refused in the error box
// with `what` ("a table is", "curves are").
void exportTable(QWidget *parent, const QString &path, const std::function<std::string()> &csv,
                 const std::function<void(StringSink &)> &workbook, const std::string &what);

} // namespace sf
