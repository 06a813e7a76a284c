#include "run/Sweep.h"
#include "export/SweepTable.h"
#include "calc/InputFields.h"
#include "report/ReportWriter.h"
#include "export/XlsxBook.h"
#include "run/CaseRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace sf {
namespace {

std::vector<std::string> split(const std::string &line, char by)
{
    std::vector<std::string> parts;
    std::stringstream in(line);
    for (std::string part; std::getline(in, part, by);)
        parts.push_back(part);
    return parts;
}

double number(const std::string &text)
{
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    EXPECT_TRUE(r.ec == std::errc() && r.ptr == text.data() + text.size()) << text;
    return v;
}

TEST(Vary, ReadsRangesAndLists)
{
    const struct {
        const char *spec;
        Field field;
        std::vector<double> values;
    } rows[] = {
        {"flow_rate=40:80:5", Field::FlowRate, {40, 50, 60, 70, 80}},
        {"process.temperature=290", Field::Temperature, {290}},
        {"temperature=300:250:3", Field::Temperature, {300, 275, 250}},
        {"flow_rate=7:9:1", Field::FlowRate, {7}},
        {"screens.2.wire=0.02,0.03,1E-2", wireField(2), {0.02, 0.03, 0.01}},
        {"count=1,12,13", Field::ScreenCount, {1, 12, 13}},
        {"melt.power_law_factor=-1:1:3", Field::PowerLawFactor, {-1, 0, 1}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.spec);
        const Vary v = parseVary(row.spec);
        EXPECT_EQ(v.field, row.field);
        EXPECT_EQ(v.values, row.values);
    }
}

TEST(Vary, RejectsWhatIsNoGridWithAClearLine)
{
    const std::pair<const char *, const char *> rows[] = {
        {"flow_rate", "--vary flow_rate: expected KEY=FROM:TO:COUNT or KEY=v1,v2,..."},
        {"flow=1:2:3", "--vary flow=1:2:3: 'flow' is no numeric key of a case file; did you mean process.flow_rate?"},
        {"report.file=1", "--vary report.file=1: 'report.file' is no numeric key of a case file; the keys are flow_rate, screen_diameter, density, temperature, standard_viscosity, standard_shear_rate, power_law_factor, shift_a, shift_b, count, screens.N.mesh, screens.N.wire"},
        {"flow_rate=1:2", "--vary flow_rate=1:2: a range is FROM:TO:COUNT"},
        {"flow_rate=1:2:3:4", "--vary flow_rate=1:2:3:4: a range is FROM:TO:COUNT"},
        {"flow_rate=1:2:0", "--vary flow_rate=1:2:0: COUNT must be from 1 to 1000000"},
        {"flow_rate=1:2:1000001", "--vary flow_rate=1:2:1000001: COUNT must be from 1 to 1000000"},
        {"flow_rate=1:2:x", "--vary flow_rate=1:2:x: COUNT 'x' is not a whole number"},
        {"flow_rate=1:2:-3", "--vary flow_rate=1:2:-3: COUNT '-3' is not a whole number"},
        {"flow_rate=a:2:3", "--vary flow_rate=a:2:3: 'a' is not a number"},
        {"flow_rate=1,,2", "--vary flow_rate=1,,2: '' is not a number"},
        {"flow_rate=1E400", "--vary flow_rate=1E400: '1E400' is not a number"},
        {"flow_rate=-1E308:1E308:3", "--vary flow_rate=-1E308:1E308:3: the range is beyond the double range"},
        {"count=2.5", "--vary count=2.5: the number of screens takes whole numbers"},
    };
    for (const auto &[spec, message] : rows) {
        SCOPED_TRACE(spec);
        try {
            parseVary(spec);
            ADD_FAILURE() << "taken";
        } catch (const UsageError &e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

TEST(Units, FactorsFromKgfPerSquareCentimetre)
{
    EXPECT_EQ(pressureUnitNamed("kgf/cm2")->perKgfCm2, 1.0);
    EXPECT_EQ(pressureUnitNamed("bar")->perKgfCm2, 0.980665);
    EXPECT_EQ(pressureUnitNamed("MPa")->perKgfCm2, 0.0980665);
    EXPECT_NEAR(pressureUnitNamed("psi")->perKgfCm2, 14.2233433, 1e-7);
    EXPECT_FALSE(pressureUnitNamed("Pa"));
}

SweepOptions options(std::vector<std::string> specs, std::vector<FieldTexts> cases = {FieldTexts::defaults()})
{
    SweepOptions o;
    for (std::size_t i = 0; i < cases.size(); ++i)
        o.cases.push_back({"case" + std::to_string(i + 1) + ".sfcase", cases[i], std::nullopt});
    for (const std::string &s : specs)
        o.vary.push_back(parseVary(s));
    return o;
}

// What a single run of the point gives: its case file holds the value's
// shortest text, as a case file written for that point would.
struct Single {
    std::string status;
    double total = 0;
    std::vector<double> drops;
};

Single singleRun(FieldTexts texts, const std::vector<std::pair<Field, double>> &values)
{
    for (const auto &[field, v] : values)
        texts[field] = inputField(field).kind == FieldKind::ScreenCount ? std::to_string(static_cast<long long>(v))
                                                                        : shortest(v);
    Single s;
    const RunOutcome outcome = runCase(texts, '.', [&](const FilterCase &c, const PackTotal &total) {
        s.total = total.value;
        for (int i = 0; i < c.ScreenCount; ++i)
            s.drops.push_back(c.Screens[i].PressDrop);
        return ReportResult::Written;
    });
    if (outcome.kind != RunOutcome::Kind::Written)
        s.status = outcome.text;
    return s;
}

TEST(Sweep, RowsAreSingleRunsOfTheirPoints)
{
    const struct {
        const char *name;
        std::vector<std::string> specs;
        std::vector<std::pair<Field, const char *>> texts; // changed in the worked example
        int faults;                                      // points that fail
    } grids[] = {
        {"flow and temperature", {"flow_rate=0:90:4", "temperature=-273,180,290.7"}, {}, 6},
        {"density through zero", {"density=-1,0,0.96"}, {}, 2},
        {"count beyond the readable pairs", {"count=0,1,3,4,13"}, {{wireField(4), ""}}, 3},
        {"wire of a screen in use", {"screens.2.wire=0.02,0.09", "count=2,12"}, {}, 2},
        {"power law factor", {"power_law_factor=0,0.3,1,20000"}, {}, 2},
        {"shift with the flow", {"shift_b=26.96,800", "flow_rate=57,60"}, {}, 2},
        {"unreadable field elsewhere", {"flow_rate=40,50"}, {{Field::Density, "x"}}, 2},
        {"unreadable field varied", {"density=0.9,1"}, {{Field::Density, "x"}}, 0},
    };
    for (const auto &grid : grids) {
        SCOPED_TRACE(grid.name);
        FieldTexts texts = FieldTexts::defaults();
        for (const auto &[field, text] : grid.texts)
            texts[field] = text;
        SweepOptions o = options(grid.specs, {texts});
        StringSink sink;
        const SweepSummary summary = runSweep(o, sink);
        std::vector<std::string> lines = split(sink.text, '\n');
        ASSERT_EQ(lines.size(), summary.points + 1);
        const std::size_t keys = o.vary.size();
        int faulted = 0;
        for (std::size_t r = 1; r < lines.size(); ++r) {
            const std::vector<std::string> cells = split(lines[r], ',');
            std::vector<std::pair<Field, double>> values;
            for (std::size_t k = 0; k < keys; ++k)
                values.emplace_back(o.vary[k].field, number(cells[1 + k]));
            const Single expected = singleRun(texts, values);
            SCOPED_TRACE(lines[r]);
            EXPECT_EQ(cells.back(), expected.status.empty() ? "ok" : expected.status);
            if (!expected.status.empty()) {
                ++faulted;
                EXPECT_EQ(cells[1 + keys], "");
                continue;
            }
            EXPECT_EQ(std::bit_cast<std::uint64_t>(number(cells[1 + keys])), std::bit_cast<std::uint64_t>(expected.total));
            for (std::size_t i = 0; i < expected.drops.size(); ++i)
                EXPECT_EQ(number(cells[2 + keys + i]), expected.drops[i]) << "screen " << i + 1;
        }
        EXPECT_EQ(faulted, grid.faults);
        EXPECT_EQ(summary.failed, static_cast<std::uint64_t>(faulted));
    }
}

TEST(Sweep, ThreadsChangeNeitherBytesNorOrder)
{
    FieldTexts second = FieldTexts::defaults();
    second[Field::ScreenCount] = "8";
    const std::vector<std::string> specs = {"flow_rate=1:120:97", "temperature=150:320:53"};
    std::string one;
    for (unsigned threads : {1u, 2u, 3u}) {
        SCOPED_TRACE(threads);
        SweepOptions o = options(specs, {FieldTexts::defaults(), second});
        o.threads = threads;
        o.format = threads == 3 ? TableFormat::JsonLines : TableFormat::Csv;
        StringSink sink;
        EXPECT_EQ(runSweep(o, sink).points, 2u * 97 * 53);
        if (threads == 1)
            one = sink.text;
        else if (threads == 2)
            EXPECT_EQ(sink.text, one);
        else
            EXPECT_EQ(split(sink.text, '\n').size(), 2u * 97 * 53);
    }
    // Grid order: case, then the first key, then the second.
    const std::vector<std::string> lines = split(one, '\n');
    auto point = [&lines](std::size_t row) {
        const std::vector<std::string> cells = split(lines[row], ',');
        return cells[0] + " " + cells[1] + " " + cells[2];
    };
    EXPECT_EQ(point(1), "case1.sfcase 1 150");
    EXPECT_EQ(point(2), "case1.sfcase 1 153.26923076923077");
    EXPECT_EQ(point(53), "case1.sfcase 1 320");
    EXPECT_EQ(point(54), "case1.sfcase 2.2395833333333335 150");
    EXPECT_EQ(point(97 * 53), "case1.sfcase 120 320");
    EXPECT_EQ(point(97 * 53 + 1), "case2.sfcase 1 150");
}

TEST(Sweep, PlotCurvesKeepTheirEndsAndCrossingsWithinTheBudget)
{
    // Flow rate in steps of 0.5 kg/hr; curves for 270 and 300 °C, not 290.
    SweepOptions o = options({"flow_rate=1:20:39", "temperature=270,290,300"});
    o.threads = 2;
    o.keepPlotPoints = true;
    o.plotColumns = 10;
    o.plotSecondValues = {0, 2};
    o.plotLevel = 152.95743194668924; // 150 bar
    StringSink sink;
    const SweepSummary summary = runSweep(o, sink);
    ASSERT_EQ(summary.curves.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const Curve &curve = summary.curves[i];
        auto total = [t = i == 0 ? 270.0 : 300.0](double flow) {
            return singleRun(FieldTexts::defaults(), {{Field::FlowRate, flow}, {Field::Temperature, t}}).total;
        };
        EXPECT_EQ(curve.caseIndex, 0u);
        EXPECT_EQ(curve.secondValue, 2 * i);
        // A rising curve: each column's least is its first point, its most its
        // last, so both ends of the curve are kept.
        ASSERT_LE(curve.points.size(), 20u);
        EXPECT_EQ(curve.points.front(), (std::pair<double, double>(1, total(1))));
        EXPECT_EQ(curve.points.back(), (std::pair<double, double>(20, total(20))));
        // Its one crossing lies between the grid points on either side of 150 bar.
        ASSERT_EQ(curve.crossings.size(), 1u);
        const double below = 1 + std::floor((curve.crossings[0] - 1) / 0.5) * 0.5;
        EXPECT_LT(total(below), *o.plotLevel);
        EXPECT_GE(total(below + 0.5), *o.plotLevel);
    }

    // The total or one screen's drop, in the table's unit, a curve per case;
    // none for a case without that screen.
    FieldTexts two = FieldTexts::defaults();
    two[Field::ScreenCount] = "2";
    const Single worked = singleRun(FieldTexts::defaults(), {});
    for (const auto &[plotScreen, kgfCm2] : {std::pair(0, worked.total), std::pair(3, worked.drops[2])}) {
        SweepOptions bar = options({"flow_rate=57"}, {two, FieldTexts::defaults()});
        bar.keepPlotPoints = true;
        bar.plotScreen = plotScreen;
        bar.unit = *pressureUnitNamed("bar");
        const SweepSummary s = runSweep(bar, sink);
        ASSERT_EQ(s.curves.size(), 2u);
        EXPECT_EQ(s.curves[0].points.empty(), plotScreen == 3);
        EXPECT_EQ(s.curves[1].caseIndex, 1u);
        EXPECT_EQ(s.curves[1].points, (std::vector<std::pair<double, double>>{{57, kgfCm2 * 0.980665}}));
    }
}

TEST(Sweep, UnitsAndFormats)
{
    SweepOptions o = options({"density=0"});
    o.unit = *pressureUnitNamed("bar");
    o.format = TableFormat::JsonLines;
    o.cases[0].name = "a \"b\" \xff.sfcase";
    StringSink json;
    runSweep(o, json);
    EXPECT_EQ(json.text, "{\"case\":\"a \\\"b\\\" \\ufffd.sfcase\",\"density\":0,\"unit\":\"bar\",\"total\":null,"
                         "\"drops\":null,\"status\":\"0 による浮動小数点数除算.\"}\n");
}

TEST(TableText, NumbersWithDigitsAndSeparator)
{
    const struct {
        double v;
        NumberStyle style;
        const char *text;
    } rows[] = {
        {363.3168215683849, {}, "363.3168215683849"},
        {363.3168215683849, {',', 0}, "363,3168215683849"},
        {363.3168215683849, {'.', 4}, "363.3"},
        {363.3168215683849, {',', 6}, "363,317"},
        {2.2395833333333335, {'.', 6}, "2.23958"},
        {1234.5, {'.', 3}, "1230"},
        {99.96, {'.', 3}, "100"},
        {-0.000123456, {',', 2}, "-0,00012"},
        {1e-07, {',', 3}, "1e-07"},
        {1.5e-07, {',', 17}, "1,5e-07"},
        {57, {',', 1}, "60"},
        {1.7976931348623157e308, {'.', 2}, "1.7976931348623157e+308"}, // rounding up would leave the doubles
    };
    for (const auto &row : rows) {
        std::string out;
        appendNumber(out, row.v, row.style);
        EXPECT_EQ(out, row.text) << row.v << " " << row.style.separator << row.style.digits;
    }
}

TEST(TableText, CsvTextCannotStartAFormula)
{
    const struct {
        const char *text;
        char delimiter;
        const char *field;
    } rows[] = {
        {"=1+1.sfcase", ',', "'=1+1.sfcase"},
        {"@SUM(1).sfcase", ',', "'@SUM(1).sfcase"},
        {"+SUM(1,2)", ',', "\"'+SUM(1,2)\""},
        {"+SUM(1,2)", ';', "'+SUM(1,2)"},
        {"-2+3", ',', "'-2+3"},
        {"\tcmd", ',', "'\tcmd"},
        {"\r=1", ',', "\"'\r=1\""},
        {"pack=1 -a @b", ',', "pack=1 -a @b"},
        {"say \"hi\"", ',', "\"say \"\"hi\"\"\""},
        {"a;b.sfcase", ';', "\"a;b.sfcase\""}, // ';' parts the fields of a table with decimal commas
        {"", ',', ""},
    };
    for (const auto &row : rows) {
        std::string out;
        appendCsvField(out, row.text, row.delimiter);
        EXPECT_EQ(out, row.field) << row.text;
    }
}

// As JSON (RFC 8259) writes a string: quote and backslash escaped, every
// control character as \u00XX, a byte that is no UTF-8 as U+FFFD.
TEST(TableText, JsonStringsEscapeQuotesControlsAndStrayBytes)
{
    const std::pair<std::string, const char *> rows[] = {
        {"say \"hi\" \\", R"("say \"hi\" \\")"},
        {"\x01\t\x1b\x1f", R"("\u0001\u0009\u001b\u001f")"},
        {"290 ℃ \xff", R"("290 ℃ \ufffd")"},
    };
    for (const auto &[text, json] : rows) {
        std::string out;
        appendJsonString(out, text);
        EXPECT_EQ(out, json) << text;
    }
}

// The worked example with two screens, so that headers stay readable.
FieldTexts twoScreens()
{
    FieldTexts texts = FieldTexts::defaults();
    texts[Field::ScreenCount] = "2";
    return texts;
}

TEST(Sweep, HeadersNameEveryColumn)
{
    const struct {
        const char *name;
        std::vector<std::string> specs;
        bool details, inputs, units;
        const char *unit;
        const char *header;
    } rows[] = {
        {"as before", {"flow_rate=57"}, false, false, false, "kgf/cm2",
         "case,flow_rate,total_kgf_cm2,drop_1_kgf_cm2,drop_2_kgf_cm2,status"},
        {"units", {"flow_rate=57", "process.temperature=290"}, false, false, true, "kgf/cm2",
         "case,flow_rate_kg_per_h,process.temperature_C,total_kgf_per_cm2,drop_1_kgf_per_cm2,drop_2_kgf_per_cm2,status"},
        {"details", {"density=0.9"}, true, false, false, "MPa",
         "case,density,total_MPa,drop_1_MPa,drop_2_MPa,wall_shear_rate_1,wall_shear_rate_2,"
         "apparent_viscosity_1,apparent_viscosity_2,status"},
        {"everything with units", {"temperature=290", "standard_viscosity=9"}, true, true, true, "bar",
         "case,temperature_C,standard_viscosity_gf_s_per_cm2,flow_rate_kg_per_h,screen_diameter_cm,density_g_per_cm3,"
         "screens.1.mesh_per_in,screens.1.wire_cm,screens.2.mesh_per_in,screens.2.wire_cm,count,"
         "standard_shear_rate_per_s,power_law_factor,shift_a_C,shift_b,total_bar,drop_1_bar,drop_2_bar,"
         "wall_shear_rate_1_per_s,wall_shear_rate_2_per_s,apparent_viscosity_1_Pa_s,apparent_viscosity_2_Pa_s,status"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        SweepOptions o = options(row.specs, {twoScreens()});
        o.details = row.details;
        o.inputs = row.inputs;
        o.unitsInHeader = row.units;
        o.unit = *pressureUnitNamed(row.unit);
        StringSink sink;
        runSweep(o, sink);
        EXPECT_EQ(split(sink.text, '\n').at(0), row.header);
    }
}

TEST(Sweep, DetailAndInputColumnsHoldEachPointsOwnValues)
{
    // Worked example; the details from the model's formulas in 40-digit
    // decimal arithmetic (see the run's JSON test). -273 degrees fails at
    // the shift, after reading; 13 screens are refused while reading.
    SweepOptions o = options({"temperature=290,-273", "count=12,13"});
    o.details = true;
    o.inputs = true;
    StringSink sink;
    runSweep(o, sink);
    const std::vector<std::string> lines = split(sink.text, '\n');
    ASSERT_EQ(lines.size(), 5u);
    const std::vector<std::string> header = split(lines[0], ',');
    auto cell = [&](std::size_t line, const std::string &column) {
        const auto at = std::find(header.begin(), header.end(), column);
        EXPECT_NE(at, header.end()) << column;
        return split(lines[line] + ",", ',').at(static_cast<std::size_t>(at - header.begin()));
    };
    const struct {
        const char *column;
        double expected;
    } details[] = {
        {"wall_shear_rate_1", 2295.80420416},
        {"apparent_viscosity_1", 177.589610375},
        {"wall_shear_rate_5", 8486.15137728},
        {"apparent_viscosity_5", 88.7010042478},
        {"drop_5_kgf_cm2", 61.4056909843},
    };
    for (const auto &d : details)
        EXPECT_NEAR(number(cell(1, d.column)), d.expected, 1e-11 * d.expected) << d.column;
    const struct {
        std::size_t line;
        const char *column;
        const char *text;
    } cells[] = {
        {1, "flow_rate", "57"},
        {1, "screens.1.wire", "0.02946"},
        {1, "screens.12.mesh", "200"},
        {1, "shift_b", "26.96"},
        {1, "status", "ok"},
        {3, "density", "0.96"}, // read, then failed
        {3, "wall_shear_rate_1", ""},
        {3, "status", "0 による浮動小数点数除算."},
        {2, "density", ""}, // refused while reading
        {2, "screens.1.mesh", ""},
        {2, "status", "<Number of Screens> is not correct!"},
    };
    for (const auto &c : cells)
        EXPECT_EQ(cell(c.line, c.column), c.text) << c.line << " " << c.column;
    EXPECT_EQ(std::count(header.begin(), header.end(), "count"), 1) << "a varied key is no input column";
}

TEST(Xlsx, SheetNamesExcelTakes)
{
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> rows = {
        {{"docs/pack-a.sfcase", "pack-b.toml", "x"}, {"pack-a", "pack-b", "x"}},
        {{"a/pack.sfcase", "b/pack.sfcase", "c/PACK.toml"}, {"pack", "pack (2)", "PACK (3)"}},
        {{"a[1]:b*c?d\\e.sfcase", "'quoted'.sfcase", "tab\there.sfcase"}, {"a_1__b_c_d_e", "_quoted_", "tab_here"}},
        {{"a case file name longer than thirty-one characters.sfcase",
          "a case file name longer than thirty-one characters, too.sfcase"},
         {"a case file name longer than th", "a case file name longer tha (2)"}},
        {{"history.sfcase", ".sfcase", "dir/"}, {"history (2)", ".sfcase", "dir_"}},
        // Excel counts UTF-16 units: 29 characters and a character beyond
        // the BMP fill it; a stray byte is no character.
        {{"ÄÖÜäöüÄÖÜäöüÄÖÜäöüÄÖÜäöüÄÖÜäö\xF0\x9F\x98\x80z.sfcase", "\xff\xfe.sfcase"},
         {"ÄÖÜäöüÄÖÜäöüÄÖÜäöüÄÖÜäöüÄÖÜäö\xF0\x9F\x98\x80", "__"}},
    };
    for (const auto &[files, names] : rows)
        EXPECT_EQ(sheetNames(files), names) << files[0];
}

TEST(Xlsx, GridBeyondASheetIsRefusedBeforeAnyPointIsComputed)
{
    // The worked example's sheet: its name, 35 inputs, a blank row and the
    // header take 38 rows, leaving 1048538 for points.
    EXPECT_EQ(sheetRows(FieldTexts::defaults(), 1'048'538), XlsxMaxRows);
    const struct {
        std::vector<std::string> specs;
        std::string error;
    } rows[] = {
        {{"flow_rate=1:2:349513", "temperature=280,290,300"},
         "xlsx: a sheet holds at most 1048576 rows; case1.sfcase needs 1048577 for its 1048539 points (csv or json "
         "take any number)"},
        {{"flow_rate=1:2:524269", "temperature=280,290"}, "stopped at the first rows"}, // fills it: begun
    };
    for (const auto &row : rows) {
        SweepOptions o = options(row.specs);
        o.format = TableFormat::Xlsx;
        int progress = 0;
        o.progress = [&progress](std::uint64_t, std::uint64_t) {
            ++progress;
            throw std::runtime_error("stopped at the first rows");
        };
        StringSink sink;
        try {
            runSweep(o, sink);
            ADD_FAILURE() << "written";
        } catch (const std::runtime_error &e) {
            EXPECT_EQ(e.what(), row.error);
        }
        EXPECT_EQ(sink.text, "");
        EXPECT_EQ(progress, row.error.starts_with("stopped") ? 1 : 0);
    }
}

} // namespace
} // namespace sf
