#include "calc/Calculate.h"
#include "calc/Errors.h"
#include "calc/FilterCase.h"
#include "calc/InputFields.h"
#include "support/FakeHost.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace sf {
namespace {

namespace fs = std::filesystem;
using test::FakeHost;
using Events = std::vector<std::string>;

const std::string DefaultReport = test::readBytes(SCREENFILTER_TEST_DATA "/default-report.txt");

TEST(Calculate, DefaultRunWritesTheReportThenShowsTheDialogThenRefreshes)
{
    test::ScopedTempCwd cwd;
    FakeHost host;
    bool fileExistedAtDialog = false;
    host.onFinished = [&] { fileExistedAtDialog = test::readBytes("result.txt") == DefaultReport; };
    Calculate(host);
    EXPECT_EQ(host.events, (Events{"finished", "refresh"}));
    EXPECT_TRUE(fileExistedAtDialog);
    EXPECT_EQ(ReportFileName.str(), "result.txt");
}

TEST(Calculate, FailedRunsShowOneMessageAndTouchNothing)
{
    const struct {
        const char *name;
        int field;
        const char *text;
        const char *shown;
    } cases[] = {
        {"count 0", ScreenCountField, "0", "message: <Number of Screens> is not correct!"},
        {"count 13", ScreenCountField, "13", "message: <Number of Screens> is not correct!"},
        {"screen data", wireField(2), "", "message: Number of screen data set is not enough!"},
        {"flow rate abc", 1, "abc", "error: 'abc' は浮動小数点数ではありません."},
        {"flow rate beyond a double", 1, "1E400", "error: 浮動小数点数のオーバーフロー."},
        {"absolute zero", 4, "-273", "error: 0 による浮動小数点数除算."},
        {"absolute zero, A 0", 33, "0", "error: 不正な浮動小数点数演算命令."},
        {"mesh 0", meshField(5), "0", "error: 0 による浮動小数点数除算."},
        {"wire as thick as the pitch", wireField(1), "0.08467", "error: 不正な浮動小数点数演算命令."},
        {"exponent beyond a double", 34, "-710", "error: 浮動小数点数のオーバーフロー."},
        {"text ending in a full stop", 2, "2.0.", "error: '2.0.' は浮動小数点数ではありません."},
    };
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.name);
        test::ScopedTempCwd cwd;
        test::writeBytes("result.txt", "earlier report");
        ReportFileName = "before.txt";
        FakeHost host;
        host.set(tc.field, tc.text);
        if (tc.field == 33)
            host.set(4, "-273");
        Calculate(host);
        EXPECT_EQ(host.events, Events{tc.shown});
        EXPECT_EQ(test::readBytes("result.txt"), "earlier report");
        EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
        // The name is taken only after a successful calculation.
        EXPECT_EQ(ReportFileName.str(), "before.txt");
    }
}

TEST(Calculate, ReportThatCannotBeCreatedEndsTheRun)
{
    for (const char *name : {"", "missing/result.txt", "."}) {
        SCOPED_TRACE(name);
        test::ScopedTempCwd cwd;
        FakeHost host;
        host.set(SaveFileNameField, name);
        Calculate(host);
        // No completion dialog after a report that was not written.
        EXPECT_EQ(host.events, Events{"message: File can not open!"});
        EXPECT_FALSE(fs::exists("missing"));
        EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 0);
    }
}

TEST(Calculate, WriteAndRefreshErrorsGoToTheErrorBox)
{
    test::ScopedTempCwd cwd;
    FakeHost host;
    host.set(SaveFileNameField, "/dev/full");
    Calculate(host);
    EXPECT_EQ(host.events, Events{"error: ディスクがいっぱいです."});

    FakeHost refresh;
    refresh.onRefresh = [] { throw InOutError(3, "ファイル名の指定が間違っています"); };
    Calculate(refresh);
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
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.file.size());
        FakeHost host;
        host.set(SaveFileNameField, tc.typed);
        Calculate(host);
        EXPECT_EQ(host.events, (Events{"finished", "refresh"}));
        EXPECT_EQ(ReportFileName.str(), tc.file);
        EXPECT_EQ(test::readBytes(tc.file), DefaultReport);
    }
    // Earlier reports under other names are left as they were.
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 4);
}

TEST(ShortString, CutsAtMost255BytesOnACharacterBoundary)
{
    const struct {
        std::string text;
        std::size_t kept;
    } cases[] = {
        {"", 0},
        {std::string(255, 'x'), 255},
        {std::string(256, 'x'), 255},
        {std::string(254, 'x') + "\xC3\xA9", 254},            // é would straddle byte 255
        {std::string(253, 'x') + "\xC3\xA9" + "y", 255},     // é ends exactly at 255
        {std::string(253, 'x') + "\xE2\x84\x83", 253},        // ℃ (3 bytes) would straddle
        {std::string(252, 'x') + "\xE2\x84\x83" + "z", 255},
        {std::string(252, 'x') + "\xF0\x9F\x98\x80", 252},    // 4-byte character
    };
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.text.size());
        EXPECT_EQ(ShortString(tc.text).str(), tc.text.substr(0, tc.kept));
    }
}

TEST(ErrorBoxText, AppendsAFullStopAfterCharactersThatSortAfterIt)
{
    const struct {
        const char *message;
        const char *shown;
    } cases[] = {
        {"abc", "abc."},     {"I/O エラー (28)", "I/O エラー (28)"}, {"done.", "done."},
        {"File can not open!", "File can not open!"}, {"x ", "x "}, {"7", "7."},
        {"ディスクがいっぱいです", "ディスクがいっぱいです."}, {"", ""}, {"a/", "a/."}, {"a-", "a-"},
    };
    for (const auto &tc : cases)
        EXPECT_EQ(errorBoxText(tc.message), tc.shown) << tc.message;
}

} // namespace
} // namespace sf
