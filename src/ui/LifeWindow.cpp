#include "LifeWindow.h"

#include "MessageBoxes.h"
#include "QtText.h"
#include "WindowParts.h"
#include "io/ErrorBoxText.h"
#include "io/NumberText.h"
#include "io/WholeFile.h"
#include "plot/PlotView.h"
#include "run/Limit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace sf {

namespace {

// A pressure typed with the window's separator: "250", or with its unit,
// "250 bar"; nullopt when it is none. std::from_chars reads it, as the
// command line does, so that both take the same value.
std::optional<GivenPressure> typedPressure(QString text, char separator)
{
    text = text.trimmed();
    if (text.isEmpty() || text.contains(separator == '.' ? u',' : u'.'))
        return std::nullopt;
    text.replace(QLatin1Char(separator), u'.');
    return readGivenPressure(text.toStdString(), true);
}

// What the background job is given: every option already read, so that it
// touches nothing of the window.
struct LifeJob {
    std::string path;
    std::string logName;
    std::optional<PressureUnit> logUnit;     // nullopt: the header's
    std::shared_ptr<const PressureLog> read; // the log read before, when it still holds
    GivenPressure limit;                     // a bare number in limitUnit
    PressureUnit limitUnit{"kgf/cm2", 1.0};
    std::optional<GivenPressure> after; // a bare number in the log's unit
    std::string since;                  // empty: from the last screen change

    LifeOutcome operator()() const
    {
        LifeOutcome out;
        try {
            out.log = read ? read : std::make_shared<const PressureLog>(readPressureLog(path, logUnit));
        } catch (const LogFileError &e) {
            QStringList lines;
            for (const std::string &problem : e.problems())
                lines << qText(problem);
            out.problem = lines.join(u'\n');
            return out;
        }
        const PressureLog &log = *out.log;
        LifeSettings settings;
        settings.logName = logName;
        settings.limit = pressureIn(limit.value, limit.unit.value_or(limitUnit), log.pressureUnit);
        if (after) {
            if (!log.after.empty()) {
                out.problem = qText("Pressure behind the pack: " + logName + " has pressure_after of its own");
                return out;
            }
            settings.pressureAfter = pressureIn(after->value, after->unit.value_or(log.pressureUnit), log.pressureUnit);
        }
        if (!since.empty()) {
            settings.since = logTimeOf(since, log);
            if (!settings.since) {
                out.problem = qText("Fit from " + since + ": " + logTimeHint(log));
                return out;
            }
        }
        try {
            out.analysis = analyseLife(log, settings);
        } catch (const LifeError &e) {
            out.problem = qText(e.what());
        }
        return out;
    }
};

} // namespace

LifeWindow::LifeWindow(Source source, QWidget *parent)
    : QWidget(parent, Qt::Window), m_source(std::move(source)),
      m_load(new QPushButton(QStringLiteral("&Load log…"), this)), m_logName(new QLabel(this)),
      m_logUnit(new QComboBox(this)), m_after(new QLineEdit(this)), m_since(new QLineEdit(this)),
      m_limit(new QLineEdit(this)), m_limitUnit(new QComboBox(this)), m_problem(new QLabel(this)),
      m_answer(new QLabel(this)), m_modelText(new QLabel(this)), m_laws(new QTableWidget(this)),
      m_chart(new PlotView(this))
{
    setObjectName(QStringLiteral("LifeWindow"));
    setWindowTitle(QStringLiteral("Pack Life"));

    const auto labelFor = [this](const QString &text, QWidget *buddy) {
        auto *label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    m_load->setObjectName(QStringLiteral("LifeLoad"));
    m_logName->setObjectName(QStringLiteral("LifeLogName"));
    m_logName->setTextFormat(Qt::PlainText);
    // A long path is cut at the window's edge, not widening it; its tip has it whole.
    m_logName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_logName->setText(QStringLiteral("No log loaded: a CSV of time or timestamp and pressure readings"));
    m_logUnit->setObjectName(QStringLiteral("LifeLogUnit"));
    m_logUnit->addItem(QStringLiteral("as its header says"));
    for (const ShownUnit &u : ShownPressureUnits)
        m_logUnit->addItem(QString::fromUtf16(u.shown));
    m_logUnit->setToolTip(QStringLiteral("The log's pressure unit when its header gives none"));
    m_after->setObjectName(QStringLiteral("LifeAfter"));
    m_after->setPlaceholderText(QStringLiteral("0"));
    m_after->setToolTip(QStringLiteral("The pressure behind the pack, taken from a one-column log's pressure to give "
                                       "the drop: a number in the log's unit, or with its unit (12 bar)"));
    m_since->setObjectName(QStringLiteral("LifeSince"));
    m_since->setPlaceholderText(QStringLiteral("the last screen change"));
    m_since->setToolTip(QStringLiteral("Fit only the readings from this time of the log on: a number in its time "
                                       "unit, or an ISO 8601 time for a log of timestamps"));
    m_limit->setObjectName(QStringLiteral("LifeLimit"));
    m_limit->setToolTip(QStringLiteral("The drop across the pack at which the screens are changed"));
    m_limitUnit->setObjectName(QStringLiteral("LifeLimitUnit"));
    for (const ShownUnit &u : ShownPressureUnits)
        m_limitUnit->addItem(QString::fromUtf16(u.shown));

    m_problem->setObjectName(QStringLiteral("LifeProblem"));
    m_problem->setWordWrap(true);
    m_problem->setTextFormat(Qt::PlainText);
    paintRed(m_problem);
    m_problem->hide();
    m_modelText->setObjectName(QStringLiteral("LifeModelProblem"));
    m_modelText->setWordWrap(true);
    m_modelText->setTextFormat(Qt::PlainText);
    paintRed(m_modelText);
    m_modelText->hide();
    m_answer->setObjectName(QStringLiteral("LifeAnswer"));
    m_answer->setTextFormat(Qt::PlainText);
    m_answer->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_answer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_answer->setWordWrap(true);

    m_laws->setObjectName(QStringLiteral("LifeLaws"));
    m_laws->setColumnCount(5);
    m_laws->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_laws->verticalHeader()->hide();
    m_laws->horizontalHeader()->setStretchLastSection(true);
    m_laws->setMinimumHeight(120);
    m_chart->setObjectName(QStringLiteral("LifeChart"));
    m_chart->setMinimumSize(400, 260);

    auto *logRow = new QHBoxLayout;
    logRow->addWidget(m_load);
    logRow->addWidget(m_logName, 1);
    // Two rows of options, so that the window fits beside the main window
    // on a laptop's screen.
    auto *options = new QGridLayout;
    options->addWidget(labelFor(QStringLiteral("Pressure &unit of the log"), m_logUnit), 0, 0);
    options->addWidget(m_logUnit, 0, 1);
    options->addWidget(labelFor(QStringLiteral("Pressure &behind the pack"), m_after), 0, 2);
    options->addWidget(m_after, 0, 3);
    options->addWidget(labelFor(QStringLiteral("Li&mit (drop)"), m_limit), 1, 0);
    auto *limitRow = new QHBoxLayout;
    limitRow->addWidget(m_limit, 1);
    limitRow->addWidget(labelFor(QStringLiteral("&in"), m_limitUnit));
    limitRow->addWidget(m_limitUnit);
    options->addLayout(limitRow, 1, 1);
    options->addWidget(labelFor(QStringLiteral("&Fit from"), m_since), 1, 2);
    options->addWidget(m_since, 1, 3);
    options->setColumnStretch(1, 1);
    options->setColumnStretch(3, 1);

    // The chart above the laws' table, both as wide as the window.
    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->setObjectName(QStringLiteral("LifeSplitter"));
    splitter->addWidget(m_chart);
    splitter->addWidget(m_laws);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setChildrenCollapsible(false);

    auto *buttons = new QDialogButtonBox(this);
    m_exportChart = buttons->addButton(QStringLiteral("Export c&hart…"), QDialogButtonBox::ActionRole);
    m_exportChart->setObjectName(QStringLiteral("LifeExportChart"));
    m_exportTable = buttons->addButton(QStringLiteral("Export &table…"), QDialogButtonBox::ActionRole);
    m_exportTable->setObjectName(QStringLiteral("LifeExportTable"));
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    close->setShortcut(Qt::Key_Escape);
    m_exportChart->setEnabled(false);
    m_exportTable->setEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(logRow);
    layout->addLayout(options);
    layout->addWidget(m_problem);
    layout->addWidget(m_answer);
    layout->addWidget(m_modelText);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);

    // Tab in reading order, whatever order the widgets were made in.
    const QWidget *order[] = {m_load, m_logUnit, m_after, m_limit, m_limitUnit, m_since,
                              m_laws, m_exportChart, m_exportTable, close};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(const_cast<QWidget *>(order[i]), const_cast<QWidget *>(order[i + 1]));

    connect(m_load, &QPushButton::clicked, this, &LifeWindow::chooseLog);
    connect(m_exportChart, &QPushButton::clicked, this, &LifeWindow::exportChart);
    connect(m_exportTable, &QPushButton::clicked, this, &LifeWindow::exportTable);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    m_timer.setSingleShot(true);
    m_timer.setInterval(UpdateDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &LifeWindow::updateNow);
    for (QLineEdit *edit : {m_after, m_since, m_limit})
        connect(edit, &QLineEdit::textChanged, this, [this] { m_timer.start(); });
    connect(m_limit, &QLineEdit::textEdited, this, [this] { m_limitTyped = true; });
    connect(m_logUnit, &QComboBox::currentIndexChanged, this, &LifeWindow::updateNow);
    connect(m_limitUnit, &QComboBox::currentIndexChanged, this, &LifeWindow::updateNow);
    connect(&m_watcher, &QFutureWatcher<LifeOutcome>::finished, this, &LifeWindow::finished);

    m_chooseLog = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Load Pressure Log"), m_source().folder,
                                            QStringLiteral("Pressure logs (*.csv *.txt *.tsv);;All files (*)"));
    };
    m_chooseFile = [this](const QString &title, const QString &filters, const QString &suggested) {
        return askForFile(this, title, filters, suggested);
    };
    resize(900, 720);
}

LifeWindow::~LifeWindow()
{
    // The job holds nothing of the window; only its answer is waited for.
    m_watcher.waitForFinished();
}

bool LifeWindow::busy() const
{
    return m_running;
}

void LifeWindow::setCaseStudy(const CaseStudy &study)
{
    if (m_limitTyped)
        return;
    std::size_t unitIndex = 0;
    for (std::size_t i = 0; i < std::size(ShownPressureUnits); ++i)
        if (study.pressureUnit && *study.pressureUnit == ShownPressureUnits[i].name)
            unitIndex = i;
    std::optional<PressureLimit> limit;
    if (study.limit) {
        try {
            limit = parseLimit(*study.limit);
        } catch (const UsageError &) {
            // The study window names it; here the limit is typed instead.
        }
    }
    m_settingLimit = true;
    m_limitUnit->setCurrentIndex(static_cast<int>(unitIndex));
    const PressureUnit &unit = pressureUnits()[unitIndex];
    if (limit && limit->screen == 0) {
        // As written when it is in the study's unit; converted otherwise.
        const double value = limit->unit.name == unit.name ? limit->value : limit->kgfCm2() * unit.perKgfCm2;
        m_limit->setText(qText(valueFieldText(value, m_source().separator)));
    }
    m_settingLimit = false;
    updateNow();
}

const PressureUnit &LifeWindow::limitUnit() const
{
    return pressureUnits()[static_cast<std::size_t>(std::max(0, m_limitUnit->currentIndex()))];
}

void LifeWindow::chooseLog()
{
    const QString path = m_chooseLog();
    if (!path.isEmpty())
        loadLog(path);
}

void LifeWindow::loadLog(const QString &path)
{
    m_path = path;
    m_log.reset();
    m_logUnitRead = -1;
    m_logName->setText(QDir::toNativeSeparators(path));
    m_logName->setToolTip(QDir::toNativeSeparators(path));
    start(true);
}

void LifeWindow::updateNow()
{
    m_timer.stop();
    if (m_settingLimit)
        return;
    start(false);
}

void LifeWindow::start(bool reread)
{
    if (m_path.isEmpty())
        return;
    if (m_running) {
        // The answer under way is for options that no longer hold.
        m_again = true;
        return;
    }
    const char separator = m_source().separator;
    LifeJob job;
    job.path = QFile::encodeName(m_path).toStdString();
    // Named as chosen, as the command line names the log it is given.
    job.logName = QDir::toNativeSeparators(m_path).toStdString();
    if (m_logUnit->currentIndex() > 0)
        job.logUnit = pressureUnits()[static_cast<std::size_t>(m_logUnit->currentIndex() - 1)];
    if (!reread && m_log && m_logUnitRead == m_logUnit->currentIndex())
        job.read = m_log;
    job.limitUnit = limitUnit();
    const std::optional<GivenPressure> limit = typedPressure(m_limit->text(), separator);
    if (!limit || !(limit->value > 0)) {
        showProblem(QStringLiteral("Limit: give the drop at which the screens are changed, a number above 0 in %1, "
                                   "such as 250.")
                        .arg(m_limitUnit->currentText()));
        return;
    }
    job.limit = *limit;
    if (!m_after->text().trimmed().isEmpty()) {
        job.after = typedPressure(m_after->text(), separator);
        if (!job.after) {
            showProblem(QStringLiteral("Pressure behind the pack: a number in the log's unit, or with its unit "
                                       "(kgf/cm2, bar, MPa or psi), such as 12 bar."));
            return;
        }
    }
    job.since = m_since->text().trimmed().toStdString();
    m_jobPath = m_path;
    m_jobLogUnit = m_logUnit->currentIndex();
    setCursor(Qt::BusyCursor);
    m_running = true;
    m_watcher.setFuture(QtConcurrent::run(std::move(job)));
}

void LifeWindow::finished()
{
    unsetCursor();
    m_running = false;
    LifeOutcome outcome = m_watcher.result();
    // The log read is kept for the next fit while it is still the one asked for.
    if (m_jobPath == m_path && outcome.log) {
        m_log = outcome.log;
        m_logUnitRead = m_jobLogUnit;
    }
    if (m_again) {
        m_again = false;
        start(false);
        return;
    }
    if (!outcome.problem.isEmpty()) {
        showProblem(outcome.problem);
    } else {
        m_analysis = std::move(outcome.analysis);
        m_problem->hide();
        showAnalysis();
    }
    emit answered();
}

void LifeWindow::showProblem(const QString &text)
{
    // Nothing is shown from options or a log that do not give an answer.
    m_problem->setText(text);
    m_problem->show();
    m_analysis.reset();
    m_model.reset();
    m_answer->clear();
    m_modelText->hide();
    m_laws->setRowCount(0);
    m_chart->setSpec({});
    m_exportChart->setEnabled(false);
    m_exportTable->setEnabled(false);
}

void LifeWindow::caseChanged()
{
    if (m_analysis)
        showModel();
}

void LifeWindow::showModel()
{
    const LifeCaseInputs in = m_source();
    m_model.reset();
    m_modelText->hide();
    if (!in.casePath.isEmpty()) {
        const std::string file = QFileInfo(in.casePath).fileName().toStdString();
        std::string why;
        if (const std::optional<double> clean =
                cleanPackDrop(in.texts, in.separator, in.range, m_analysis->log.pressureUnit, why)) {
            m_model = LifeCaseComparison{file, *clean};
        } else {
            m_modelText->setText(qText(file + ": the case does not compute: " + why));
            m_modelText->show();
        }
    }
    m_answer->setText(qText(lifeHeadline(*m_analysis, QDir::toNativeSeparators(m_path).toStdString()) +
                            lifeSummary(*m_analysis, m_model))
                          .trimmed());
}

void LifeWindow::showAnalysis()
{
    const LifeAnalysis &a = *m_analysis;
    showModel();
    const std::array<std::string, 5> headings = lifeLawHeadings(a);
    QStringList labels;
    for (const std::string &h : headings)
        labels << qText(h);
    m_laws->setHorizontalHeaderLabels(labels);
    const std::vector<LifeLawRow> rows = lifeLawRows(a);
    m_laws->clearSpans();
    m_laws->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const LifeLawRow &row = rows[static_cast<std::size_t>(r)];
        const auto set = [&](int column, const std::string &text) {
            auto *item = new QTableWidgetItem(qText(text));
            if (column > 0 && row.leftOut.empty())
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (row.best) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            m_laws->setItem(r, column, item);
        };
        set(0, row.law + (row.best ? " (best)" : ""));
        if (!row.leftOut.empty()) {
            set(1, "left out: " + row.leftOut);
            for (int c = 2; c < 5; ++c)
                set(c, {});
            m_laws->setSpan(r, 1, 1, 4);
            continue;
        }
        set(1, row.p0);
        set(2, row.k);
        set(3, row.rms);
        set(4, row.limitAt);
    }
    m_laws->resizeColumnsToContents();
    PlotSpec chart = lifePlot(a, QFileInfo(m_path).fileName().toStdString());
    // The laws' table gives each limit time; labels of laws that reach the
    // limit close together would only overlap on the chart.
    if (chart.limit)
        chart.limit->crossingLabels = false;
    m_chart->setSpec(chart);
    m_exportChart->setEnabled(true);
    m_exportTable->setEnabled(true);
}

QString LifeWindow::suggestedPath(const QString &suffix, const QString &kind) const
{
    const QFileInfo log(m_path);
    return log.dir().filePath(log.completeBaseName() + u'-' + kind + u'.' + suffix);
}

void LifeWindow::exportChart()
{
    if (!m_analysis)
        return;
    const QString path = m_chooseFile(QStringLiteral("Export Chart"), QStringLiteral("PNG image (*.png);;SVG drawing (*.svg)"),
                                      suggestedPath(QStringLiteral("png"), QStringLiteral("life")));
    if (!path.isEmpty())
        sf::exportChart(this, m_chart->spec(), path);
}

void LifeWindow::exportTable()
{
    if (!m_analysis)
        return;
    const QString path = m_chooseFile(QStringLiteral("Export Table"),
                                      QStringLiteral("CSV table (*.csv);;Excel workbook (*.xlsx)"),
                                      suggestedPath(QStringLiteral("csv"), QStringLiteral("laws")));
    if (path.isEmpty())
        return;
    const LifeAnalysis &a = *m_analysis;
    sf::exportTable(
        this, path, [&] { return lifeLawsCsv(a, m_source().separator); },
        [&](StringSink &book) { writeLifeWorkbook(book, QFileInfo(m_path).completeBaseName().toStdString(), a); },
        "a table is");
}

} // namespace sf
