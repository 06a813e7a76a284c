// A run of the Calculate command against the real browser lists: where the
// report lands and when the file list shows it.
#include "BrowserTest.h"

#include "browser/TDirectoryListBox.h"
#include "browser/TFileListBox.h"
#include "run/Calculator.h"
#include "support/FakeHost.h"

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
    void wire(test::FakeHost &host, TFileListBox &files)
    {
        host.onFinished = [&] { listedWhileDialogOpen = files.fileNames(); };
        host.onRefresh = [&] { files.refresh(); };
    }

    QStringList listedWhileDialogOpen;
};

TEST_F(RunAndListTest, ReportInTheStartUpDirectoryIsListedOnceTheDialogIsClosed)
{
    TFileListBox files;
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
    TDirectoryListBox directories(errors);
    TFileListBox files;
    directories.enterDirectory(path("D"));
    Calculator calculator;

    for (int run = 1; run <= 2; ++run) {
        test::FakeHost host;
        wire(host, files);
        calculator.Calculate(host);
        EXPECT_EQ(host.events, (std::vector<std::string>{"finished", "refresh"})) << "run " << run;
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
