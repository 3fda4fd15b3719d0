// MemoryGrid: selection queries, click marking, row count changes and cell access, and its
// safety when several threads use it at once.

#include "window/MemoryGrid.h"
#include "QtPrint.h"

#include <gtest/gtest.h>

#include <climits>
#include <thread>
#include <vector>

namespace {

// A list-view grid: header row 0 and `albums` album rows of six columns.
void MakeList(MemoryGrid &grid, int albums)
{
    grid.SetupGrid(1, 1, 6, true);
    for (int i = 0; i < albums; ++i)
        grid.AppendRow();
}

// Every selected row, in order, as NextSelectedRow walks them from the top.
std::vector<int> SelectedRows(const MemoryGrid &grid)
{
    std::vector<int> rows;
    for (int r = grid.NextSelectedRow(-1); r != -1; r = grid.NextSelectedRow(r))
        rows.push_back(r);
    return rows;
}

TEST(MemoryGrid, AppendRowNumbersRowsAfterTheHeader)
{
    MemoryGrid grid;
    grid.SetupGrid(1, 1, 6, true);
    EXPECT_EQ(grid.AppendRow(), 1);
    EXPECT_EQ(grid.AppendRow(), 2);
    EXPECT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(grid.GetCellText(2, 5), QString());
    EXPECT_EQ(grid.GetCellImage(2, 0), -1);
    EXPECT_FALSE(grid.IsCellSelected(2, 0));
}

TEST(MemoryGrid, NextSelectedRowCountsARowWithAnyOneSelectedCell)
{
    MemoryGrid grid;
    MakeList(grid, 6);
    grid.SetCellSelected(2, 5, true); // a hidden column is enough
    grid.SetCellSelected(4, 0, true);
    grid.SetCellSelected(4, 1, true);
    grid.SetCellSelected(6, 3, true);

    EXPECT_EQ(SelectedRows(grid), (std::vector<int>{2, 4, 6}));
    EXPECT_EQ(grid.NextSelectedRow(2), 4);
    EXPECT_EQ(grid.NextSelectedRow(3), 4);
    EXPECT_EQ(grid.NextSelectedRow(6), -1);
    EXPECT_EQ(grid.NextSelectedRow(100), -1);
    EXPECT_EQ(grid.FirstSelectedRow(), 2);
}

TEST(MemoryGrid, QueriesWithNothingSelected)
{
    MemoryGrid grid;
    MakeList(grid, 4);
    EXPECT_EQ(grid.NextSelectedRow(-1), -1);
    EXPECT_EQ(grid.FirstSelectedRow(), 5); // the row count
    grid.SetCellSelected(3, 1, true);
    grid.ClearSelection();
    EXPECT_EQ(grid.FirstSelectedRow(), 5);
}

TEST(MemoryGrid, HeaderRowIsNeverSelected)
{
    MemoryGrid grid;
    MakeList(grid, 3);
    grid.SetCellSelected(0, 0, true);
    grid.ClickCell(0, 1);
    grid.SelectRow(0);
    EXPECT_EQ(grid.FirstSelectedRow(), grid.RowCount());

    grid.SelectAll();
    for (int col = 0; col < 6; ++col)
        EXPECT_FALSE(grid.IsCellSelected(0, col)) << col;
    EXPECT_EQ(SelectedRows(grid), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(grid.FirstSelectedRow(), 1);
}

TEST(MemoryGrid, NextSelectedRowStartsBelowTheFixedRows)
{
    // Thumbnail layout: no fixed row, so row 0 is an album row.
    MemoryGrid grid;
    grid.SetupGrid(0, 3, 6, false);
    grid.SetCellSelected(0, 4, true);
    EXPECT_EQ(grid.NextSelectedRow(-1), 0);
    EXPECT_EQ(grid.FirstSelectedRow(), 0);
}

TEST(MemoryGrid, PlainClicksToggleRowsInTheListView)
{
    MemoryGrid grid;
    MakeList(grid, 5);
    grid.ClickCell(1, 1);
    grid.ClickCell(3, 2);
    grid.ClickCell(5, 0);
    EXPECT_EQ(SelectedRows(grid), (std::vector<int>{1, 3, 5}));
    for (int col = 0; col < 6; ++col)
        EXPECT_TRUE(grid.IsCellSelected(3, col)) << col; // the whole row

    grid.ClickCell(3, 4);
    EXPECT_EQ(SelectedRows(grid), (std::vector<int>{1, 5}));
    EXPECT_FALSE(grid.IsCellSelected(3, 2));
    EXPECT_EQ(grid.FocusRow(), 3);
}

TEST(MemoryGrid, SingleRowSelectionMakesAClickSelectOnlyThatRow)
{
    MemoryGrid grid;
    MakeList(grid, 4);
    grid.ClickCell(1, 1);
    grid.ClickCell(2, 1);
    grid.SetSingleRowSelection(true);
    grid.ClickCell(4, 1);
    EXPECT_EQ(SelectedRows(grid), (std::vector<int>{4}));
    grid.ClickCell(4, 1); // no toggle while single-row selection is on
    EXPECT_EQ(SelectedRows(grid), (std::vector<int>{4}));

    grid.SetSingleRowSelection(false);
    grid.ClickCell(2, 0);
    EXPECT_EQ(SelectedRows(grid), (std::vector<int>{2, 4}));
}

TEST(MemoryGrid, ClicksToggleSingleCellsOutsideListMode)
{
    MemoryGrid grid;
    grid.SetupGrid(0, 2, 6, false);
    grid.SetSingleRowSelection(true); // only list mode honours it
    grid.ClickCell(1, 2);
    grid.ClickCell(1, 4);
    EXPECT_TRUE(grid.IsCellSelected(1, 2));
    EXPECT_TRUE(grid.IsCellSelected(1, 4));
    EXPECT_FALSE(grid.IsCellSelected(1, 3));
    grid.ClickCell(1, 2);
    EXPECT_FALSE(grid.IsCellSelected(1, 2));
    EXPECT_TRUE(grid.IsCellSelected(1, 4));
}

TEST(MemoryGrid, SelectRowReplacesTheSelectionAndScrollsTheRowToTheTop)
{
    MemoryGrid grid;
    MakeList(grid, 8);
    grid.ClickCell(2, 0);
    grid.ClickCell(5, 0);
    grid.SelectRow(7);
    EXPECT_EQ(SelectedRows(grid), (std::vector<int>{7}));
    EXPECT_EQ(grid.TopRow(), 7);
    EXPECT_EQ(grid.FocusRow(), -1);
}

TEST(MemoryGrid, SetupGridClearsTheSelectionAndKeepsCells)
{
    MemoryGrid grid;
    MakeList(grid, 2);
    grid.SetCellText(2, 1, QStringLiteral("kept"));
    grid.ClickCell(2, 1);
    const int redraws = grid.RedrawCount();
    grid.SetupGrid(1, 3, 6, true);
    EXPECT_EQ(grid.FirstSelectedRow(), 3);
    EXPECT_EQ(grid.GetCellText(2, 1), QStringLiteral("kept"));
    EXPECT_GT(grid.RedrawCount(), redraws);
}

TEST(MemoryGrid, SetRowCountKeepsTheFirstRows)
{
    MemoryGrid grid;
    MakeList(grid, 5);
    grid.SetCellText(0, 1, QStringLiteral("名称"));
    grid.SetCellText(3, 1, QStringLiteral("gone"));
    grid.ClickCell(3, 1);
    grid.SetRowCount(1);
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.GetCellText(0, 1), QStringLiteral("名称"));
    EXPECT_EQ(grid.NextSelectedRow(-1), -1);
    EXPECT_EQ(grid.AppendRow(), 1);
    EXPECT_EQ(grid.GetCellText(1, 1), QString()); // a fresh row, not the old row 1
}

TEST(MemoryGrid, RemoveAllEmptiesEverything)
{
    MemoryGrid grid;
    MakeList(grid, 3);
    grid.ClickCell(2, 0);
    grid.RemoveAll();
    EXPECT_EQ(grid.RowCount(), 0);
    EXPECT_EQ(grid.ColumnCount(), 0);
    EXPECT_EQ(grid.FixedRowCount(), 0);
    EXPECT_EQ(grid.NextSelectedRow(-1), -1);
    EXPECT_EQ(grid.FirstSelectedRow(), 0);
}

TEST(MemoryGrid, OutOfRangeAccessIsHarmless)
{
    MemoryGrid grid;
    MakeList(grid, 1);
    const int bad[][2] = {{-1, 0}, {0, -1}, {2, 0}, {0, 6}, {INT_MAX, INT_MAX}};
    for (const auto &cell : bad) {
        grid.SetCellText(cell[0], cell[1], QStringLiteral("x"));
        grid.SetCellData(cell[0], cell[1], 9);
        grid.SetCellSelected(cell[0], cell[1], true);
        grid.ClickCell(cell[0], cell[1]);
        EXPECT_EQ(grid.GetCellText(cell[0], cell[1]), QString());
        EXPECT_EQ(grid.GetCellData(cell[0], cell[1]), 0);
        EXPECT_EQ(grid.GetCellImage(cell[0], cell[1]), -1);
    }
    EXPECT_EQ(grid.NextSelectedRow(-1), -1);
    EXPECT_EQ(grid.NextSelectedRow(INT_MAX), -1);
    EXPECT_EQ(grid.ColumnWidth(6), 0);
    EXPECT_EQ(grid.RowHeight(-1), 0);
}

TEST(MemoryGrid, FitRowHeightsSkipsRowsOfHeightZero)
{
    MemoryGrid grid;
    MakeList(grid, 2);
    grid.SetDefaultCellMargin(8);
    grid.SetRowHeight(1, 0);
    grid.SetCellText(2, 1, QStringLiteral("two\nlines"));
    grid.FitRowHeights();
    EXPECT_EQ(grid.RowHeight(1), 0);
    EXPECT_EQ(grid.RowHeight(2), 2 * MemoryGrid::kLineHeight + 16);
    EXPECT_EQ(grid.RowHeight(0), MemoryGrid::kLineHeight + 16);
}

TEST(MemoryGrid, ConcurrentAppendsAndReadsKeepEveryRow)
{
    MemoryGrid grid;
    MakeList(grid, 0);
    constexpr int kThreads = 4;
    constexpr int kRowsEach = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&grid, t] {
            for (int i = 0; i < kRowsEach; ++i) {
                const int row = grid.AppendRow();
                grid.SetCellData(row, 0, t * kRowsEach + i);
                grid.ClickCell(row, 1);
                (void)grid.NextSelectedRow(row - 1);
            }
        });
    }
    for (auto &thread : threads)
        thread.join();

    ASSERT_EQ(grid.RowCount(), 1 + kThreads * kRowsEach);
    std::vector<int> seen(kThreads * kRowsEach, 0);
    for (int row = 1; row < grid.RowCount(); ++row)
        ++seen[static_cast<size_t>(grid.GetCellData(row, 0))];
    for (int count : seen)
        EXPECT_EQ(count, 1);
    EXPECT_EQ(SelectedRows(grid).size(), static_cast<size_t>(kThreads * kRowsEach));
}

} // namespace
