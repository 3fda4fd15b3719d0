// The album grid widget: clicks toggle rows, select-all, scrolling a row to the top, thumbnail
// view cells, grid calls from another thread, and a long append.

#include "CMyGridCtrl.h"
#include "GuiHarness.h"
#include "QtPrint.h"
#include "WaitFor.h"
#include "window/AlbumGridSetup.h"
#include "window/ControlIds.h"

#include <gtest/gtest.h>

#include <QCheckBox>

namespace {

using guitest::ClickCell;
using guitest::GuiHarness;
using testsupport::WaitFor;

void FillRows(CMyGridCtrl &grid, int count)
{
    for (int i = 0; i < count; ++i) {
        const int row = grid.AppendRow();
        grid.SetCellText(row, 0, QString::number(i + 1));
        grid.SetCellText(row, 1, QStringLiteral("相册 %1").arg(i));
        grid.SetCellData(row, 0, i);
    }
}

QList<int> SelectedRows(const CMyGridCtrl &grid)
{
    QList<int> rows;
    for (int row = grid.NextSelectedRow(-1); row >= 0; row = grid.NextSelectedRow(row))
        rows.append(row);
    return rows;
}

TEST(AlbumGrid, PlainClicksToggleWholeRows)
{
    GuiHarness h;
    h.Init();
    CMyGridCtrl &grid = h.window->GridWidget();
    FillRows(grid, 5);
    ClickCell(grid, 1, 1);
    ClickCell(grid, 3, 0);
    ClickCell(grid, 5, 3);
    EXPECT_EQ(SelectedRows(grid), (QList<int>{1, 3, 5}));
    for (int col = 0; col < grid.ColumnCount(); ++col)
        EXPECT_TRUE(grid.IsCellSelected(3, col)) << col;
    ClickCell(grid, 3, 1);
    EXPECT_EQ(SelectedRows(grid), (QList<int>{1, 5}));
    // Selected cells paint with the highlight colours.
    const QModelIndex first = grid.model()->index(0, 1);
    EXPECT_EQ(grid.model()->data(first, Qt::BackgroundRole).value<QColor>(), QColor(199, 227, 227));
    EXPECT_EQ(grid.model()->data(first, Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0));
    EXPECT_FALSE(grid.model()->data(grid.model()->index(1, 1), Qt::BackgroundRole).isValid());
    // The find dialog's mode: a click selects just that row.
    grid.SetSingleRowSelection(true);
    ClickCell(grid, 2, 1);
    EXPECT_EQ(SelectedRows(grid), (QList<int>{2}));
}

TEST(AlbumGrid, SelectAllBoxSelectsAndClearsWithoutTheHeader)
{
    GuiHarness h;
    h.Init();
    CGleanerDlg &w = *h.window;
    CMyGridCtrl &grid = w.GridWidget();
    FillRows(grid, 4);
    auto *box = qobject_cast<QCheckBox *>(w.Control(IDC_SELECT_ALL));
    box->click();
    EXPECT_EQ(SelectedRows(grid), (QList<int>{1, 2, 3, 4}));
    EXPECT_FALSE(grid.IsCellSelected(0, 0));
    EXPECT_EQ(grid.FirstSelectedRow(), 1);
    ClickCell(grid, 2, 1); // by hand: the box stays as it is
    EXPECT_TRUE(box->isChecked());
    box->click();
    EXPECT_TRUE(SelectedRows(grid).isEmpty());
    EXPECT_EQ(grid.FirstSelectedRow(), grid.RowCount());
    // Setting the box through the port does not run its command.
    grid.SelectRow(3);
    w.SetChecked(IDC_SELECT_ALL, false);
    EXPECT_EQ(SelectedRows(grid), (QList<int>{3}));
}

TEST(AlbumGrid, SelectRowScrollsItToTheTop)
{
    GuiHarness h;
    h.Init();
    CMyGridCtrl &grid = h.window->GridWidget();
    FillRows(grid, 200);
    grid.SelectRow(120);
    EXPECT_EQ(SelectedRows(grid), (QList<int>{120}));
    EXPECT_EQ(grid.TopVisibleRow(), 120);
    grid.SelectRow(2);
    EXPECT_EQ(grid.TopVisibleRow(), 2);
}

TEST(AlbumGrid, ThumbnailViewTogglesSingleCells)
{
    GuiHarness h;
    h.Init();
    CGleanerDlg &w = *h.window;
    CMyGridCtrl &grid = w.GridWidget();
    AlbumViewState view;
    view.thumbMode = true;
    RebuildAlbumGrid(w, view);
    EXPECT_EQ(grid.ColumnCount(), 6);
    EXPECT_EQ(grid.FixedRowCount(), 0);
    EXPECT_EQ(grid.columnWidth(0), 129);
    grid.SetRowCount(3);
    EXPECT_EQ(grid.model()->rowCount(), 3);
    ClickCell(grid, 0, 2);
    ClickCell(grid, 2, 5);
    EXPECT_TRUE(grid.IsCellSelected(0, 2));
    EXPECT_FALSE(grid.IsCellSelected(0, 1));
    EXPECT_EQ(SelectedRows(grid), (QList<int>{0, 2}));
    ClickCell(grid, 0, 2);
    EXPECT_EQ(SelectedRows(grid), (QList<int>{2}));
}

TEST(AlbumGrid, FitRowHeightsFollowsTheTextLines)
{
    GuiHarness h;
    h.Init();
    CMyGridCtrl &grid = h.window->GridWidget();
    FillRows(grid, 2);
    grid.SetCellText(2, 3, QStringLiteral("一\n二\n三"));
    grid.FitRowHeights();
    const int line = grid.fontMetrics().height();
    EXPECT_EQ(grid.RowHeight(1), line + 16);
    EXPECT_EQ(grid.RowHeight(2), 3 * line + 16);
    EXPECT_EQ(grid.rowHeight(1), 3 * line + 16);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.RowCount(), 2);
    EXPECT_EQ(grid.model()->rowCount(), 1);
}

// 5,000 rows appended from a run's thread while the GUI thread keeps processing events.
TEST(AlbumGrid, ThousandsOfRowsFromAnotherThread)
{
    GuiHarness h;
    h.Init();
    CMyGridCtrl &grid = h.window->GridWidget();
    std::atomic<bool> done{false};
    std::thread run([&] {
        FillRows(grid, 5000);
        grid.FitRowHeights();
        done = true;
    });
    const bool finished = WaitFor([&] { return done.load(); }, std::chrono::minutes(4));
    run.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(grid.RowCount(), 5001);
    EXPECT_EQ(grid.model()->rowCount(), 5000);
    EXPECT_EQ(grid.GetCellText(5000, 1), QStringLiteral("相册 4999"));
    EXPECT_EQ(grid.GetCellData(4321, 0), 4320);
    EXPECT_EQ(grid.model()->data(grid.model()->index(4999, 1)).toString(),
              QStringLiteral("相册 4999"));
}

} // namespace
