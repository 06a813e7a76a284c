#include "WindowParts.h"

#include "MessageBoxes.h"
#include "QtText.h"
#include "export/SweepTable.h"
#include "io/ErrorBoxText.h"
#include "io/WholeFile.h"
#include "plot/Plot.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>

namespace sf {

const std::array<PressureUnit, std::size(ShownPressureUnits)> &pressureUnits()
{
    static const std::array<PressureUnit, std::size(ShownPressureUnits)> units = [] {
        std::array<PressureUnit, std::size(ShownPressureUnits)> u{};
        for (std::size_t i = 0; i < std::size(ShownPressureUnits); ++i)
            u[i] = *pressureUnitNamed(ShownPressureUnits[i].name);
        return u;
    }();
    return units;
}

void paintRed(QLabel *label)
{
    QPalette warning = label->palette();
    warning.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    label->setPalette(warning);
}

QString askForFile(QWidget *parent, const QString &title, const QString &filters, const QString &suggested)
{
    QFileDialog dialog(parent, title, suggested);
    dialog.setNameFilters(filters.split(QStringLiteral(";;")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QFileInfo(suggested).suffix());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

void writeExport(QWidget *parent, const QString &path, const std::string &bytes)
{
    if (const WriteResult r = replaceRegularFile(QFile::encodeName(path).toStdString(), bytes); !r.ok())
        showErrorBox(parent, qText(errorBoxText(QFileInfo(path).fileName().toStdString() + ": " +
                                                windowWriteFailureText(r))));
}

void exportChart(QWidget *parent, const PlotSpec &spec, const QString &path)
{
    std::string picture;
    if (const std::string error = drawPlot(spec, QFile::encodeName(path).toStdString(), picture); !error.empty()) {
        showErrorBox(parent, qText(errorBoxText(error)));
        return;
    }
    writeExport(parent, path, picture);
}

void exportTable(QWidget *parent, const QString &path, const std::function<std::string()> &csv,
                 const std::function<void(StringSink &)> &workbook, const std::string &what)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv")) {
        writeExport(parent, path, csv());
        return;
    }
    if (suffix != QLatin1String("xlsx")) {
        showErrorBox(parent, qText(errorBoxText(QFileInfo(path).fileName().toStdString() + ": " + what +
                                                " a .csv or an .xlsx file")));
        return;
    }
    StringSink book;
    try {
        workbook(book);
    } catch (const std::exception &e) {
        showErrorBox(parent, qText(errorBoxText(e.what())));
        return;
    }
    writeExport(parent, path, book.text);
}

} // namespace sf
