#include "MeltDialog.h"
#include "FitTableModel.h"
#include "QtText.h"

#include "io/TextTable.h"
#include "melt/MeltTexts.h"
#include "plot/PlotView.h"
#include "run/Solve.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace sf {

namespace {

// Points along each fitted line of the chart, evenly spaced in log shear rate.
constexpr int ChartLinePoints = 60;

// Lines of a points file shown above the column choosers, and their width.
constexpr std::size_t PreviewLines = 6;
constexpr std::size_t PreviewWidth = 200;

// A text of the core ("." as the decimal separator) as the window shows it.
QString shownText(const std::string &text, char separator)
{
    QString shown = QString::fromStdString(text);
    shown.replace(u'.', QLatin1Char(separator));
    return shown;
}

QString number(double v, char separator, char format = 'g', int precision = 6)
{
    return QString::number(v, format, precision).replace(u'.', QLatin1Char(separator));
}

// Long values show from their start, as the main window's melt fields do.
void showValue(QLineEdit *edit, const QString &text)
{
    edit->setText(text);
    edit->setCursorPosition(0);
}

QString askForPoints(QWidget *parent)
{
    QFileDialog dialog(parent, QStringLiteral("Fit from Points"));
    dialog.setNameFilters({QStringLiteral("Viscosity points (*.csv *.txt *.tsv *.dat)"), QStringLiteral("All files (*)")});
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

// Viscosity against shear rate, both logarithmic: each temperature's points
// as markers over its fitted line, in the temperature's colour.
PlotSpec chartOf(const ViscosityPoints &points, const MeltFit &fit, char separator)
{
    PlotSpec plot;
    plot.xTitle = "Shear rate (1/s)";
    plot.yTitle = "Viscosity (" + std::string(viscosityUnitName(points.unit)) + ")";
    plot.logX = plot.logY = true;
    const std::vector<FitCurve> curves = fitCurves(points, fit, ChartLinePoints);
    for (std::size_t group = 0; group < curves.size(); ++group) {
        plot.colourGroups.push_back(number(curves[group].temperature, separator).toStdString() + " ℃");
        if (!curves[group].fitted.empty())
            plot.lines.push_back({group, 0, curves[group].fitted, {}, false, {}});
    }
    for (std::size_t group = 0; group < curves.size(); ++group)
        plot.lines.push_back({group, 0, curves[group].measured, {}, true, curves[group].deviations});
    return plot;
}

// The melt in the fields before any fit: its viscosity against shear rate
// at the case's temperature and 20 ℃ either side, a hundredth to a hundred
// times SR0, as a run takes it. Empty when a value does not read.
PlotSpec chartOfMelt(const FieldTexts &shown, char separator)
{
    PlotSpec plot;
    plot.xTitle = "Shear rate (1/s)";
    plot.yTitle = "Viscosity (" + std::string(viscosityUnitName(ViscosityUnit::PascalSecond)) + ")";
    plot.logX = plot.logY = true;
    const TypedMelt typed = readTypedMelt(shown, ViscosityUnit::GramForceSecondPerSquareCentimetre, separator);
    const std::optional<double> temperature = caseValueOf(shown, separator, Field::Temperature);
    if (!typed.problems.empty() || !temperature)
        return plot;
    MeltFit melt{};
    const auto value = [&](Field f) { return caseValueOf(typed.texts, '.', f).value_or(0); };
    melt.standardViscosity = value(Field::StandardViscosity);
    melt.standardShearRate = value(Field::StandardShearRate);
    melt.powerLawFactor = value(Field::PowerLawFactor);
    melt.shiftA = value(Field::ShiftA);
    melt.shiftB = value(Field::ShiftB);
    if (!(melt.standardShearRate > 0))
        return plot;
    std::vector<double> rates;
    for (int k = 0; k < ChartLinePoints; ++k)
        rates.push_back(melt.standardShearRate * std::pow(10.0, -2.0 + 4.0 * k / (ChartLinePoints - 1)));
    const FittedLines lines(melt, rates);
    for (double t : {*temperature - 20, *temperature, *temperature + 20}) {
        PlotLine line;
        line.colourGroup = plot.colourGroups.size();
        const std::vector<double> viscosities = lines.at(t);
        for (std::size_t k = 0; k < rates.size(); ++k)
            if (std::isfinite(viscosities[k]) && viscosities[k] > 0)
                line.points.emplace_back(rates[k], viscosities[k]);
        plot.colourGroups.push_back(number(t, separator).toStdString() + " ℃" +
                                    (t == *temperature ? " (the case)" : ""));
        plot.lines.push_back(std::move(line));
    }
    return plot;
}

} // namespace

MeltDialog::MeltDialog(ApplyMelt apply, QWidget *parent)
    : QDialog(parent), m_apply(std::move(apply)), m_unit(new QComboBox(this)), m_summary(new QLabel(this)),
      m_table(new QTableView(this)), m_rows(new FitTableModel(this)), m_chart(new PlotView(this)), m_problem(new QLabel(this)),
      m_columns(new QGroupBox(QStringLiteral("Columns \u5217"), this)), m_preview(new QPlainTextEdit(this)),
      m_fitAgain(new QPushButton(QStringLiteral("Fit again"), this))
{
    setObjectName(QStringLiteral("MeltDialog"));
    setWindowTitle(QStringLiteral("Melt"));

    auto *values = new QFormLayout;
    for (std::size_t i = 0; i < MeltFields.size(); ++i) {
        const InputField &field = inputField(MeltFields[i]);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(qText(field.key));
        edit->setAccessibleName(QString::fromStdString(fieldTitle(field)));
        m_edits[i] = edit;
        if (i == 0) {
            // η0's unit is chosen beside it.
            m_unit->setObjectName(QStringLiteral("ViscosityUnit"));
            m_unit->addItem(QStringLiteral("gf·s/cm²"),
                            static_cast<int>(ViscosityUnit::GramForceSecondPerSquareCentimetre));
            m_unit->addItem(QStringLiteral("Pa·s"), static_cast<int>(ViscosityUnit::PascalSecond));
            auto *row = new QHBoxLayout;
            row->addWidget(edit, 1);
            row->addWidget(m_unit);
            values->addRow(qText(field.caption), row);
        } else {
            values->addRow(QString::fromStdString(fieldLabel(field)), edit);
        }
    }
    connect(m_unit, &QComboBox::currentIndexChanged, this, &MeltDialog::changeViscosityUnit);

    auto *fit = new QPushButton(QStringLiteral("Fit from points…"), this);
    fit->setObjectName(QStringLiteral("FitButton"));
    fit->setAutoDefault(false);
    connect(fit, &QPushButton::clicked, this, &MeltDialog::fitFromPoints);
    m_fitAgain->setObjectName(QStringLiteral("FitAgainButton"));
    m_fitAgain->setAutoDefault(false);
    m_fitAgain->setEnabled(false);
    m_fitAgain->setToolTip(QStringLiteral("Fit the same points file again, with the columns and ranges chosen"));
    connect(m_fitAgain, &QPushButton::clicked, this, &MeltDialog::fitAgain);
    auto *fitButtons = new QHBoxLayout;
    fitButtons->addWidget(fit);
    fitButtons->addWidget(m_fitAgain);
    fitButtons->addStretch(1);

    // The fit window: an empty end is open.
    const char *const rangeNames[] = {"TemperatureFrom", "TemperatureTo", "ShearRateFrom", "ShearRateTo"};
    for (std::size_t k = 0; k < m_range.size(); ++k) {
        m_range[k] = new QLineEdit(this);
        m_range[k]->setObjectName(QLatin1String(rangeNames[k]));
        m_range[k]->setPlaceholderText(k % 2 == 0 ? QStringLiteral("lowest") : QStringLiteral("highest"));
    }
    m_range[0]->setAccessibleName(QStringLiteral("Temperature range from (\u2103)"));
    m_range[1]->setAccessibleName(QStringLiteral("Temperature range to (\u2103)"));
    m_range[2]->setAccessibleName(QStringLiteral("Shear rate range from (1/s)"));
    m_range[3]->setAccessibleName(QStringLiteral("Shear rate range to (1/s)"));
    auto *window = new QFormLayout;
    for (std::size_t k = 0; k < m_range.size(); k += 2) {
        auto *row = new QHBoxLayout;
        row->addWidget(m_range[k]);
        row->addWidget(new QLabel(QStringLiteral("to"), this));
        row->addWidget(m_range[k + 1]);
        window->addRow(k == 0 ? QStringLiteral("\u6e29\u5ea6\u7bc4\u56f2 Fit temperatures (\u2103)")
                              : QStringLiteral("\u305b\u3093\u65ad\u901f\u5ea6\u7bc4\u56f2 Fit shear rates (1/s)"),
                       row);
    }

    // Chosen by hand when a file's header names no known columns.
    m_columns->setObjectName(QStringLiteral("ColumnChoosers"));
    m_preview->setObjectName(QStringLiteral("PointsPreview"));
    m_preview->setAccessibleName(QStringLiteral("First lines of the points file"));
    m_preview->setReadOnly(true);
    m_preview->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_preview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_preview->setTabStopDistance(8 * m_preview->fontMetrics().horizontalAdvance(u' '));
    m_preview->setFixedHeight(m_preview->fontMetrics().lineSpacing() * static_cast<int>(PreviewLines + 1) + 8);
    auto *choosers = new QFormLayout;
    const char *const chooserNames[] = {"TemperatureColumn", "ShearRateColumn", "ViscosityColumn"};
    const QString chooserLabels[] = {QStringLiteral("\u6e29\u5ea6 Temperature (\u2103)"),
                                     QStringLiteral("\u305b\u3093\u65ad\u901f\u5ea6 Shear rate (1/s)"),
                                     QStringLiteral("\u7c98\u5ea6 Viscosity")};
    for (std::size_t k = 0; k < m_chooser.size(); ++k) {
        m_chooser[k] = new QComboBox(this);
        m_chooser[k]->setObjectName(QLatin1String(chooserNames[k]));
        choosers->addRow(chooserLabels[k], m_chooser[k]);
    }
    auto *columnsLayout = new QVBoxLayout(m_columns);
    columnsLayout->addWidget(m_preview);
    columnsLayout->addLayout(choosers);
    m_columns->hide();

    m_summary->setObjectName(QStringLiteral("FitSummary"));
    m_summary->setWordWrap(true);
    m_table->setObjectName(QStringLiteral("FitTable"));
    m_rows->clear(viscosityUnitName(ViscosityUnit::PascalSecond));
    m_table->setModel(m_rows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false); // Tab leaves it; the arrows move in it
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_chart->setObjectName(QStringLiteral("FitChart"));
    m_chart->setMinimumSize(520, 400);

    m_problem->setObjectName(QStringLiteral("MeltProblem"));
    m_problem->setWordWrap(true);
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->setStyleSheet(QStringLiteral("color: #b00000"));
    m_problem->hide();

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *applyButton = buttons->addButton(QDialogButtonBox::Apply);
    applyButton->setObjectName(QStringLiteral("ApplyButton"));
    applyButton->setDefault(true);
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setAutoDefault(false);
    connect(applyButton, &QPushButton::clicked, this, &MeltDialog::apply);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto *left = new QVBoxLayout;
    left->addLayout(values);
    left->addLayout(fitButtons);
    left->addLayout(window);
    left->addWidget(m_columns);
    left->addWidget(m_summary);
    left->addWidget(m_table, 1);
    auto *top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(m_chart, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);

    // Tab in reading order, η0's unit beside it, from η0, which has the
    // focus first; the widgets were made in another order.
    setTabOrder(m_edits[0], m_unit);
    setTabOrder(m_unit, m_edits[1]);
    setTabOrder(m_edits.back(), fit);
    setTabOrder(fit, m_range[0]);
    for (std::size_t k = 1; k < m_range.size(); ++k)
        setTabOrder(m_range[k - 1], m_range[k]);
    setTabOrder(m_range.back(), m_fitAgain);
    setTabOrder(m_fitAgain, m_chooser[0]);
    setTabOrder(m_chooser[0], m_chooser[1]);
    setTabOrder(m_chooser[1], m_chooser[2]);
    setTabOrder(m_chooser[2], m_table);
    m_edits[0]->setFocus(Qt::OtherFocusReason);

    m_choosePoints = [this] { return askForPoints(this); };
    resize(1100, 640);
}

void MeltDialog::setMelt(const FieldTexts &shown, char separator)
{
    m_separator = separator;
    {
        const QSignalBlocker quiet(m_unit);
        m_unit->setCurrentIndex(0);
    }
    m_unitShown = viscosityUnit();
    for (std::size_t i = 0; i < MeltFields.size(); ++i)
        showValue(m_edits[i], QString::fromStdString(shown[MeltFields[i]]));
    showProblem({});
    if (!m_fit)
        m_chart->setSpec(chartOfMelt(shown, separator));
}

ViscosityUnit MeltDialog::viscosityUnit() const
{
    return static_cast<ViscosityUnit>(m_unit->currentData().toInt());
}

FieldTexts MeltDialog::fitShown(ViscosityUnit unit) const
{
    FieldTexts texts = meltTexts(*m_fit);
    texts[Field::StandardViscosity] = fitViscosityText(*m_fit, unit);
    for (Field f : MeltFields)
        texts[f] = shownText(texts[f], m_separator).toStdString();
    return texts;
}

bool MeltDialog::showsFit() const
{
    if (!m_fit)
        return false;
    const FieldTexts fitted = fitShown(viscosityUnit());
    for (std::size_t i = 0; i < MeltFields.size(); ++i)
        if (m_edits[i]->text().toStdString() != fitted[MeltFields[i]])
            return false;
    return true;
}

void MeltDialog::changeViscosityUnit()
{
    // The same viscosity in the other unit; the fit's own value when it is
    // the fit's, so that switching back and forth keeps it exactly.
    QLineEdit *viscosity = m_edits[0];
    const ViscosityUnit to = viscosityUnit();
    if (m_fit && viscosity->text().toStdString() == fitShown(m_unitShown)[Field::StandardViscosity])
        showValue(viscosity, QString::fromStdString(fitShown(to)[Field::StandardViscosity]));
    else if (const auto converted = viscosityTextIn(viscosity->text().toStdString(), m_unitShown, to, m_separator))
        showValue(viscosity, QString::fromStdString(*converted));
    m_unitShown = to;
}

void MeltDialog::fitFromPoints()
{
    const QString path = m_choosePoints();
    if (path.isEmpty())
        return;
    m_pointsPath = path;
    m_columns->hide(); // a new file: its header may name its columns
    m_fitAgain->setEnabled(true);
    fitFile(path);
}

void MeltDialog::fitAgain()
{
    if (!m_pointsPath.isEmpty())
        fitFile(m_pointsPath);
}

std::optional<ColumnMap> MeltDialog::chosenColumns() const
{
    if (m_columns->isHidden())
        return std::nullopt;
    ColumnMap map;
    for (std::size_t k = 0; k < m_chooser.size(); ++k)
        map[k].number = static_cast<std::size_t>(m_chooser[k]->currentIndex() + 1);
    return map;
}

void MeltDialog::showColumnChoosers(const std::string &bytes)
{
    const PointsPreview preview = previewPoints(bytes, PreviewLines, PreviewWidth);
    QStringList lines;
    for (const std::string &line : preview.lines)
        lines << QString::fromStdString(line);
    m_preview->setPlainText(lines.join(u'\n'));
    const std::size_t columns = std::max<std::size_t>(preview.firstCells.size(), 1);
    for (std::size_t k = 0; k < m_chooser.size(); ++k) {
        m_chooser[k]->clear();
        for (std::size_t c = 0; c < columns; ++c) {
            const QString cell = c < preview.firstCells.size() ? QString::fromStdString(preview.firstCells[c]) : QString();
            m_chooser[k]->addItem(cell.isEmpty() ? QString::number(c + 1) : QString::number(c + 1) + QStringLiteral(": ") + cell);
        }
        m_chooser[k]->setCurrentIndex(static_cast<int>(std::min(k, columns - 1)));
    }
    m_columns->show();
}

bool MeltDialog::readRanges(MeltFitOptions &options)
{
    const DecimalMark mark = m_separator == ',' ? DecimalMark::Comma : DecimalMark::Point;
    const QString names[] = {QStringLiteral("Fit temperatures"), QStringLiteral("Fit shear rates")};
    std::optional<ValueRange> *ranges[] = {&options.temperatureRange, &options.shearRateRange};
    for (std::size_t r = 0; r < 2; ++r) {
        double ends[2] = {-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
        bool given = false;
        for (std::size_t e = 0; e < 2; ++e) {
            const std::string text = m_range[2 * r + e]->text().trimmed().toStdString();
            if (text.empty())
                continue;
            const CellNumber n = readCellNumber(text, mark);
            if (n.fault != NumberFault::None) {
                showProblem(names[r] + QStringLiteral(": '") + QString::fromStdString(text) +
                            QStringLiteral("' is not a number; write digits with '%1' as the decimal separator")
                                .arg(QLatin1Char(m_separator)));
                return false;
            }
            ends[e] = n.value;
            given = true;
        }
        if (!given)
            continue;
        if (ends[0] > ends[1]) {
            showProblem(names[r] + QStringLiteral(": from %1 to %2; give the lower value first")
                                       .arg(number(ends[0], m_separator), number(ends[1], m_separator)));
            return false;
        }
        *ranges[r] = ValueRange{ends[0], ends[1]};
    }
    return true;
}

void MeltDialog::fitFile(const QString &path)
{
    const std::string file = QFile::encodeName(path).toStdString();
    MeltFitOptions options;
    if (!readRanges(options))
        return;
    ViscosityPoints points;
    MeltFit fit;
    try {
        const std::string bytes = readPointsFileBytes(file);
        try {
            points = parseViscosityPoints(bytes, file, PointsReadOptions(std::nullopt, chosenColumns()));
        } catch (const PointsFileError &e) {
            if (e.columnsUnknown() && m_columns->isHidden())
                showColumnChoosers(bytes);
            throw;
        }
        fit = fitMelt(points, options);
    } catch (const PointsFileError &e) {
        QString text = QString::fromStdString(e.what());
        if (e.columnsUnknown())
            text += QStringLiteral("\nChoose the columns below and Fit again.");
        showProblem(text);
        return;
    } catch (const MeltFitOptionError &e) {
        // Points at one temperature need A given; the command line's fit
        // takes it.
        showProblem(QString::fromStdString(
            file + ": " + e.what() +
            (e.kind() == MeltFitOptionError::Kind::ShiftANeeded
                 ? " (screenfilter-cli melt fit --shift-a or --activation-energy)"
                 : "")));
        return;
    } catch (const MeltFitRejected &e) {
        showProblem(QString::fromStdString(file + ": " + e.what()));
        return;
    }
    m_fit = fit;
    m_fitSource = path.toStdString();
    showFit(points);
    const FieldTexts fitted = fitShown(viscosityUnit());
    for (std::size_t i = 0; i < MeltFields.size(); ++i)
        showValue(m_edits[i], QString::fromStdString(fitted[MeltFields[i]]));
    showProblem({});
}

void MeltDialog::showFit(const ViscosityPoints &points)
{
    const MeltFit &fit = *m_fit;
    const char sep = m_separator;
    m_summary->setText(
        QStringLiteral("%1 points from %2: %3 to %4 ℃, %5 to %6 1/s. η0 is the viscosity at %7 ℃ and SR0; %8. "
                       "Deviation of the fitted viscosity: %9 % rms, %10 % at most.")
            .arg(fit.fittedPoints == points.points.size()
                     ? QString::number(points.points.size())
                     : QStringLiteral("%1 of %2").arg(fit.fittedPoints).arg(points.points.size()))
            .arg(QString::fromStdString(m_fitSource).section(u'/', -1))
            .arg(number(fit.temperatureMin, sep), number(fit.temperatureMax, sep), number(fit.shearRateMin, sep),
                 number(fit.shearRateMax, sep), number(fit.referenceTemperature, sep),
                 fit.shiftAFitted ? QStringLiteral("A was fitted") : QStringLiteral("A was given"),
                 number(fit.rmsDeviationPercent, sep, 'f', 2), number(fit.maxDeviationPercent, sep, 'f', 2)));

    std::vector<bool> leftOut;
    leftOut.reserve(fit.points.size());
    for (const PointFit &p : fit.points)
        leftOut.push_back(p.leftOut);
    m_rows->show(fitRows(points, fit), std::move(leftOut), sep, viscosityUnitName(points.unit),
                 palette().color(QPalette::Disabled, QPalette::Text));
    m_chart->setSpec(chartOf(points, fit, sep));
}

void MeltDialog::apply()
{
    if (showsFit()) {
        showProblem({});
        m_apply(meltTexts(*m_fit), meltFitRange(*m_fit, m_fitSource));
        return;
    }
    FieldTexts typed;
    for (std::size_t i = 0; i < MeltFields.size(); ++i)
        typed[MeltFields[i]] = m_edits[i]->text().toStdString();
    const TypedMelt read = readTypedMelt(typed, viscosityUnit(), m_separator);
    if (!read.problems.empty()) {
        QStringList lines;
        for (const std::string &problem : read.problems)
            lines << QString::fromStdString(problem);
        showProblem(lines.join(u'\n'));
        return;
    }
    showProblem({});
    m_apply(read.texts, std::nullopt);
}

void MeltDialog::showProblem(const QString &text)
{
    m_problem->setText(text);
    m_problem->setVisible(!text.isEmpty());
}

} // namespace sf
