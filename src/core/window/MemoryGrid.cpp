#include "window/MemoryGrid.h"

#include <algorithm>

namespace {

constexpr int kDefaultColumnWidth = 64;

} // namespace

bool MemoryGrid::ValidCell(int row, int col) const
{
    return row >= 0 && col >= 0 && row < static_cast<int>(cells_.size()) && col < cols_;
}

void MemoryGrid::ResizeLocked(int rows, int cols)
{
    rows = std::max(rows, 0);
    cols = std::max(cols, 0);
    cells_.resize(static_cast<size_t>(rows));
    for (auto &row : cells_)
        row.resize(static_cast<size_t>(cols));
    rowHeights_.resize(static_cast<size_t>(rows), kDefaultRowHeight);
    colWidths_.resize(static_cast<size_t>(cols), kDefaultColumnWidth);
    cols_ = cols;
    fixedRows_ = std::min(fixedRows_, rows);
    if (focusRow_ >= rows || focusCol_ >= cols) {
        focusRow_ = -1;
        focusCol_ = -1;
    }
}

void MemoryGrid::ClearSelectionLocked()
{
    for (auto &row : cells_)
        for (auto &cell : row)
            cell.selected = false;
    focusRow_ = -1;
    focusCol_ = -1;
}

bool MemoryGrid::RowSelectedLocked(int row) const
{
    const auto &cells = cells_[static_cast<size_t>(row)];
    return std::any_of(cells.begin(), cells.end(), [](const Cell &c) { return c.selected; });
}

void MemoryGrid::SetupGrid(int fixedRows, int rows, int cols, bool listMode)
{
    std::lock_guard lock(mutex_);
    fixedRows_ = std::max(fixedRows, 0);
    ResizeLocked(rows, cols);
    listMode_ = listMode;
    ClearSelectionLocked();
    ++redraws_;
}

void MemoryGrid::RemoveAll()
{
    std::lock_guard lock(mutex_);
    fixedRows_ = 0;
    cells_.clear();
    rowHeights_.clear();
    colWidths_.clear();
    cols_ = 0;
    topRow_ = 0;
    ClearSelectionLocked();
}

void MemoryGrid::SetDefaultCellMargin(int px)
{
    std::lock_guard lock(mutex_);
    margin_ = std::max(px, 0);
}

int MemoryGrid::DefaultCellMargin() const
{
    std::lock_guard lock(mutex_);
    return margin_;
}

int MemoryGrid::RowCount() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(cells_.size());
}

int MemoryGrid::ColumnCount() const
{
    std::lock_guard lock(mutex_);
    return cols_;
}

int MemoryGrid::FixedRowCount() const
{
    std::lock_guard lock(mutex_);
    return fixedRows_;
}

bool MemoryGrid::IsListMode() const
{
    std::lock_guard lock(mutex_);
    return listMode_;
}

int MemoryGrid::AppendRow()
{
    std::lock_guard lock(mutex_);
    const int row = static_cast<int>(cells_.size());
    ResizeLocked(row + 1, cols_);
    return row;
}

void MemoryGrid::SetRowCount(int n)
{
    std::lock_guard lock(mutex_);
    ResizeLocked(n, cols_);
    topRow_ = std::min(topRow_, std::max(static_cast<int>(cells_.size()) - 1, 0));
}

QString MemoryGrid::GetCellText(int row, int col) const
{
    std::lock_guard lock(mutex_);
    if (!ValidCell(row, col))
        return {};
    return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)].text;
}

void MemoryGrid::SetCellText(int row, int col, const QString &text)
{
    std::lock_guard lock(mutex_);
    if (ValidCell(row, col))
        cells_[static_cast<size_t>(row)][static_cast<size_t>(col)].text = text;
}

qint32 MemoryGrid::GetCellData(int row, int col) const
{
    std::lock_guard lock(mutex_);
    if (!ValidCell(row, col))
        return 0;
    return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)].data;
}

void MemoryGrid::SetCellData(int row, int col, qint32 value)
{
    std::lock_guard lock(mutex_);
    if (ValidCell(row, col))
        cells_[static_cast<size_t>(row)][static_cast<size_t>(col)].data = value;
}

int MemoryGrid::GetCellImage(int row, int col) const
{
    std::lock_guard lock(mutex_);
    if (!ValidCell(row, col))
        return -1;
    return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)].image;
}

void MemoryGrid::SetCellImage(int row, int col, int image)
{
    std::lock_guard lock(mutex_);
    if (ValidCell(row, col))
        cells_[static_cast<size_t>(row)][static_cast<size_t>(col)].image = image;
}

int MemoryGrid::RowHeight(int row) const
{
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rowHeights_.size()))
        return 0;
    return rowHeights_[static_cast<size_t>(row)];
}

void MemoryGrid::SetRowHeight(int row, int px)
{
    std::lock_guard lock(mutex_);
    if (row >= 0 && row < static_cast<int>(rowHeights_.size()))
        rowHeights_[static_cast<size_t>(row)] = std::max(px, 0);
}

int MemoryGrid::ColumnWidth(int col) const
{
    std::lock_guard lock(mutex_);
    if (col < 0 || col >= cols_)
        return 0;
    return colWidths_[static_cast<size_t>(col)];
}

void MemoryGrid::SetColumnWidth(int col, int px)
{
    std::lock_guard lock(mutex_);
    if (col >= 0 && col < cols_)
        colWidths_[static_cast<size_t>(col)] = std::max(px, 0);
}

void MemoryGrid::FitRowHeights()
{
    std::lock_guard lock(mutex_);
    ++fits_;
    for (size_t r = 0; r < cells_.size(); ++r) {
        if (rowHeights_[r] <= 0)
            continue;
        int lines = 1;
        for (const Cell &cell : cells_[r])
            lines = std::max(lines, static_cast<int>(cell.text.count(QLatin1Char('\n'))) + 1);
        rowHeights_[r] = lines * kLineHeight + 2 * margin_;
    }
}

void MemoryGrid::Redraw()
{
    std::lock_guard lock(mutex_);
    ++redraws_;
}

void MemoryGrid::SelectRow(int row)
{
    std::lock_guard lock(mutex_);
    ClearSelectionLocked();
    if (row < fixedRows_ || row >= static_cast<int>(cells_.size()))
        return;
    for (auto &cell : cells_[static_cast<size_t>(row)])
        cell.selected = true;
    topRow_ = row;
}

void MemoryGrid::SelectAll()
{
    std::lock_guard lock(mutex_);
    for (size_t r = static_cast<size_t>(fixedRows_); r < cells_.size(); ++r)
        for (auto &cell : cells_[r])
            cell.selected = true;
}

void MemoryGrid::ClearSelection()
{
    std::lock_guard lock(mutex_);
    ClearSelectionLocked();
}

int MemoryGrid::NextSelectedRow(int after) const
{
    std::lock_guard lock(mutex_);
    const int rows = static_cast<int>(cells_.size());
    // `after` + 1 computed without overflow for after == INT_MAX.
    const int start = after < fixedRows_ ? fixedRows_ : (after >= rows ? rows : after + 1);
    for (int r = start; r < rows; ++r)
        if (RowSelectedLocked(r))
            return r;
    return -1;
}

int MemoryGrid::FirstSelectedRow() const
{
    std::lock_guard lock(mutex_);
    const int rows = static_cast<int>(cells_.size());
    for (int r = 0; r < rows; ++r)
        if (RowSelectedLocked(r))
            return r;
    return rows;
}

bool MemoryGrid::IsCellSelected(int row, int col) const
{
    std::lock_guard lock(mutex_);
    return ValidCell(row, col) &&
           cells_[static_cast<size_t>(row)][static_cast<size_t>(col)].selected;
}

void MemoryGrid::SetCellSelected(int row, int col, bool selected)
{
    std::lock_guard lock(mutex_);
    if (ValidCell(row, col) && row >= fixedRows_)
        cells_[static_cast<size_t>(row)][static_cast<size_t>(col)].selected = selected;
}

void MemoryGrid::ClickCell(int row, int col)
{
    std::lock_guard lock(mutex_);
    if (!ValidCell(row, col) || row < fixedRows_)
        return;
    auto &cells = cells_[static_cast<size_t>(row)];
    if (listMode_ && singleRow_) {
        ClearSelectionLocked();
        for (auto &cell : cells)
            cell.selected = true;
    } else if (listMode_) {
        // Ctrl-click in a list: the clicked cell's state decides for the whole row.
        const bool select = !cells[static_cast<size_t>(col)].selected;
        for (auto &cell : cells)
            cell.selected = select;
    } else {
        auto &cell = cells[static_cast<size_t>(col)];
        cell.selected = !cell.selected;
    }
    focusRow_ = row;
    focusCol_ = col;
}

void MemoryGrid::SetSingleRowSelection(bool on)
{
    std::lock_guard lock(mutex_);
    singleRow_ = on;
}

bool MemoryGrid::IsSingleRowSelection() const
{
    std::lock_guard lock(mutex_);
    return singleRow_;
}

int MemoryGrid::TopRow() const
{
    std::lock_guard lock(mutex_);
    return topRow_;
}

int MemoryGrid::FocusRow() const
{
    std::lock_guard lock(mutex_);
    return focusRow_;
}

int MemoryGrid::RedrawCount() const
{
    std::lock_guard lock(mutex_);
    return redraws_;
}

int MemoryGrid::FitHeightCount() const
{
    std::lock_guard lock(mutex_);
    return fits_;
}
