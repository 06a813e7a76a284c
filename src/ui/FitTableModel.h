#pragma once

// The melt dialog's table of a fit's points: each point's temperature, shear
// rate, measured and fitted viscosity and deviation. A model over the rows as
// the core formats them, so a hundred thousand points cost a view no more
// than the rows in sight.

#include "melt/MeltTexts.h"

#include <QAbstractTableModel>
#include <QColor>

#include <vector>

namespace sf {

class FitTableModel : public QAbstractTableModel {
public:
    explicit FitTableModel(QObject *parent = nullptr);

    // The fit's points in place of what the table showed: `rows` as fitRows
    // gives them, whether each was left out of the fit, the decimal
    // separator shown, the viscosity unit for the headers, and the colour of
    // text left out.
    void show(std::vector<FitRow> rows, std::vector<bool> leftOut, char separator, std::string_view unit,
              const QColor &leftOutText);
    // No points, headers in `unit`.
    void clear(std::string_view unit);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<FitRow> m_rows;
    std::vector<bool> m_leftOut;
    char m_separator = '.';
    QString m_unit;
    QColor m_leftOutText;
};

} // namespace sf
