#pragma once

#include "InputFields.h"

#include <array>
#include <string>

namespace sf {

// The texts of Edit1..Edit35 as one value: everything a run reads from the
// main window, as UTF-8.
class FieldTexts {
public:
    // Every field empty.
    FieldTexts() = default;

    // The main window's worked example: every field's default text.
    static FieldTexts defaults();

    const std::string &operator[](int editNumber) const { return m_texts.at(index(editNumber)); }
    std::string &operator[](int editNumber) { return m_texts.at(index(editNumber)); }

    bool operator==(const FieldTexts &) const = default;

private:
    static std::size_t index(int editNumber) { return static_cast<std::size_t>(editNumber - 1); }

    std::array<std::string, EditFieldCount> m_texts;
};

} // namespace sf
