#include "calc/CaseFile.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace sf {
namespace {

// A complete case written by hand, one field per line, numbers in several
// TOML spellings.
const std::string HandWritten = R"([process]
flow_rate = 5.7e1
screen_diameter = 2
density = "0.96"
temperature = 290.0

[melt]
standard_viscosity = 9.55
standard_shear_rate = 1_00.0
power_law_factor = 0.469
shift_a = 15180.0
shift_b = 26.96

[pack]
count = 3
screens = [
  { mesh = 0x1E, wire = 0.02540 },
  { wire = 0.02743 },
  { mesh = "50", wire = "0,1" },
]
)";

TEST(CaseFile, TextsOfAHandWrittenCase)
{
    const FieldTexts t = parseCaseFile(HandWritten, "hand.sfcase");
    const std::pair<int, const char *> expected[] = {
        {1, "5.7e1"},     // as written: the window's reader reads it to the same number
        {2, "2"},         // an integer
        {3, "0.96"},      // a text, taken as it stands
        {31, "100"},      // underscores are no field text: the number's shortest form
        {5, "30"},        // a hexadecimal integer, likewise
        {6, "0.02540"},
        {7, ""},          // left out of its row: an empty field
        {10, "0,1"},
        {11, ""},         // rows after the last one given
        {28, ""},
        {29, "3"},
        {35, "result.txt"}, // no [report]: the window's default name
    };
    for (const auto &[field, text] : expected)
        EXPECT_EQ(t[field], text) << "Edit" << field;
}

TEST(CaseFile, WrittenTextsReadBackTheSame)
{
    // Texts a window may hold: numbers that TOML spells otherwise or not at
    // all, and texts that are no numbers, go into quotes.
    const std::pair<int, std::string> rows[] = {
        {1, "57."},      {1, ".5"},      {1, "+1.5"},      {1, "1E400"},    {1, "1e-400"},
        {1, ""},         {1, "abc"},     {1, " 57 "},      {1, "-0"},       {1, "-0.0"},
        {1, "inf"},      {1, "nan"},     {1, "57,0"},      {1, "0x10"},     {2, "1e5000"},
        {29, "012"},     {29, "+12"},    {29, "12.0"},     {29, "$C"},      {29, "99999999999999999999"},
        {35, "a \"quoted\" \\ name\t.txt"}, {35, std::string("nul\0inside", 10)}, {35, "résumé ℃.txt"},
        {6, "0.02540"},  {28, "x"},      {27, ""},
    };
    for (const auto &[field, text] : rows) {
        SCOPED_TRACE("Edit" + std::to_string(field) + " '" + text + "'");
        FieldTexts texts = FieldTexts::defaults();
        texts[field] = text;
        const std::string file = formatCaseFile(texts);
        EXPECT_EQ(parseCaseFile(file, "t.sfcase"), texts) << file;
    }
}

TEST(CaseFile, WorkedExampleIsWrittenWithPlainNumbers)
{
    const std::string file = formatCaseFile(FieldTexts::defaults());
    for (const char *line : {"flow_rate = 57.0 ", "count = 12 ", "shift_b = 26.96 ", "{ mesh = 200, wire = 0.00406 },",
                             "file = \"result.txt\" ", "# Temperature (℃)"})
        EXPECT_NE(file.find(line), std::string::npos) << line;
}

TEST(CaseFile, ProblemsAreNamedWithFileLineAndColumn)
{
    const std::string complete = "[process]\nflow_rate = 57.0\nscreen_diameter = 2.0\ndensity = 0.96\ntemperature = 290.0\n"
                                 "[melt]\nstandard_viscosity = 9.55\nstandard_shear_rate = 100.0\npower_law_factor = 0.469\n"
                                 "shift_a = 15180.0\nshift_b = 26.96\n[pack]\ncount = 1\nscreens = [{ mesh = 30, wire = 0.02946 }]\n";
    ASSERT_NO_THROW(parseCaseFile(complete, "c.sfcase"));
    // Beyond ASCII in texts and comments, and after a byte-order mark.
    const struct {
        const char *file;
        const char *text;
    } texts[] = {
        {"'''é\"\"\"'''  # ü", "é\"\"\""},
        {"\"\"\"a \\\n  é.txt\"\"\"", "a é.txt"},      // after a line-ending backslash
        {"\"\\u00e9\\t\\\"\\\\ ℃\"", "é\t\"\\ ℃"},   // escapes beside the real thing
        {"'C:\\ηλ'", "C:\\ηλ"},
    };
    for (const auto &t : texts) {
        const std::string accented = "\xEF\xBB\xBF" + complete + "[report] # η ℃ é\nfile = " + t.file + "\n";
        EXPECT_EQ(parseCaseFile(accented, "c.sfcase")[SaveFileNameField], t.text) << t.file;
    }
    auto replaced = [&](const std::string &from, const std::string &to) {
        std::string s = complete;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const std::pair<std::string, std::string> rows[] = {
        {"[process\nflow_rate = 1\n", "c.sfcase:1:9: Error while parsing table header: expected ']', saw '\\n'"},
        {"x = 1\n" + complete, "c.sfcase:1:1: 'x' must be in a section: [process], [melt], [pack] or [report]"},
        {complete + "[procss]\n", "c.sfcase:15:2: unknown section [procss]"},
        {replaced("flow_rate", "flowrate"), "c.sfcase:2:1: unknown key 'flowrate' in [process]"},
        {replaced("flow_rate", "\"débit\""), "c.sfcase:2:1: unknown key '\"débit\"' in [process]"},
        {replaced("flow_rate = 57.0\n", ""), "c.sfcase:1:1: missing key process.flow_rate"},
        {replaced("shift_b = 26.96\n", ""), "c.sfcase:6:1: missing key melt.shift_b"},
        {replaced("count = 1\n", ""), "c.sfcase:12:1: missing key pack.count"},
        {"[pack]\ncount = 1\n", "c.sfcase: missing key process.flow_rate"},
        {replaced("0.96", "true"), "c.sfcase:4:11: process.density must be a number or a text"},
        {replaced("count = 1", "count = 1.0"), "c.sfcase:13:9: pack.count must be a whole number or a text"},
        {replaced("[{ mesh = 30, wire = 0.02946 }]", "30"),
         "c.sfcase:14:11: screens must be a list of { mesh = ..., wire = ... } rows"},
        {replaced("[{ mesh = 30, wire = 0.02946 }]", "[1]"), "c.sfcase:14:12: screen 1 must be { mesh = ..., wire = ... }"},
        {replaced("wire = 0.02946", "wire = 0.02946, weave = 1"), "c.sfcase:14:41: unknown key 'weave' in screen 1"},
        {replaced("[{", "[{},{},{},{},{},{},{},{},{},{},{},{},{"), "c.sfcase:14:48: at most 12 screens"},
        {complete + "[report]\nfile = 5\n", "c.sfcase:16:8: report.file must be a text"},
        {replaced("290.0", "1e400"), "c.sfcase:5:20: Error while parsing floating-point: '1e400' could not be "
                                     "interpreted as a value"},
        // The TOML reader must never see a character beyond ASCII where a
        // blank may stand.
        {complete + "[procéss]\n", "c.sfcase:15:6: only ASCII may stand outside quotes and comments"},
        {replaced("290.0", "290.0 °C"), "c.sfcase:5:21: only ASCII may stand outside quotes and comments"},
        {complete + "[report]\nfile = \"\xED\xA0\x80\"\n", "c.sfcase:16:8: Encountered invalid utf-8 sequence"},
        {complete + "[report]\nfile = \"\"\"a\\é\"\"\"\n",
         "c.sfcase:16:13: Error while parsing string: unknown escape sequence '\\é'"},
        // The reader looks ahead past a stray quote: it must never see é.
        {std::string("x = 1\0\"\tYYY\0.[\xEF\xBB\xBBp]\n", 20), "c.sfcase:1:6: Error while parsing decimal integer: expected digit, saw '\\u0000'"},
    };
    for (const auto &[content, message] : rows) {
        SCOPED_TRACE(message);
        try {
            parseCaseFile(content, "c.sfcase");
            ADD_FAILURE() << "taken";
        } catch (const CaseFileError &e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

TEST(CaseFile, KeysNameFields)
{
    const std::pair<const char *, int> rows[] = {
        {"process.flow_rate", 1}, {"flow_rate", 1},          {"temperature", 4},        {"melt.shift_b", 34},
        {"screens.1.mesh", 5},    {"pack.screens.12.wire", 28}, {"count", 29},          {"pack.count", 29},
        {"report.file", 35},      {"screens.13.mesh", 0},    {"mesh", 0},               {"process.shift_a", 0},
        {"", 0},                  {"Flow_Rate", 0},
    };
    for (const auto &[key, field] : rows)
        EXPECT_EQ(fieldOfKey(key), field) << key;
}

} // namespace
} // namespace sf
