#pragma once

#include "SideWindowInputs.h"
#include "calc/FieldTexts.h"
#include "cases/CaseFile.h"
#include "run/Diagnoses.h"
#include "run/Limit.h"
#include "run/SolveCase.h"
#include "run/Study.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPrinter;
class QPushButton;
class QSplitter;
class QTableWidget;

namespace sf {

class PlotView;
struct PageSpec;
struct PlotSpec;

// The study window: the case in the main window's fields as a table per
// screen, its diagnoses, and a chart of the total pressure drop against
// flow rate at the study's temperatures over its flow range (by default the
// melt temperature and 20 °C either side, a quarter to twice the case's
// flow rate), with each curve's flow rate at the limit listed beside it and
// a Find row that solves the case for one key as the command line's solve
// does. It follows the fields as they are edited, a moment after the typing
// stops, and never interrupts it: a field or a study value that cannot be
// read is named in the window in red, not in a dialog, and nothing is
// computed from it. It stays open beside the main window, which keeps one.
class StudyWindow : public QWidget {
    Q_OBJECT
public:
    using Source = std::function<StudyInputs()>;
    explicit StudyWindow(Source source, QWidget *parent = nullptr);

    // The pause after the last edit before the window follows it.
    static constexpr int UpdateDelayMs = 150;

    // The fields changed: follow them once the typing pauses.
    void scheduleUpdate();

    // The case's study, as opened: fills the temperatures, the flow range,
    // the unit, the limit and the key to find. A bad value of it is named in
    // red and nothing is drawn from it until the study is edited here.
    void setCaseStudy(const CaseStudy &study);

    // The study as the window now asks it. A value typed here that cannot
    // be read leaves the one set before; an empty list or range, no limit
    // and no key to find leave theirs out (the defaults).
    CaseStudy caseStudy() const;

signals:
    // The user changed one of the study's values.
    void studyEdited();

public:
    // Asks for the file an export writes to, starting from `suggested`;
    // empty means no. Tests replace the file dialog with this.
    using FileChooser = std::function<QString(const QString &title, const QString &filters, const QString &suggested)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Sets the printer up for Print…; false means no. Tests replace the
    // print dialog with this.
    using PrinterSetup = std::function<bool(QPrinter &printer)>;
    void setPrinterSetup(PrinterSetup setup) { m_setUpPrinter = std::move(setup); }

public slots:
    // Computes and shows the study of the fields as they are now.
    void updateNow();
    void exportChart(); // PNG or SVG, by the name's suffix
    void exportTable(); // CSV or XLSX, by the name's suffix
    void exportCurves(); // the chart's points and the limit answers: CSV or XLSX
    // The case's page for the line log, as run --format pdf prints it, in
    // the unit and with the limit chosen here.
    void printPage();
    void savePdf();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showTable();
    // Widens the table to all its columns where the window has the room.
    void giveTableItsWidth();
    void showFindings();
    void showChart();
    const PressureUnit &unit() const;
    // The limit typed in; nullopt when none is asked for or the text is no
    // pressure (said beside it).
    std::optional<PressureLimit> limit();
    // The limit typed in, read with `separator`, whether or not it is on.
    std::optional<PressureLimit> typedLimit(char separator) const;
    void showLimitAnswer();
    void showLimitAnswers(); // each curve's, beside the chart
    void showFind(const std::optional<PressureLimit> &limit);
    std::optional<Field> findKey() const;
    void showFindRangeDefault();
    // "<case>-<kind>.<suffix>" in the case's folder.
    QString suggestedPath(const QString &suffix, const QString &kind = QStringLiteral("study")) const;
    std::string bookName() const; // the case as the workbooks name it: "study" when unsaved
    void showProblem();
    PageSpec page() const;
    void studyControlChanged();
    // A choice made in the window (unit, limit, key) is followed at once.
    void followChoice();

    Source m_source;
    StudyInputs m_inputs;
    StudyRequest m_request;
    Study m_study;
    QTimer m_timer;
    FileChooser m_chooseFile;
    PrinterSetup m_setUpPrinter;
    CaseStudy m_caseStudy;
    QString m_studyProblem; // what is wrong with m_caseStudy, for the user
    QStringList m_typingProblems; // what is wrong with the values typed here
    std::optional<SolvedCase> m_found; // the Find row's answer
    bool m_settingStudy = false;
    bool m_limitEdited = false; // since the study was set

    QLabel *m_problem;
    QLineEdit *m_temperatures;
    QLineEdit *m_flowFrom;
    QLineEdit *m_flowTo;
    QComboBox *m_unit;
    QCheckBox *m_limitOn;
    QComboBox *m_limitOf; // the total, or screen 1 to 12
    QLineEdit *m_limitText;
    QLabel *m_limitUnit;
    QLabel *m_limitAnswer;
    QComboBox *m_find; // nothing, or a key solve takes
    QLineEdit *m_findFrom;
    QLineEdit *m_findTo;
    QLabel *m_findAnswer;
    QTableWidget *m_limitAnswers;
    QSplitter *m_splitter = nullptr;
    QTableWidget *m_table;
    QListWidget *m_findings;
    PlotView *m_chart;
    QPushButton *m_exportChart = nullptr;
    QPushButton *m_exportTable = nullptr;
    QPushButton *m_exportCurves = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_savePdf = nullptr;
};

} // namespace sf
