#include "window/AlbumGridSetup.h"

#include "window/ControlIds.h"

#include <array>

namespace {

struct ListColumn {
    const char16_t *header;
    int width;
};

constexpr std::array<ListColumn, 6> kListColumns{{
    {u"序号", 50},
    {u"名称", 575},
    {u"数量", 50},
    {u"备注", 100},
    {u"", 0},
    {u"", 0},
}};

} // namespace

void RebuildAlbumGrid(WindowPort &window, const AlbumViewState &view)
{
    window.SetChecked(IDC_SELECT_ALL, false);
    GridOps &grid = window.Grid();
    grid.RemoveAll();
    grid.SetDefaultCellMargin(ALBUM_GRID_CELL_MARGIN);
    if (!view.thumbMode) {
        grid.SetupGrid(1, 1, static_cast<int>(kListColumns.size()), true);
        for (int col = 0; col < static_cast<int>(kListColumns.size()); ++col) {
            const ListColumn &column = kListColumns[static_cast<size_t>(col)];
            grid.SetHeaderText(col, QString::fromUtf16(column.header));
            grid.SetColumnWidth(col, column.width);
        }
    } else {
        const int cols = view.thumbsPerRow > 0 ? view.thumbsPerRow : 1;
        grid.SetupGrid(0, 0, cols, false);
        for (int col = 0; col < cols; ++col)
            grid.SetColumnWidth(col, view.thumbWidth + 2 * ALBUM_GRID_CELL_MARGIN);
    }
    grid.FitRowHeights();
    grid.Redraw();
}
