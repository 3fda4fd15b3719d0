#pragma once

// The download run itself, on the run thread: the root folder, the window's download state,
// the album selection read from the grid, and for each selected album the extraction, the
// picture manager, the marker and the file fixes.

#include "download/DownEnd.h"
#include "download/DownRunOptions.h"
#include "download/DownRunStatus.h"

#include <QList>
#include <QtGlobal>

class GleanerState;
class GridOps;
class WindowPort;
struct AlbumViewState;

// The run, from the save-path box to "下载完毕". Expects downState DOWN_RUNNING (set by the
// starter) and leaves DOWN_IDLE on every way out. Any thread but the one the window needs to
// carry out its calls.
DownEnd DownAlbumsFunc(GleanerState &state, WindowPort &window, const DownRunOptions &options,
                       DownRunStatus &status);

// Download state at the start of the run: "终止下载" on the download button; site combo,
// get-list button, set-path button, address box and save-path box disabled.
void EnterDownState(GleanerState &state, WindowPort &window);
// The end of the run: state DOWN_IDLE, "下载" on the button, the five controls enabled,
// "下载完毕" in the album status line, the picture status line emptied.
void LeaveDownState(GleanerState &state, WindowPort &window);

// The albums to download, in download order. List view: every row below the fixed rows with a
// selected cell, top down, giving the album index of its first cell. Thumbnail view: every cell
// row by row, left to right, counted from 0, that is selected, whose count is below
// `albumCount` and whose album index is below `albumCount`. Indices outside 0 .. albumCount - 1
// are left out in both views.
QList<qint32> SelectedAlbums(const GridOps &grid, const AlbumViewState &view, int albumCount);
