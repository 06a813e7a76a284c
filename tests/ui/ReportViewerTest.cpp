// The report in the window's own viewer: the last one written (Ctrl+R), one
// double-clicked in the file list, and the viewer's PDF and Print….
#include "UiTestSupport.h"

#include "ReportViewer.h"
#include "browser/FileList.h"
#include "support/Process.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QFontInfo>
#include <QTextCursor>
#include <QTextBlock>
#include <QPrinter>
#include <QStandardPaths>
#include <QUrl>

namespace sf::test {
namespace {

std::string replaced(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at; (at = text.find(from)) != std::string::npos;)
        text.replace(at, from.size(), to);
    return text;
}

// The words of a PDF's text, blanks folded: the extraction guesses them
// from the glyphs' positions.
QString pdfWords(const char *file)
{
    const std::string pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext")).toStdString();
    const ProcessResult text = runProcess(pdftotext, {"-layout", "-enc", "UTF-8", file, "-"});
    EXPECT_EQ(text.exitCode, 0) << "pdftotext (poppler-utils): " << text.err;
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
    // As it should read, found by replacing bytes rather than by a decoder.
    EXPECT_EQ(shown(), QString::fromStdString(replaced(replaced(goldenReport(), "\r\n", "\n"), "\x81\x8E", "℃")));
    EXPECT_FALSE(shown().contains(QChar::ReplacementCharacter));
    // Columns line up as the bytes do: one column a byte, the degree sign two.
    const QFontMetrics metrics(viewer()->findChild<QPlainTextEdit *>()->font());
    for (const QString &text : {QStringLiteral("i"), QStringLiteral("W"), QStringLiteral(" ")})
        EXPECT_EQ(metrics.horizontalAdvance(text), metrics.horizontalAdvance(u'0')) << text.toStdString();
    // The degree sign takes two columns: the '=' after it stands where the
    // others do, on screen.
    auto *text = viewer()->findChild<QPlainTextEdit *>();
    auto equalsAt = [text](const QString &line) {
        const QTextBlock block = text->document()->find(line).block();
        QTextCursor at(block);
        at.setPosition(block.position() + static_cast<int>(block.text().indexOf(u'=')));
        return text->cursorRect(at).x();
    };
    EXPECT_EQ(equalsAt(QStringLiteral("Temperature (℃)")), equalsAt(QStringLiteral("Flow Rate (kg/hr)")));
    EXPECT_EQ(equalsAt(QStringLiteral("Shift Factor Parameter A (℃)")), equalsAt(QStringLiteral("Density (g/cm3)")));
    // The full stop is DejaVu Sans Mono's, never IPA Gothic's comma-like dot.
    EXPECT_EQ(QFontInfo(text->font()).family(), "DejaVu Sans Mono");

    auto *files = form1->findChild<FileList *>(QStringLiteral("FileListBox1"));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
    QTest::keyClick(files, Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(shown().contains(QStringLiteral("=  57,00\n")));
}

TEST_F(ReportViewerTest, DoubleClickShowsReportsHereAndOtherFilesOnTheDesktop)
{
    const struct {
        const char *name;
        std::string bytes;
        bool inViewer;
    } rows[] = {
        {"report.txt", goldenReport(), true},
        {"comma.txt", goldenCommaReport(), true},
        {"copied-lf.txt", replaced(goldenReport(), "\r\n", "\n"), true},
        {"cut-short.txt", goldenReport().substr(0, 43), false},
        {"notes.txt", "x", false},
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
        } else {
            EXPECT_EQ(desktop, std::vector<std::string>{row.name});
            EXPECT_TRUE(!viewer() || !viewer()->isVisible());
        }
    }
}

TEST_F(ReportViewerTest, PrintAndSaveAsPdfGiveTheReportOrSayWhyNot)
{
    ScratchDirectory dir;
    writeBytes("run 1.txt", goldenReport());
    restart();
    doubleClick(QStringLiteral("run 1.txt"));
    ASSERT_NE(viewer(), nullptr);
    {
        // A printer that writes a file stands in for a real one; done()
        // keeps it as set, where the dialog's own OK would take its fields.
        QString offered;
        ModalWatcher watcher([&](QWidget *dialog) {
            if (auto *file = dialog->findChild<QLineEdit *>(QStringLiteral("filename")))
                offered = file->text();
            auto *print = qobject_cast<QPrintDialog *>(dialog);
            EXPECT_EQ(print->printer()->docName(), QStringLiteral("run 1.txt")) << "the job's name in the queue";
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(QDir::current().absoluteFilePath(QStringLiteral("printed.pdf")));
            print->done(QDialog::Accepted);
        });
        QTest::mouseClick(viewer()->findChild<QPushButton *>(QStringLiteral("PrintButton")), Qt::LeftButton);
        ASSERT_EQ(watcher.seen.size(), 1u);
        EXPECT_TRUE(pdfWords("printed.pdf").contains(QStringLiteral("Total 363.32")));
        // Printing to a file starts in the report's folder, as Save as PDF does.
        EXPECT_EQ(offered, QString::fromStdString(dir.path().string()) + QStringLiteral("/run 1.pdf"));
    }
    QString answer = QStringLiteral("saved.pdf");
    QString suggested;
    viewer()->setPdfChooser([&](const QString &s) {
        suggested = s;
        return answer;
    });
    auto *save = viewer()->findChild<QPushButton *>(QStringLiteral("SavePdfButton"));
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(suggested, QString::fromStdString(dir.path().string()) + QStringLiteral("/run 1.pdf"));
    EXPECT_EQ(readBytes("saved.pdf").substr(0, 5), "%PDF-");
    const QString words = pdfWords("saved.pdf");
    for (const char *line : {"Temperature (℃) = 290.0 Standard", "12 200 0.00406 0.00864 91.708 35.84", "Total 363.32"})
        EXPECT_TRUE(words.contains(QString::fromUtf8(line))) << line << "\nin\n" << words.toStdString();
    // Set in the fixed-width gothic face (fonts-ipafont-gothic, a dependency), so columns line up on paper.
    const std::string used = runProcess("/usr/bin/pdffonts", {"saved.pdf"}).out; // two lines of header, one per font
    EXPECT_TRUE(std::count(used.begin(), used.end(), '\n') == 3 && used.find("\nIPAGothic ") != used.npos) << used;

    answer = QStringLiteral("missing/saved.pdf");
    ModalWatcher watcher;
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].text, "saved.pdf: ファイルが見つかりません.");
}

} // namespace
} // namespace sf::test
