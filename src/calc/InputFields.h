#pragma once

// The one table that ties each numbered edit field of the main window to its
// meaning: caption, unit and default text.

#include <array>
#include <string_view>

namespace sf {

constexpr int EditFieldCount = 35;

// Edit5..Edit28 hold the screens in (mesh, wire) pairs.
constexpr int meshField(int screen) { return 2 * screen + 3; }
constexpr int wireField(int screen) { return 2 * screen + 4; }

constexpr int ScreenCountField = 29;
constexpr int SaveFileNameField = 35;

struct InputField {
    int number;                // N of EditN
    std::string_view caption;  // the caption of its row, also its accessible name
    std::string_view defaultText;
};

// Index i holds Edit(i + 1).
extern const std::array<InputField, EditFieldCount> InputFields;

} // namespace sf
