// A run of the Calculate command against the real browser lists: where the
// report lands and when the file list shows it.
#include "BrowserTest.h"

#include "browser/DirectoryList.h"
#include "browser/FileList.h"
#include "run/Calculator.h"
#include "support/FakeHost.h"
#include "support/Files.h"

#include <filesystem>
#include <sys/stat.h>

using namespace sf;

namespace {

class RunAndListTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        makeDirs({"S", "D"});
        enter("S");
    }

    // The completion dialog and the refresh are those of the real run.
    void wire(test::FakeHost &host, FileList &files)
    {
        host.onFinished = [&] { listedWhileDialogOpen = files.fileNames(); };
        host.onRefresh = [&] { files.refresh(); };
    }

    QStringList listedWhileDialogOpen;
};

TEST_F(RunAndListTest, ReportInTheStartUpDirectoryIsListedOnceTheDialogIsClosed)
{
    FileList files(pathOf(startUpDirectory()));
    test::FakeHost host;
    wire(host, files);
    Calculator().Calculate(host);

    EXPECT_EQ(host.events, (std::vector<std::string>{"finished", "refresh"}));
    EXPECT_FALSE(listedWhileDialogOpen.contains("result.txt"));
    EXPECT_TRUE(files.fileNames().contains("result.txt"));
    EXPECT_TRUE(QFile::exists(path("S/result.txt")));
}

TEST_F(RunAndListTest, ReportsLandInTheDirectoryTheListShowsRunAfterRun)
{
    RecordingErrors errors;
    DirectoryList directories(errors, startUpDirectory());
    FileList files(directories.directory());
    directories.enterDirectory(bytes("D"));
    Calculator calculator;

    for (int run = 1; run <= 2; ++run) {
        test::FakeHost host;
        wire(host, files);
        host.directory = directories.saveDirectory().fd();
        calculator.Calculate(host);
        EXPECT_EQ(host.events, (std::vector<std::string>{"finished", "refresh"})) << "run " << run;
        EXPECT_TRUE(QFile::exists(path("D/result.txt"))) << "run " << run;
        EXPECT_FALSE(QFile::exists(path("S/result.txt"))) << "run " << run;
        EXPECT_EQ(directories.directory(), bytes("D"));
        EXPECT_EQ(pathOf(directories.saveDirectory()), bytes("D"));
        EXPECT_FALSE(files.fileNames().contains("result.txt")) << "the file list shows the start-up directory";
        ASSERT_TRUE(QFile::remove(path("D/result.txt")));
    }
    EXPECT_TRUE(errors.texts.empty());
}

// A folder named in a legacy code page (bytes that are not UTF-8), and one
// deeper than PATH_MAX: each is listed in its parent, entered, written into,
// and lists its files when the program starts inside it.
TEST_F(RunAndListTest, FoldersOfAnyNameOrDepthAreListedEnteredAndWrittenInto)
{
    for (const bool deep : {false, true}) {
        SCOPED_TRACE(deep ? "deeper than PATH_MAX" : "Shift_JIS name");
        enter("S");
        if (deep)
            test::enterDeeperThanPathMax();
        const QByteArray name = deep ? "inner" : "\x83\x81\x83\x62\xff";
        ASSERT_EQ(::mkdir(name.constData(), 0777), 0);
        test::writeBytes(name.toStdString() + "/x.txt", "");
        const QByteArray dir = QByteArray(std::filesystem::current_path().c_str()) + '/' + name;

        RecordingErrors errors;
        DirectoryList directories(errors, startUpDirectory());
        const QList<QListWidgetItem *> shown = directories.findItems(displayName(name), Qt::MatchExactly);
        ASSERT_EQ(shown.size(), 1) << "listed in its parent";
        directories.openEntry(directories.row(shown[0]));
        ASSERT_EQ(pathOf(directories.saveDirectory()), dir) << "entered";

        FileList files(directories.directory());
        EXPECT_EQ(files.fileNames(), QStringList({"x.txt"}));
        test::FakeHost host;
        wire(host, files);
        host.directory = directories.saveDirectory().fd();
        Calculator().Calculate(host);
        EXPECT_EQ(host.events, (std::vector<std::string>{"finished", "refresh"}));
        EXPECT_EQ(test::readBytes(name.toStdString() + "/result.txt"), test::goldenReport());
        EXPECT_EQ(files.fileNames(), QStringList({"result.txt", "x.txt"}));
        EXPECT_TRUE(errors.texts.empty());
    }
}

} // namespace

// What happens to the chosen directory behind the window's back: a renamed
// directory still receives the report under its new name; a removed one
// takes none, even when another directory takes its path; a Save File Name
// with a path resolves against the chosen directory. The list shows the
// directory as it was chosen throughout.
TEST_F(RunAndListTest, ChosenDirectoryChangedBehindTheWindowsBack)
{
    const struct {
        const char *name;
        void (*change)(const QString &d); // d: the chosen directory, S/D
        const char *saveFileName;
        std::vector<std::string> events;
        const char *written; // relative to the tree; nullptr: nothing written
    } rows[] = {
        {"relative path", [](const QString &d) { ASSERT_TRUE(QDir().mkdir(d + "/sub")); }, "sub/r.txt",
         {"finished", "refresh"}, "S/D/sub/r.txt"},
        {"renamed", [](const QString &d) { ASSERT_TRUE(QDir().rename(d, d + "2")); }, "result.txt",
         {"finished", "refresh"}, "S/D2/result.txt"},
        {"removed", [](const QString &d) { ASSERT_TRUE(QDir().rmdir(d)); }, "result.txt",
         {"message: File can not open!"}, nullptr},
        {"removed, another made in its place",
         [](const QString &d) { ASSERT_TRUE(QDir().rmdir(d) && QDir().mkdir(d)); }, "result.txt",
         {"message: File can not open!"}, nullptr},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        makeDirs({"S/D"});
        RecordingErrors errors;
        DirectoryList directories(errors, startUpDirectory());
        FileList files(directories.directory());
        ASSERT_TRUE(directories.enterDirectory(bytes("S/D")));
        row.change(path("S/D"));

        test::FakeHost host;
        wire(host, files);
        host.directory = directories.saveDirectory().fd();
        host.set(Field::SaveFileName, row.saveFileName);
        Calculator().Calculate(host);

        EXPECT_EQ(host.events, row.events);
        if (row.written) {
            EXPECT_EQ(test::readBytes(path(row.written).toStdString()), test::goldenReport());
        } else {
            EXPECT_FALSE(QFile::exists(path("S/D/result.txt")));
        }
        EXPECT_EQ(directories.directory(), bytes("S/D"));
        EXPECT_TRUE(errors.texts.empty());
        ASSERT_TRUE(QDir(path("S/D")).removeRecursively());
        ASSERT_TRUE(QDir(path("S/D2")).removeRecursively());
    }
}
