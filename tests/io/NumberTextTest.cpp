#include "io/NumberText.h"

#include <gtest/gtest.h>

namespace sf {
namespace {

// The digits themselves are shortest's, tested with the sweep's tables.
TEST(NumberText, ValueFieldText)
{
    const struct {
        double v;
        char separator;
        bool whole;
        const char *text;
    } rows[] = {
        {0.02946, ',', false, "0,02946"}, {1e-7, ',', false, "1e-07"},
        {1e14, '.', false, "1e+14"},      {3, ',', true, "3"},
        {1e14, '.', true, "100000000000000"},
        {1e15, '.', true, "1e+15"}, // too large to be a count written out
    };
    for (const auto &row : rows)
        EXPECT_EQ(valueFieldText(row.v, row.separator, row.whole), row.text) << row.text;
}

} // namespace
} // namespace sf
