#include "BrowserTest.h"

#include "browser/FileNames.h"
#include "browser/TDirectoryListBox.h"
#include "browser/TFileListBox.h"
#include "calc/Calculate.h"
#include "calc/Errors.h"
#include "calc/InputFields.h"
#include "report/IoErrors.h"

#include <QGuiApplication>

#include <cerrno>

using namespace sf;

namespace {

class FileListTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        makeDirs({"S/dir", "S/.hiddendir", "D"});
        makeFiles({"S/b.txt", "S/A.txt", "S/Zed.txt", "S/c.TXT", "S/apple", "S/B.txt", "S/.hidden", "S/dir/inner.txt", "D/elsewhere.txt"});
        ASSERT_TRUE(QFile::link(path("S/A.txt"), path("S/link to A")));
        ASSERT_TRUE(QFile::link(path("S/dir"), path("S/link to dir")));
        ASSERT_TRUE(QFile::link(path("S/missing"), path("S/dangling")));
        enter("S");
    }
};

TEST_F(FileListTest, ListsVisibleFilesOfTheStartUpDirectorySortedIgnoringCase)
{
    TFileListBox list;
    EXPECT_EQ(list.directory(), path("S"));
    EXPECT_EQ(list.fileNames(), QStringList({"A.txt", "apple", "B.txt", "b.txt", "c.TXT", "link to A", "Zed.txt"}));
}

TEST_F(FileListTest, RefreshListsTheStartUpDirectoryAndLeavesTheCurrentOne)
{
    TFileListBox list;
    enter("D");
    makeFiles({"S/new.txt", "D/other.txt"});

    list.refresh();

    EXPECT_EQ(list.fileNames(), QStringList({"A.txt", "apple", "B.txt", "b.txt", "c.TXT", "link to A", "new.txt", "Zed.txt"}));
    EXPECT_EQ(currentDirectory(), path("D"));
}

TEST_F(FileListTest, RefreshOfARemovedDirectoryFailsAndKeepsTheOldNames)
{
    TFileListBox list;
    const QStringList before = list.fileNames();
    enter("D");
    ASSERT_TRUE(QDir(path("S")).removeRecursively());

    try {
        list.refresh();
        FAIL() << "refresh of a removed directory did not fail";
    } catch (const InOutError &e) {
        EXPECT_EQ(std::string(e.what()), ioErrorText(ENOENT));
    }
    EXPECT_EQ(list.fileNames(), before);
    EXPECT_EQ(currentDirectory(), path("D"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

struct BusyRecorder : BusyPointer {
    void show() override { ++shown; }
    void restore() override { ++restored; }
    int shown = 0;
    int restored = 0;
};

TEST_F(FileListTest, BusyPointerFromTheHundredthNameRestoredAfterwards)
{
    const struct {
        int files;
        int shown;
    } rows[] = {{0, 0}, {BusyPointerFromName - 1, 0}, {BusyPointerFromName, 1}, {BusyPointerFromName + 50, 1}};
    for (const auto &row : rows) {
        const QString dir = path(QString("many%1").arg(row.files));
        makeDirs({dir.section('/', -1)});
        for (int i = 0; i < row.files; ++i)
            makeFiles({dir.section('/', -1) + QString("/f%1").arg(i)});

        BusyRecorder busy;
        EXPECT_EQ(readFileNames(dir, busy).size(), row.files);
        EXPECT_EQ(busy.shown, row.shown) << row.files << " files";
        EXPECT_EQ(busy.restored, row.shown) << row.files << " files";
    }
}

// A run of the Calculate command with the window's default texts; the
// completion dialog and the refresh are those of the real run.
class RunHostOfLists : public RunHost {
public:
    explicit RunHostOfLists(TFileListBox &files) : m_files(files) {}

    std::string fieldText(int editNumber) const override
    {
        return std::string(InputFields.at(static_cast<std::size_t>(editNumber - 1)).defaultText);
    }
    void showMessage(const std::string &text) override { messages.push_back(text); }
    void showError(const std::string &text) override { messages.push_back(text); }
    void showFinished() override { listedWhileDialogOpen = m_files.fileNames(); }
    void refreshFileList() override { m_files.refresh(); }

    std::vector<std::string> messages;
    QStringList listedWhileDialogOpen;

private:
    TFileListBox &m_files;
};

TEST_F(FileListTest, ReportInTheStartUpDirectoryIsListedOnceTheDialogIsClosed)
{
    TFileListBox files;
    RunHostOfLists host(files);
    Calculate(host);

    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(host.listedWhileDialogOpen.contains("result.txt"));
    EXPECT_TRUE(files.fileNames().contains("result.txt"));
    EXPECT_TRUE(QFile::exists(path("S/result.txt")));
}

TEST_F(FileListTest, ReportsLandInTheDirectoryTheListShowsRunAfterRun)
{
    RecordingErrors errors;
    TDirectoryListBox directories(errors);
    TFileListBox files;
    directories.enterDirectory(path("D"));
    RunHostOfLists host(files);

    for (int run = 1; run <= 2; ++run) {
        Calculate(host);
        EXPECT_TRUE(host.messages.empty()) << "run " << run;
        EXPECT_TRUE(QFile::exists(path("D/result.txt"))) << "run " << run;
        EXPECT_FALSE(QFile::exists(path("S/result.txt"))) << "run " << run;
        EXPECT_EQ(directories.directory(), path("D"));
        EXPECT_EQ(currentDirectory(), path("D"));
        EXPECT_FALSE(files.fileNames().contains("result.txt")) << "the file list shows the start-up directory";
        ASSERT_TRUE(QFile::remove(path("D/result.txt")));
    }
    EXPECT_TRUE(errors.texts.empty());
}

} // namespace
