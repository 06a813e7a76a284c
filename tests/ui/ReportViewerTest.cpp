// The report in the window's own viewer: the last one written (Ctrl+R), one
// double-clicked in the file list, and the viewer's PDF and Print….
#include "UiTestSupport.h"

#include "ReportViewer.h"
#include "browser/FileList.h"
#include "support/Process.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QUrl>

namespace sf::test {
namespace {

// The golden report as it should read: LF lines and the degree sign, found
// by replacing bytes, not by a decoder.
QString goldenText()
{
    std::string text = goldenReport();
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, "\n");
    for (std::size_t at; (at = text.find("\x81\x8E")) != std::string::npos;)
        text.replace(at, 2, "℃");
    return QString::fromStdString(text);
}

// The words of a PDF's text, blanks folded: the extraction guesses them
// from the glyphs' positions.
QString pdfWords(const char *file)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) {
        ADD_FAILURE() << "pdftotext (poppler-utils) is not installed; the PDF's text is unchecked";
        return {};
    }
    const ProcessResult text = runProcess(pdftotext.toStdString(), {"-layout", "-enc", "UTF-8", file, "-"});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    return QString::fromStdString(text.out).simplified();
}

class ReportViewerTest : public MainWindowTest {
protected:
    // A fresh window whose file list shows the scratch directory.
    void restart()
    {
        windows = createWindows();
        form1 = windows.form1.get();
        showMainWindow(*form1);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
        form1->setUrlOpener([this](const QUrl &url) {
            desktop.push_back(url.fileName().toStdString());
            return true;
        });
    }
    ReportViewer *viewer() const { return form1->findChild<ReportViewer *>(QStringLiteral("ReportViewer")); }
    QString shown() const { return viewer()->findChild<QPlainTextEdit *>(QStringLiteral("ReportText"))->toPlainText(); }
    void doubleClick(const QString &name)
    {
        auto *files = form1->findChild<FileList *>(QStringLiteral("FileListBox1"));
        const QList<QListWidgetItem *> items = files->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(items[0]).center());
    }

    std::vector<std::string> desktop; // files handed to the desktop
};

TEST_F(ReportViewerTest, ViewReportShowsTheLastReportOrTheChosenOneWithItsDegreeSignsInAFixedFont)
{
    ScratchDirectory dir;
    writeBytes("earlier.txt", goldenCommaReport());
    restart();
    {
        ModalWatcher watcher;
        QTest::keyClick(edit(1), Qt::Key_R, Qt::ControlModifier);
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].text, "No report yet: press OK to write one, or choose a report in the file list.");
    }
    {
        ModalWatcher watcher;
        QTest::mouseClick(button("BitBtn1"), Qt::LeftButton);
        ASSERT_EQ(watcher.seen.size(), 1u) << "the completion dialog";
    }
    reactivate();
    for (QAction *action : form1->findChild<QMenu *>(QStringLiteral("CommandMenu"))->actions())
        if (action->text() == "View report")
            action->trigger();
    ASSERT_NE(viewer(), nullptr);
    EXPECT_TRUE(viewer()->isVisible());
    EXPECT_EQ(viewer()->windowTitle(), "result.txt — Report");
    EXPECT_EQ(shown(), goldenText());
    EXPECT_TRUE(shown().contains(QStringLiteral("    Temperature (℃)                 =  290.0\n")));
    EXPECT_FALSE(shown().contains(QChar::ReplacementCharacter));
    // Columns line up as the bytes do: one column a byte, the degree sign two.
    const QFontMetrics metrics(viewer()->findChild<QPlainTextEdit *>()->font());
    for (const QString &text : {QStringLiteral("i"), QStringLiteral("W"), QStringLiteral(" ")})
        EXPECT_EQ(metrics.horizontalAdvance(text), metrics.horizontalAdvance(u'0')) << text.toStdString();
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("℃")), 2 * metrics.horizontalAdvance(u'0'));

    auto *files = form1->findChild<FileList *>(QStringLiteral("FileListBox1"));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
    ASSERT_EQ(files->item(0)->text(), "earlier.txt");
    QTest::keyClick(files, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(viewer()->windowTitle(), "earlier.txt — Report");
    EXPECT_TRUE(shown().contains(QStringLiteral("=  57,00\n")));
}

TEST_F(ReportViewerTest, DoubleClickShowsReportsHereAndOtherFilesOnTheDesktop)
{
    std::string lfReport = goldenReport();
    for (std::size_t at; (at = lfReport.find("\r\n")) != std::string::npos;)
        lfReport.replace(at, 2, "\n");
    const struct {
        const char *name;
        std::string bytes;
        bool inViewer;
    } rows[] = {
        {"report.txt", goldenReport(), true},
        {"comma.txt", goldenCommaReport(), true},
        {"copied-lf.txt", lfReport, true},
        {"cut-short.txt", goldenReport().substr(0, 43), false},
        {"notes.txt", "x", false},
        {"empty.txt", "", false},
        {"huge.log", goldenReport() + std::string(70 * 1024, ' '), false},
    };
    ScratchDirectory dir;
    for (const auto &row : rows)
        writeBytes(row.name, row.bytes);
    restart();
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        desktop.clear();
        if (viewer())
            viewer()->hide();
        ModalWatcher watcher;
        doubleClick(QString::fromLatin1(row.name));
        EXPECT_TRUE(watcher.seen.empty());
        if (row.inViewer) {
            EXPECT_TRUE(desktop.empty());
            ASSERT_NE(viewer(), nullptr);
            EXPECT_TRUE(viewer()->isVisible());
            EXPECT_EQ(QFileInfo(viewer()->reportPath()).fileName(), row.name);
            EXPECT_TRUE(shown().contains(QStringLiteral("Temperature (℃)")));
            EXPECT_FALSE(shown().contains(u'\r'));
        } else {
            EXPECT_EQ(desktop, std::vector<std::string>{row.name});
            EXPECT_TRUE(!viewer() || !viewer()->isVisible());
        }
    }
}

TEST_F(ReportViewerTest, SaveAsPdfWritesTheReportAsAPdfOrSaysWhyNot)
{
    ScratchDirectory dir;
    writeBytes("run 1.txt", goldenReport());
    restart();
    doubleClick(QStringLiteral("run 1.txt"));
    ASSERT_NE(viewer(), nullptr);
    QString answer = QStringLiteral("out.pdf");
    QString suggested;
    viewer()->setPdfChooser([&](const QString &s) {
        suggested = s;
        return answer;
    });
    auto *save = viewer()->findChild<QPushButton *>(QStringLiteral("SavePdfButton"));
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(suggested, QString::fromStdString(dir.path().string()) + QStringLiteral("/run 1.pdf"));
    EXPECT_EQ(readBytes("out.pdf").substr(0, 5), "%PDF-");
    const QString words = pdfWords("out.pdf");
    for (const char *line : {"Temperature (℃) = 290.0 Standard", "12 200 0.00406 0.00864 91.708 35.84", "Total 363.32"})
        EXPECT_TRUE(words.contains(QString::fromUtf8(line))) << line << "\nin\n" << words.toStdString();

    answer = QStringLiteral("missing/out.pdf");
    ModalWatcher watcher;
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].text, "out.pdf: ファイルが見つかりません.");
}

TEST_F(ReportViewerTest, PrintAsksForThePrinterAndPrintsTheReport)
{
    ScratchDirectory dir;
    writeBytes("report.txt", goldenReport());
    restart();
    doubleClick(QStringLiteral("report.txt"));
    ASSERT_NE(viewer(), nullptr);
    const QString printed = QDir::current().absoluteFilePath(QStringLiteral("printed.pdf"));
    for (bool accept : {false, true}) {
        // A printer that writes a file stands in for a real one; done()
        // keeps it as set, where the dialog's own OK would take its fields.
        ModalWatcher watcher([&](QWidget *dialog) {
            auto *print = qobject_cast<QPrintDialog *>(dialog);
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(printed);
            print->done(accept ? QDialog::Accepted : QDialog::Rejected);
        });
        QTest::mouseClick(viewer()->findChild<QPushButton *>(QStringLiteral("PrintButton")), Qt::LeftButton);
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_EQ(watcher.seen[0].objectName, "PrintDialog");
        EXPECT_EQ(QFileInfo::exists(printed), accept);
    }
    EXPECT_TRUE(pdfWords("printed.pdf").contains(QStringLiteral("Total 363.32")));
}

} // namespace
} // namespace sf::test
