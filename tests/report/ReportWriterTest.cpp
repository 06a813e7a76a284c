#include "calc/Errors.h"
#include "calc/FilterCase.h"
#include "calc/ScreenModel.h"
#include "report/ReportWriter.h"
#include "support/DefaultCase.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace sf {
namespace {

namespace fs = std::filesystem;

const std::string DefaultReport = test::readBytes(SCREENFILTER_TEST_DATA "/default-report.txt");

class RecordingDialog : public MessageDialog {
public:
    void showMessage(const std::string &text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

TFilterCase computedDefaultCase()
{
    TFilterCase c = test::shiftedDefaultCase();
    ComputeScreens(c);
    return c;
}

std::vector<std::string> lines(const std::string &bytes)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(start, bytes.size()) << "text after the last CR LF";
    return out;
}

std::string writeAndRead(const TFilterCase &c, const std::string &name = "result.txt")
{
    ReportFileName = name;
    RecordingDialog dialog;
    EXPECT_TRUE(WriteReport(c, dialog));
    EXPECT_TRUE(dialog.messages.empty());
    return test::readBytes(name);
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
    TFilterCase c = computedDefaultCase();
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
        TFilterCase c = computedDefaultCase();
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
    TFilterCase c = computedDefaultCase();
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
    const TFilterCase c = computedDefaultCase();
    test::ScopedSeparator comma(',');
    const auto l = lines(writeAndRead(c));
    EXPECT_EQ(l[2], "    Flow Rate (kg/hr)                =  57,00");
    EXPECT_EQ(l[16], "   1       30      0,02946      0,05521      45,410       17,75");
    EXPECT_EQ(l[26], "  11      200      0,00508      0,00762     155,263       60,68");
    EXPECT_EQ(l[29], " Total                                                   363,32");
}

TEST(WriteReport, SameNameReplacesOtherNamesStay)
{
    test::ScopedTempCwd cwd;
    TFilterCase c = computedDefaultCase();
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
        ReportFileName = name;
        RecordingDialog dialog;
        EXPECT_FALSE(WriteReport(computedDefaultCase(), dialog));
        EXPECT_EQ(dialog.messages, std::vector<std::string>{"File can not open!"});
        EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
        EXPECT_EQ(test::readBytes("file"), "keep");
    }
}

TEST(WriteReport, FullDiskFailsOnTheFirstBlockAndClosesTheFile)
{
    const auto openFiles = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto before = openFiles();
    ReportFileName = "/dev/full";
    RecordingDialog dialog;
    try {
        WriteReport(computedDefaultCase(), dialog);
        FAIL() << "no error";
    } catch (const InOutError &e) {
        EXPECT_EQ(e.code(), 101);
        EXPECT_EQ(errorBoxText(e.what()), "ディスクがいっぱいです.");
    }
    EXPECT_EQ(openFiles(), before);
    EXPECT_TRUE(dialog.messages.empty());
}

TEST(WriteReport, TotalBeyondADoubleEndsTheReportAndClosesTheFile)
{
    test::ScopedTempCwd cwd;
    TFilterCase c = computedDefaultCase();
    c.ScreenCount = 2;
    c.Screens[0].PressDrop = c.Screens[1].PressDrop = 1.5e308;
    ReportFileName = "result.txt";
    RecordingDialog dialog;
    EXPECT_THROW(WriteReport(c, dialog), OverflowError);
    // Only whole 128-byte blocks reached the file.
    EXPECT_EQ(test::readBytes("result.txt").size() % 128, 0u);
}

} // namespace
} // namespace sf
