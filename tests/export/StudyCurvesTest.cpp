// The study's curves as files: flow rates down, a column per temperature,
// the limit answers below, with either decimal separator.
#include "export/StudyCurves.h"
#include "export/StudyTable.h"
#include "run/CasePoint.h"
#include "support/Files.h"
#include "support/Sheets.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace sf {
namespace {

using Rows = test::SheetRows;
using test::sheetRows;

// A CSV's rows of cells, empty ones at the end of a row left out as a sheet
// leaves them out.
Rows csvRows(const std::string &csv, char delimiter)
{
    Rows rows;
    for (std::size_t at = 0; at < csv.size(); at = csv.find('\n', at) + 1) {
        rows.emplace_back(1);
        for (char c : csv.substr(at, csv.find('\n', at) - at))
            c == delimiter ? void(rows.back().emplace_back()) : rows.back().back().push_back(c);
        while (!rows.back().empty() && rows.back().back().empty())
            rows.back().pop_back();
    }
    return rows;
}

SolveAnswer found(double lo, double hi, double measureLo, double measureHi)
{
    SolveAnswer a;
    a.outcome = SolveOutcome::Found;
    a.lo = lo;
    a.hi = hi;
    a.measureLo = measureLo;
    a.measureHi = measureHi;
    return a;
}

// Two curves over three flow rates; the hotter one misses its last point.
Study twoCurves(bool withAnswers)
{
    Study s;
    s.curves.push_back({190, {{25, 10}, {50, 20}, {75.5, 30}}, std::nullopt});
    s.curves.push_back({212.5, {{25, 5}, {50, 10}}, std::nullopt});
    if (withAnswers) {
        s.curves[0].limit = found(37.5, 37.500000000000007, 14.999, 15.0001);
        SolveAnswer missed;
        missed.outcome = SolveOutcome::NotReached;
        missed.message = "flow_rate: the total stays below the limit of 15 kgf/cm2 from 25 to 50 kg/hr";
        s.curves[1].limit = missed;
    }
    return s;
}

TEST(StudyCurves, CsvHoldsEveryCurveAndTheLimitAnswersBelow)
{
    const PressureUnit kgf = *pressureUnitNamed("kgf/cm2");
    const PressureUnit bar = *pressureUnitNamed("bar");
    const struct {
        const char *name;
        std::optional<PressureLimit> limit; // answers below when given
        PressureUnit unit;
        char separator;
        const char *expected;
    } rows[] = {
        {"no limit, kgf/cm2", std::nullopt, kgf, '.',
         "flow_rate_kg_per_h,total_kgf_per_cm2_190C,total_kgf_per_cm2_212.5C\n"
         "25,10,5\n"
         "50,20,10\n"
         "75.5,30,\n"},
        {"a limit on screen 3, bar, decimal comma", PressureLimit{3, 15, kgf}, bar, ',',
         "flow_rate_kg_per_h;total_bar_190C;total_bar_212.5C\n"
         "25;9,80665;4,903325\n"
         "50;19,6133;9,80665\n"
         "75,5;29,41995;\n"
         "\n"
         "limit;screen 3 15 kgf/cm2\n"
         "temperature_C;flow_rate_kg_per_h;drop_3_bar;outcome;message\n"
         "190;37,5;14,708994335;found;\n"
         "212,5;;;not-reached;flow_rate: the total stays below the limit of 15 kgf/cm2 from 25 to 50 kg/hr\n"},
        {"a limit on the total", PressureLimit{0, 15, kgf}, kgf, '.',
         "flow_rate_kg_per_h,total_kgf_per_cm2_190C,total_kgf_per_cm2_212.5C\n25,10,5\n50,20,10\n75.5,30,\n\n"
         "limit,total 15 kgf/cm2\ntemperature_C,flow_rate_kg_per_h,total_kgf_per_cm2,outcome,message\n190,37.5,14.999,found,\n"
         "212.5,,,not-reached,flow_rate: the total stays below the limit of 15 kgf/cm2 from 25 to 50 kg/hr\n"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(studyCurvesCsv(twoCurves(row.limit.has_value()), row.unit, row.limit, row.separator), row.expected);
    }
    // The workbook: the same cells below the case's inputs, numbers with '.'.
    StringSink book;
    writeStudyCurvesWorkbook(book, "study", FieldTexts::defaults(), '.', twoCurves(true), bar,
                             PressureLimit{3, 15, kgf});
    const Rows sheet = sheetRows(book.text);
    const auto blank = std::find_if(sheet.begin(), sheet.end(), [](const auto &row) { return row.empty(); });
    EXPECT_EQ(Rows(blank + 1, sheet.end()), csvRows(std::regex_replace(rows[1].expected, std::regex(","), "."), ';'));
}

// The study window's per-screen table of the worked example: on screen each
// quantity to its decimals, the drops to about a hundredth of a kgf/cm2; in
// the files every digit. Expected: the case JSON's reckoning in 40-digit
// decimals, times 14.2233433071 for psi, 0.0980665 for MPa.
TEST(StudyTable, ShownToItsDecimalsAndFiledWithEveryDigitInTheChosenUnit)
{
    const PointResult point = evaluateCase(FieldTexts::defaults(), '.').point;
    using Texts = std::vector<std::string>;
    const double first[] = {1,             30,           0.02946,       0.0552066666667, 0.425165608531,
                            45.4104372840, 2295.80420416, 177.589610375, 17.7485520935};
    const struct {
        const char *unit;
        double perKgfCm2;
        char separator, delimiter;
        Texts first, fifth, total;
    } rows[] = {
        {"psi", 14.2233433071, ',', ';', {"1", "30", "0,02946", "0,05521", "42,5", "45,410", "2296", "177,6", "252,4"},
         {"5", "50", "0,02540", "0,02540", "25,0", "157,109", "8486", "88,7", "873,4"},
         {"Total", "", "", "", "", "", "", "", "5167,6"}},
        {"MPa", 0.0980665, '.', ',', {"1", "30", "0.02946", "0.05521", "42.5", "45.410", "2296", "177.6", "1.741"},
         {"5", "50", "0.02540", "0.02540", "25.0", "157.109", "8486", "88.7", "6.022"},
         {"Total", "", "", "", "", "", "", "", "35.629"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.unit);
        const PressureUnit unit = *pressureUnitNamed(row.unit);
        const auto texts = studyTableTexts(point, unit, row.separator);
        ASSERT_EQ(texts.size(), 13u);
        EXPECT_EQ(Texts(texts[0].begin(), texts[0].end()), row.first);
        EXPECT_EQ(Texts(texts[4].begin(), texts[4].end()), row.fifth);
        EXPECT_EQ(Texts(texts[12].begin(), texts[12].end()), row.total);

        StringSink book;
        writeStudyWorkbook(book, "pack", FieldTexts::defaults(), '.', point, unit);
        const Rows sheet = sheetRows(book.text);
        EXPECT_EQ(sheet[0], Texts({"case", "pack"}));
        for (const auto &[rows, separator] : {std::pair(csvRows(studyTableCsv(point, unit, row.separator), row.delimiter),
                                                        row.separator),
                                              std::pair(sheet, '.')}) {
            const auto header = std::find_if(rows.begin(), rows.end(), [](const Texts &r) { return !r.empty() && r[0] == "screen"; });
            ASSERT_EQ(rows.end() - header, 14) << "the header, 12 screens, the total";
            EXPECT_EQ(*header, Texts({"screen", "mesh_per_in", "wire_cm", "opening_cm", "open_area", "screen_factor",
                                      "wall_shear_rate_per_s", "apparent_viscosity_Pa_s",
                                      "pressure_drop_" + std::string(row.unit)}));
            const auto number = [separator](std::string text) {
                std::replace(text.begin(), text.end(), separator, '.');
                return std::stod(text);
            };
            for (std::size_t i = 0; i < 9; ++i) {
                const double expected = first[i] * (i == 8 ? row.perKgfCm2 : 1);
                EXPECT_NEAR(number(header[1][i]), expected, 1e-11 * expected) << header[0][i];
            }
            EXPECT_EQ(Texts(header[13].begin(), header[13].end() - 1), Texts({"total", "", "", "", "", "", "", ""}));
            EXPECT_NEAR(number(header[13].back()), 363.316821568385 * row.perKgfCm2, 1e-11 * 363 * row.perKgfCm2);
        }
    }
    // A case that does not compute: no table, and its inputs as read, numbers
    // where the case reads, texts (cut to a cell's 32767 characters) where not.
    const struct {
        Field field;
        std::string text;
        Texts input;
    } failing[] = {{Field::Density, std::string(40000, 'x'), {"density", std::string(32767, 'x'), "g/cm3"}},
                   {wireField(5), "0.9", {"temperature", "290", "℃"}}};
    for (const auto &row : failing) {
        FieldTexts texts = FieldTexts::defaults();
        texts[row.field] = row.text;
        StringSink book;
        writeStudyWorkbook(book, "bad", texts, '.', evaluateCase(texts, '.').point, *pressureUnitNamed("bar"));
        const Rows sheet = sheetRows(book.text);
        EXPECT_EQ(sheet.back()[0], "screen") << "a header, no rows";
        EXPECT_NE(std::find(sheet.begin(), sheet.end(), row.input), sheet.end()) << row.input[0];
    }
}

} // namespace
} // namespace sf
