#pragma once

#include "ReportFile.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

#include <functional>

class QPagedPaintDevice;
class QPlainTextEdit;

namespace sf {

// A report's bytes as text: decoded from Shift_JIS, each CR LF (or lone CR)
// a "\n".
QString reportText(const QByteArray &bytes);

// The window that shows a report as text, in a fixed-width font so that
// its columns line up, read-only, with Print… and Save as PDF…. It stays
// open beside the main window, which keeps one and shows each report in it.
class ReportViewer : public QWidget {
    Q_OBJECT
public:
    explicit ReportViewer(QWidget *parent = nullptr);

    // Reads and shows the report at `path`. On failure the viewer keeps what
    // it showed and `error` says why, for the caller's error box.
    bool openReport(const QString &path, QString &error, QString &english);
    QString reportPath() const { return m_path; }

    // Asks for the PDF file to write, starting from `suggested`; empty
    // means no. Tests replace the file dialog with this.
    using PdfChooser = std::function<QString(const QString &suggested)>;
    void setPdfChooser(PdfChooser chooser) { m_choosePdf = std::move(chooser); }

public slots:
    void print();     // Ctrl+P
    void saveAsPdf();

private:
    void render(QPagedPaintDevice &device) const;

    QPlainTextEdit *m_text;
    QString m_path;
    PdfChooser m_choosePdf;
};

} // namespace sf
