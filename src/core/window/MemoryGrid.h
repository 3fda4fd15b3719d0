#pragma once

#include "window/GridOps.h"

#include <mutex>
#include <vector>

// The album grid without a screen: cells, sizes and selection kept in memory. Used by the
// command line and by tests in place of the GUI's grid widget, with the same behaviour.
//
// Owned by the headless window that hands it out. Every member function takes one internal
// mutex, so any thread may call any of them; each call is atomic.
class MemoryGrid : public GridOps {
public:
    // Row height of a new row and height of one text line, in pixels.
    static constexpr int kDefaultRowHeight = 25;
    static constexpr int kLineHeight = 16;

    MemoryGrid() = default;
    MemoryGrid(const MemoryGrid &) = delete;
    MemoryGrid &operator=(const MemoryGrid &) = delete;

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

    // What a screen would show; for tests and diagnostics.
    int TopRow() const;         // first scrollable row scrolled to the top (SelectRow)
    int FocusRow() const;       // focus cell's row, -1 when there is none
    int RedrawCount() const;    // calls of Redraw() and of the operations that redraw
    int FitHeightCount() const; // calls of FitRowHeights()

private:
    struct Cell {
        QString text;
        qint32 data = 0;
        int image = -1;
        bool selected = false;
    };

    bool ValidCell(int row, int col) const;
    void ResizeLocked(int rows, int cols);
    void ClearSelectionLocked();
    bool RowSelectedLocked(int row) const;

    mutable std::mutex mutex_;
    int fixedRows_ = 0;
    int cols_ = 0;
    bool listMode_ = false;
    bool singleRow_ = false;
    int margin_ = 0;
    std::vector<std::vector<Cell>> cells_; // cells_[row][col]
    std::vector<int> rowHeights_;
    std::vector<int> colWidths_;
    int topRow_ = 0;
    int focusRow_ = -1;
    int focusCol_ = -1;
    int redraws_ = 0;
    int fits_ = 0;
};
