#pragma once

#include <QString>
#include <QtGlobal>

// The operations through which the core reaches the album grid: the only way listing,
// thumbnails, find, filter and the download run touch it. The grid is a table of cells with
// `FixedRowCount()` header rows at the top (row 0 is the header in the list view) and no fixed
// columns. Each cell has a text, a 32-bit data value (the album index), an image index and a
// selected state.
//
// Implementations: MemoryGrid (tests, command line) and the GUI's grid widget. The owner of the
// window owns the grid; WindowPort::Grid() hands it out.
//
// Threads: every operation may be called from any thread (the runs call them from theirs).
// Each single call is atomic with respect to every other call and to painting; a sequence of
// calls is not. The GUI implementation carries each call out on the GUI thread and returns
// when it is done, so a run never sees or leaves a half-made change.
//
// Indices out of range are tolerated: setters then do nothing, getters answer an empty text,
// 0, -1 or false.
class GridOps {
public:
    virtual ~GridOps() = default;

    // Set-up. In this order: fixed row count, fixed column count 0, row count, column count,
    // list mode (whole-row selection); the selection is cleared and the grid redrawn.
    virtual void SetupGrid(int fixedRows, int rows, int cols, bool listMode) = 0;
    // Removes every row and column, the header included; clears selection and focus.
    virtual void RemoveAll() = 0;
    // Cell margin of every cell, in pixels.
    virtual void SetDefaultCellMargin(int px) = 0;
    virtual int DefaultCellMargin() const = 0;

    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    virtual int FixedRowCount() const = 0;
    virtual bool IsListMode() const = 0;
    // Appends an empty row (empty texts, data 0, no image, unselected); answers its number.
    virtual int AppendRow() = 0;
    // Keeps rows 0 to n - 1 (adds empty rows when n is larger than the row count).
    virtual void SetRowCount(int n) = 0;

    virtual QString GetCellText(int row, int col) const = 0;
    virtual void SetCellText(int row, int col, const QString &text) = 0;
    virtual qint32 GetCellData(int row, int col) const = 0;
    virtual void SetCellData(int row, int col, qint32 value) = 0;
    // Image index into the window's thumbnail list; -1 = none.
    virtual int GetCellImage(int row, int col) const = 0;
    virtual void SetCellImage(int row, int col, int image) = 0;
    // Header texts are the cell texts of the fixed row 0.
    void SetHeaderText(int col, const QString &text) { SetCellText(0, col, text); }

    virtual int RowHeight(int row) const = 0;
    virtual void SetRowHeight(int row, int px) = 0;
    virtual int ColumnWidth(int col) const = 0;
    virtual void SetColumnWidth(int col, int px) = 0;
    // Every row whose height is above 0 gets the height its cells need.
    virtual void FitRowHeights() = 0;
    // Repaints the whole grid.
    virtual void Redraw() = 0;

    // Selection. A row counts as selected when any of its cells is.
    // Clears selection and focus, selects the whole row and scrolls it to the top.
    virtual void SelectRow(int row) = 0;
    // Selects every cell outside the fixed rows.
    virtual void SelectAll() = 0;
    virtual void ClearSelection() = 0;
    // First row after `after` (and below the fixed rows) with a selected cell, or -1.
    virtual int NextSelectedRow(int after) const = 0;
    // Smallest row holding a selected cell; RowCount() when nothing is selected.
    virtual int FirstSelectedRow() const = 0;
    virtual bool IsCellSelected(int row, int col) const = 0;
    virtual void SetCellSelected(int row, int col, bool selected) = 0;

    // Mouse marking. A plain click on a cell: in list mode with single-row selection on, the
    // clicked row becomes the only selection; otherwise the click toggles, as if Ctrl were
    // held: the whole row in list mode, the cell alone otherwise. Clicks on the fixed rows do
    // nothing.
    virtual void ClickCell(int row, int col) = 0;
    // Single-row selection is on while the find dialog is open.
    virtual void SetSingleRowSelection(bool on) = 0;
    virtual bool IsSingleRowSelection() const = 0;

protected:
    GridOps() = default;
    GridOps(const GridOps &) = default;
    GridOps &operator=(const GridOps &) = default;
};
