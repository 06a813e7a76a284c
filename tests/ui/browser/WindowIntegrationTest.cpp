// The browser inside the main window: where a run's report lands, what the
// file list shows after the completion dialog, and the default error box.
#include "BrowserTest.h"

#include "CompletionDialog.h"
#include "Startup.h"
#include "MainWindow.h"
#include "browser/DirectoryList.h"
#include "browser/FileList.h"

#include "support/ModalWatcher.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <functional>

using namespace sf;

namespace {

using test::ModalWatcher;

// Closes each modal dialog as soon as it shows, the way its close box
// would, after handing it to `onSeen`.
ModalWatcher closingWatcher(std::function<void(QWidget *)> onSeen = {})
{
    return ModalWatcher([onSeen](QWidget *modal) {
        if (onSeen)
            onSeen(modal);
        modal->close();
    });
}

class WindowTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        makeDirs({"S/D", "E"});
        makeFiles({"S/notes.txt"});
        enter("S");
        m_windows = createWindows();
        form1 = m_windows.form1.get();
        form1->applyLocale(QLocale::c());
        showMainWindow(*form1);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
    }

    void TearDown() override
    {
        m_windows = Windows();
        BrowserTest::TearDown();
    }

    DirectoryList *directories() const { return form1->findChild<DirectoryList *>("DirectoryListBox1"); }
    FileList *files() const { return form1->findChild<FileList *>("FileListBox1"); }

    void doubleClickEntry(const QString &text) const
    {
        DirectoryList *list = directories();
        const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        const QPoint centre = list->visualItemRect(items[0]).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    }

    void pressOk() const { QTest::mouseClick(form1->findChild<QPushButton *>("BitBtn1"), Qt::LeftButton); }

    MainWindow *form1 = nullptr;

private:
    Windows m_windows;
};

TEST_F(WindowTest, ReportsLandInTheDirectoryTheListShowsOnEveryRun)
{
    doubleClickEntry("D");
    ASSERT_EQ(directories()->directory(), bytes("S/D"));

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        ModalWatcher closer = closingWatcher();
        pressOk();
        ASSERT_EQ(closer.seen.size(), 1u);
        EXPECT_EQ(closer.seen[0].objectName, "FinishForm");
        EXPECT_TRUE(QFile::exists(path("S/D/result.txt")));
        EXPECT_FALSE(QFile::exists(path("S/result.txt")));
        EXPECT_EQ(directories()->directory(), bytes("S/D"));
        EXPECT_EQ(files()->fileNames(), QStringList({"notes.txt"}));
        ASSERT_TRUE(QFile::remove(path("S/D/result.txt")));
    }
}

TEST_F(WindowTest, FileListShowsTheReportOnceTheCompletionDialogIsClosed)
{
    QStringList listedWhileOpen;
    ModalWatcher closer = closingWatcher([&](QWidget *) { listedWhileOpen = files()->fileNames(); });
    pressOk();

    ASSERT_EQ(closer.seen.size(), 1u);
    EXPECT_EQ(listedWhileOpen, QStringList({"notes.txt"}));
    EXPECT_EQ(files()->fileNames(), QStringList({"notes.txt", "result.txt"}));
}

TEST_F(WindowTest, DirectoryRemovedBeforeOpeningShowsTheErrorBox)
{
    ASSERT_TRUE(QDir(path("S/D")).removeRecursively());
    const int entries = directories()->count();
    ModalWatcher closer = closingWatcher();
    doubleClickEntry("D");

    ASSERT_EQ(closer.seen.size(), 1u);
    EXPECT_EQ(closer.seen[0].text, QString::fromUtf8("ファイルが見つかりません."));
    EXPECT_EQ(directories()->directory(), bytes("S"));
    EXPECT_EQ(directories()->count(), entries);
    EXPECT_EQ(heldPath(form1->saveDirectory()), bytes("S"));
}

TEST_F(WindowTest, RefreshOfARemovedStartUpDirectoryShowsTheErrorAfterTheDialog)
{
    doubleClickEntry(m_root.section('/', -1)); // the parent, an open folder
    doubleClickEntry("E");
    ASSERT_EQ(heldPath(form1->saveDirectory()), bytes("E"));
    ASSERT_TRUE(QDir(path("S")).removeRecursively());

    ModalWatcher closer = closingWatcher();
    pressOk();

    ASSERT_EQ(closer.seen.size(), 2u);
    EXPECT_EQ(closer.seen[0].objectName, "FinishForm");
    EXPECT_EQ(closer.seen[1].text, QString::fromUtf8("ファイルが見つかりません."));
    EXPECT_TRUE(QFile::exists(path("E/result.txt")));
    EXPECT_EQ(files()->fileNames(), QStringList({"notes.txt"}));
    EXPECT_EQ(heldPath(form1->saveDirectory()), bytes("E"));
}

} // namespace
