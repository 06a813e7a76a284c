#pragma once

#include "SideWindowInputs.h"
#include "cases/CaseFile.h"
#include "export/LifeAnswer.h"

#include <QFutureWatcher>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace sf {

class PlotView;

// What one load and fit gives: the log as read (kept for the next fit with
// other options), and the answer or what is wrong.
struct LifeOutcome {
    std::shared_ptr<const PressureLog> log;
    std::optional<LifeAnalysis> analysis;
    QString problem;
};

// Pack life: a line's pressure log loaded here, the blocking laws fitted to
// the drop since the last screen change and when the best of them reaches
// the limit, as screenfilter-cli life answers, with the chart and the laws'
// table. The log is read and fitted off the window's thread, so that a
// million readings never stop it; a log that cannot be read or gives no
// change time is named in red in the window, never in a dialog. With a case
// open, its clean-pack drop by the model stands beside the log's P0.
class LifeWindow : public QWidget {
    Q_OBJECT
public:
    using Source = std::function<LifeCaseInputs()>;
    explicit LifeWindow(Source source, QWidget *parent = nullptr);
    ~LifeWindow() override;

    // The pause after the last edit before the log is fitted again.
    static constexpr int UpdateDelayMs = 150;

    // The case's study, as opened: its unit, and its limit on the total
    // unless one was typed here.
    void setCaseStudy(const CaseStudy &study);

    // Asks for a log to load; empty means no. Tests replace the dialog.
    using LogChooser = std::function<QString()>;
    void setLogChooser(LogChooser chooser) { m_chooseLog = std::move(chooser); }
    // Asks for the file an export writes to; empty means no. Tests replace
    // the dialog.
    using FileChooser = std::function<QString(const QString &title, const QString &filters, const QString &suggested)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // Whether a load or fit is under way.
    bool busy() const;
    // The answer shown, if any.
    const std::optional<LifeAnalysis> &analysis() const { return m_analysis; }

public slots:
    void chooseLog(); // "Load log…"
    void loadLog(const QString &path);
    // Fits the log again with the options as they now stand.
    void updateNow();
    // The case changed: its clean-pack drop is worked out again.
    void caseChanged();
    void exportChart(); // PNG or SVG, by the name's suffix
    void exportTable(); // CSV or XLSX, by the name's suffix

signals:
    // A load or fit finished and its answer or problem is on show.
    void answered();

private:
    void start(bool reread);
    void finished();
    void showAnalysis();
    void showModel();
    void showProblem(const QString &text);
    const PressureUnit &limitUnit() const;
    QString suggestedPath(const QString &suffix, const QString &kind) const;

    Source m_source;
    LogChooser m_chooseLog;
    FileChooser m_chooseFile;
    QTimer m_timer;
    QString m_path;                          // the log loaded
    std::shared_ptr<const PressureLog> m_log; // as read, with the unit option then chosen
    int m_logUnitRead = -1;                  // the unit option m_log was read with
    QString m_jobPath;                       // what the job under way reads
    int m_jobLogUnit = -1;
    QFutureWatcher<LifeOutcome> m_watcher;
    // The watcher learns of a job's start only by an event; this knows at once.
    bool m_running = false;
    bool m_again = false; // options changed while a fit was under way
    std::optional<LifeAnalysis> m_analysis;
    std::optional<LifeCaseComparison> m_model;
    bool m_limitTyped = false; // the limit was typed here, not taken from the study
    bool m_settingLimit = false;

    QPushButton *m_load;
    QLabel *m_logName;
    QComboBox *m_logUnit; // from the log's header, or one of the units
    QLineEdit *m_after;
    QLineEdit *m_since;
    QLineEdit *m_limit;
    QComboBox *m_limitUnit;
    QLabel *m_problem;
    QLabel *m_answer;
    QLabel *m_modelText;
    QTableWidget *m_laws;
    PlotView *m_chart;
    QPushButton *m_exportChart;
    QPushButton *m_exportTable;
};

} // namespace sf
