// screenfilter-cli as a user runs it: exit codes, what it says, what it writes.
#include "cases/CaseFile.h"
#include "calc/InputFields.h"
#include "run/Calculator.h"
#include "support/FakeHost.h"
#include "support/Files.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace sf {
namespace {

namespace fs = std::filesystem;
using test::cli;
using test::readBytes;
using test::writeBytes;

void writeCase(const std::string &path, const FieldTexts &texts)
{
    writeBytes(path, formatCaseFile(texts));
}

TEST(Cli, WorkedExampleGivesTheGoldenReport)
{
    test::ScopedTempCwd cwd;
    ASSERT_EQ(cli({"init", "pack.sfcase"}).exitCode, 0);
    fs::create_directory("out");

    const struct {
        std::vector<std::string> args;
        std::vector<std::string> env;
        const char *file; // nullptr: standard output
        const std::string &report;
    } rows[] = {
        {{"run", "pack.sfcase"}, {}, "result.txt", test::goldenReport()},
        {{"run", "pack.sfcase", "-o", "-"}, {}, nullptr, test::goldenReport()},
        {{"run", "pack.sfcase", "--output-dir", "out"}, {}, "out/result.txt", test::goldenReport()},
        {{"run", "pack.sfcase", "-o", "mine.txt", "--decimal-separator", ","}, {}, "mine.txt", test::goldenCommaReport()},
        {{"run", "pack.sfcase", "-o", "-", "--decimal-separator", "."}, {"LC_ALL=de_DE.UTF-8"}, nullptr,
         test::goldenReport()},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.args.back());
        writeBytes("result.txt", std::string(4000, 'x')); // an earlier report is replaced
        const test::ProcessResult r = cli(row.args, row.env);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(row.file ? readBytes(row.file) : r.out, row.report);
    }
}

TEST(Cli, ReportFollowsTheLocaleLikeTheWindow)
{
    test::ScopedTempCwd cwd;
    ASSERT_EQ(cli({"init", "pack.sfcase"}).exitCode, 0);
    // A German locale compiled into the scratch directory (Debian locales),
    // so that the test changes nothing on the machine.
    if (std::system("localedef -i de_DE -f UTF-8 ./de_DE.UTF-8 >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "localedef could not compile de_DE (Debian package locales)";
    const std::string here = "LOCPATH=" + cwd.path().string();
    const struct {
        std::vector<std::string> env;
        const std::string &report;
    } rows[] = {
        {{here, "LC_ALL=de_DE.UTF-8"}, test::goldenCommaReport()},
        {{here, "LC_NUMERIC=de_DE.UTF-8"}, test::goldenCommaReport()},
        {{here, "LANG=de_DE.UTF-8"}, test::goldenCommaReport()},
        {{here, "LC_ALL=C.UTF-8"}, test::goldenReport()},
        {{here, "LC_ALL=xx_YY.UTF-8"}, test::goldenReport()}, // no such locale: the full stop
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.env[1]);
        const test::ProcessResult r = cli({"run", "pack.sfcase", "-o", "-"}, row.env);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, row.report);
    }
}

// The same texts through the window's Calculate command and through a case
// file give the same report bytes and the same words.
TEST(Cli, CaseFilesAnswerLikeTheWindow)
{
    const struct {
        const char *name;
        std::vector<std::pair<Field, const char *>> texts;
    } rows[] = {
        {"worked example", {}},
        {"three screens", {{Field::ScreenCount, "3"}, {meshField(4), ""}}},
        {"count not correct", {{Field::ScreenCount, "13"}}},
        {"screen data not enough", {{Field::ScreenCount, "3"}, {wireField(2), ""}}},
        {"flow rate no number", {{Field::FlowRate, "5 7"}}},
        {"flow rate beyond a double", {{Field::FlowRate, "1E400"}}},
        {"absolute zero", {{Field::Temperature, "-273"}}},
        {"mesh zero", {{meshField(5), "0"}}},
        {"negative drops", {{wireField(2), "-0.01"}}},
        {"report name taken whole", {{Field::SaveFileName, " spaced name.txt"}}},
    };
    for (char separator : {'.', ','}) {
        for (const auto &row : rows) {
            SCOPED_TRACE(std::string(row.name) + (separator == ',' ? ", comma" : ""));
            test::ScopedTempCwd cwd;
            FieldTexts texts = FieldTexts::defaults();
            for (const auto &[field, text] : row.texts)
                texts[field] = text;
            writeCase("case.sfcase", texts);

            // The window, in a locale with this separator: its texts use it.
            FieldTexts shown = texts;
            if (separator == ',')
                for (const InputField &f : InputFields)
                    for (char &ch : shown[f.id])
                        if (ch == '.' && f.id != Field::SaveFileName)
                            ch = ',';
            test::FakeHost host;
            host.texts = shown;
            Calculator window;
            window.setDecimalSeparator(separator);
            window.Calculate(host);
            const std::string name = texts[Field::SaveFileName];
            const std::string windowReport = fs::exists(name) ? readBytes(name) : "";
            fs::remove(name);

            // --no-check computes what the window computes; its findings
            // come first, as warnings, and the window's words last.
            const test::ProcessResult r =
                cli({"run", "case.sfcase", "--no-check", "--decimal-separator", std::string(1, separator)});
            if (host.events == std::vector<std::string>{"finished", "refresh"}) {
                EXPECT_EQ(r.exitCode, 0) << r.err;
                EXPECT_EQ(readBytes(name), windowReport);
                EXPECT_FALSE(windowReport.empty());
            } else {
                ASSERT_EQ(host.events.size(), 1u);
                const std::string said = host.events[0].substr(host.events[0].find(": ") + 2);
                EXPECT_EQ(r.exitCode, 1);
                EXPECT_TRUE(r.err.ends_with("\ncase.sfcase: " + said + "\n") || r.err == "case.sfcase: " + said + "\n")
                    << r.err;
                EXPECT_FALSE(fs::exists(name)) << "nothing written after a rejection";
            }
        }
    }
}

// Cases that mean nothing physically: refused in English, naming the key,
// before anything is written; warnings said, failing only with --strict.
TEST(Cli, FindingsNameTheKeyAndDecideTheExitCode)
{
    const struct {
        const char *name;
        std::vector<std::pair<Field, const char *>> texts;
        std::vector<std::string> flags;
        int exitCode;
        const char *err;
        bool written;
    } rows[] = {
        {"wire in mm", {{wireField(1), "0.2946"}}, {}, 1,
         "c.sfcase: screens.1.wire: no opening left at screen 1: wire 0.2946 cm ≥ pitch 0.08467 cm (2.54 / mesh 30); "
         "wire diameters are in cm, mesh in wires per inch [不正な浮動小数点数演算命令.]\n", false},
        {"negative wire computes but is refused", {{wireField(3), "-0.0254"}}, {}, 1,
         "c.sfcase: screens.3.wire: screen 3's wire diameter is -0.0254 cm; it must be greater than 0\n", false},
        {"negative wire with --no-check", {{wireField(3), "-0.0254"}}, {"--no-check"}, 0,
         "c.sfcase: warning: screens.3.wire: screen 3's wire diameter is -0.0254 cm; it must be greater than 0\n", true},
        {"n = 0", {{Field::PowerLawFactor, "0"}}, {}, 1,
         "c.sfcase: melt.power_law_factor: Power Law Factor is 0; it must be greater than 0 [0 による浮動小数点数除算.]\n",
         false},
        {"n = 1.5 warns", {{Field::PowerLawFactor, "1.5"}}, {}, 0,
         "c.sfcase: warning: melt.power_law_factor: n = 1.5 above 1 describes a shear-thickening fluid, unusual for a "
         "polymer melt (typically 0.2 to 0.9)\n", true},
        {"n = 1.5 with --strict", {{Field::PowerLawFactor, "1.5"}}, {"--strict"}, 1,
         "c.sfcase: melt.power_law_factor: n = 1.5 above 1 describes a shear-thickening fluid, unusual for a "
         "polymer melt (typically 0.2 to 0.9)\n", false},
        {"wire typed with its unit", {{wireField(1), "0.40mm"}}, {}, 1,
         "c.sfcase: screens.1.wire: '0.40mm' is not a number; write digits with '.' as the decimal separator; so the "
         "window counts screen 1 as not given [Number of screen data set is not enough!]\n", false},
        {"a note only when asked for", {{Field::ScreenCount, "11"}}, {"--strict"}, 0, "", true},
        {"a note never fails", {{Field::ScreenCount, "11"}}, {"--strict", "--verbose"}, 0,
         "c.sfcase: note: pack.count: screen 12 is listed but count = 11 uses only screens 1 to 11; the rest are "
         "ignored\n", true},
        {"an overflow no check explains", {{Field::PowerLawFactor, "1"}, {Field::FlowRate, "1e305"}}, {}, 1,
         "c.sfcase: screens.5: the pressure drop at screen 5 is beyond the arithmetic's range; check the flow rate, "
         "density, screen diameter and the melt's viscosity [浮動小数点数のオーバーフロー.]\n", false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        test::ScopedTempCwd cwd;
        FieldTexts texts = FieldTexts::defaults();
        for (const auto &[field, text] : row.texts)
            texts[field] = text;
        writeCase("c.sfcase", texts);
        std::vector<std::string> args = {"run", "c.sfcase"};
        args.insert(args.end(), row.flags.begin(), row.flags.end());
        const test::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_EQ(r.err, row.err);
        EXPECT_EQ(fs::exists("result.txt"), row.written);
    }
}

// Tables written before their numbers were formatted by our own shortest
// writer: every column set, both separators, each format, failed, refused
// and warned points, numbers from 1e-300 to 1e300.
TEST(Cli, SweepTablesKeepTheirBytes)
{
    const struct {
        const char *golden;
        std::vector<std::string> args;
    } tables[] = {
        {"sweep-plain.csv",
         {"we.sfcase", "fit,quoted.sfcase", "three.sfcase", "--vary", "flow_rate=-5:150:7", "--vary",
          "temperature=-300:400:6"}},
        {"sweep-details-inputs-comma-psi.csv",
         {"we.sfcase", "fit,quoted.sfcase", "--vary", "flow_rate=-5:150:9", "--vary", "screens.3.wire=0,0.02,0.0847,0.1",
          "--columns", "details,inputs", "--decimal-separator", ",", "--units", "psi", "--header", "units"}},
        {"sweep-details-inputs-mpa.jsonl",
         {"we.sfcase", "fit,quoted.sfcase", "--vary", "power_law_factor=-0.5:1.5:5", "--vary", "count=0,1,3,12",
          "--columns", "details,inputs", "--format", "json", "--units", "MPa"}},
        {"sweep-digits5-bar.csv",
         {"we.sfcase", "--vary", "shift_a=1e-300,1,15180,1e300", "--vary", "standard_viscosity=0,9.55,1e200",
          "--units", "bar", "--digits", "5", "--no-check"}},
    };
    test::ScopedTempCwd cwd;
    const fs::path data = fs::path(SCREENFILTER_TEST_DATA) / "sweep";
    for (const char *name : {"we.sfcase", "fit,quoted.sfcase", "three.sfcase"})
        fs::copy_file(data / name, name);
    for (const auto &table : tables) {
        SCOPED_TRACE(table.golden);
        std::vector<std::string> args = {"sweep"};
        args.insert(args.end(), table.args.begin(), table.args.end());
        const test::ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 1) << "some points fail";
        EXPECT_TRUE(r.out == readBytes(data / table.golden)) << "the table's bytes changed";
    }
}

TEST(Cli, SweepsSayTheirFindingsAndRefuseWhatCannotBeMeant)
{
    test::ScopedTempCwd cwd;
    FieldTexts five = FieldTexts::defaults();
    five[Field::ScreenCount] = "5";
    writeCase("five.sfcase", five);
    const test::ProcessResult grid =
        cli({"sweep", "five.sfcase", "--vary", "flow_rate=1:2:1000000", "--vary", "temperature=1:2:1000000"});
    EXPECT_EQ(grid.exitCode, 2);
    EXPECT_EQ(grid.err, "sweep: 1000000000000 points asked for (about 340 TB of CSV); at most 10000000 without "
                        "--max-points N\n");
    const test::ProcessResult beyond = cli({"sweep", "five.sfcase", "--vary", "screens.9.wire=0.01,0.02"});
    EXPECT_EQ(beyond.exitCode, 2);
    EXPECT_EQ(beyond.err, "--vary screens.9.wire: screen 9 is beyond the 5 screen(s) in use (pack.count) at every "
                          "point, so it changes nothing\n");
    EXPECT_EQ(cli({"sweep", "five.sfcase", "--vary", "screens.9.wire=0.01", "--vary", "count=5,9"}).exitCode, 0)
        << "a grid that varies the count reaches screen 9";

    const test::ProcessResult table =
        cli({"sweep", "five.sfcase", "--vary", "screens.1.wire=-0.01,0.02,0.0845"});
    EXPECT_EQ(table.exitCode, 1) << "a refused point is a failed one";
    std::istringstream lines(table.out);
    std::string header, refused, plain, open;
    std::getline(lines, header);
    std::getline(lines, refused);
    std::getline(lines, plain);
    std::getline(lines, open);
    EXPECT_TRUE(header.ends_with(",drop_12_kgf_cm2,status,warnings")) << header;
    EXPECT_EQ(refused, "five.sfcase,-0.01,,,,,,,,,,,,,,refused,not-positive");
    EXPECT_TRUE(plain.starts_with("five.sfcase,0.02,1") && plain.ends_with(",ok,")) << plain;
    EXPECT_TRUE(open.ends_with(",ok,small-open-area")) << open;
}

TEST(Cli, BadInputGetsOneClearLineAndItsExitCode)
{
    test::ScopedTempCwd cwd;
    ASSERT_EQ(cli({"init", "good.sfcase"}).exitCode, 0);
    writeBytes("broken.sfcase", "[process\n");
    writeBytes("a-file", "");
    FieldTexts rejected = FieldTexts::defaults();
    rejected[Field::ScreenCount] = "0";
    rejected[Field::SaveFileName] = "rejected.txt";
    writeCase("rejected.sfcase", rejected);
    FieldTexts other = FieldTexts::defaults();
    other[Field::SaveFileName] = "other.txt";
    writeCase("other.sfcase", other);
    writeBytes("big.xlsx", "earlier");
    FieldTexts huge = FieldTexts::defaults();
    huge[Field::FlowRate] = std::string(921600, '1') + "x"; // once echoed whole: a 900 KB line
    writeCase("huge.sfcase", huge);

    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    } rows[] = {
        {{"run", "huge.sfcase"}, 1,
         "huge.sfcase: process.flow_rate: '" + std::string(64, '1') + "…' (921601 characters) is not a number; write "
         "digits with '.' as the decimal separator, such as 57.0 ['" + std::string(64, '1') +
         "…' (921601 characters) は浮動小数点数ではありません.]\n"},
        {{"run", "broken.sfcase"}, 2, "broken.sfcase:1:9: Error while parsing table header: expected ']', saw '\\n'\n"},
        {{"run", "missing.sfcase"}, 2, "missing.sfcase: cannot be read: No such file or directory\n"},
        {{"run", "good.sfcase", "broken.sfcase"}, 2, "broken.sfcase:1:9: Error while parsing table header: expected ']', saw '\\n'\n"},
        {{"run", "good.sfcase", "--output-dir", "nowhere"}, 2, "nowhere: No such file or directory\n"},
        {{"run", "good.sfcase", "--output-dir", "a-file"}, 2, "a-file: not a directory\n"},
        {{"run", "good.sfcase", "other.sfcase", "-o", "x.txt"}, 2,
         "-o takes the report of one case; for several, use --output-dir\n"},
        {{"run", "good.sfcase", "good.sfcase"}, 2,
         "good.sfcase's report result.txt is the same file as good.sfcase's report result.txt; give them different "
         "names or run them apart\n"},
        {{"run", "good.sfcase", "-o", "/dev/full"}, 2, "/dev/full: disk full\n"},
        {{"run", "good.sfcase", "-o", "nowhere/r.txt"}, 2, "nowhere/r.txt: No such file or directory\n"},
        {{"run", "good.sfcase", "--decimal-separator", "e"}, 2,
         "--decimal-separator: one character that is no digit, sign, blank or exponent letter, such as . or ,\n"},
        {{"run", "rejected.sfcase", "other.sfcase"}, 1,
         "rejected.sfcase: pack.count: the number of screens '0' must be a whole number from 1 to 12 "
         "[<Number of Screens> is not correct!]\n"},
        {{"sweep", "good.sfcase", "--vary", "flow=1:2:3"}, 2, "--vary flow=1:2:3: 'flow' is no numeric key of a case file; did you mean process.flow_rate?\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1:2"}, 2, "--vary flow_rate=1:2: a range is FROM:TO:COUNT\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1:2:0"}, 2, "--vary flow_rate=1:2:0: COUNT must be from 1 to 1000000\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1:2:1000001"}, 2,
         "--vary flow_rate=1:2:1000001: COUNT must be from 1 to 1000000\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1", "--vary", "flow_rate=2"}, 2,
         "--vary: the two keys name the same field\n"},
        {{"sweep", "good.sfcase", "--vary", "a=1", "--vary", "b=1", "--vary", "c=1"}, 2, "--vary: one or two keys\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1", "-o", "/dev/full"}, 2, "/dev/full: disk full\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1", "-o", "nowhere/t.csv"}, 2,
         "nowhere/t.csv: No such file or directory\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1", "--plot", "p.pdf"}, 2, "p.pdf: a plot is an .svg or a .png file\n"},
        {{"sweep", "good.sfcase", "--vary", "density=0", "-o", "t.csv"}, 1, ""},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1", "--plot", "p.svg", "--limit", "total=150"}, 2,
         "--limit: 150: the unit right after the number: kgf/cm2, bar, MPa or psi, such as 150bar\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1", "--limit", "total=150bar"}, 2,
         "--limit requires --plot\nRun with --help for more information.\n"},
        {{"init", "good.sfcase"}, 2, "good.sfcase: exists already (--force replaces it)\n"},
        {{"run", "good.sfcase", "--format", "json", "--output-dir", "nowhere"}, 2,
         "--format json writes to standard output or to -o FILE, not into --output-dir\n"},
        {{"run", "good.sfcase", "--format", "json", "--decimal-separator", ","}, 2,
         "--decimal-separator: JSON numbers always have \".\"\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1", "--format", "json", "--decimal-separator", ","}, 2,
         "--decimal-separator: JSON numbers always have \".\"\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1", "--format", "xlsx"}, 2,
         "--format xlsx: a workbook goes to a file; name it with -o FILE\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1", "--format", "xlsx", "-o", "-"}, 2,
         "--format xlsx: a workbook goes to a file; name it with -o FILE\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1", "--format", "xlsx", "-o", "t.xlsx", "--digits", "3"}, 2,
         "--format xlsx: a workbook holds the numbers themselves; --decimal-separator and --digits are for csv and json\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1", "--format", "xlsx", "-o", "nowhere/t.xlsx"}, 2,
         "nowhere/t.xlsx: No such file or directory\n"},
        {{"sweep", "good.sfcase", "--vary", "flow_rate=1:2:349513", "--vary", "temperature=1,2,3", "--format", "xlsx",
          "-o", "big.xlsx"}, 2,
         "xlsx: a sheet holds at most 1048576 rows; good.sfcase needs 1048577 for its 1048539 points "
         "(csv or json take any number)\n"},
    };
    for (const auto &row : rows) {
        std::string joined;
        for (const std::string &a : row.args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        const test::ProcessResult r = cli(row.args);
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_EQ(r.err, row.err);
    }
    // The rejected case wrote nothing; the other one still ran.
    EXPECT_FALSE(fs::exists("rejected.txt"));
    EXPECT_EQ(readBytes("other.txt"), test::goldenReport());
    EXPECT_EQ(readBytes("big.xlsx"), "earlier");
}

// A workbook replaces its file whole or not at all, and leaves nothing else
// beside it nor in the temporary folder: written, refused, failing when the
// file size limit is reached mid-way, killed mid-way.
TEST(Cli, WorkbookReplacesItsFileWholeAndLeavesNothingElse)
{
    test::ScopedTempCwd cwd;
    ASSERT_EQ(cli({"init", "good.sfcase"}).exitCode, 0);
    // The scripts run screenfilter-cli as "$0" "$@".
    const struct {
        const char *name;
        std::string script;
        std::string output;
        int exitCode;
        std::string err;
        std::string folder; // out/ after the run
    } rows[] = {
        {"written", R"(exec "$0" "$@")", "out/book.xlsx", 0, "", "book.xlsx=<written>"},
        {"refused: a folder of that name", R"(exec "$0" "$@")", "out/folder", 2, "out/folder: a folder, not a file\n",
         "book.xlsx=earlier"},
        // 1 MiB at most in any file: the book's own scratch files fail first.
        {"the file size limit reached mid-way", R"(ulimit -f 2048; trap '' XFSZ; exec "$0" "$@")", "out/book.xlsx",
         2, "out: the workbook's rows could not all be written; is the disk full?\n", "book.xlsx=earlier"},
        // Killed once it has a file open that has no name.
        {"killed mid-way",
         R"("$0" "$@" & i=0
            until ls -l /proc/$!/fd 2>/dev/null | grep -q '(deleted)' || [ $i -ge 1000 ]; do sleep 0.01; i=$((i+1)); done
            { kill -9 $!; wait $!; } 2>/dev/null)",
         "out/book.xlsx", 128 + SIGKILL, "", "book.xlsx=earlier"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all("out");
        fs::remove_all("tmp");
        fs::create_directories("out/folder");
        fs::create_directory("tmp");
        writeBytes("out/book.xlsx", "earlier");
        const test::ProcessResult r =
            test::runProcess("/bin/sh",
                             {"-c", row.script, SCREENFILTER_CLI, "sweep", "good.sfcase", "--vary",
                              "flow_rate=10:120:5000", "--columns", "details,inputs", "--format", "xlsx", "-o",
                              row.output},
                             {"TMPDIR=" + (cwd.path() / "tmp").string()});
        EXPECT_EQ(r.exitCode, row.exitCode);
        EXPECT_EQ(r.err, row.err);
        std::string folder = test::folderContents("out");
        const bool written = readBytes("out/book.xlsx").starts_with("PK\x03\x04");
        if (written)
            folder.replace(folder.find("=<"), folder.find('>') - folder.find("=<") + 1, "=<written>");
        EXPECT_EQ(folder, row.folder);
        EXPECT_TRUE(fs::is_empty("out/folder"));
        EXPECT_TRUE(fs::is_empty("tmp"));
        if (!written)
            continue;
        // Whole: every member's checksum holds, and the sheet has its case's
        // 36 rows of inputs, the header and every point.
        const test::ProcessResult zip = test::runProcess(
            "/usr/bin/python3", {"-c",
                                 "import sys, zipfile\n"
                                 "book = zipfile.ZipFile(sys.argv[1])\n"
                                 "print(book.testzip(), book.read('xl/worksheets/sheet1.xml').count(b'<row '))",
                                 "out/book.xlsx"});
        EXPECT_EQ(zip.out, "None 5037\n") << zip.err;
    }
}

TEST(Cli, UsageHelpAndVersion)
{
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char *says; // in standard output (0) or standard error (2)
    } rows[] = {
        {{"--version"}, 0, "screenfilter-cli 1.0.0"},
        {{"--help"}, 0, "Exit status: 0 all good, 1 some case was rejected or failed, 2 usage or file error."},
        {{"run", "--help"}, 0, "--output-dir"},
        {{"sweep", "--help"}, 0, "KEY=FROM:TO:COUNT"},
        {{"init", "--help"}, 0, "worked example"},
        {{}, 2, "A subcommand is required"},
        {{"frobnicate"}, 2,
         "screenfilter-cli: unknown command 'frobnicate': init, run, sweep, solve, melt or life (--help says more)"},
    };
    for (const auto &row : rows) {
        const test::ProcessResult r = cli(row.args);
        EXPECT_EQ(r.exitCode, row.exitCode) << (row.args.empty() ? "" : row.args[0]);
        const std::string &said = row.exitCode == 0 ? r.out : r.err;
        EXPECT_NE(said.find(row.says), std::string::npos) << said;
    }
}

TEST(Cli, SweepWritesTablesAndPictures)
{
    test::ScopedTempCwd cwd;
    ASSERT_EQ(cli({"init", "a.sfcase"}).exitCode, 0);
    const test::ProcessResult r = cli({"sweep", "a.sfcase", "--vary", "flow_rate=40,57", "--vary", "temperature=290",
                                       "--units", "MPa", "--format", "json", "--plot", "p.svg"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string svg = readBytes("p.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("Flow Rate (kg/hr)"), std::string::npos);

    ASSERT_EQ(cli({"sweep", "a.sfcase", "--vary", "count=1,12", "-o", "t.csv", "--plot", "p.png", "--log-y"}).exitCode, 0);
    EXPECT_EQ(readBytes("p.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(readBytes("t.csv").substr(0, 22), "case,count,total_kgf_c");
}

TEST(Cli, PlotNamesTheCasesAndMarksWhereTheyReachTheLimit)
{
    test::ScopedTempCwd cwd;
    ASSERT_EQ(cli({"init", "pack-a.sfcase"}).exitCode, 0);
    fs::create_directory("b");
    ASSERT_EQ(cli({"init", "b/pack-b.toml"}).exitCode, 0);
    const test::ProcessResult r = cli({"sweep", "pack-a.sfcase", "b/pack-b.toml", "--vary", "flow_rate=1:20:39", "-o",
                                       "t.csv", "--plot", "p.svg", "--limit", "total=150bar"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string svg = readBytes("p.svg");
    for (const char *shown : {">pack-a<", ">pack-b<", ">limit 150 bar<", "Total pressure drop (kgf/cm2)"})
        EXPECT_NE(svg.find(shown), std::string::npos) << shown;
    EXPECT_EQ(svg.find(".sfcase"), std::string::npos);
    EXPECT_EQ(svg.find(".toml"), std::string::npos);
    // 150 bar is 152.957 kgf/cm2, which the worked example passes between
    // its rows at 9 kg/hr (152.869) and 9.5 kg/hr (156.795): by linear
    // interpolation at 9.011 kg/hr.
    const std::string table = readBytes("t.csv");
    EXPECT_NE(table.find("\npack-a.sfcase,9,152.869"), std::string::npos);
    EXPECT_NE(table.find("\npack-a.sfcase,9.5,156.795"), std::string::npos);
    EXPECT_NE(svg.find(">9.011 kg/hr<"), std::string::npos);

    // Two files of one name are told apart by their paths.
    ASSERT_EQ(cli({"init", "b/pack-a.sfcase"}).exitCode, 0);
    ASSERT_EQ(cli({"sweep", "pack-a.sfcase", "b/pack-a.sfcase", "--vary", "flow_rate=1,2", "--plot", "q.svg"}).exitCode, 0);
    for (const char *name : {">pack-a<", ">b/pack-a<"})
        EXPECT_NE(readBytes("q.svg").find(name), std::string::npos) << name;
}

// A report piped into a reader that has gone (`| head` after its lines):
// said in English, as the output's fault.
TEST(Cli, ClosedStandardOutputIsSaidInEnglish)
{
    test::ScopedTempCwd cwd;
    writeCase("c.sfcase", FieldTexts::defaults());
    // No reader from the start: the first write fails.
    const test::ProcessResult r = test::runProcess(
        "/usr/bin/python3", {"-c", "import os, subprocess, sys\nr, w = os.pipe()\nos.close(r)\n"
                                   "sys.exit(subprocess.call(sys.argv[1:], stdout=w))",
                             SCREENFILTER_CLI, "run", "c.sfcase", "-o", "-"});
    if (r.exitCode == 127)
        GTEST_SKIP() << "no /usr/bin/python3";
    EXPECT_EQ(r.exitCode, 2) << "not killed by a signal";
    EXPECT_EQ(r.err, "c.sfcase: standard output was closed\n");
}

} // namespace
} // namespace sf
