#include "BrowserTest.h"

#include "browser/FileNames.h"
#include "browser/DirectoryList.h"
#include "browser/FileList.h"
#include "io/IoErrors.h"

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
    FileList list(pathOf(startUpDirectory()));
    EXPECT_EQ(list.directory(), bytes("S"));
    EXPECT_EQ(list.fileNames(), QStringList({"A.txt", "apple", "B.txt", "b.txt", "c.TXT", "link to A", "Zed.txt"}));
}

TEST_F(FileListTest, RefreshListsTheStartUpDirectoryAndLeavesTheSaveDirectory)
{
    RecordingErrors errors;
    DirectoryList directories(errors, startUpDirectory());
    FileList list(directories.directory());
    ASSERT_TRUE(directories.enterDirectory(bytes("D")));
    makeFiles({"S/new.txt", "D/other.txt"});

    list.refresh();

    EXPECT_EQ(list.fileNames(), QStringList({"A.txt", "apple", "B.txt", "b.txt", "c.TXT", "link to A", "new.txt", "Zed.txt"}));
    EXPECT_EQ(pathOf(directories.saveDirectory()), bytes("D"));
}

TEST_F(FileListTest, RefreshOfARemovedDirectoryFailsAndKeepsTheOldNames)
{
    RecordingErrors errors;
    DirectoryList directories(errors, startUpDirectory());
    FileList list(directories.directory());
    const QStringList before = list.fileNames();
    ASSERT_TRUE(directories.enterDirectory(bytes("D")));
    ASSERT_TRUE(QDir(path("S")).removeRecursively());

    try {
        list.refresh();
        FAIL() << "refresh of a removed directory did not fail";
    } catch (const InOutError &e) {
        EXPECT_EQ(std::string(e.what()), "ファイルが見つかりません");
    }
    EXPECT_EQ(list.fileNames(), before);
    EXPECT_EQ(pathOf(directories.saveDirectory()), bytes("D"));
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
        EXPECT_EQ(readFileNames(QFile::encodeName(dir), busy).size(), row.files);
        EXPECT_EQ(busy.shown, row.shown) << row.files << " files";
        EXPECT_EQ(busy.restored, row.shown) << row.files << " files";
    }
}

} // namespace
