#pragma once

// What the window tells about its fields: tooltips and the groups' meanings,
// worded from the field table's captions and units.

#include "calc/InputFields.h"

#include <QString>

namespace sf {

// The caption of a field group's frame: "Input Data", "Screen Data",
// "Viscosity Data", "Save File Name".
QString groupTitle(FieldGroup group);

// What a group's fields describe, one sentence.
QString groupMeaning(FieldGroup group);

// The values a field takes: "a number > 0", "a whole number, 1 to 12".
QString acceptedValues(const InputField &field);

// A field's tooltip: its full name with unit, then what it takes; a
// read-only field shows its whole `text` instead, which may not fit it.
QString fieldToolTip(const InputField &field, const QString &text);

// The Save File Name's tooltip: where the report goes.
QString reportPathToolTip(const QString &path);

} // namespace sf
