#pragma once

#include "window/AlbumViewState.h"
#include "window/WindowPort.h"

// Grid cell margin, in pixels, of every view.
inline constexpr int ALBUM_GRID_CELL_MARGIN = 8;

// Empties the album grid and sets it up for `view`: clears the "全选" box, removes every row
// and column, sets the cell margin, then builds the list view (header "序号", "名称", "数量",
// "备注", "", "" at widths 50, 575, 50, 100, 0, 0) or the thumbnail view (no header,
// `thumbsPerRow` columns of thumbWidth + 2 × margin pixels), fits the row heights and redraws.
// Called on any thread that may change the grid (the GUI thread, the thumbnail conversion);
// the grid's own call routing keeps each step safe against painting.
void RebuildAlbumGrid(WindowPort &window, const AlbumViewState &view);
