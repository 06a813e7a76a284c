#include "calc/InputFields.h"
#include "io/Directories.h"
#include "io/FileSignals.h"
#include "io/IoErrors.h"
#include "run/Calculator.h"
#include "support/FakeHost.h"
#include "support/Faults.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace sf {
namespace {

namespace fs = std::filesystem;
using test::FakeHost;
using Events = std::vector<std::string>;

const std::string &DefaultReport = test::goldenReport();

TEST(Calculate, DefaultRunWritesTheReportThenShowsTheDialogThenRefreshes)
{
    test::ScopedTempCwd cwd;
    FakeHost host;
    bool fileExistedAtDialog = false;
    host.onFinished = [&] { fileExistedAtDialog = test::readBytes("result.txt") == DefaultReport; };
    Calculator calculator;
    calculator.Calculate(host);
    EXPECT_EQ(host.events, (Events{"finished", "refresh"}));
    EXPECT_TRUE(fileExistedAtDialog);
    EXPECT_EQ(calculator.ReportFileName().str(), "result.txt");
}

TEST(Calculate, FailedRunsShowOneMessageAndTouchNothing)
{
    using namespace std::string_view_literals;
    const struct {
        const char *name;
        Field field;
        std::string_view text;
        const char *shown;
    } cases[] = {
        {"count 0", Field::ScreenCount, "0", "message: <Number of Screens> is not correct!"},
        {"count 13", Field::ScreenCount, "13", "message: <Number of Screens> is not correct!"},
        {"screen data", wireField(2), "", "message: Number of screen data set is not enough!"},
        {"flow rate abc", Field::FlowRate, "abc", "error: 'abc' は浮動小数点数ではありません."},
        {"flow rate beyond a double", Field::FlowRate, "1E400", "error: 浮動小数点数のオーバーフロー."},
        {"absolute zero", Field::Temperature, "-273", "error: 0 による浮動小数点数除算."},
        {"absolute zero, A 0", Field::ShiftA, "0", "error: 不正な浮動小数点数演算命令."},
        {"mesh 0", meshField(5), "0", "error: 0 による浮動小数点数除算."},
        {"wire as thick as the pitch", wireField(1), "0.08467", "error: 不正な浮動小数点数演算命令."},
        {"exponent beyond a double", Field::ShiftB, "-710", "error: 浮動小数点数のオーバーフロー."},
        {"text ending in a full stop", Field::ScreenDiameter, "2.0.", "error: '2.0.' は浮動小数点数ではありません."},
        {"NUL inside a number", Field::Density, "1\0" "5"sv, "error: '1\uFFFD5' は浮動小数点数ではありません."},
    };
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.name);
        test::ScopedTempCwd cwd;
        test::writeBytes("result.txt", "earlier report");
        Calculator calculator;
        FakeHost earlier;
        earlier.set(Field::SaveFileName, "before.txt");
        calculator.Calculate(earlier);
        ASSERT_EQ(calculator.ReportFileName().str(), "before.txt");
        std::filesystem::remove("before.txt");

        FakeHost host;
        host.set(tc.field, std::string(tc.text));
        if (tc.field == Field::ShiftA)
            host.set(Field::Temperature, "-273");
        calculator.Calculate(host);
        EXPECT_EQ(host.events, Events{tc.shown});
        EXPECT_EQ(test::readBytes("result.txt"), "earlier report");
        EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
        // The name is taken only after a successful calculation.
        EXPECT_EQ(calculator.ReportFileName().str(), "before.txt");
    }
}

TEST(Calculate, ReportThatCannotBeCreatedEndsTheRun)
{
    using namespace std::string_literals;
    const std::string names[] = {"", "missing/result.txt", ".", "fifo", "fifo with reader",
                                 "abc\0def.txt"s, "result.txt\0.bak"s};
    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        test::ScopedTempCwd cwd;
        test::writeBytes("result.txt", "earlier report");
        ASSERT_EQ(::mkfifo("fifo", 0666), 0);
        ASSERT_EQ(::mkfifo("fifo with reader", 0666), 0);
        const int reader = ::open("fifo with reader", O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        const long openFiles = test::openFileCount();
        FakeHost host;
        host.set(Field::SaveFileName, name);
        Calculator().Calculate(host);
        // No completion dialog after a report that was not written.
        EXPECT_EQ(host.events, Events{"message: File can not open!"});
        EXPECT_EQ(test::openFileCount(), openFiles);
        EXPECT_EQ(test::readBytes("result.txt"), "earlier report");
        EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 3);
        char byte;
        EXPECT_LE(::read(reader, &byte, 1), 0) << "nothing went into the pipe";
        ::close(reader);
    }
}

TEST(Calculate, SignalsOfAFailedWriteNeverEndTheProgram)
{
    test::ScopedTempCwd cwd;
    // As under `ulimit -f 1`: the ninth 128-byte block is refused.
    const int status = test::inChild(1024, [] {
        ignoreFileSignals();
        int ends[2];
        if (::pipe(ends) != 0)
            return 2;
        ::close(ends[0]);
        if (::write(ends[1], "x", 1) != -1 || errno != EPIPE)
            return 3;
        FakeHost host;
        Calculator().Calculate(host);
        return host.events == Events{"error: I/O エラー (27)"} ? 0 : 4;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readBytes("result.txt"), DefaultReport.substr(0, 1024));
}

TEST(Calculate, WriteAndRefreshErrorsGoToTheErrorBox)
{
    test::ScopedTempCwd cwd;
    Calculator calculator;
    FakeHost host;
    host.set(Field::SaveFileName, "/dev/full");
    calculator.Calculate(host);
    EXPECT_EQ(host.events, Events{"error: ディスクがいっぱいです."});

    FakeHost refresh;
    refresh.onRefresh = [] { throw InOutError(3, "ファイル名の指定が間違っています"); };
    calculator.Calculate(refresh);
    EXPECT_EQ(refresh.events, (Events{"finished", "refresh", "error: ファイル名の指定が間違っています."}));
}

TEST(Calculate, SaveFileNameIsTakenAsTyped)
{
    test::ScopedTempCwd cwd;
    const struct {
        std::string typed;
        std::string file;
    } cases[] = {
        {" spaced name.txt ", " spaced name.txt "},
        {std::string(300, 'a'), std::string(255, 'a')},
        // 127 two-byte characters then one more: the cut never splits one.
        {std::string(254, 'b') + "é", std::string(254, 'b')},
        {"report", "report"},
    };
    Calculator calculator;
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.file.size());
        FakeHost host;
        host.set(Field::SaveFileName, tc.typed);
        calculator.Calculate(host);
        EXPECT_EQ(host.events, (Events{"finished", "refresh"}));
        EXPECT_EQ(calculator.ReportFileName().str(), tc.file);
        EXPECT_EQ(test::readBytes(tc.file), DefaultReport);
    }
    // Earlier reports under other names are left as they were.
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 4);
}

// The worked example's texts with commas for full stops.
FieldTexts commaTexts()
{
    FieldTexts texts = FieldTexts::defaults();
    for (const InputField &f : InputFields)
        for (char &ch : texts[f.id])
            if (ch == '.' && f.id != Field::SaveFileName)
                ch = ',';
    return texts;
}

TEST(Calculate, SeparatorOfTheCalculatorReadsAndWrites)
{
    const struct {
        const char *name;
        char separator; // as set; unusable characters fall back to "."
        bool commaTexts;
        Events events;
        const std::string *report; // nullptr: none written
    } rows[] = {
        {"full stop", '.', false, {"finished", "refresh"}, &test::goldenReport()},
        {"comma", ',', true, {"finished", "refresh"}, &test::goldenCommaReport()},
        {"comma texts, full stop", '.', true, {"error: '57,0' は浮動小数点数ではありません."}, nullptr},
        {"full stop texts, comma", ',', false, {"error: '57.0' は浮動小数点数ではありません."}, nullptr},
        {"a digit cannot serve", '5', false, {"finished", "refresh"}, &test::goldenReport()},
        {"an exponent letter cannot serve", 'e', false, {"finished", "refresh"}, &test::goldenReport()},
        {"a blank cannot serve", ' ', false, {"finished", "refresh"}, &test::goldenReport()},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        test::ScopedTempCwd cwd;
        Calculator calculator;
        calculator.setDecimalSeparator(row.separator);
        FakeHost host;
        if (row.commaTexts)
            host.texts = commaTexts();
        calculator.Calculate(host);
        EXPECT_EQ(host.events, row.events);
        if (row.report)
            EXPECT_EQ(test::readBytes("result.txt"), *row.report);
        else
            EXPECT_FALSE(fs::exists("result.txt"));
    }
}

TEST(Calculate, TwoCalculatorsOnTwoThreadsKeepTheirOwnSeparators)
{
    test::ScopedTempCwd cwd;
    constexpr int Runs = 40;
    auto runs = [](char separator, const FieldTexts &texts, const char *name, const std::string &golden) {
        Calculator calculator;
        calculator.setDecimalSeparator(separator);
        for (int i = 0; i < Runs; ++i) {
            FakeHost host;
            host.texts = texts;
            host.set(Field::SaveFileName, name);
            bool exact = false;
            host.onFinished = [&] { exact = test::readBytes(name) == golden; };
            calculator.Calculate(host);
            EXPECT_EQ(host.events, (Events{"finished", "refresh"})) << name << " run " << i;
            EXPECT_TRUE(exact) << name << " run " << i;
        }
        EXPECT_EQ(calculator.ReportFileName().str(), name);
    };
    std::thread stop(runs, '.', FieldTexts::defaults(), "stop.txt", std::cref(test::goldenReport()));
    std::thread comma(runs, ',', commaTexts(), "comma.txt", std::cref(test::goldenCommaReport()));
    stop.join();
    comma.join();
    EXPECT_EQ(test::readBytes("stop.txt"), test::goldenReport());
    EXPECT_EQ(test::readBytes("comma.txt"), test::goldenCommaReport());
}

TEST(Calculate, TwoCalculatorsOnTwoThreadsWriteIntoTheirOwnDirectories)
{
    test::ScopedTempCwd cwd;
    fs::create_directories("stop");
    fs::create_directories("comma");
    constexpr int Runs = 40;
    auto runs = [](const char *directory, char separator, const FieldTexts &texts, const std::string &golden) {
        HeldDirectory held;
        ASSERT_EQ(held.open(AT_FDCWD, directory), 0);
        Calculator calculator;
        calculator.setDecimalSeparator(separator);
        for (int i = 0; i < Runs; ++i) {
            FakeHost host;
            host.texts = texts;
            host.directory = held.fd();
            bool exact = false;
            host.onFinished = [&] { exact = test::readBytes(std::string(directory) + "/result.txt") == golden; };
            calculator.Calculate(host);
            EXPECT_EQ(host.events, (Events{"finished", "refresh"})) << directory << " run " << i;
            EXPECT_TRUE(exact) << directory << " run " << i;
        }
    };
    std::thread stop(runs, "stop", '.', FieldTexts::defaults(), std::cref(test::goldenReport()));
    std::thread comma(runs, "comma", ',', commaTexts(), std::cref(test::goldenCommaReport()));
    stop.join();
    comma.join();
    EXPECT_EQ(test::readBytes("stop/result.txt"), test::goldenReport());
    EXPECT_EQ(test::readBytes("comma/result.txt"), test::goldenCommaReport());
    EXPECT_FALSE(fs::exists("result.txt"));
}

} // namespace
} // namespace sf
