#include "FitTableModel.h"
#include "QtText.h"

namespace sf {

FitTableModel::FitTableModel(QObject *parent) : QAbstractTableModel(parent) {}

void FitTableModel::show(std::vector<FitRow> rows, std::vector<bool> leftOut, char separator, std::string_view unit,
                         const QColor &leftOutText)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_leftOut = std::move(leftOut);
    m_leftOut.resize(m_rows.size(), false);
    m_separator = separator;
    m_unit = qText(unit);
    m_leftOutText = leftOutText;
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void FitTableModel::clear(std::string_view unit)
{
    show({}, {}, m_separator, unit, m_leftOutText);
}

int FitTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FitTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(std::tuple_size_v<FitRow>);
}

QVariant FitTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const auto r = static_cast<std::size_t>(index.row());
    const auto c = static_cast<std::size_t>(index.column());
    const bool leftOut = m_leftOut[r];
    switch (role) {
    case Qt::DisplayRole: {
        QString text = QString::fromStdString(m_rows[r][c]);
        text.replace(u'.', QLatin1Char(m_separator));
        if (leftOut && c + 1 == std::tuple_size_v<FitRow>)
            text += QStringLiteral("  left out");
        return text;
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        return leftOut ? QVariant(m_leftOutText) : QVariant();
    case Qt::ToolTipRole:
        return leftOut ? QVariant(QStringLiteral("Outside the fit temperatures or shear rates: not fitted")) : QVariant();
    default:
        return {};
    }
}

QVariant FitTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const QString headers[] = {QStringLiteral("Temperature\n℃"), QStringLiteral("Shear rate\n1/s"),
                               QStringLiteral("Measured\n") + m_unit, QStringLiteral("Fitted\n") + m_unit,
                               QStringLiteral("Deviation\n%")};
    return headers[section];
}

} // namespace sf
