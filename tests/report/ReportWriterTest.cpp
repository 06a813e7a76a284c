#include "calc/Errors.h"
#include "calc/FilterCase.h"
#include "io/ErrorBoxText.h"
#include "io/IoErrors.h"
#include "report/ReportWriter.h"
#include "run/PackTotal.h"
#include "support/DefaultCase.h"
#include "support/Faults.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace sf {
namespace {

namespace fs = std::filesystem;

const std::string &DefaultReport = test::goldenReport();
using test::computedDefaultCase;

std::vector<std::string> lines(const std::string &bytes)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(start, bytes.size()) << "text after the last CR LF";
    return out;
}

std::string writeAndRead(const FilterCase &c, const std::string &name = "result.txt", char separator = '.')
{
    EXPECT_EQ(WriteReport(c, totalPressureDrop(c), AT_FDCWD, name, separator), ReportResult::Written);
    return test::readBytes(name);
}

// The worked example's report, with "." as the separator.
ReportResult writeDefault(const std::string &name)
{
    const FilterCase c = computedDefaultCase();
    return WriteReport(c, totalPressureDrop(c), AT_FDCWD, name, '.');
}

TEST(WriteReport, DefaultInputsGiveTheSampleReportByteForByte)
{
    test::ScopedTempCwd cwd;
    const std::string report = writeAndRead(computedDefaultCase());
    ASSERT_EQ(DefaultReport.size(), 1550u);
    EXPECT_EQ(report, DefaultReport);
    EXPECT_EQ(lines(report).size(), 30u);
}

TEST(WriteReport, OneScreenGivesNineteenLines)
{
    test::ScopedTempCwd cwd;
    FilterCase c = computedDefaultCase();
    c.ScreenCount = 1;
    const auto l = lines(writeAndRead(c));
    ASSERT_EQ(l.size(), 19u);
    EXPECT_EQ(l[16], "   1       30      0.02946      0.05521      45.410       17.75");
    EXPECT_EQ(l[18], " Total                                                    17.75");
}

TEST(WriteReport, RowsGrowWhenNumbersOutgrowTheirColumns)
{
    const struct {
        const char *name;
        double mesh, wire, opening, fs, drop;
        const char *row;
    } cases[] = {
        {"drop of 1000 or more", 30, 0.02946, 0.05521, 45.41, 1234.567,
         "   1       30      0.02946      0.05521      45.410      1234.57"},
        {"scientific factor and drop", 100, 0.0254, 1.03e-18, 2.33e41, 9.11e40,
         "   1      100      0.02540      0.00000    2.33E041      9.11E40"},
        {"negative values", 5, -0.01, 0.518, -3.25, -0.5,
         "   1        5      -0.01000      0.51800      -3.250       -0.50"},
        {"mesh rounding", 20.94, 0.01, 0.1, 1, -12.345,
         "   1       20      0.01000      0.10000       1.000      -12.35"},
        {"mesh rounding up", 20.96, 0.01, 0.1, 1, 1, "   1       21      0.01000      0.10000       1.000        1.00"},
        {"mesh just below the wide form", 999.9499999999999, 0.001, 0.001, 1, 1,
         "   1      999      0.00100      0.00100       1.000        1.00"},
        {"wide mesh in full", 999.95, 0.001, 0.001, 1, 1,
         "   1      1000      0.00100      0.00100       1.000        1.00"},
        {"five-digit mesh", 12345, 0.0001, 0.0001, 1, 1,
         "   1      12345      0.00010      0.00010       1.000        1.00"},
    };
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.name);
        test::ScopedTempCwd cwd;
        FilterCase c = computedDefaultCase();
        c.ScreenCount = 1;
        c.Screens[0] = {tc.mesh, tc.wire, tc.opening, tc.fs, tc.drop * 1000, tc.drop};
        const auto l = lines(writeAndRead(c));
        ASSERT_EQ(l.size(), 19u);
        EXPECT_EQ(l[16], tc.row);
    }
}

TEST(WriteReport, TotalIsASumOfDoublesUnderTheDropColumn)
{
    test::ScopedTempCwd cwd;
    FilterCase c = computedDefaultCase();
    c.ScreenCount = 3;
    for (int i = 0; i < 3; ++i)
        c.Screens[i].PressDrop = 400.125;
    const auto l = lines(writeAndRead(c));
    ASSERT_EQ(l.size(), 21u);
    EXPECT_EQ(l[19], " ----------------------------------------------------------------");
    EXPECT_EQ(l[20], " Total                                                   1200.38");
}

TEST(WriteReport, CommaSeparatorReachesEveryNumber)
{
    test::ScopedTempCwd cwd;
    const FilterCase c = computedDefaultCase();
    const std::string report = writeAndRead(c, "result.txt", ',');
    EXPECT_EQ(report, test::goldenCommaReport());
    const auto l = lines(report);
    EXPECT_EQ(l[2], "    Flow Rate (kg/hr)                =  57,00");
    EXPECT_EQ(l[16], "   1       30      0,02946      0,05521      45,410       17,75");
    EXPECT_EQ(l[26], "  11      200      0,00508      0,00762     155,263       60,68");
    EXPECT_EQ(l[29], " Total                                                   363,32");
}

TEST(WriteReport, SameNameReplacesOtherNamesStay)
{
    test::ScopedTempCwd cwd;
    FilterCase c = computedDefaultCase();
    test::writeBytes("result.txt", std::string(5000, 'x'));
    EXPECT_EQ(writeAndRead(c), DefaultReport);
    c.ScreenCount = 2;
    const std::string shorter = writeAndRead(c, "second.txt");
    EXPECT_EQ(lines(shorter).size(), 20u);
    EXPECT_EQ(test::readBytes("result.txt"), DefaultReport);
    EXPECT_EQ(writeAndRead(c), shorter);
}

TEST(WriteReport, NamesThatCannotBeCreatedCreateNothing)
{
    for (const char *name : {"", "missing/result.txt", "file/below-a-file.txt", "."}) {
        SCOPED_TRACE(name);
        test::ScopedTempCwd cwd;
        test::writeBytes("file", "keep");
        const long before = test::openFileCount();
        EXPECT_EQ(writeDefault(name), ReportResult::CannotCreate);
        EXPECT_EQ(test::openFileCount(), before);
        EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
        EXPECT_EQ(test::readBytes("file"), "keep");
    }
}

TEST(WriteReport, FullDiskFailsOnTheFirstBlockAndClosesTheFile)
{
    const long before = test::openFileCount();
    try {
        writeDefault("/dev/full");
        FAIL() << "no error";
    } catch (const InOutError &e) {
        EXPECT_EQ(e.code(), 101);
        EXPECT_EQ(errorBoxText(e.what()), "ディスクがいっぱいです.");
    }
    EXPECT_EQ(test::openFileCount(), before);
}

TEST(WriteReport, WriteFailurePartWayLeavesTheBlocksAlreadyWritten)
{
    test::ScopedTempCwd cwd;
    test::writeBytes("result.txt", std::string(3000, 'x'));
    // Files may not grow past four blocks: the fifth block's write fails.
    const int status = test::inChildWithFileSizeLimit(512, [] {
        const long before = test::openFileCount();
        try {
            writeDefault("result.txt");
        } catch (const InOutError &e) {
            if (e.code() != 27 || std::string(e.what()) != "I/O エラー (27)")
                return 2;
            return test::openFileCount() == before ? 0 : 3;
        }
        return 4;
    });
    EXPECT_EQ(status, 0);
    // Blocks 1 to 4 of the report, the old content gone: the report was
    // written in place.
    EXPECT_EQ(test::readBytes("result.txt"), DefaultReport.substr(0, 512));
}

TEST(WriteReport, TotalBeyondADoubleEndsTheReportAndClosesTheFile)
{
    test::ScopedTempCwd cwd;
    FilterCase c = computedDefaultCase();
    c.ScreenCount = 2;
    c.Screens[0].PressDrop = c.Screens[1].PressDrop = 1.5e308;
    const long before = test::openFileCount();
    EXPECT_THROW(WriteReport(c, totalPressureDrop(c), AT_FDCWD, "result.txt", '.'), OverflowError);
    EXPECT_EQ(test::openFileCount(), before);
    // The header (638 bytes) and both rows (66 each) were buffered when the
    // second sum overflowed; six whole blocks reached the file.
    const std::string written = DefaultReport.substr(0, 638) +
        "   1       30      0.02946      0.05521      45.410      1.5E308\r\n"
        "   2       30      0.02743      0.05724      38.761      1.5E308\r\n";
    ASSERT_EQ(written.size(), 770u);
    EXPECT_EQ(test::readBytes("result.txt"), written.substr(0, 768));
}

TEST(WriteReport, EachPartialSumOfTheTotalIsStoredAsADouble)
{
    // 1E17 + 1.26 is 1E17 as a double, though the extended sum keeps the
    // 1.26; summing in extended would leave 1.26 after the -1E17.
    const struct {
        const char *name;
        double drops[3];
        const char *total;
    } rows[] = {
        {"small drop swallowed by the first", {1e17, 1.26, -1e17}, "  0.00"},
        {"small drop first", {1.26, 1e17, -1e17}, "  0.00"},
        {"cancelled before the small drop", {1e17, -1e17, 1.26}, "  1.26"},
        {"plain sum", {0.125, 0.25, 0.5}, "  0.88"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        test::ScopedTempCwd cwd;
        FilterCase c = computedDefaultCase();
        c.ScreenCount = 3;
        for (int i = 0; i < 3; ++i) {
            c.Screens[i].PressDrop = row.drops[i];
            c.Screens[i].PressDropGf = 0; // the total sums kgf/cm2 only
        }
        const auto l = lines(writeAndRead(c));
        ASSERT_EQ(l.size(), 21u);
        EXPECT_EQ(l[20], std::string(" Total                                                   ") + row.total);
    }
}

TEST(WriteReport, PrintsTheTotalItIsHandedAndStopsAtItsOverflow)
{
    test::ScopedTempCwd cwd;
    const FilterCase c = computedDefaultCase();
    // Not the sum of the drops: the run's total is what the report formats.
    EXPECT_EQ(WriteReport(c, PackTotal{1234.5, 0}, AT_FDCWD, "result.txt", ','), ReportResult::Written);
    const auto l = lines(test::readBytes("result.txt"));
    ASSERT_EQ(l.size(), 30u);
    EXPECT_EQ(l[29], " Total                                                   1234,50");
    EXPECT_THROW(reportText(c, PackTotal{0, 12}, '.'), OverflowError);
    // The sum left the double range at screen 3: the header (638 bytes) and
    // three rows (66 each) were buffered, six whole blocks reached the file.
    EXPECT_THROW(WriteReport(c, PackTotal{1e308, 3}, AT_FDCWD, "result.txt", '.'), OverflowError);
    EXPECT_EQ(test::readBytes("result.txt"), DefaultReport.substr(0, 768));
}

} // namespace
} // namespace sf
