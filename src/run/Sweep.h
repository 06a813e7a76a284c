#pragma once

// Sweeps: one case file, many points. Each point is the case with one or
// two of its numeric keys set to values from a grid (--vary), evaluated by
// the study evaluator.

#include "calc/FieldTexts.h"
#include "io/NumberText.h"
#include "io/PressureUnit.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sf {

// A --vary option that cannot be taken; what() says why, for the user.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr std::size_t MaxValuesPerKey = 1'000'000;

// "KEY=FROM:TO:COUNT" (COUNT values evenly spaced, both ends included) or
// "KEY=v1,v2,...". KEY is a numeric key of the case file; values are read
// as the window reads a field, with "." as the separator.
struct Vary {
    Field field = Field::FlowRate; // the field the key names
    std::string key;         // as the user wrote it
    std::vector<double> values;
};
Vary parseVary(std::string_view spec);

} // namespace sf
