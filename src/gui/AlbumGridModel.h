#pragma once

#include <QAbstractTableModel>
#include <QColor>

class MemoryGrid;

// The album grid's cells as a Qt item model: a view of the grid's MemoryGrid that shows the
// rows below the fixed (header) rows as model rows and the fixed row 0 as the horizontal
// header. The selection lives in the MemoryGrid, not in a Qt selection model; selected cells
// are painted with the grid's highlight colours through the background and foreground roles.
//
// Owned by CMyGridCtrl, which changes the MemoryGrid only on the GUI thread and brackets each
// change with the matching notification below. GUI thread only.
class AlbumGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static inline const QColor kHighlight{199, 227, 227};
    static inline const QColor kHighlightText{0, 0, 0};

    AlbumGridModel(const MemoryGrid &cells, QObject *parent);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Grid row of a model row and back.
    int GridRow(int modelRow) const;
    int ModelRow(int gridRow) const;

    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    // The grid is about to get one row at its end (grid row `gridRow`).
    void BeginAppend(int gridRow);
    void EndAppend() { endInsertRows(); }
    void CellsChanged(int gridRow, int firstCol, int lastCol);
    void EverythingChanged();

private:
    const MemoryGrid &cells_;
};
