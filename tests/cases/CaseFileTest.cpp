#include "cases/CaseFile.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
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
    const std::pair<Field, const char *> expected[] = {
        {Field::FlowRate, "5.7e1"},     // as written: the window's reader reads it to the same number
        {Field::ScreenDiameter, "2"},         // an integer
        {Field::Density, "0.96"},      // a text, taken as it stands
        {Field::StandardShearRate, "100"},      // underscores are no field text: the number's shortest form
        {meshField(1), "30"},        // a hexadecimal integer, likewise
        {wireField(1), "0.02540"},
        {meshField(2), ""},          // left out of its row: an empty field
        {wireField(3), "0,1"},
        {meshField(4), ""},         // rows after the last one given
        {wireField(12), ""},
        {Field::ScreenCount, "3"},
        {Field::SaveFileName, "result.txt"}, // no [report]: the window's default name
    };
    for (const auto &[field, text] : expected)
        EXPECT_EQ(t[field], text) << keyOfField(field);
}

TEST(CaseFile, WrittenTextsReadBackTheSame)
{
    // Texts a window may hold: numbers that TOML spells otherwise or not at
    // all, and texts that are no numbers, go into quotes.
    const std::pair<Field, std::string> rows[] = {
        {Field::FlowRate, "57."},      {Field::FlowRate, ".5"},      {Field::FlowRate, "+1.5"},      {Field::FlowRate, "1E400"},    {Field::FlowRate, "1e-400"},
        {Field::FlowRate, ""},         {Field::FlowRate, "abc"},     {Field::FlowRate, " 57 "},      {Field::FlowRate, "-0"},       {Field::FlowRate, "-0.0"},
        {Field::FlowRate, "inf"},      {Field::FlowRate, "nan"},     {Field::FlowRate, "57,0"},      {Field::FlowRate, "0x10"},     {Field::ScreenDiameter, "1e5000"},
        {Field::ScreenCount, "012"},     {Field::ScreenCount, "+12"},    {Field::ScreenCount, "12.0"},     {Field::ScreenCount, "$C"},      {Field::ScreenCount, "99999999999999999999"},
        {Field::SaveFileName, "a \"quoted\" \\ name\t.txt"}, {Field::SaveFileName, std::string("nul\0inside", 10)}, {Field::SaveFileName, "résumé ℃.txt"},
        {wireField(1), "0.02540"},  {wireField(12), "x"},      {meshField(12), ""},
    };
    for (const auto &[field, text] : rows) {
        SCOPED_TRACE(keyOfField(field) + " '" + text + "'");
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
        EXPECT_EQ(parseCaseFile(accented, "c.sfcase")[Field::SaveFileName], t.text) << t.file;
    }
    std::string deepKey = "a";
    for (int i = 1; i < 100000; ++i)
        deepKey += ".a";
    auto replaced = [&](const std::string &from, const std::string &to) {
        std::string s = complete;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const std::pair<std::string, std::string> rows[] = {
        {"[process\nflow_rate = 1\n", "c.sfcase:1:9: Error while parsing table header: expected ']', saw '\\n'"},
        {"x = 1\n" + complete, "c.sfcase:1:1: 'x' must be in a section: [process], [melt], [pack], [report] or [study]"},
        {complete + "[procss]\n", "c.sfcase:15:2: unknown section [procss]"},
        {replaced("flow_rate", "flowrate"), "c.sfcase:2:1: unknown key 'flowrate' in [process]; did you mean flow_rate?"},
        {replaced("flow_rate", "\"débit\""), "c.sfcase:2:1: unknown key '\"débit\"' in [process]; its keys are flow_rate, screen_diameter, density, temperature"},
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
        // Keys and nesting beyond any case file's are refused before the
        // reader, which would run out of stack on some 31,000 dotted parts.
        {"[process]\n" + deepKey + " = 1\n", "c.sfcase:2:16: more than 8 dotted parts in a key: a case file's keys have 2 at most"},
        {"a . \"b\" . 'c'.a.a.a.a.a.a = 1\n",
         "c.sfcase:1:24: more than 8 dotted parts in a key: a case file's keys have 2 at most"},
        {"a.a.a.a.a.a.a.a = 1\n", "c.sfcase:1:1: unknown section [a]"},
        {"\"a.a.a.a.a.a.a.a.a\" = 1.5 # a.a.a.a.a.a.a.a.a\n",
         "c.sfcase:1:1: 'a.a.a.a.a.a.a.a.a' must be in a section: [process], [melt], [pack], [report] or [study]"},
        {"x = " + std::string(8, '[') + "{ y = " + std::string(9, '{'),
         "c.sfcase:1:26: more than 16 levels of [ ] and { }: a case file nests 2 deep at most"},
        {"x = " + std::string(16, '[') + std::string(16, ']') + " # [[[[[[[[[[[[[[[[[\ny = \"{{{{{{{{{{{{{{{{{\"\n",
         "c.sfcase:1:1: 'x' must be in a section: [process], [melt], [pack], [report] or [study]"},
        {complete + "[" + std::string(5000, 'k') + "]\n",
         "c.sfcase:15:2: unknown section [" + std::string(64, 'k') + "…] (5000 characters)"},
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

// A named pipe used to hang the reader: ctest's time limit fails such a test.
TEST(CaseFile, OnlyRegularFilesAreRead)
{
    test::ScopedTempCwd cwd;
    test::writeBytes("large.sfcase", std::string((1 << 20) + 1, '#'));
    ASSERT_EQ(::mkfifo("pipe.sfcase", 0666), 0);
    ASSERT_EQ(::mkdir("folder.sfcase", 0777), 0);
    const std::pair<const char *, const char *> rows[] = {
        {"pipe.sfcase", "pipe.sfcase: cannot be read: not a regular file"},
        {"/dev/null", "/dev/null: cannot be read: not a regular file"},
        {"folder.sfcase", "folder.sfcase: cannot be read: Is a directory"},
        {"large.sfcase", "large.sfcase: too large for a case file"},
    };
    for (const auto &[path, message] : rows) {
        try {
            readCaseFile(path);
            ADD_FAILURE() << path << " taken";
        } catch (const CaseFileError &e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

TEST(CaseFile, MeltFitRangeIsReadCheckedAndWrittenBack)
{
    const std::string fit = "[melt.fit]\ntemperature_min = 200\ntemperature_max = 260.5\nshear_rate_min = 1e1\n"
                            "shear_rate_max = 1000\npoints = 16\nsource = \"sheet \\\"α\\\".csv\"\n"
                            "rms_deviation_percent = 2.5\nmax_deviation_percent = 4\n";
    const CaseContent read = parseCase(HandWritten + fit, "c.sfcase");
    EXPECT_EQ(read.texts, parseCaseFile(HandWritten, "c.sfcase"));
    EXPECT_EQ(read.meltFit, (MeltFitRange{200, 260.5, 10, 1000, 16, "sheet \"α\".csv", 2.5, 4}));
    const CaseContent again = parseCase(formatCaseFile(read.texts, read.meltFit), "again.sfcase");
    EXPECT_EQ(again.meltFit, read.meltFit);
    EXPECT_EQ(parseCase(HandWritten, "c.sfcase").meltFit, std::nullopt);

    auto replaced = [](std::string s, const std::string &from, const std::string &to) {
        return s.replace(s.find(from), from.size(), to);
    };
    const std::pair<std::string, std::string> rows[] = {
        {HandWritten + replaced(fit, "points = 16", "points = 0"),
         "c.sfcase:26:10: melt.fit.points must be a whole number above 0"},
        {HandWritten + replaced(fit, "min = 200", "min = \"200\""),
         "c.sfcase:22:19: melt.fit.temperature_min must be a number"},
        {HandWritten + fit + "colour = 1\n", "c.sfcase:30:1: unknown key 'colour' in [melt.fit]"},
        {HandWritten + replaced(fit, "points = 16\n", ""), "c.sfcase:21:1: missing key melt.fit.points"},
        {HandWritten + replaced(fit, "min = 200", "min = 300"),
         "c.sfcase:21:1: melt.fit: temperature_min is above temperature_max"},
        {replaced(HandWritten, "shift_b = 26.96\n", "shift_b = 26.96\nfit = 3\n"),
         "c.sfcase:13:7: melt.fit must be a table of the fitted points' range"},
    };
    for (const auto &[content, message] : rows) {
        try {
            parseCase(content, "c.sfcase");
            ADD_FAILURE() << "taken: " << message;
        } catch (const CaseFileError &e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

TEST(CaseFile, KeysNameFields)
{
    const std::optional<Field> none;
    const std::pair<const char *, std::optional<Field>> rows[] = {
        {"process.flow_rate", Field::FlowRate},  {"flow_rate", Field::FlowRate},
        {"temperature", Field::Temperature},     {"melt.shift_b", Field::ShiftB},
        {"screens.1.mesh", meshField(1)},        {"pack.screens.12.wire", wireField(12)},
        {"count", Field::ScreenCount},           {"pack.count", Field::ScreenCount},
        {"report.file", Field::SaveFileName},    {"screens.13.mesh", none},
        {"mesh", none},                          {"process.shift_a", none},
        {"", none},                              {"Flow_Rate", none},
    };
    for (const auto &[key, field] : rows)
        EXPECT_TRUE(fieldOfKey(key) == field) << key;
}

// A case that a writer of ours is writing in place (holding the file's
// exclusive lock) is read once that writer is done, never half of it.
TEST(CaseFile, ReadWaitsForAWriterInPlace)
{
    test::ScopedTempCwd cwd;
    const std::string whole = formatCaseFile(FieldTexts::defaults());
    test::writeBytes("case.sfcase", whole.substr(0, 100));
    const int writer = ::open("case.sfcase", O_WRONLY);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    std::thread rest([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        (void)!::pwrite(writer, whole.data() + 100, whole.size() - 100, 100);
        ::flock(writer, LOCK_UN);
    });
    FileStamp stamp;
    const std::string read = readCaseBytes("case.sfcase", stamp);
    rest.join();
    ::close(writer);
    EXPECT_EQ(read, whole);
    EXPECT_EQ(stamp.size, 1715);
}

} // namespace
} // namespace sf
