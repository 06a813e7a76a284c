#pragma once

// The one table of the main window's numbered edit fields. Each field is
// described here once: what the window shows beside it, its worked-example
// text, whether the user may type into it, what it feeds in the case record
// and what a case file calls it. The window, ReadInputs and case files all
// read it.

#include "FilterCase.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sf {

// The 35 inputs of a run, in the order the window's tab chain and the
// reader visit them. The screens' (mesh, wire) pairs sit between
// Temperature and ScreenCount, screen 1 first: use meshField/wireField.
enum class Field : std::uint8_t {
    FlowRate,
    ScreenDiameter,
    Density,
    Temperature,
    FirstScreenMesh,
    ScreenCount = FirstScreenMesh + 2 * MaxScreens,
    StandardViscosity,
    StandardShearRate,
    PowerLawFactor,
    ShiftA,
    ShiftB,
    SaveFileName,
};

constexpr int FieldCount = static_cast<int>(Field::SaveFileName) + 1;

constexpr std::size_t fieldIndex(Field f) { return static_cast<std::size_t>(f); }
constexpr Field fieldAt(std::size_t index) { return static_cast<Field>(index); }

constexpr Field meshField(int screen) { return fieldAt(fieldIndex(Field::FirstScreenMesh) + 2 * (screen - 1)); }
constexpr Field wireField(int screen) { return fieldAt(fieldIndex(Field::FirstScreenMesh) + 2 * (screen - 1) + 1); }

// The group a field sits in on the window, which is also its section in a
// case file.
enum class FieldGroup { Process, Pack, Melt, Report };

// What a field feeds.
enum class FieldKind {
    CaseValue,   // a double of the case record, read with the decimal reader
    Mesh,        // the mesh of one screen (1/in)
    Wire,        // the wire diameter of one screen (cm)
    ScreenCount, // read with the whole-number reader
    SaveFileName,
};

struct InputField {
    Field id;
    int editNumber;             // window column: the N of its EditN widget
    FieldGroup group;
    FieldKind kind;
    std::string_view key;       // its name in a case file
    std::string_view caption;   // what the window calls it
    std::string_view unit;      // as labels write it in parentheses ("-": dimensionless); empty: none
    std::string_view defaultText;
    bool editable;              // false: shown and read by every run, but not typed into
    double FilterCase::*value = nullptr; // CaseValue only
    int screen = 0;                       // Mesh and Wire: 1 to 12
};

// Index i describes fieldAt(i).
extern const std::array<InputField, FieldCount> InputFields;

inline const InputField &inputField(Field field) { return InputFields[fieldIndex(field)]; }

// The label of a screen row, "No. 1  Screen" to "No. 12 Screen": one-digit
// numbers get two blanks so that "Screen" lines up.
std::string screenRowCaption(int screen);

// Caption and unit as a label shows them: "Flow Rate (kg/hr)", "Mesh (1/in)".
std::string fieldLabel(const InputField &field);

// The field's full name, its screen row included: "No. 1  Screen Mesh (1/in)".
std::string fieldTitle(const InputField &field);

// The name of a field's group as a case-file section.
std::string_view groupKey(FieldGroup group);

// The field a key names, or nullopt: "process.flow_rate" or "flow_rate",
// "pack.count" or "count", "screens.3.mesh" or "pack.screens.3.mesh", ...
std::optional<Field> fieldOfKey(std::string_view key);

// The full key of a field: "process.flow_rate", "pack.count",
// "screens.3.wire", "report.file".
std::string keyOfField(Field field);

// The full key nearest to a mistyped one (fewest letters changed, added or
// removed), or empty when none is near: "flow_rat" gives "process.flow_rate".
std::string closestKey(std::string_view key);

// The one of `keys` that `key` most likely meant, by the same rule as
// closestKey; empty when none is near.
std::string closestAmong(std::string_view key, std::span<const std::string_view> keys);

} // namespace sf
