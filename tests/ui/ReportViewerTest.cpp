// The report in the window's own viewer: the last one written (Ctrl+R), one
// double-clicked in the file list, and the viewer's PDF and Print….
#include "UiTestSupport.h"

#include "ReportViewer.h"
#include "browser/FileList.h"
#include "support/Process.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QPrintDialog>
#include <QFontInfo>
#include <QTextCursor>
#include <QTextBlock>
#include <QPrinter>
#include <QStandardPaths>
#include <QUrl>

#include <filesystem>

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
            desktop.push_back(url.toLocalFile().toStdString());
            return opens;
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
    bool opens = true;                // whether the desktop has an application for them
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
    // Its twelve screens and 65 columns are seen whole, without scrolling.
    EXPECT_EQ(text->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(text->horizontalScrollBar()->maximum(), 0);
    viewer()->resize(200, viewer()->height()); // narrowed, it scrolls rather than wrap a line
    EXPECT_TRUE(QTest::qWaitFor([text] { return text->horizontalScrollBar()->maximum() > 0; }));
    // The last report gone, made a folder or grown past a report's size: said
    // so, and below in English with the system's reason where the words have none.
    const struct {
        const char *made, *said, *english;
    } gone[] = {{"", "result.txt: ファイルが見つかりません.", " could not be read: No such file or directory."},
                {"folder", "result.txt: I/O エラー (6)", " could not be read: a directory, not a report."},
                {"huge", "result.txt is larger than a report can be.", nullptr}};
    for (const auto &row : gone) {
        reactivate();
        std::filesystem::remove_all("result.txt");
        if (*row.made == 'f')
            std::filesystem::create_directory("result.txt");
        else if (*row.made)
            writeBytes("result.txt", goldenReport() + std::string(70 * 1024, ' '));
        ModalWatcher watcher;
        QTest::keyClick(edit(1), Qt::Key_R, Qt::ControlModifier);
        ASSERT_EQ(watcher.seen.size(), 1u) << row.said;
        EXPECT_EQ(watcher.seen[0].text, QString::fromUtf8(row.said));
        EXPECT_EQ(watcher.seen[0].informativeText,
                  row.english ? "The report " + QDir::current().filePath(QStringLiteral("result.txt")) + row.english : "");
    }

    reactivate();
    auto *files = form1->findChild<FileList *>(QStringLiteral("FileListBox1"));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(files->item(0)).center());
    QTest::keyClick(files, Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(shown().contains(QStringLiteral("=  57,00\n")));
}

// Ends of lines as any editor leaves them; a byte that is no Shift_JIS shown as such.
TEST(ReportText, ReadsShiftJisAndEveryEndOfLine)
{
    EXPECT_EQ(reportText("(\x81\x8E) \xFF\r\n=\r57,00\n"), QString::fromUtf8("(℃) \uFFFD\n=\n57,00\n"));
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
        if (viewer() && viewer()->isVisible()) // its Close button, as a user would
            QTest::mouseClick(viewer()->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Close), Qt::LeftButton);
        ModalWatcher watcher;
        doubleClick(QString::fromLatin1(row.name));
        EXPECT_TRUE(watcher.seen.empty());
        if (row.inViewer) {
            EXPECT_TRUE(desktop.empty());
            ASSERT_NE(viewer(), nullptr);
            EXPECT_TRUE(viewer()->isVisible());
            EXPECT_EQ(viewer()->windowTitle().toStdString(), std::string(row.name) + " — Report");
        } else {
            EXPECT_EQ(desktop, std::vector<std::string>{(dir.path() / row.name).string()});
            EXPECT_TRUE(!viewer() || !viewer()->isVisible());
        }
    }
    opens = false;
    ModalWatcher watcher;
    doubleClick(QStringLiteral("notes.txt"));
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].text, "No application is set to open notes.txt.");
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
    auto *save = viewer()->findChild<QPushButton *>(QStringLiteral("SavePdfButton"));
    {
        // The file dialog itself: cancelled, it writes nothing; a name typed without its suffix gets ".pdf".
        QStringList filters;
        ModalWatcher watcher([&](QWidget *dialog) {
            if (filters.isEmpty()) { // the first time
                filters = qobject_cast<QFileDialog *>(dialog)->nameFilters();
                return QTest::keyClick(dialog, Qt::Key_Escape);
            }
            EXPECT_NE(dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Save), nullptr);
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("typed"));
            ModalWatcher::pressEnter(dialog);
        });
        QTest::mouseClick(save, Qt::LeftButton);
        QTest::mouseClick(save, Qt::LeftButton);
        ASSERT_EQ(watcher.seen.size(), 2u);
        EXPECT_EQ(watcher.seen[0].title, "Save Report as PDF");
        EXPECT_EQ(filters, QStringList({"PDF files (*.pdf)", "All files (*)"}));
        EXPECT_EQ(QDir().entryList({QStringLiteral("*.pdf")}), QStringList({"printed.pdf", "typed.pdf"}));
    }
    QString answer = QStringLiteral("saved.pdf");
    QString suggested;
    viewer()->setPdfChooser([&](const QString &s) {
        suggested = s;
        return answer;
    });
    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(suggested, QString::fromStdString(dir.path().string()) + QStringLiteral("/run 1.pdf"));
    const QString words = pdfWords("saved.pdf");
    for (const char *line : {"Temperature (℃) = 290.0 Standard", "12 200 0.00406 0.00864 91.708 35.84", "Total 363.32"})
        EXPECT_TRUE(words.contains(QString::fromUtf8(line))) << line << "\nin\n" << words.toStdString();
    // Set in the fixed-width gothic face (fonts-ipafont-gothic, a dependency), so columns line up on paper.
    const std::string used = runProcess("/usr/bin/pdffonts", {"saved.pdf"}).out; // two lines of header, one per font
    EXPECT_TRUE(std::count(used.begin(), used.end(), '\n') == 3 && used.find("\nIPAGothic ") != used.npos) << used;
    const std::string info = runProcess("/usr/bin/pdfinfo", {"saved.pdf"}).out; // its title and what made it
    EXPECT_TRUE(info.find(" run 1.txt\n") != info.npos && info.find(" screenfilter\n") != info.npos) << info;

    answer = QStringLiteral("missing/saved.pdf");
    ModalWatcher watcher;
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].text, "saved.pdf: ファイルが見つかりません.");
}

} // namespace
} // namespace sf::test
