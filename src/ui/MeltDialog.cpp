#include "MeltDialog.h"
#include "QtText.h"

#include "melt/MeltTexts.h"
#include "plot/PlotView.h"
#include "run/Solve.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace sf {

namespace {

// Points along each fitted line of the chart, evenly spaced in log shear rate.
constexpr int ChartLinePoints = 60;

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

void setTableHeaders(QTableWidget *table, std::string_view unit)
{
    const QString u = qText(unit);
    table->setHorizontalHeaderLabels({QStringLiteral("Temperature\n℃"), QStringLiteral("Shear rate\n1/s"),
                                      QStringLiteral("Measured\n") + u, QStringLiteral("Fitted\n") + u,
                                      QStringLiteral("Deviation\n%")});
}

QString askForPoints(QWidget *parent)
{
    QFileDialog dialog(parent, QStringLiteral("Fit from Points"));
    dialog.setNameFilters({QStringLiteral("Viscosity points (*.csv)"), QStringLiteral("All files (*)")});
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
        plot.lines.push_back({group, 0, curves[group].fitted, {}, false});
    }
    for (std::size_t group = 0; group < curves.size(); ++group)
        plot.lines.push_back({group, 0, curves[group].measured, {}, true});
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
      m_table(new QTableWidget(this)), m_chart(new PlotView(this)), m_problem(new QLabel(this))
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

    m_summary->setObjectName(QStringLiteral("FitSummary"));
    m_summary->setWordWrap(true);
    m_table->setObjectName(QStringLiteral("FitTable"));
    m_table->setColumnCount(5);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false); // Tab leaves it; the arrows move in it
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setTableHeaders(m_table, viscosityUnitName(ViscosityUnit::PascalSecond));
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
    left->addWidget(fit, 0, Qt::AlignLeft);
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
    setTabOrder(fit, m_table);
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
    const std::string file = QFile::encodeName(path).toStdString();
    ViscosityPoints points;
    MeltFit fit;
    try {
        points = readViscosityPoints(file, std::nullopt);
        fit = fitMelt(points, MeltFitOptions{});
    } catch (const PointsFileError &e) {
        showProblem(QString::fromStdString(e.what()));
        return;
    } catch (const MeltFitOptionError &e) {
        // Points at one temperature need A given; the command line's fit
        // takes it.
        showProblem(QString::fromStdString(file + ": " + e.what() +
                                           " (screenfilter-cli melt fit --shift-a or --activation-energy)"));
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
            .arg(points.points.size())
            .arg(QString::fromStdString(m_fitSource).section(u'/', -1))
            .arg(number(fit.temperatureMin, sep), number(fit.temperatureMax, sep), number(fit.shearRateMin, sep),
                 number(fit.shearRateMax, sep), number(fit.referenceTemperature, sep),
                 fit.shiftAFitted ? QStringLiteral("A was fitted") : QStringLiteral("A was given"),
                 number(fit.rmsDeviationPercent, sep, 'f', 2), number(fit.maxDeviationPercent, sep, 'f', 2)));

    setTableHeaders(m_table, viscosityUnitName(points.unit));
    const std::vector<FitRow> rows = fitRows(points, fit);
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto *cell = new QTableWidgetItem(shownText(rows[r][c], sep));
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(static_cast<int>(r), static_cast<int>(c), cell);
        }
    }
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
