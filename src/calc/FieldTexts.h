#pragma once

#include "InputFields.h"

#include <array>
#include <string>

namespace sf {

// The texts of the 35 input fields as one value: everything a run reads
// from the main window or a case file, as UTF-8.
class FieldTexts {
public:
    // Every field empty.
    FieldTexts() = default;

    // The main window's worked example: every field's default text.
    static FieldTexts defaults();

    const std::string &operator[](Field field) const { return m_texts.at(fieldIndex(field)); }
    std::string &operator[](Field field) { return m_texts.at(fieldIndex(field)); }

    bool operator==(const FieldTexts &) const = default;

private:
    std::array<std::string, FieldCount> m_texts;
};

} // namespace sf
