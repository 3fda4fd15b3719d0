#include "AlbumGridModel.h"

#include "window/MemoryGrid.h"

AlbumGridModel::AlbumGridModel(const MemoryGrid &cells, QObject *parent)
    : QAbstractTableModel(parent), cells_(cells)
{
}

int AlbumGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return std::max(cells_.RowCount() - cells_.FixedRowCount(), 0);
}

int AlbumGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : cells_.ColumnCount();
}

int AlbumGridModel::GridRow(int modelRow) const
{
    return modelRow + cells_.FixedRowCount();
}

int AlbumGridModel::ModelRow(int gridRow) const
{
    return gridRow - cells_.FixedRowCount();
}

QVariant AlbumGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = GridRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return cells_.GetCellText(row, index.column());
    case Qt::BackgroundRole:
        if (cells_.IsCellSelected(row, index.column()))
            return kHighlight;
        return {};
    case Qt::ForegroundRole:
        if (cells_.IsCellSelected(row, index.column()))
            return kHighlightText;
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant AlbumGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && cells_.FixedRowCount() > 0)
        return cells_.GetCellText(0, section);
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return GridRow(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void AlbumGridModel::BeginAppend(int gridRow)
{
    const int modelRow = ModelRow(gridRow);
    beginInsertRows(QModelIndex(), modelRow, modelRow);
}

void AlbumGridModel::CellsChanged(int gridRow, int firstCol, int lastCol)
{
    const int modelRow = ModelRow(gridRow);
    if (modelRow < 0) {
        if (gridRow >= 0 && gridRow < cells_.FixedRowCount())
            Q_EMIT headerDataChanged(Qt::Horizontal, firstCol, lastCol);
        return;
    }
    Q_EMIT dataChanged(index(modelRow, firstCol), index(modelRow, lastCol));
}

void AlbumGridModel::EverythingChanged()
{
    const int rows = rowCount();
    const int cols = columnCount();
    if (cols > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, cols - 1);
    if (rows > 0 && cols > 0)
        Q_EMIT dataChanged(index(0, 0), index(rows - 1, cols - 1));
}
