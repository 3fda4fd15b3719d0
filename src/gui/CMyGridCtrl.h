#pragma once

#include "window/GridOps.h"
#include "window/MemoryGrid.h"

#include <QTableView>

class AlbumGridModel;
class GuiCallRouter;

// The album grid (control 1003): a table view over the grid's cells. Cells, sizes and the
// selection are kept in a MemoryGrid, which gives every GridOps operation its meaning; this
// class shows them and routes the changes. A plain click toggles the clicked row (list view)
// or cell (thumbnail view) as if Ctrl were held, unless single-row selection is on.
//
// Owned by the main window (a child widget). Threads: every change is carried out on the GUI
// thread through the window's GuiCallRouter (a call from a run's thread waits for it); reads
// go straight to the MemoryGrid, whose own lock makes each one atomic. Once the window is
// closing, changes from other threads are dropped (AppendRow answers -1) and reads answer the
// grid as it was.
class CMyGridCtrl : public QTableView, public GridOps {
    Q_OBJECT

public:
    CMyGridCtrl(GuiCallRouter &router, QWidget *parent);

    void SetupGrid(int fixedRows, int rows, int cols, bool listMode) override;
    void RemoveAll() override;
    void SetDefaultCellMargin(int px) override;
    int DefaultCellMargin() const override;

    int RowCount() const override;
    int ColumnCount() const override;
    int FixedRowCount() const override;
    bool IsListMode() const override;
    int AppendRow() override;
    void SetRowCount(int n) override;

    QString GetCellText(int row, int col) const override;
    void SetCellText(int row, int col, const QString &text) override;
    qint32 GetCellData(int row, int col) const override;
    void SetCellData(int row, int col, qint32 value) override;
    int GetCellImage(int row, int col) const override;
    void SetCellImage(int row, int col, int image) override;

    int RowHeight(int row) const override;
    void SetRowHeight(int row, int px) override;
    int ColumnWidth(int col) const override;
    void SetColumnWidth(int col, int px) override;
    void FitRowHeights() override;
    void Redraw() override;

    void SelectRow(int row) override;
    void SelectAll() override;
    void ClearSelection() override;
    int NextSelectedRow(int after) const override;
    int FirstSelectedRow() const override;
    bool IsCellSelected(int row, int col) const override;
    void SetCellSelected(int row, int col, bool selected) override;

    void ClickCell(int row, int col) override;
    void SetSingleRowSelection(bool on) override;
    bool IsSingleRowSelection() const override;

    // The view's rectangle of grid cell (row, col) in viewport coordinates; empty for the
    // fixed rows and for cells out of range. For tests and the find dialog.
    QRect CellRect(int row, int col) const;
    // First grid row shown at the top of the viewport, or -1 without rows.
    int TopVisibleRow() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // Runs `change` on the GUI thread; false when it was dropped (closing).
    bool Change(std::function<void()> change);
    // After a model reset: column widths, hidden columns, header and row heights from cells_.
    void ApplyGeometry();
    int LineHeight() const;

    GuiCallRouter &router_;
    MemoryGrid cells_;
    AlbumGridModel *model_;
};
