#include "io/NumberText.h"
#include "io/PressureUnit.h"

#include <gtest/gtest.h>

#include <string>

namespace sf {
namespace {

TEST(NumberText, ValueFieldText)
{
    const struct {
        double v;
        char separator;
        bool whole;
        const char *text;
    } rows[] = {
        {57, '.', false, "57"},
        {0.02946, ',', false, "0,02946"},
        {-2.5, ',', false, "-2,5"},
        {1e-7, ',', false, "1e-07"},
        {0.1 + 0.2, '.', false, "0.30000000000000004"},
        {1e14, '.', false, "1e+14"},
        {3, ',', true, "3"},
        {1e14, '.', true, "100000000000000"},
        {1e15, '.', true, "1e+15"}, // too large to be a count written out
    };
    for (const auto &row : rows)
        EXPECT_EQ(valueFieldText(row.v, row.separator, row.whole), row.text) << row.text;
}

TEST(NumberText, PressureUnitsByName)
{
    const struct {
        const char *name;
        double perKgfCm2; // 0: no such unit
    } rows[] = {
        {"kgf/cm2", 1.0}, {"bar", 0.980665}, {"MPa", 0.0980665}, {"psi", 14.223343307119563},
        {"BAR", 0},       {"Pa", 0},         {"", 0},
    };
    for (const auto &row : rows) {
        const std::optional<PressureUnit> unit = pressureUnitNamed(row.name);
        ASSERT_EQ(unit.has_value(), row.perKgfCm2 != 0) << row.name;
        if (unit) {
            EXPECT_EQ(unit->name, row.name);
            EXPECT_DOUBLE_EQ(unit->perKgfCm2, row.perKgfCm2) << row.name;
        }
    }
}

} // namespace
} // namespace sf
