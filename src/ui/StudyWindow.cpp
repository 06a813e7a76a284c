#include "StudyWindow.h"
#include "QtText.h"

#include "MessageBoxes.h"
#include "WindowParts.h"
#include "calc/InputFields.h"
#include "export/CasePage.h"
#include "export/StudyCurves.h"
#include "export/StudyTable.h"
#include "export/TableText.h"
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
#include <QRegularExpression>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace sf {

namespace {

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

// A number as the fields show one: its shortest exact form, the window's
// separator.
QString numberText(double v, char separator)
{
    return qText(valueFieldText(v, separator));
}

// One number typed as the fields are, with the window's separator and no
// grouping; nullopt when it is none.
std::optional<double> readNumber(QString text, char separator)
{
    text = text.trimmed();
    if (text.isEmpty() || text.contains(separator == '.' ? u',' : u'.'))
        return std::nullopt;
    text.replace(QLatin1Char(separator), u'.');
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// The curves' temperatures typed as "195 210 225" (or with ";", or "," when
// it is not the decimal separator). Empty text is the default, an empty
// list; a text without a number in it is no list. Returns what is wrong,
// or an empty text.
QString readTemperatures(const QString &text, char separator, std::vector<double> &out)
{
    out.clear();
    if (text.trimmed().isEmpty())
        return {};
    const QRegularExpression between(separator == ',' ? QStringLiteral("[\\s;]+") : QStringLiteral("[\\s;,]+"));
    const QStringList items = text.split(between, Qt::SkipEmptyParts);
    for (const QString &item : items) {
        const std::optional<double> t = readNumber(item, separator);
        if (!t || !(*t > -273.15)) {
            out.clear();
            return QStringLiteral("Temperatures: \"%1\" is no temperature above -273.15 ℃; give them such as %2")
                .arg(item, separator == ',' ? QStringLiteral("195 210 222,5") : QStringLiteral("195 210 222.5"));
        }
        out.push_back(*t);
    }
    if (out.empty())
        return QStringLiteral("Temperatures: the list is empty; give one or more, or leave it blank for the "
                              "case's and 20 ℃ either side");
    return {};
}

// A range typed as two numbers: both empty is none (the default); otherwise
// both must be numbers, `from` below `to`, above zero when `positive`.
QString readRange(const QString &fromText, const QString &toText, char separator, bool positive,
                  std::optional<std::pair<double, double>> &out)
{
    out.reset();
    if (fromText.trimmed().isEmpty() && toText.trimmed().isEmpty())
        return {};
    if (fromText.trimmed().isEmpty() || toText.trimmed().isEmpty())
        return QStringLiteral("give both ends, or neither for the default");
    const std::optional<double> from = readNumber(fromText, separator);
    const std::optional<double> to = readNumber(toText, separator);
    if (!from || !to)
        return QStringLiteral("\"%1\" is no number").arg((!from ? fromText : toText).trimmed());
    if (!(*from < *to))
        return QStringLiteral("the end %1 is not above the start %2").arg(toText.trimmed(), fromText.trimmed());
    if (positive && !(*from > 0))
        return QStringLiteral("only values above zero make sense");
    out = std::pair(*from, *to);
    return {};
}

// Sizes the columns to their contents the first time and afterwards only
// widens one whose contents would be cut, so that the columns keep the
// widths they have (and a user's) as the numbers change. Only the columns
// marked in `changed` are measured: measuring lays out every cell's text.
void keepColumnsWide(QTableWidget *table, const std::vector<bool> &changed)
{
    const auto *view = static_cast<const QAbstractItemView *>(table);
    for (int c = 0; c < table->columnCount(); ++c) {
        if (!changed.at(static_cast<std::size_t>(c)))
            continue;
        const int wanted = std::max(view->sizeHintForColumn(c), table->horizontalHeader()->sectionSizeHint(c));
        if (wanted > table->columnWidth(c))
            table->setColumnWidth(c, wanted);
    }
}

// Shows `text` in a cell, in the item the cell has if it has one, and marks
// its column in `changed` when the text is new there.
QTableWidgetItem *showCell(QTableWidget *table, int row, int column, const QString &text, std::vector<bool> &changed)
{
    QTableWidgetItem *item = table->item(row, column);
    if (item && item->text() == text)
        return item;
    changed.at(static_cast<std::size_t>(column)) = true;
    if (item) {
        item->setText(text);
        return item;
    }
    item = new QTableWidgetItem(text);
    table->setItem(row, column, item);
    return item;
}

// Sets the headings that differ from those shown, marking their columns.
void showHeadings(QTableWidget *table, const QStringList &headings, std::vector<bool> &changed)
{
    for (int c = 0; c < static_cast<int>(headings.size()); ++c) {
        QTableWidgetItem *item = table->horizontalHeaderItem(c);
        if (item && item->text() == headings[c])
            continue;
        changed.at(static_cast<std::size_t>(c)) = true;
        if (item)
            item->setText(headings[c]);
        else
            table->setHorizontalHeaderItem(c, new QTableWidgetItem(headings[c]));
    }
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
      m_temperatures(new QLineEdit(this)), m_flowFrom(new QLineEdit(this)), m_flowTo(new QLineEdit(this)),
      m_unit(new QComboBox(this)), m_limitOn(new QCheckBox(QStringLiteral("&Limit"), this)),
      m_limitOf(new QComboBox(this)), m_limitText(new QLineEdit(this)), m_limitUnit(new QLabel(this)),
      m_limitAnswer(new QLabel(this)), m_find(new QComboBox(this)), m_findFrom(new QLineEdit(this)),
      m_findTo(new QLineEdit(this)), m_findAnswer(new QLabel(this)), m_limitAnswers(new QTableWidget(this)),
      m_table(new QTableWidget(this)), m_findings(new QListWidget(this)), m_chart(new PlotView(this))
{
    setObjectName(QStringLiteral("StudyWindow"));
    setWindowTitle(QStringLiteral("Study"));

    m_problem->setObjectName(QStringLiteral("StudyProblem"));
    m_problem->setWordWrap(true);
    m_problem->setTextFormat(Qt::PlainText);
    paintRed(m_problem);
    m_problem->hide();

    const auto labelFor = [this](const QString &text, QWidget *buddy) {
        auto *label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    const QString flowUnit = qText(inputField(Field::FlowRate).unit);

    m_temperatures->setObjectName(QStringLiteral("StudyTemperatures"));
    m_temperatures->setMinimumWidth(160);
    m_temperatures->setToolTip(QStringLiteral("The curves' temperatures, separated by spaces or \";\"; "
                                              "empty: the case's and 20 ℃ either side"));
    m_flowFrom->setObjectName(QStringLiteral("StudyFlowFrom"));
    m_flowTo->setObjectName(QStringLiteral("StudyFlowTo"));
    for (QLineEdit *edit : {m_flowFrom, m_flowTo, m_findFrom, m_findTo})
        edit->setMaximumWidth(80);
    m_flowFrom->setToolTip(QStringLiteral("Empty: a quarter to twice the case's flow rate"));
    m_flowTo->setToolTip(m_flowFrom->toolTip());

    m_unit->setObjectName(QStringLiteral("StudyUnit"));
    for (const ShownUnit &u : ShownPressureUnits)
        m_unit->addItem(QString::fromUtf16(u.shown));

    m_limitOn->setObjectName(QStringLiteral("StudyLimitOn"));
    m_limitOf->setObjectName(QStringLiteral("StudyLimitOf"));
    m_limitOf->addItem(QStringLiteral("the total"));
    for (int screen = 1; screen <= MaxScreens; ++screen)
        m_limitOf->addItem(QStringLiteral("screen %1's drop").arg(screen));
    m_limitOf->setEnabled(false);
    m_limitText->setObjectName(QStringLiteral("StudyLimit"));
    m_limitText->setMaximumWidth(90);
    m_limitText->setEnabled(false);
    m_limitAnswer->setObjectName(QStringLiteral("StudyLimitAnswer"));
    m_limitAnswer->setTextFormat(Qt::PlainText);
    m_limitAnswer->setWordWrap(true);

    m_find->setObjectName(QStringLiteral("StudyFind"));
    m_find->addItem(QStringLiteral("nothing"));
    for (Field key : solvableKeys())
        m_find->addItem(qText(columnKey(key)), static_cast<int>(key)); // as solve's --find takes it
    m_find->setToolTip(QStringLiteral("The key to solve for, so that the limit is just reached, as solve does"));
    m_findFrom->setObjectName(QStringLiteral("StudyFindFrom"));
    m_findTo->setObjectName(QStringLiteral("StudyFindTo"));
    m_findAnswer->setObjectName(QStringLiteral("StudyFindAnswer"));
    m_findAnswer->setTextFormat(Qt::PlainText);
    m_findAnswer->setWordWrap(true);
    m_findAnswer->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_table->setObjectName(QStringLiteral("StudyTable"));
    m_table->setColumnCount(static_cast<int>(Headings.size()));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false); // Tab leaves it; the arrows move in it
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setHorizontalHeaderLabels(Headings);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);

    m_limitAnswers->setObjectName(QStringLiteral("StudyLimitAnswers"));
    m_limitAnswers->setColumnCount(2);
    m_limitAnswers->setHorizontalHeaderLabels(
        {QStringLiteral("Temperature\n(℃)"), QStringLiteral("Flow rate at\nthe limit (%1)").arg(flowUnit)});
    m_limitAnswers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_limitAnswers->setTabKeyNavigation(false);
    m_limitAnswers->verticalHeader()->hide();
    m_limitAnswers->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_limitAnswers->setWordWrap(true);
    m_limitAnswers->setFixedWidth(190); // until it has answers

    m_findings->setObjectName(QStringLiteral("StudyDiagnoses"));
    m_findings->setWordWrap(true);
    m_findings->setMinimumHeight(90);
    m_chart->setObjectName(QStringLiteral("StudyChart"));
    m_chart->setMinimumSize(360, 300);

    // In reading order: the curves, the limit, the key to find.
    auto *curvesRow = new QHBoxLayout;
    curvesRow->addWidget(labelFor(QStringLiteral("&Temperatures (℃)"), m_temperatures));
    curvesRow->addWidget(m_temperatures, 1);
    curvesRow->addSpacing(12);
    curvesRow->addWidget(labelFor(QStringLiteral("&Flow rate"), m_flowFrom));
    curvesRow->addWidget(m_flowFrom);
    curvesRow->addWidget(labelFor(QStringLiteral("t&o"), m_flowTo));
    curvesRow->addWidget(m_flowTo);
    curvesRow->addWidget(new QLabel(flowUnit, this));
    curvesRow->addSpacing(12);
    curvesRow->addWidget(labelFor(QStringLiteral("&Pressure in"), m_unit));
    curvesRow->addWidget(m_unit);
    curvesRow->addStretch(1);

    auto *limitRow = new QHBoxLayout;
    limitRow->addWidget(m_limitOn);
    limitRow->addWidget(labelFor(QStringLiteral("o&n"), m_limitOf));
    limitRow->addWidget(m_limitOf);
    limitRow->addWidget(labelFor(QStringLiteral("&at"), m_limitText));
    limitRow->addWidget(m_limitText);
    limitRow->addWidget(m_limitUnit);
    limitRow->addSpacing(12);
    limitRow->addWidget(m_limitAnswer, 1);

    auto *findRow = new QHBoxLayout;
    findRow->addWidget(labelFor(QStringLiteral("F&ind"), m_find));
    findRow->addWidget(m_find);
    findRow->addWidget(labelFor(QStringLiteral("fro&m"), m_findFrom));
    findRow->addWidget(m_findFrom);
    findRow->addWidget(labelFor(QStringLiteral("&up to"), m_findTo));
    findRow->addWidget(m_findTo);
    findRow->addStretch(1);

    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    // Twelve screens and the total without scrolling down, also below a
    // scroll bar across in a narrow window; the diagnoses take what is left.
    m_table->setFixedHeight(m_table->horizontalHeader()->sizeHint().height() +
                            (MaxScreens + 1) * m_table->verticalHeader()->defaultSectionSize() +
                            m_table->horizontalScrollBar()->sizeHint().height() + 2 * m_table->frameWidth() + 2);
    leftLayout->addWidget(m_table);
    leftLayout->addWidget(labelFor(QStringLiteral("&Diagnoses"), m_findings));
    leftLayout->addWidget(m_findings, 1);

    auto *answers = new QWidget(this);
    auto *answersLayout = new QVBoxLayout(answers);
    answersLayout->setContentsMargins(0, 0, 0, 0);
    auto *answersLabel = new QLabel(QStringLiteral("Where each curve\nreaches the limit (&r)"), answers);
    answersLabel->setBuddy(m_limitAnswers);
    answersLayout->addWidget(answersLabel);
    answersLayout->addWidget(m_limitAnswers, 1);
    auto *right = new QWidget(this);
    auto *rightLayout = new QHBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_chart, 1);
    rightLayout->addWidget(answers);

    auto *splitter = m_splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("StudySplitter"));
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);

    // Export first, then room for more actions before Close.
    auto *buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("StudyButtons"));
    QPushButton *chart = m_exportChart = buttons->addButton(QStringLiteral("Export &chart…"), QDialogButtonBox::ActionRole);
    chart->setObjectName(QStringLiteral("ExportChartButton"));
    QPushButton *table = m_exportTable = buttons->addButton(QStringLiteral("Export ta&ble…"), QDialogButtonBox::ActionRole);
    table->setObjectName(QStringLiteral("ExportTableButton"));
    QPushButton *curvesOut = m_exportCurves =
        buttons->addButton(QStringLiteral("Export cur&ves…"), QDialogButtonBox::ActionRole);
    curvesOut->setObjectName(QStringLiteral("ExportCurvesButton"));
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
    connect(curvesOut, &QPushButton::clicked, this, &StudyWindow::exportCurves);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(curvesRow);
    layout->addLayout(limitRow);
    layout->addLayout(findRow);
    layout->addWidget(m_findAnswer);
    layout->addWidget(m_problem);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);

    // Tab in reading order, whatever order the widgets were made in.
    const QWidget *order[] = {m_temperatures, m_flowFrom, m_flowTo,   m_unit,     m_limitOn,
                              m_limitOf,      m_limitText, m_find,    m_findFrom, m_findTo,
                              m_table,        m_findings, m_limitAnswers, chart,  table,
                              curvesOut,      close};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(const_cast<QWidget *>(order[i]), const_cast<QWidget *>(order[i + 1]));

    m_timer.setSingleShot(true);
    m_timer.setInterval(UpdateDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &StudyWindow::updateNow);
    connect(m_unit, &QComboBox::currentIndexChanged, this, [this] {
        followChoice();
        studyControlChanged();
    });
    connect(m_limitOn, &QCheckBox::toggled, this, [this](bool on) {
        m_limitText->setEnabled(on);
        m_limitOf->setEnabled(on);
        followChoice();
        studyControlChanged();
    });
    connect(m_limitOf, &QComboBox::currentIndexChanged, this, [this] {
        followChoice();
        studyControlChanged();
    });
    connect(m_find, &QComboBox::currentIndexChanged, this, [this] {
        showFindRangeDefault();
        followChoice();
        studyControlChanged();
    });
    // Typing is followed once it pauses.
    for (QLineEdit *edit : {m_temperatures, m_flowFrom, m_flowTo, m_limitText, m_findFrom, m_findTo})
        connect(edit, &QLineEdit::textChanged, this, [this] {
            scheduleUpdate();
            studyControlChanged();
        });

    m_chooseFile = [this](const QString &title, const QString &filters, const QString &suggested) {
        return askForFile(this, title, filters, suggested);
    };
    showFindRangeDefault();
    resize(1440, 660);
}

void StudyWindow::setCaseStudy(const CaseStudy &study)
{
    m_settingStudy = true;
    m_caseStudy = study;
    m_studyProblem = qText(study.problem);
    const char separator = m_source().separator;
    std::size_t unitIndex = 0;
    for (std::size_t i = 0; i < std::size(ShownPressureUnits); ++i)
        if (study.pressureUnit && *study.pressureUnit == ShownPressureUnits[i].name)
            unitIndex = i;
    m_unit->setCurrentIndex(static_cast<int>(unitIndex));

    QStringList temperatures;
    for (double t : study.temperatures.value_or(std::vector<double>{}))
        temperatures << numberText(t, separator);
    m_temperatures->setText(temperatures.join(QLatin1Char(' ')));
    const bool flowRange = study.flowRateFrom && study.flowRateTo;
    m_flowFrom->setText(flowRange ? numberText(*study.flowRateFrom, separator) : QString());
    m_flowTo->setText(flowRange ? numberText(*study.flowRateTo, separator) : QString());

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
    m_limitOn->setChecked(limit.has_value());
    m_limitOf->setCurrentIndex(limit ? limit->screen : 0);
    QString text;
    if (limit) {
        // As written when it is in the window's unit; converted otherwise.
        const double value = limit->unit.name == unit().name ? limit->value : limit->kgfCm2() * unit().perKgfCm2;
        text = numberText(value, separator);
    }
    m_limitText->setText(text);

    int found = 0;
    if (study.find)
        if (const std::optional<Field> key = fieldOfKey(*study.find))
            found = std::max(0, m_find->findData(static_cast<int>(*key)));
    m_find->setCurrentIndex(found);
    m_findFrom->clear();
    m_findTo->clear();
    showFindRangeDefault();
    m_settingStudy = false;
    if (isVisible())
        updateNow();
}

CaseStudy StudyWindow::caseStudy() const
{
    CaseStudy study = m_caseStudy;
    const char separator = m_source().separator;
    study.pressureUnit = std::string(unit().name);
    if (!m_limitOn->isChecked())
        study.limit.reset();
    else if (const std::optional<PressureLimit> typed = typedLimit(separator))
        study.limit = (typed->screen == 0 ? std::string("total") : "drop." + std::to_string(typed->screen)) + "=" +
                      shortest(typed->value) + std::string(typed->unit.name);
    if (const std::optional<Field> key = findKey())
        study.find = columnKey(*key);
    else
        study.find.reset();
    // What cannot be read stays as it was.
    std::vector<double> temperatures;
    if (readTemperatures(m_temperatures->text(), separator, temperatures).isEmpty()) {
        if (temperatures.empty())
            study.temperatures.reset();
        else
            study.temperatures = temperatures;
    }
    std::optional<std::pair<double, double>> flow;
    if (readRange(m_flowFrom->text(), m_flowTo->text(), separator, true, flow).isEmpty()) {
        study.flowRateFrom = flow ? std::optional(flow->first) : std::nullopt;
        study.flowRateTo = flow ? std::optional(flow->second) : std::nullopt;
    }
    return study;
}

void StudyWindow::studyControlChanged()
{
    if (m_settingStudy)
        return;
    // The study is the window's now: what the file had wrong is gone.
    m_studyProblem.clear();
    emit studyEdited();
}

void StudyWindow::followChoice()
{
    // Once for a whole study set, at its end; a hidden window catches up
    // when it is shown.
    if (isVisible() && !m_settingStudy)
        updateNow();
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
    // Once the splitter has its width.
    QTimer::singleShot(0, this, &StudyWindow::giveTableItsWidth);
}

const PressureUnit &StudyWindow::unit() const
{
    return pressureUnits()[static_cast<std::size_t>(std::max(0, m_unit->currentIndex()))];
}

void StudyWindow::updateNow()
{
    m_timer.stop();
    m_inputs = m_source();
    m_typingProblems.clear();
    const char separator = m_inputs.separator;
    m_request = {m_inputs.texts, separator, m_inputs.range, limit(), {}, {}};
    // Nothing is drawn from a value that cannot be read.
    bool curves = m_studyProblem.isEmpty();
    if (const QString why = readTemperatures(m_temperatures->text(), separator, m_request.temperatures);
        !why.isEmpty()) {
        m_typingProblems << why;
        curves = false;
    }
    if (const QString why = readRange(m_flowFrom->text(), m_flowTo->text(), separator, true, m_request.flowRange);
        !why.isEmpty()) {
        m_typingProblems << QStringLiteral("Flow rate: ") + why;
        curves = false;
    }
    // The Find row asks the limit whatever becomes of the curves.
    const std::optional<PressureLimit> typed = m_request.limit;
    if (!curves)
        m_request.limit.reset();
    m_study = computeStudy(m_request);
    if (!curves)
        m_study.curves.clear();
    showFind(typed);
    showTable();
    showFindings();
    showChart();
    showLimitAnswer();
    showLimitAnswers();
    showProblem();
    // A case that does not compute has no table or curves to export.
    m_exportChart->setEnabled(m_study.point.ok());
    m_exportTable->setEnabled(m_study.point.ok());
    m_exportCurves->setEnabled(!m_study.curves.empty());
    m_print->setEnabled(m_study.point.ok());
    m_savePdf->setEnabled(m_study.point.ok());
}

std::optional<PressureLimit> StudyWindow::limit()
{
    m_limitAnswer->clear();
    m_limitAnswer->setToolTip({});
    m_limitAnswer->setPalette(QPalette());
    m_limitUnit->setText(m_unit->currentText());
    if (!m_limitOn->isChecked())
        return std::nullopt;
    const std::optional<PressureLimit> typed = typedLimit(m_inputs.separator);
    if (!typed) {
        m_limitAnswer->setText(QStringLiteral("Give a pressure above 0 in %1, such as 300.").arg(m_unit->currentText()));
        paintRed(m_limitAnswer);
    }
    return typed;
}

std::optional<PressureLimit> StudyWindow::typedLimit(char separator) const
{
    const std::optional<double> value = readNumber(m_limitText->text(), separator);
    if (!value || !(*value > 0))
        return std::nullopt;
    return PressureLimit{std::max(0, m_limitOf->currentIndex()), *value, unit()};
}

std::optional<Field> StudyWindow::findKey() const
{
    if (m_find->currentIndex() <= 0)
        return std::nullopt;
    return static_cast<Field>(m_find->currentData().toInt());
}

void StudyWindow::showFindRangeDefault()
{
    // The range solve searches when none is given, around the case's value.
    const std::optional<Field> key = findKey();
    m_findFrom->setEnabled(key.has_value());
    m_findTo->setEnabled(key.has_value());
    if (!key) {
        m_findFrom->setPlaceholderText({});
        m_findTo->setPlaceholderText({});
        return;
    }
    const StudyInputs in = m_source();
    const SolveRange range = defaultSolveRange(*key, caseValueOf(in.texts, in.separator, *key).value_or(0));
    m_findFrom->setPlaceholderText(numberText(range.from, in.separator));
    m_findTo->setPlaceholderText(numberText(range.to, in.separator));
}

void StudyWindow::showFind(const std::optional<PressureLimit> &limit)
{
    m_found.reset();
    m_findAnswer->setPalette(QPalette());
    const std::optional<Field> key = findKey();
    if (!key) {
        m_findAnswer->setText(QStringLiteral("Choose a key to solve for the limit."));
        return;
    }
    std::optional<std::pair<double, double>> range;
    const QString why = readRange(m_findFrom->text(), m_findTo->text(), m_inputs.separator, solvesPositiveOnly(*key),
                                  range);
    const std::string name = columnKey(*key);
    if (!why.isEmpty()) {
        m_typingProblems << QStringLiteral("Find %1: ").arg(qText(name)) + why;
        m_findAnswer->clear();
        return;
    }
    if (!limit) {
        m_findAnswer->setText(QStringLiteral("Give a limit to find %1 for.").arg(qText(name)));
        return;
    }
    if (!m_study.point.ok()) {
        m_findAnswer->clear();
        return;
    }
    showFindRangeDefault(); // the case's value may have changed
    const std::optional<SolveRange> searched =
        range ? std::optional(SolveRange{range->first, range->second}) : std::nullopt;
    m_found = solveCase(m_inputs.texts, m_inputs.separator, *key, *limit, searched, m_inputs.range);
    if (m_found->answer.outcome != SolveOutcome::Found) {
        // As solve says it: the range and what the pressure does there.
        m_findAnswer->setText(qText(m_found->answer.message));
        paintRed(m_findAnswer);
        return;
    }
    m_findAnswer->setText(qText(solvedCaseText(name, *key, *limit, *m_found)).trimmed());
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

void StudyWindow::showLimitAnswers()
{
    // A row per curve with its answer, in place of labels on the chart that
    // would overlap where the curves cross the limit close together.
    const bool shown = m_request.limit.has_value();
    m_limitAnswers->setRowCount(shown ? static_cast<int>(m_study.curves.size()) : 0);
    if (!shown)
        return;
    std::vector<bool> changed(2, false);
    for (std::size_t i = 0; i < m_study.curves.size(); ++i) {
        const StudyCurve &curve = m_study.curves[i];
        const int row = static_cast<int>(i);
        showCell(m_limitAnswers, row, 0, numberText(curve.temperature, m_inputs.separator), changed)
            ->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        const bool found = curve.limit && curve.limit->outcome == SolveOutcome::Found;
        // Seven digits fit beside the chart; the tooltip has every one.
        QTableWidgetItem *q = showCell(
            m_limitAnswers, row, 1,
            found ? QString::number(curve.limit->within(), 'g', 7).replace(u'.', QLatin1Char(m_inputs.separator))
                  : curve.limit ? QStringLiteral("not found") : QString(),
            changed);
        // The item may have shown the other kind of answer before.
        if (found)
            q->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        else
            q->setData(Qt::TextAlignmentRole, QVariant());
        q->setData(Qt::ForegroundRole, found ? QVariant() : QVariant(QColor(0xB0, 0x00, 0x00)));
        q->setToolTip(!curve.limit ? QString()
                      : found      ? QStringLiteral("%1 %2: %3 %4")
                                         .arg(numberText(curve.limit->within(), m_inputs.separator),
                                              qText(inputField(Field::FlowRate).unit),
                                              numberText(curve.limit->measureWithin() * unit().perKgfCm2, m_inputs.separator),
                                              m_unit->currentText())
                                   : qText(curve.limit->message));
    }
    keepColumnsWide(m_limitAnswers, changed);
    // Both columns in view, every digit of the answers.
    m_limitAnswers->setFixedWidth(m_limitAnswers->horizontalHeader()->length() + 2 * m_limitAnswers->frameWidth() +
                                  m_limitAnswers->verticalScrollBar()->sizeHint().width());
}

void StudyWindow::showTable()
{
    const PressureUnit &u = unit();
    QStringList headings = Headings;
    headings.back() = headings.back().arg(m_unit->currentText());
    std::vector<bool> changed(static_cast<std::size_t>(m_table->columnCount()), false);
    showHeadings(m_table, headings, changed);

    // Into the cells' items as they are: an edit changes some columns' texts only.
    const auto rows = studyTableTexts(m_study.point, u, m_inputs.separator);
    m_table->setRowCount(static_cast<int>(rows.size()));
    QFont bold;
    bold.setBold(true);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const bool total = r + 1 == rows.size();
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            QTableWidgetItem *item =
                showCell(m_table, static_cast<int>(r), static_cast<int>(c), qText(rows[r][c]), changed);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // The total's row moves as the number of screens changes.
            item->setData(Qt::FontRole, total ? QVariant(bold) : QVariant());
        }
    }
    // Once, not as each cell comes: a header that sizes itself to its
    // contents measures every column again for every cell.
    keepColumnsWide(m_table, changed);
    // Every column in view where the window is wide enough; the chart takes
    // the rest. A narrow window (beside the main one on a small screen)
    // scrolls the table rather than covering the main window's fields.
    giveTableItsWidth();
}

void StudyWindow::giveTableItsWidth()
{
    const int tableWidth = m_table->horizontalHeader()->length() + 2 * m_table->frameWidth() +
                           m_table->verticalScrollBar()->sizeHint().width();
    const QList<int> sizes = m_splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (m_table->rowCount() == 0 || total == 0 || sizes.value(0) >= tableWidth)
        return;
    // The chart and its answers keep three fifths of the width, or their
    // least where that is more.
    const int rightLeast = std::max(m_splitter->widget(1)->minimumSizeHint().width(), total * 3 / 5);
    if (total - rightLeast <= sizes.value(0))
        return;
    m_splitter->setSizes({std::min(tableWidth, total - rightLeast), std::max(total - tableWidth, rightLeast)});
}

void StudyWindow::showProblem()
{
    QStringList lines;
    if (!m_studyProblem.isEmpty())
        lines << QStringLiteral("The case's study cannot be drawn: ") + m_studyProblem;
    lines << m_typingProblems;
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
    QStringList texts;
    for (const Finding &f : m_study.findings)
        texts << findingText(f);
    if (texts.isEmpty())
        texts << QStringLiteral("Nothing doubtful in these inputs.");
    // An edit seldom changes them: the list stays as it is then.
    bool same = m_findings->count() == texts.size();
    for (int i = 0; same && i < texts.size(); ++i)
        same = m_findings->item(i)->text() == texts[i];
    if (same)
        return;
    m_findings->clear();
    for (std::size_t i = 0; i < m_study.findings.size(); ++i) {
        const Severity severity = m_study.findings[i].severity;
        auto *item = new QListWidgetItem(texts[static_cast<int>(i)], m_findings);
        const QStyle::StandardPixmap icon = severity == Severity::Error     ? QStyle::SP_MessageBoxCritical
                                            : severity == Severity::Warning ? QStyle::SP_MessageBoxWarning
                                                                            : QStyle::SP_MessageBoxInformation;
        item->setIcon(style()->standardIcon(icon));
    }
    if (m_study.findings.empty())
        (new QListWidgetItem(texts.front(), m_findings))->setFlags(Qt::NoItemFlags);
}

void StudyWindow::showChart()
{
    PlotSpec spec = studyChartSpec(m_study, m_request.limit, unit(), m_unit->currentText().toStdString());
    // Each curve's answer is listed beside the chart: labels would overlap.
    if (spec.limit)
        spec.limit->crossingLabels = false;
    m_chart->setSpec(std::move(spec));
}

QString StudyWindow::suggestedPath(const QString &suffix, const QString &kind) const
{
    const QString base = m_inputs.caseName.isEmpty() ? kind : m_inputs.caseName + u'-' + kind;
    return QDir(m_inputs.folder).filePath(base + u'.' + suffix);
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
    if (!path.isEmpty())
        sf::exportChart(this, m_chart->spec(), path);
}

std::string StudyWindow::bookName() const
{
    return m_inputs.caseName.isEmpty() ? std::string("study") : m_inputs.caseName.toStdString();
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
    sf::exportTable(
        this, path, [this] { return studyTableCsv(m_study.point, unit(), m_inputs.separator); },
        [this](StringSink &book) {
            writeStudyWorkbook(book, bookName(), m_inputs.texts, m_inputs.separator, m_study.point, unit());
        },
        "a table is");
}

void StudyWindow::exportCurves()
{
    updateNow();
    if (m_study.curves.empty())
        return;
    const QString path = m_chooseFile(QStringLiteral("Export Curves"),
                                      QStringLiteral("CSV table (*.csv);;Excel workbook (*.xlsx)"),
                                      suggestedPath(QStringLiteral("csv"), QStringLiteral("curves")));
    if (path.isEmpty())
        return;
    sf::exportTable(
        this, path, [this] { return studyCurvesCsv(m_study, unit(), m_request.limit, m_inputs.separator); },
        [this](StringSink &book) {
            writeStudyCurvesWorkbook(book, bookName(), m_inputs.texts, m_inputs.separator, m_study, unit(),
                                     m_request.limit);
        },
        "curves are");
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
    writeExport(this, path, pdf);
}

} // namespace sf
