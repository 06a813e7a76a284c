#include "export/CaseJson.h"
#include "calc/InputFields.h"
#include "io/PressureUnit.h"
#include "run/CasePoint.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

namespace sf {
namespace {

// Every number given for `key` in the document, in order.
std::vector<double> numbersOf(const std::string &json, const std::string &key)
{
    std::vector<double> values;
    const std::regex pattern("\"" + key + "\": (-?[0-9][-+.0-9e]*)");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), pattern); it != std::sregex_iterator(); ++it)
        values.push_back(std::stod((*it)[1]));
    return values;
}

TEST(CaseJson, WorkedExampleDetailsAgreeWithAnIndependentReckoning)
{
    // From the model's formulas in 40-digit decimal arithmetic on the worked
    // example (C = 4000 * 2.54^2 / (3600 * 3.1415926), Pa.s = 98.0665 gf.s/cm2).
    const struct {
        const char *key;
        std::size_t screen; // 0 for the total
        double expected;
    } rows[] = {
        {"opening", 1, 0.0552066666667},
        {"open_area", 1, 0.425165608531},
        {"screen_factor", 1, 45.4104372840},
        {"wall_shear_rate", 1, 2295.80420416},
        {"apparent_viscosity", 1, 177.589610375},
        {"pressure_drop", 1, 17.7485520935},
        {"opening", 5, 0.0254},
        {"open_area", 5, 0.25},
        {"screen_factor", 5, 157.109113163},
        {"wall_shear_rate", 5, 8486.15137728},
        {"apparent_viscosity", 5, 88.7010042478},
        {"pressure_drop", 5, 61.4056909843},
        {"wall_shear_rate", 12, 13475.6807699},
        {"total", 0, 363.316821568385},
    };
    const CaseJson json = caseDetailsJson("pack.sfcase", FieldTexts::defaults(), '.');
    EXPECT_EQ(json.status, PointStatus::Ok);
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.key) + " " + std::to_string(row.screen));
        const std::vector<double> values = numbersOf(json.text, row.key);
        ASSERT_EQ(values.size(), row.screen ? 12u : 1u);
        const double actual = values[row.screen ? row.screen - 1 : 0];
        EXPECT_LE(std::fabs(actual - row.expected), 1e-11 * row.expected) << actual;
    }
    // Inputs as the run took them, with their units; the units of the rest.
    for (const char *part : {
             "{\n  \"case\": \"pack.sfcase\",\n  \"status\": \"ok\",\n  \"inputs\": [\n"
             "    {\"key\": \"process.flow_rate\", \"value\": 57, \"unit\": \"kg/hr\"},\n",
             "    {\"key\": \"screens.12.wire\", \"value\": 0.00406, \"unit\": \"cm\"},\n"
             "    {\"key\": \"pack.count\", \"value\": 12, \"unit\": \"\"},\n",
             "    {\"key\": \"melt.power_law_factor\", \"value\": 0.469, \"unit\": \"-\"},\n",
             "    {\"key\": \"report.file\", \"value\": \"result.txt\", \"unit\": \"\"}\n  ],\n",
             "    {\"screen\": 1, \"mesh\": 30, \"wire\": 0.02946, \"opening\": ",
             "\"units\": {\"mesh\": \"1/in\", \"wire\": \"cm\", \"opening\": \"cm\", \"open_area\": \"-\", "
             "\"screen_factor\": \"cm^-n\", \"wall_shear_rate\": \"1/s\", \"apparent_viscosity\": \"Pa.s\", "
             "\"pressure_drop\": \"kgf/cm2\", \"total\": \"kgf/cm2\"},\n  \"diagnoses\": []\n}"})
        EXPECT_NE(json.text.find(part), std::string::npos) << part << "\nin\n" << json.text;
}

TEST(CaseJson, RunsThatEndEarlySayWhereAndKeepTheirTexts)
{
    const struct {
        const char *name;
        std::vector<std::pair<Field, const char *>> texts;
        PointStatus status;
        const char *parts[3];
    } rows[] = {
        {"count refused", {{Field::ScreenCount, "13"}}, PointStatus::Rejected,
         {"\"status\": \"rejected\",\n  \"message\": \"<Number of Screens> is not correct!\"",
          "{\"key\": \"pack.count\", \"value\": \"13\", \"unit\": \"\"}",
          "{\"code\": \"bad-count\", \"severity\": \"error\", \"key\": \"pack.count\", \"value\": \"13\","}},
        {"absolute zero", {{Field::Temperature, "-273"}}, PointStatus::Failed,
         {"\"status\": \"failed\",\n  \"message\": \"0 による浮動小数点数除算.\"",
          "{\"key\": \"process.temperature\", \"value\": -273, \"unit\": \"℃\"}", "\"screens\": [],"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        FieldTexts texts = FieldTexts::defaults();
        for (const auto &[field, text] : row.texts)
            texts[field] = text;
        const CaseJson json = caseDetailsJson("c.sfcase", texts, '.', "  ");
        EXPECT_EQ(json.status, row.status);
        for (const char *part : row.parts) {
            // Nested one level: every line after the first is led by the indent.
            std::string indented = std::regex_replace(std::string(part), std::regex("\n"), "\n  ");
            EXPECT_NE(json.text.find(indented), std::string::npos) << indented << "\nin\n" << json.text;
        }
    }
}

} // namespace
} // namespace sf
