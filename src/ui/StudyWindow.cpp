#include "StudyWindow.h"
#include "QtText.h"

#include "MessageBoxes.h"
#include "calc/InputFields.h"
#include "export/CasePage.h"
#include "export/StudyTable.h"
#include "io/ErrorBoxText.h"
#include "io/WholeFile.h"
#include "plot/PagePainter.h"
#include "plot/PlotView.h"
#include "run/Sweep.h"
#include "io/NumberText.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>

namespace sf {

namespace {

// The pressure units offered, as the window writes them.
struct ShownUnit {
    const char *name; // pressureUnitNamed's
    const char16_t *shown;
};
constexpr ShownUnit Units[] = {{"kgf/cm2", u"kgf/cm²"}, {"bar", u"bar"}, {"MPa", u"MPa"}, {"psi", u"psi"}};

const std::array<PressureUnit, std::size(Units)> &pressureUnits()
{
    static const std::array<PressureUnit, std::size(Units)> units = [] {
        std::array<PressureUnit, std::size(Units)> u{};
        for (std::size_t i = 0; i < std::size(Units); ++i)
            u[i] = *pressureUnitNamed(Units[i].name);
        return u;
    }();
    return units;
}

// Where a finding is: the field as the main window names it, or the screen.
QString placeOf(const std::string &key)
{
    if (const std::optional<Field> field = fieldOfKey(key))
        return QString::fromStdString(fieldTitle(inputField(*field)));
    constexpr std::string_view Screens = "screens.";
    if (key.rfind(Screens, 0) == 0)
        return QStringLiteral("Screen ") + qText(std::string_view(key).substr(Screens.size()));
    if (key == "total")
        return QStringLiteral("Total");
    return qText(key);
}

QString findingText(const Finding &f)
{
    return QStringLiteral("%1 — %2: %3").arg(qText(severityName(f.severity)), placeOf(f.key), qText(f.sentence));
}

// "290 ℃": a temperature in the chart's legend.
QString temperatureLabel(double t)
{
    return qText(shortest(t)) + u' ' + qText(inputField(Field::Temperature).unit);
}

// Four significant digits without an exponent, as the chart labels its
// crossings, with the window's separator: "37.89", "1234".
QString fourDigits(double v, char separator)
{
    const int magnitude = v == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(v))));
    return QString::number(v, 'f', std::clamp(3 - magnitude, 0, 12)).replace(u'.', QLatin1Char(separator));
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

const QStringList Headings = {
    QStringLiteral("Screen"),          QStringLiteral("Mesh\n(1/in)"),
    QStringLiteral("Wire Dia.\n(cm)"), QStringLiteral("Opening\n(cm)"),
    QStringLiteral("Open area\n(%)"),  QStringLiteral("Fs\n(cm^-n)"),
    QStringLiteral("Wall shear\nrate (1/s)"), QStringLiteral("Apparent\nviscosity (Pa·s)"),
    QStringLiteral("Pressure drop\n(%1)"),
};

} // namespace

StudyWindow::StudyWindow(Source source, QWidget *parent)
    : QWidget(parent, Qt::Window), m_source(std::move(source)), m_problem(new QLabel(this)),
      m_unit(new QComboBox(this)), m_limitOn(new QCheckBox(QStringLiteral("Limit the total to"), this)),
      m_limitText(new QLineEdit(this)), m_limitAnswer(new QLabel(this)), m_table(new QTableWidget(this)),
      m_findings(new QListWidget(this)), m_chart(new PlotView(this))
{
    setObjectName(QStringLiteral("StudyWindow"));
    setWindowTitle(QStringLiteral("Study"));

    m_problem->setObjectName(QStringLiteral("StudyProblem"));
    m_problem->setWordWrap(true);
    m_problem->setTextFormat(Qt::PlainText);
    QPalette warning = m_problem->palette();
    warning.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x00));
    m_problem->setPalette(warning);
    m_problem->hide();

    m_unit->setObjectName(QStringLiteral("StudyUnit"));
    for (const ShownUnit &u : Units)
        m_unit->addItem(QString::fromUtf16(u.shown));
    auto *unitLabel = new QLabel(QStringLiteral("&Pressure in"), this);
    unitLabel->setBuddy(m_unit);

    m_limitOn->setObjectName(QStringLiteral("StudyLimitOn"));
    m_limitText->setObjectName(QStringLiteral("StudyLimit"));
    m_limitText->setMaximumWidth(90);
    m_limitText->setEnabled(false);
    m_limitAnswer->setObjectName(QStringLiteral("StudyLimitAnswer"));
    m_limitAnswer->setTextFormat(Qt::PlainText);
    m_limitAnswer->setWordWrap(true);

    m_table->setObjectName(QStringLiteral("StudyTable"));
    m_table->setColumnCount(static_cast<int>(Headings.size()));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false); // Tab leaves it; the arrows move in it
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setHorizontalHeaderLabels(Headings);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);

    m_findings->setObjectName(QStringLiteral("StudyDiagnoses"));
    m_findings->setWordWrap(true);
    m_findings->setMinimumHeight(90);
    m_chart->setObjectName(QStringLiteral("StudyChart"));
    m_chart->setMinimumSize(480, 360);

    auto *controls = new QHBoxLayout;
    controls->addWidget(unitLabel);
    controls->addWidget(m_unit);
    controls->addSpacing(24);
    controls->addWidget(m_limitOn);
    controls->addWidget(m_limitText);
    controls->addWidget(m_limitAnswer, 1);

    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    // Twelve screens and the total without scrolling; the diagnoses take
    // what is left.
    m_table->setFixedHeight(m_table->horizontalHeader()->sizeHint().height() +
                            (MaxScreens + 1) * m_table->verticalHeader()->defaultSectionSize() +
                            2 * m_table->frameWidth() + 2);
    leftLayout->addWidget(m_table);
    auto *findingsLabel = new QLabel(QStringLiteral("&Diagnoses"), left);
    findingsLabel->setBuddy(m_findings);
    leftLayout->addWidget(findingsLabel);
    leftLayout->addWidget(m_findings, 1);
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(left);
    splitter->addWidget(m_chart);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *chart = m_exportChart = buttons->addButton(QStringLiteral("Export chart…"), QDialogButtonBox::ActionRole);
    chart->setObjectName(QStringLiteral("ExportChartButton"));
    QPushButton *table = m_exportTable = buttons->addButton(QStringLiteral("Export table…"), QDialogButtonBox::ActionRole);
    table->setObjectName(QStringLiteral("ExportTableButton"));
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    close->setShortcut(Qt::Key_Escape);
    m_print = buttons->addButton(QStringLiteral("Print…"), QDialogButtonBox::ActionRole);
    m_print->setObjectName(QStringLiteral("PrintPageButton"));
    m_savePdf = buttons->addButton(QStringLiteral("Save as PDF…"), QDialogButtonBox::ActionRole);
    m_savePdf->setObjectName(QStringLiteral("SavePdfButton"));
    connect(m_print, &QPushButton::clicked, this, &StudyWindow::printPage);
    connect(m_savePdf, &QPushButton::clicked, this, &StudyWindow::savePdf);
    connect(chart, &QPushButton::clicked, this, &StudyWindow::exportChart);
    connect(table, &QPushButton::clicked, this, &StudyWindow::exportTable);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_problem);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);

    m_timer.setSingleShot(true);
    m_timer.setInterval(UpdateDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &StudyWindow::updateNow);
    connect(m_unit, &QComboBox::currentIndexChanged, this, [this] {
        updateNow();
        studyControlChanged();
    });
    connect(m_limitOn, &QCheckBox::toggled, this, [this](bool on) {
        m_limitText->setEnabled(on);
        m_limitEdited = m_limitEdited || !m_settingStudy;
        updateNow();
        studyControlChanged();
    });
    connect(m_limitText, &QLineEdit::textChanged, this, [this] {
        m_limitEdited = m_limitEdited || !m_settingStudy;
        scheduleUpdate();
        studyControlChanged();
    });

    m_chooseFile = [this](const QString &title, const QString &filters, const QString &suggested) {
        return askForFile(this, title, filters, suggested);
    };
    resize(1280, 620);
}

void StudyWindow::setCaseStudy(const CaseStudy &study)
{
    m_settingStudy = true;
    m_caseStudy = study;
    m_limitEdited = false;
    m_studyProblem = qText(study.problem);
    std::size_t unitIndex = 0;
    for (std::size_t i = 0; i < std::size(Units); ++i)
        if (study.pressureUnit && *study.pressureUnit == Units[i].name)
            unitIndex = i;
    m_unit->setCurrentIndex(static_cast<int>(unitIndex));
    std::optional<PressureLimit> limit;
    if (study.limit) {
        try {
            limit = parseLimit(*study.limit);
        } catch (const UsageError &e) {
            std::string why = e.what();
            why.erase(0, why.find(": ") + 2); // "--limit: "
            if (m_studyProblem.isEmpty())
                m_studyProblem = QStringLiteral("study.limit: ") + qText(why);
        }
    }
    const bool onTotal = limit && limit->screen == 0;
    m_limitOn->setChecked(onTotal);
    QString text;
    if (onTotal) {
        // As written when it is in the window's unit; converted otherwise.
        const double value = limit->unit.name == unit().name ? limit->value
                                                             : limit->kgfCm2() * unit().perKgfCm2;
        text = qText(shortest(value));
        text.replace(u'.', QLatin1Char(m_source().separator));
    }
    m_limitText->setText(text);
    m_settingStudy = false;
    if (isVisible())
        updateNow();
}

CaseStudy StudyWindow::caseStudy() const
{
    CaseStudy study = m_caseStudy;
    study.pressureUnit = std::string(unit().name);
    // A limit on a screen, which the window cannot show, stays until the
    // limit here is used.
    const bool onScreen = study.limit && study.limit->starts_with("drop.");
    if (m_limitEdited || !onScreen) {
        if (!m_limitOn->isChecked()) {
            study.limit.reset();
        } else if (const std::optional<PressureLimit> typed = typedLimit(m_source().separator)) {
            study.limit = "total=" + shortest(typed->value) + std::string(typed->unit.name);
        }
    }
    return study;
}

void StudyWindow::studyControlChanged()
{
    if (!m_settingStudy)
        emit studyEdited();
}

void StudyWindow::scheduleUpdate()
{
    // A hidden window catches up when it is shown.
    if (isVisible())
        m_timer.start();
}

void StudyWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateNow();
}

const PressureUnit &StudyWindow::unit() const
{
    return pressureUnits()[static_cast<std::size_t>(std::max(0, m_unit->currentIndex()))];
}

void StudyWindow::updateNow()
{
    m_timer.stop();
    m_inputs = m_source();
    m_request = {m_inputs.texts, m_inputs.separator, m_inputs.range, limit(), {}, {}};
    if (m_caseStudy.temperatures)
        m_request.temperatures = *m_caseStudy.temperatures;
    if (m_caseStudy.flowRateFrom && m_caseStudy.flowRateTo)
        m_request.flowRange = std::pair(*m_caseStudy.flowRateFrom, *m_caseStudy.flowRateTo);
    m_study = computeStudy(m_request);
    // Nothing is drawn from a study that cannot be read.
    if (!m_studyProblem.isEmpty())
        m_study.curves.clear();
    showTable();
    showFindings();
    showChart();
    showLimitAnswer();
    // A case that does not compute has no table or curves to export.
    m_exportChart->setEnabled(m_study.point.ok());
    m_exportTable->setEnabled(m_study.point.ok());
    m_print->setEnabled(m_study.point.ok());
    m_savePdf->setEnabled(m_study.point.ok());
}

std::optional<PressureLimit> StudyWindow::limit()
{
    m_limitAnswer->clear();
    m_limitAnswer->setToolTip({});
    if (!m_limitOn->isChecked())
        return std::nullopt;
    const std::optional<PressureLimit> typed = typedLimit(m_inputs.separator);
    if (!typed)
        m_limitAnswer->setText(QStringLiteral("Give a pressure above 0 in %1, such as 300.").arg(m_unit->currentText()));
    return typed;
}

std::optional<PressureLimit> StudyWindow::typedLimit(char separatorChar) const
{
    // Typed as the fields are, with the window's separator and no grouping.
    QString text = m_limitText->text().trimmed();
    const QChar separator = QLatin1Char(separatorChar);
    bool ok = !text.contains(separator == u'.' ? u',' : u'.');
    text.replace(separator, u'.');
    const double value = ok ? text.toDouble(&ok) : 0;
    if (!ok || !std::isfinite(value) || !(value > 0))
        return std::nullopt;
    return PressureLimit{0, value, unit()};
}

void StudyWindow::showLimitAnswer()
{
    const std::size_t at = m_study.caseCurve < m_study.curves.size() ? m_study.caseCurve : m_study.curves.size() / 2;
    if (at >= m_study.curves.size() || !m_study.curves[at].limit)
        return;
    const SolveAnswer &answer = *m_study.curves[at].limit;
    if (answer.outcome != SolveOutcome::Found) {
        m_limitAnswer->setText(qText(answer.message));
        return;
    }
    const QString flowUnit = qText(inputField(Field::FlowRate).unit);
    m_limitAnswer->setText(QStringLiteral("reached at %1 %2 at %3")
                               .arg(fourDigits(answer.within(), m_inputs.separator), flowUnit,
                                    temperatureLabel(m_study.curves[at].temperature)));
    m_limitAnswer->setToolTip(QStringLiteral("%1 %2: the %3 flow rate within the limit at %4")
                                  .arg(qText(valueFieldText(answer.within(), m_inputs.separator)), flowUnit,
                                       answer.rises ? QStringLiteral("highest") : QStringLiteral("lowest"),
                                       temperatureLabel(m_study.curves[at].temperature)));
}

void StudyWindow::showTable()
{
    const PressureUnit &u = unit();
    QStringList headings = Headings;
    headings.back() = headings.back().arg(m_unit->currentText());
    m_table->setHorizontalHeaderLabels(headings);

    const auto rows = studyTableTexts(m_study.point, u, m_inputs.separator);
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const bool total = r + 1 == rows.size();
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto *item = new QTableWidgetItem(qText(rows[r][c]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (total) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            m_table->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    // Once, not as each cell comes: a header that sizes itself to its
    // contents measures every column again for every cell.
    m_table->resizeColumnsToContents();
    // Every column in view; the chart takes the rest of the width.
    m_table->setMinimumWidth(m_table->horizontalHeader()->length() + 2 * m_table->frameWidth());

    showProblem();
}

void StudyWindow::showProblem()
{
    QStringList lines;
    if (!m_studyProblem.isEmpty())
        lines << QStringLiteral("The case's study cannot be drawn: ") + m_studyProblem;
    if (!m_study.point.ok()) {
        // The first error names the field or screen to look at.
        const Finding &first = m_study.findings.front();
        QString text = QStringLiteral("Not computed. ") + placeOf(first.key) + QStringLiteral(": ") + qText(first.sentence);
        if (!m_study.point.message.empty())
            text += QStringLiteral(" [") + qText(m_study.point.message) + u']';
        lines << text;
    }
    m_problem->setText(lines.join(u'\n'));
    m_problem->setVisible(!lines.isEmpty());
}

void StudyWindow::showFindings()
{
    m_findings->clear();
    for (const Finding &f : m_study.findings) {
        auto *item = new QListWidgetItem(findingText(f), m_findings);
        const QStyle::StandardPixmap icon = f.severity == Severity::Error     ? QStyle::SP_MessageBoxCritical
                                            : f.severity == Severity::Warning ? QStyle::SP_MessageBoxWarning
                                                                              : QStyle::SP_MessageBoxInformation;
        item->setIcon(style()->standardIcon(icon));
    }
    if (m_study.findings.empty()) {
        auto *item = new QListWidgetItem(QStringLiteral("Nothing doubtful in these inputs."), m_findings);
        item->setFlags(Qt::NoItemFlags);
    }
}

void StudyWindow::showChart()
{
    const PressureUnit &u = unit();
    const QString unitShown = m_unit->currentText();
    PlotSpec spec;
    spec.title = "Total pressure drop";
    spec.xTitle = fieldTitle(inputField(Field::FlowRate));
    spec.xUnit = std::string(inputField(Field::FlowRate).unit);
    spec.yTitle = ("Total pressure drop (" + unitShown + ")").toStdString();
    for (std::size_t i = 0; i < m_study.curves.size(); ++i) {
        const StudyCurve &curve = m_study.curves[i];
        QString name = temperatureLabel(curve.temperature);
        if (i == m_study.caseCurve)
            name += QStringLiteral(" (the case)");
        spec.colourGroups.push_back(name.toStdString());
        PlotLine line;
        line.colourGroup = i;
        for (const auto &[q, total] : curve.points)
            line.points.emplace_back(q, total * u.perKgfCm2);
        spec.lines.push_back(std::move(line));
    }
    // The case itself, on its curve.
    if (m_study.point.ok() && m_study.caseCurve < m_study.curves.size()) {
        PlotLine point;
        point.colourGroup = m_study.caseCurve;
        point.markers = true;
        point.points.emplace_back(m_study.flowRate, m_study.point.total * u.perKgfCm2);
        spec.lines.push_back(std::move(point));
    }
    if (const std::optional<PressureLimit> &l = m_request.limit) {
        spec.limit = PlotLimit{l->value, "limit " + shortest(l->value) + " " + unitShown.toStdString()};
        for (std::size_t i = 0; i < m_study.curves.size(); ++i)
            if (const auto &answer = m_study.curves[i].limit; answer && answer->outcome == SolveOutcome::Found)
                spec.lines[i].crossings.push_back(answer->within());
    }
    m_chart->setSpec(std::move(spec));
}

QString StudyWindow::suggestedPath(const QString &suffix) const
{
    const QString base = m_inputs.caseName.isEmpty() ? QStringLiteral("study") : m_inputs.caseName + QStringLiteral("-study");
    return QDir(m_inputs.folder).filePath(base + u'.' + suffix);
}

void StudyWindow::writeFile(const QString &path, const std::string &bytes)
{
    // Only into a regular file: a pipe nobody reads would keep the window waiting.
    if (const WriteResult r = replaceRegularFile(QFile::encodeName(path).toStdString(), bytes); !r.ok())
        showErrorBox(this, qText(errorBoxText(QFileInfo(path).fileName().toStdString() + ": " +
                                              windowWriteFailureText(r))));
}

void StudyWindow::exportChart()
{
    // The fields as they are now, and the case's name and folder, which
    // change with no edit to follow (Save as, another folder).
    updateNow();
    if (!m_study.point.ok())
        return;
    const QString path = m_chooseFile(QStringLiteral("Export Chart"),
                                      QStringLiteral("PNG image (*.png);;SVG drawing (*.svg)"), suggestedPath(QStringLiteral("png")));
    if (path.isEmpty())
        return;
    std::string picture;
    if (const std::string error = drawPlot(m_chart->spec(), QFile::encodeName(path).toStdString(), picture);
        !error.empty()) {
        showErrorBox(this, qText(errorBoxText(error)));
        return;
    }
    writeFile(path, picture);
}

void StudyWindow::exportTable()
{
    updateNow();
    if (!m_study.point.ok())
        return;
    const QString path = m_chooseFile(QStringLiteral("Export Table"),
                                      QStringLiteral("CSV table (*.csv);;Excel workbook (*.xlsx)"), suggestedPath(QStringLiteral("csv")));
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv")) {
        writeFile(path, studyTableCsv(m_study.point, unit(), m_inputs.separator));
        return;
    }
    if (suffix != QLatin1String("xlsx")) {
        showErrorBox(this, qText(errorBoxText(QFileInfo(path).fileName().toStdString() +
                                              ": a table is a .csv or an .xlsx file")));
        return;
    }
    StringSink book;
    try {
        writeStudyWorkbook(book, m_inputs.caseName.isEmpty() ? std::string("study") : m_inputs.caseName.toStdString(),
                           m_inputs.texts, m_inputs.separator, m_study.point, unit());
    } catch (const std::exception &e) {
        showErrorBox(this, qText(errorBoxText(e.what())));
        return;
    }
    writeFile(path, book.text);
}

PageSpec StudyWindow::page() const
{
    CasePageRequest request;
    request.name = m_inputs.caseName.isEmpty() ? std::string("Untitled") : m_inputs.caseName.toStdString();
    request.path = m_inputs.casePath.isEmpty() ? std::string("(not saved)")
                                               : QDir::cleanPath(QFileInfo(m_inputs.casePath).absoluteFilePath()).toStdString();
    request.content = {m_inputs.texts, m_inputs.meltFit, std::nullopt};
    request.separator = m_inputs.separator;
    request.unit = unit();
    request.dateTime = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
    request.program = "screenfilter " SCREENFILTER_VERSION;
    return studyPage(request, m_study, m_request.limit);
}

void StudyWindow::printPage()
{
    updateNow();
    if (!m_study.point.ok())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true); // the page keeps its own margins
    printer.setDocName(m_inputs.caseName.isEmpty() ? QStringLiteral("study") : m_inputs.caseName);
    if (m_setUpPrinter) {
        if (!m_setUpPrinter(printer))
            return;
    } else {
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        showErrorBox(this, qText(errorBoxText("the printer could not be started")));
        return;
    }
    paintPage(page(), painter, printer.pageLayout().fullRectPixels(printer.resolution()));
}

void StudyWindow::savePdf()
{
    updateNow();
    if (!m_study.point.ok())
        return;
    const QString name = (m_inputs.caseName.isEmpty() ? QStringLiteral("study") : m_inputs.caseName) + QStringLiteral(".pdf");
    const QString path = m_chooseFile(QStringLiteral("Save as PDF"), QStringLiteral("PDF document (*.pdf)"),
                                      QDir(m_inputs.folder).filePath(name));
    if (path.isEmpty())
        return;
    // Letter where the user's measures are American, as their printer's paper.
    const Paper paper = QLocale().measurementSystem() == QLocale::ImperialUSSystem ? Paper::Letter : Paper::A4;
    std::string pdf;
    if (const std::string error = drawPage(page(), paper, pdf); !error.empty()) {
        showErrorBox(this, qText(errorBoxText(error)));
        return;
    }
    writeFile(path, pdf);
}

} // namespace sf
