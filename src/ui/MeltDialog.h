#pragma once

#include "calc/FieldTexts.h"
#include "cases/CaseFile.h"
#include "melt/MeltFit.h"
#include "melt/ViscosityPoints.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace sf {

class PlotView;

// The melt's five values for the main window, whose melt fields cannot be
// typed into: typed here, η0 in gf·s/cm² or Pa·s, or fitted to a data
// sheet's viscosity points, with the fit's table and chart. A points file
// whose header names no known columns is shown by its first lines, with a
// chooser for each column; a fit window of temperature and shear-rate
// ranges leaves points out, which the table marks. Each value is
// read as a run reads the fields, with the window's separator; a value that
// does not read is named here and nothing is applied. It stays open beside
// the main window, which keeps one.
class MeltDialog : public QDialog {
    Q_OBJECT
public:
    // Takes an applied melt: the five melt texts as a case file holds them
    // ("." as separator, η0 in gf·s/cm²), and the fit's range when they are
    // the fit's values as it gave them.
    using ApplyMelt = std::function<void(const FieldTexts &melt, const std::optional<MeltFitRange> &fit)>;
    explicit MeltDialog(ApplyMelt apply, QWidget *parent = nullptr);

    // Shows the melt texts of `shown`, as the window shows them with
    // `separator`, η0 in gf·s/cm². A fit made before stays on show, and is
    // applied with its range while the values are still its own.
    void setMelt(const FieldTexts &shown, char separator);

    // Asks for a points file; empty means no. Tests replace the file dialog
    // with this.
    using PointsChooser = std::function<QString()>;
    void setPointsChooser(PointsChooser chooser) { m_choosePoints = std::move(chooser); }

public slots:
    void fitFromPoints(); // "Fit from points…"
    void fitAgain();      // the file read again, with the columns and ranges now chosen
    void apply();

private:
    void fitFile(const QString &path);
    void showColumnChoosers(const std::string &bytes);
    std::optional<ColumnMap> chosenColumns() const;
    // The ranges typed, in °C and 1/s; false after showing what does not read.
    bool readRanges(MeltFitOptions &options);
    void showFit(const ViscosityPoints &points);
    void changeViscosityUnit();
    ViscosityUnit viscosityUnit() const;
    // The fit's values as the fields show them, η0 in `unit`.
    FieldTexts fitShown(ViscosityUnit unit) const;
    bool showsFit() const;
    void showProblem(const QString &text);

    ApplyMelt m_apply;
    PointsChooser m_choosePoints;
    std::array<QLineEdit *, 5> m_edits{}; // in the order of MeltFields
    QComboBox *m_unit;
    ViscosityUnit m_unitShown = ViscosityUnit::GramForceSecondPerSquareCentimetre;
    QLabel *m_summary;
    QTableView *m_table;
    class FitTableModel *m_rows; // the table's
    PlotView *m_chart;
    QLabel *m_problem;
    QGroupBox *m_columns;                  // the column choosers, for a header not understood
    QPlainTextEdit *m_preview;             // the points file's first lines
    std::array<QComboBox *, 3> m_chooser{}; // in MeltColumns order
    std::array<QLineEdit *, 4> m_range{};  // temperature from, to; shear rate from, to
    QPushButton *m_fitAgain;
    char m_separator = '.';
    std::optional<MeltFit> m_fit;
    std::string m_fitSource; // the points file, as chosen
    QString m_pointsPath;    // the last points file chosen, fitted or not
};

} // namespace sf
