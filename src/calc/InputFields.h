#pragma once

// The one table of the main window's numbered edit fields. Each field is
// described here once: what the window shows beside it, its worked-example
// text, whether the user may type into it, what it feeds in the case record
// and what a case file calls it. The window, ReadInputs and case files all
// read it.

#include "FilterCase.h"

#include <array>
#include <string>
#include <string_view>

namespace sf {

constexpr int EditFieldCount = 35;

// Edit5..Edit28 hold the screens in (mesh, wire) pairs, screen 1 first.
constexpr int meshField(int screen) { return 2 * screen + 3; }
constexpr int wireField(int screen) { return 2 * screen + 4; }

constexpr int ScreenCountField = 29;
constexpr int SaveFileNameField = 35;

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
    int number;                 // N of EditN
    FieldGroup group;
    FieldKind kind;
    std::string_view key;       // its name in a case file
    std::string_view caption;   // what the window calls it
    std::string_view unit;      // as labels write it in parentheses ("-": dimensionless); empty: none
    std::string_view defaultText;
    bool editable;              // false: shown and read by every run, but not typed into
    double TFilterCase::*value = nullptr; // CaseValue only
    int screen = 0;                       // Mesh and Wire: 1 to 12
};

// Index i holds Edit(i + 1).
extern const std::array<InputField, EditFieldCount> InputFields;

inline const InputField &inputField(int editNumber)
{
    return InputFields.at(static_cast<std::size_t>(editNumber - 1));
}

// The label of a screen row, "No. 1  Screen" to "No. 12 Screen": one-digit
// numbers get two blanks so that "Screen" lines up.
std::string screenRowCaption(int screen);

// Caption and unit as a label shows them: "Flow Rate (kg/hr)", "Mesh (1/in)".
std::string fieldLabel(const InputField &field);

// The field's full name, its screen row included: "No. 1  Screen Mesh (1/in)".
std::string fieldTitle(const InputField &field);

// The name of a field's group as a case-file section.
std::string_view groupKey(FieldGroup group);

} // namespace sf
