#pragma once

// Sweeps: one case file, many points. Each point is the case with one or
// two of its numeric keys set to values from a grid, computed exactly as a
// single run of that case would be, with every fault checked.

#include "calc/FieldTexts.h"
#include "calc/FilterCase.h"
#include "calc/ScreenModel.h"

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
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

// The value of the pressure-drop unit in kgf/cm2 and its name.
struct PressureUnit {
    std::string_view name; // "kgf/cm2", "bar", "MPa", "psi"
    double perKgfCm2;      // how many of this unit make 1 kgf/cm2
};
std::optional<PressureUnit> pressureUnitNamed(std::string_view name);

// What one point came to: the total and each screen's drop (kgf/cm2), or
// the run's message when the point was rejected or faulted.
struct PointResult {
    bool ok = false;
    double total = 0;
    int screens = 0;
    std::array<double, MaxScreens> drops{};
    std::string status; // empty when ok
};

// Computes the points of one case. It keeps what the previous point left
// that does not depend on the varied keys (the case read from its texts, the
// temperature shift, the pack's geometry), so consecutive points cost only
// what changes. One evaluator per thread.
class PointEvaluator {
public:
    PointEvaluator(const FieldTexts &texts, const std::vector<Field> &variedFields);

    // The point with variedFields[i] set to values[i].
    PointResult evaluate(const std::vector<double> &values);

    // The screens in use at that point, 0 when its texts are not taken.
    int screensInUse(const std::vector<double> &values);

private:
    void readCase(const std::vector<double> &values);
    void shift();

    FieldTexts m_texts;
    std::vector<Field> m_fields;
    bool m_packVaried = false;

    // The case as read, or what the reading said instead.
    bool m_readValid = false;
    std::vector<double> m_readFor; // pack values it was read with
    std::optional<FilterCase> m_read;
    std::string m_readStatus;

    FilterCase m_case;
    // The last shift's inputs and outcome.
    bool m_shiftValid = false;
    std::array<double, 5> m_shiftInputs{};
    std::exception_ptr m_shiftFault;
    double m_shiftFactor = 0, m_shiftedViscosity = 0, m_shiftedShearRate = 0;
    // The geometry and the pack it was made for.
    std::optional<PackGeometry> m_geometry;
    std::vector<double> m_geometryInputs;
};

// A text of the shortest form that reads back to exactly v: "57", "0.02946",
// "1e-07". Always "." as the separator.
std::string shortest(double v);

} // namespace sf
