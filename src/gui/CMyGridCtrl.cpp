#include "CMyGridCtrl.h"

#include "AlbumGridModel.h"
#include "GuiCallRouter.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

CMyGridCtrl::CMyGridCtrl(GuiCallRouter &router, QWidget *parent)
    : QTableView(parent), router_(router), model_(new AlbumGridModel(cells_, this))
{
    setModel(model_);
    // The selection is the grid's own (cells_); Qt's selection model stays empty.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(0);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    ApplyGeometry();
}

bool CMyGridCtrl::Change(std::function<void()> change)
{
    if (router_.OnGuiThread()) {
        change();
        return true;
    }
    return router_.Run(std::move(change));
}

int CMyGridCtrl::LineHeight() const
{
    return fontMetrics().height();
}

void CMyGridCtrl::ApplyGeometry()
{
    const int cols = cells_.ColumnCount();
    horizontalHeader()->setVisible(cells_.FixedRowCount() > 0);
    for (int col = 0; col < cols; ++col) {
        const int width = cells_.ColumnWidth(col);
        setColumnHidden(col, width <= 0);
        if (width > 0)
            setColumnWidth(col, width);
    }
    const int standard = LineHeight() + 2 * cells_.DefaultCellMargin();
    verticalHeader()->setDefaultSectionSize(standard);
    const int rows = cells_.RowCount();
    for (int row = cells_.FixedRowCount(); row < rows; ++row) {
        const int height = cells_.RowHeight(row);
        if (height != standard)
            verticalHeader()->resizeSection(model_->ModelRow(row), height);
    }
}

void CMyGridCtrl::SetupGrid(int fixedRows, int rows, int cols, bool listMode)
{
    Change([=, this] {
        model_->BeginReset();
        cells_.SetupGrid(fixedRows, rows, cols, listMode);
        model_->EndReset();
        ApplyGeometry();
        viewport()->update();
    });
}

void CMyGridCtrl::RemoveAll()
{
    Change([this] {
        model_->BeginReset();
        cells_.RemoveAll();
        model_->EndReset();
        ApplyGeometry();
    });
}

void CMyGridCtrl::SetDefaultCellMargin(int px)
{
    Change([=, this] { cells_.SetDefaultCellMargin(px); });
}

int CMyGridCtrl::DefaultCellMargin() const
{
    return cells_.DefaultCellMargin();
}

int CMyGridCtrl::RowCount() const
{
    return cells_.RowCount();
}

int CMyGridCtrl::ColumnCount() const
{
    return cells_.ColumnCount();
}

int CMyGridCtrl::FixedRowCount() const
{
    return cells_.FixedRowCount();
}

bool CMyGridCtrl::IsListMode() const
{
    return cells_.IsListMode();
}

int CMyGridCtrl::AppendRow()
{
    int row = -1;
    if (router_.OnGuiThread()) {
        const int next = cells_.RowCount();
        model_->BeginAppend(next);
        row = cells_.AppendRow();
        cells_.SetRowHeight(row, verticalHeader()->defaultSectionSize());
        model_->EndAppend();
        return row;
    }
    return router_.Call<int>([this] { return AppendRow(); }).value_or(-1);
}

void CMyGridCtrl::SetRowCount(int n)
{
    Change([=, this] {
        model_->BeginReset();
        const int before = cells_.RowCount();
        cells_.SetRowCount(n);
        for (int row = before; row < cells_.RowCount(); ++row)
            cells_.SetRowHeight(row, verticalHeader()->defaultSectionSize());
        model_->EndReset();
        ApplyGeometry();
    });
}

QString CMyGridCtrl::GetCellText(int row, int col) const
{
    return cells_.GetCellText(row, col);
}

void CMyGridCtrl::SetCellText(int row, int col, const QString &text)
{
    Change([=, this] {
        cells_.SetCellText(row, col, text);
        model_->CellsChanged(row, col, col);
    });
}

qint32 CMyGridCtrl::GetCellData(int row, int col) const
{
    return cells_.GetCellData(row, col);
}

void CMyGridCtrl::SetCellData(int row, int col, qint32 value)
{
    Change([=, this] { cells_.SetCellData(row, col, value); });
}

int CMyGridCtrl::GetCellImage(int row, int col) const
{
    return cells_.GetCellImage(row, col);
}

void CMyGridCtrl::SetCellImage(int row, int col, int image)
{
    Change([=, this] {
        cells_.SetCellImage(row, col, image);
        model_->CellsChanged(row, col, col);
    });
}

int CMyGridCtrl::RowHeight(int row) const
{
    return cells_.RowHeight(row);
}

void CMyGridCtrl::SetRowHeight(int row, int px)
{
    Change([=, this] {
        cells_.SetRowHeight(row, px);
        const int modelRow = model_->ModelRow(row);
        if (modelRow >= 0 && modelRow < model_->rowCount())
            verticalHeader()->resizeSection(modelRow, cells_.RowHeight(row));
    });
}

int CMyGridCtrl::ColumnWidth(int col) const
{
    return cells_.ColumnWidth(col);
}

void CMyGridCtrl::SetColumnWidth(int col, int px)
{
    Change([=, this] {
        cells_.SetColumnWidth(col, px);
        if (col >= 0 && col < cells_.ColumnCount()) {
            setColumnHidden(col, px <= 0);
            if (px > 0)
                setColumnWidth(col, px);
        }
    });
}

void CMyGridCtrl::FitRowHeights()
{
    Change([this] {
        const int margin = cells_.DefaultCellMargin();
        const int line = LineHeight();
        const int standard = line + 2 * margin;
        verticalHeader()->setDefaultSectionSize(standard);
        const int rows = cells_.RowCount();
        const int cols = cells_.ColumnCount();
        for (int row = 0; row < rows; ++row) {
            if (cells_.RowHeight(row) <= 0)
                continue;
            int lines = 1;
            for (int col = 0; col < cols; ++col)
                lines = std::max(lines,
                                 static_cast<int>(cells_.GetCellText(row, col).count(u'\n')) + 1);
            const int height = lines * line + 2 * margin;
            cells_.SetRowHeight(row, height);
            const int modelRow = model_->ModelRow(row);
            if (modelRow >= 0 && verticalHeader()->sectionSize(modelRow) != height)
                verticalHeader()->resizeSection(modelRow, height);
        }
        updateGeometries();
    });
}

void CMyGridCtrl::Redraw()
{
    Change([this] { viewport()->update(); });
}

void CMyGridCtrl::SelectRow(int row)
{
    Change([=, this] {
        cells_.SelectRow(row);
        model_->EverythingChanged();
        const int modelRow = model_->ModelRow(row);
        if (modelRow >= 0 && modelRow < model_->rowCount()) {
            executeDelayedItemsLayout(); // the scroll range must know the rows appended so far
            updateGeometries();
            scrollTo(model_->index(modelRow, 0), QAbstractItemView::PositionAtTop);
        }
    });
}

void CMyGridCtrl::SelectAll()
{
    Change([this] {
        cells_.SelectAll();
        model_->EverythingChanged();
    });
}

void CMyGridCtrl::ClearSelection()
{
    Change([this] {
        cells_.ClearSelection();
        model_->EverythingChanged();
    });
}

int CMyGridCtrl::NextSelectedRow(int after) const
{
    return cells_.NextSelectedRow(after);
}

int CMyGridCtrl::FirstSelectedRow() const
{
    return cells_.FirstSelectedRow();
}

bool CMyGridCtrl::IsCellSelected(int row, int col) const
{
    return cells_.IsCellSelected(row, col);
}

void CMyGridCtrl::SetCellSelected(int row, int col, bool selected)
{
    Change([=, this] {
        cells_.SetCellSelected(row, col, selected);
        model_->CellsChanged(row, col, col);
    });
}

void CMyGridCtrl::ClickCell(int row, int col)
{
    Change([=, this] {
        const bool single = cells_.IsListMode() && cells_.IsSingleRowSelection();
        cells_.ClickCell(row, col);
        if (single)
            model_->EverythingChanged();
        else
            model_->CellsChanged(row, 0, std::max(cells_.ColumnCount() - 1, 0));
    });
}

void CMyGridCtrl::SetSingleRowSelection(bool on)
{
    Change([=, this] { cells_.SetSingleRowSelection(on); });
}

bool CMyGridCtrl::IsSingleRowSelection() const
{
    return cells_.IsSingleRowSelection();
}

QRect CMyGridCtrl::CellRect(int row, int col) const
{
    const int modelRow = model_->ModelRow(row);
    if (modelRow < 0 || modelRow >= model_->rowCount() || col < 0 || col >= model_->columnCount())
        return {};
    return visualRect(model_->index(modelRow, col));
}

int CMyGridCtrl::TopVisibleRow() const
{
    const int modelRow = rowAt(0);
    return modelRow < 0 ? -1 : model_->GridRow(modelRow);
}

void CMyGridCtrl::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        ClickCell(model_->GridRow(index.row()), index.column());
}

void CMyGridCtrl::mouseMoveEvent(QMouseEvent *event)
{
    // No drag selection: marking is by clicks only.
    event->accept();
}

void CMyGridCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click is two clicks: the second toggles back, as the grid control does.
    mousePressEvent(event);
}
