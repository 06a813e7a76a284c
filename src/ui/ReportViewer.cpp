#include "ReportViewer.h"

#include "MessageBoxes.h"
#include "io/ErrorBoxText.h"
#include "io/IoErrors.h"
#include "io/RegularFile.h"
#include "io/WholeFile.h"
#include "run/CaseRun.h"

#include <QBuffer>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>

namespace sf {

namespace {

// 0, or the errno of a file that cannot be read; a pipe, a device or a
// folder is ENXIO, and is neither waited on nor read.
int readError(const RegularFileRead &r)
{
    switch (r.problem) {
    case RegularFileRead::Problem::None:
    case RegularFileRead::Problem::TooLarge:
        return 0;
    case RegularFileRead::Problem::System:
        return r.err;
    case RegularFileRead::Problem::Directory:
    case RegularFileRead::Problem::NotRegular:
        break;
    }
    return ENXIO;
}

// What readError stands for, in the command line's words.
QString readProblemText(const RegularFileRead &r)
{
    if (r.problem == RegularFileRead::Problem::Directory)
        return QStringLiteral("a directory, not a report");
    if (r.problem == RegularFileRead::Problem::NotRegular)
        return QStringLiteral("not a regular file (a FIFO, a device or a socket)");
    return QString::fromLocal8Bit(std::strerror(r.err));
}

// A Japanese fixed-width face: in it the degree sign, two bytes in the
// report, is two columns wide, so the columns line up as the bytes do. On
// screen DejaVu Sans Mono comes first: at 14 px IPA Gothic's full stop reads
// as a comma ("0,02946"). It has no degree sign; the Japanese faces give it.
QFont reportFont(bool screen)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    QStringList families{QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
                         font.family()};
    if (screen)
        families.prepend(QStringLiteral("DejaVu Sans Mono"));
    font.setFamilies(families);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

// The degree sign is two bytes of the report and so two columns of it;
// from the fallback face it is one em wide, short of two columns of the
// first. Widened to two columns, every column after it lines up again.
void alignDegreeSigns(QTextDocument &document, const QFont &font)
{
    const QFontMetricsF metrics(font);
    const qreal degree = metrics.horizontalAdvance(QStringLiteral("℃"));
    if (!(degree > 0))
        return;
    QTextCharFormat wide;
    QFont widened = font;
    widened.setLetterSpacing(QFont::PercentageSpacing, 200 * metrics.horizontalAdvance(u'0') / degree);
    wide.setFont(widened, QTextCharFormat::FontPropertiesSpecifiedOnly);
    for (QTextCursor at = document.find(QStringLiteral("℃")); !at.isNull();
         at = document.find(QStringLiteral("℃"), at))
        at.mergeCharFormat(wide);
}
// The PDF beside a report: "run 1.txt" gives "run 1.pdf" in its folder.
QString pdfNameOf(const QString &reportPath)
{
    const QFileInfo report(reportPath);
    return report.dir().filePath(report.completeBaseName() + QStringLiteral(".pdf"));
}

QString fileErrorText(const QString &path, int err)
{
    return QString::fromStdString(
        errorBoxText(QFileInfo(path).fileName().toStdString() + ": " + ioErrorText(err)));
}

QString askForPdf(QWidget *parent, const QString &suggested)
{
    QFileDialog dialog(parent, QStringLiteral("Save Report as PDF"), suggested);
    dialog.setNameFilters({QStringLiteral("PDF files (*.pdf)"), QStringLiteral("All files (*)")});
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

} // namespace

QString reportText(const QByteArray &bytes)
{
    QStringDecoder decode("Shift_JIS", QStringConverter::Flag::Stateless);
    QString text = decode(bytes);
    // ICU stands U+001A for a byte that is no Shift_JIS; a report holds no
    // control characters, so show it as the replacement character.
    text.replace(QChar(0x1A), QChar::ReplacementCharacter);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

ReportViewer::ReportViewer(QWidget *parent) : QWidget(parent, Qt::Window), m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("ReportViewer"));
    setWindowTitle(QStringLiteral("Report"));
    m_text->setObjectName(QStringLiteral("ReportText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // On screen, advances are whole pixels: at an even size a column is
    // exactly half the degree sign's width.
    QFont font = reportFont(true);
    font.setPixelSize(14);
    m_text->setFont(font);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *print = buttons->addButton(QStringLiteral("Print…"), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("PrintButton"));
    print->setShortcut(QKeySequence::Print);
    QPushButton *pdf = buttons->addButton(QStringLiteral("Save as PDF…"), QDialogButtonBox::ActionRole);
    pdf->setObjectName(QStringLiteral("SavePdfButton"));
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    close->setShortcut(Qt::Key_Escape);
    connect(print, &QPushButton::clicked, this, &ReportViewer::print);
    connect(pdf, &QPushButton::clicked, this, &ReportViewer::saveAsPdf);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);

    // Wide enough for a report's 65 columns and tall enough for twelve screens.
    const QFontMetrics metrics(m_text->font());
    resize(metrics.horizontalAdvance(QString(72, u'0')) + 40, metrics.lineSpacing() * 34 + 60);

    m_choosePdf = [this](const QString &suggested) { return askForPdf(this, suggested); };
}

bool ReportViewer::openReport(const QString &path, QString &error, QString &english)
{
    const RegularFileRead report = readRegularFile(QFile::encodeName(path).toStdString(), MaxReportBytes);
    if (const int err = readError(report); err != 0) {
        error = fileErrorText(path, err);
        // The window's words name few errors ("I/O エラー (21)"); the system's says which.
        english = QStringLiteral("The report %1 could not be read: %2.")
                      .arg(QFileInfo(path).absoluteFilePath(), readProblemText(report));
        return false;
    }
    if (report.problem == RegularFileRead::Problem::TooLarge) {
        error = QStringLiteral("%1 is larger than a report can be.").arg(QFileInfo(path).fileName());
        return false;
    }
    m_path = path;
    m_text->setPlainText(reportText(QByteArray::fromStdString(report.bytes)));
    alignDegreeSigns(*m_text->document(), m_text->font());
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" — Report"));
    return true;
}

void ReportViewer::render(QPagedPaintDevice &device) const
{
    QTextDocument document;
    QFont font = reportFont(false);
    font.setPointSize(10);
    document.setDefaultFont(font);
    document.setPlainText(m_text->toPlainText());
    document.print(&device);
}

void ReportViewer::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QFileInfo(m_path).fileName());
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    // Printing to a file suggests the report's own folder, as Save as PDF
    // does, not the folder the program was started in. Setting the
    // printer's file name instead would make printing to a file the default.
    if (auto *file = dialog.findChild<QLineEdit *>(QStringLiteral("filename")))
        file->setText(pdfNameOf(m_path));
    if (dialog.exec() == QDialog::Accepted)
        render(printer);
}

void ReportViewer::saveAsPdf()
{
    const QFileInfo report(m_path);
    const QString path = m_choosePdf(pdfNameOf(m_path));
    if (path.isEmpty())
        return;
    // Rendered in memory, then written whole: a failed write leaves no
    // half PDF and an existing file as it was.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(report.fileName());
        pdf.setCreator(QStringLiteral("screenfilter"));
        pdf.setPageSize(QPageSize(QPageSize::A4));
        render(pdf);
    }
    const QByteArray &bytes = buffer.data();
    // Only into a regular file: a pipe nobody reads would keep the window waiting.
    if (const WriteResult r = replaceRegularFile(
            QFile::encodeName(path).toStdString(),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        !r.ok())
        showErrorBox(this, QString::fromStdString(errorBoxText(QFileInfo(path).fileName().toStdString() + ": " +
                                                               windowWriteFailureText(r))));
}

} // namespace sf
